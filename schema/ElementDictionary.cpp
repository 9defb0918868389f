#include "schema/ElementDictionary.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <mutex>

#include "app/modGlobals.h"
#include "app/modText.h"
#include "schema/clsDefFiles.h"
#include "schema/modNodeS.h"

namespace orr {
namespace {

int Number(std::string_view s)
{
    int n = 0;
    std::from_chars(s.data(), s.data() + s.size(), n);
    return n;
}

bool IsNumber(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool ElementDictionary::Element::HasCode(std::string_view sCode) const
{
    return std::binary_search(codes.begin(), codes.end(), sCode, std::less<>());
}

ElementDictionary::ElementDictionary(const std::vector<std::string>& lines)
{
    std::vector<std::vector<std::string_view>> composites;  // after every element is known
    for (const std::string& sLine : lines) {
        if (sLine.empty() || sLine[0] == ';')
            continue;
        std::vector<std::string_view> f = gfSplitFields(sLine);
        if (f.size() < 5 || f.size() > 6 || !IsNumber(f[2]) || !IsNumber(f[3]))
            continue;
        if (f[1] == "COMP") {
            if (f.size() == 6)
                composites.push_back(std::move(f));
            continue;
        }
        auto e = std::make_unique<Element>();
        e->sId = f[0];
        e->sType = f[1];
        e->nMinLength = Number(f[2]);
        e->nMaxLength = Number(f[3]);
        e->sName = f[4];
        if (f.size() == 6)
            for (const std::string_view c : gfSplitFields(f[5], ','))
                e->codes.emplace_back(c);
        std::sort(e->codes.begin(), e->codes.end());
        mElements[e->sId] = std::move(e);
    }
    for (const std::vector<std::string_view>& f : composites) {
        Composite c{std::string(f[0]), std::string(f[4]), {}};
        for (const std::string_view part : gfSplitFields(f[5], ',')) {
            const std::size_t nColon = part.find(':');
            const Element* e = FindElement(part.substr(0, nColon));
            if (!e) {
                c.components.clear();
                break;
            }
            c.components.push_back({e, nColon != std::string_view::npos && part.substr(nColon + 1) == "M"});
        }
        if (!c.components.empty())
            mComposites.emplace(c.sId, std::move(c));
    }
}

const ElementDictionary::Element* ElementDictionary::FindElement(std::string_view sId) const
{
    const auto it = mElements.find(std::string(sId));
    return it == mElements.end() ? nullptr : it->second.get();
}

const ElementDictionary::Composite* ElementDictionary::FindComposite(std::string_view sId) const
{
    const auto it = mComposites.find(std::string(sId));
    return it == mComposites.end() ? nullptr : &it->second;
}

std::string ElementDictionary::Release(std::string_view sGs08, std::string_view sIsa12)
{
    if (sGs08.size() >= 6 && IsNumber(sGs08.substr(0, 6)))
        return std::string(sGs08.substr(0, 6));
    return sIsa12.size() == 5 && IsNumber(sIsa12) ? std::string(sIsa12) + "0" : std::string();
}

std::shared_ptr<const ElementDictionary> ElementDictionary::ForRelease(std::string_view sVersion)
{
    if (sVersion.size() < 6 || !IsNumber(sVersion.substr(0, 6)) || !gDefFiles)
        return nullptr;
    const std::string sName = "dict" + std::string(sVersion.substr(2, 3)) + "0.def";  // 004010: dict4010.def
    const auto& entries = gDefFiles->Entries();
    const auto entry =
        std::find_if(entries.begin(), entries.end(), [&](const DefEntry& e) { return gfSameName(e.sName, sName); });
    if (entry == entries.end())
        return nullptr;
    // One dictionary per stored file: a reloaded store with other files reads them anew.
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const ElementDictionary>> cache;
    const std::string sKey = sName + "|" + entry->sContainer + "|" + std::to_string(entry->nPosition) + "|" +
                             std::to_string(entry->nLength);
    const std::lock_guard lock(mutex);
    std::shared_ptr<const ElementDictionary>& dictionary = cache[sKey];
    if (!dictionary) {
        std::vector<std::string> lines;
        if (const int h = gDefFiles->OpenDefFile(sName)) {
            while (!gDefFiles->DefFileAtEof(h))
                lines.push_back(gDefFiles->ReadLineFromDefFile(h));
            gDefFiles->CloseDefFile(h);
        }
        dictionary = std::make_shared<const ElementDictionary>(lines);
    }
    return dictionary->Empty() ? nullptr : dictionary;
}

}  // namespace orr
