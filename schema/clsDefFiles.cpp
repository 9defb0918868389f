#include "schema/clsDefFiles.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <vector>

#include "app/SettingsStore.h"
#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "app/modText.h"
#include "schema/DefContainerFormat.h"

namespace orr {

using namespace defformat;

namespace {

std::atomic<std::uint64_t> gnGeneration{0};

bool StartsWithDoc(const std::string& sName) { return sName.size() >= 3 && gfSameName(sName.substr(0, 3), "DOC"); }

std::string DocForm(const DefEntry& e) { return e.sName + "*" + e.sDescription + "*" + e.sType; }

std::string UpperName(std::string_view sName)
{
    std::string s(gfTrimBlanks(sName));
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

}  // namespace

std::uint64_t clsDefFiles::Generation()
{
    return gnGeneration.load(std::memory_order_relaxed);
}

std::string gfDocTypeOfEntry(const std::string& sEntryName)
{
    return sEntryName.size() > 7 ? sEntryName.substr(3, sEntryName.size() - 7) : std::string();
}

bool clsDefFiles::RefreshBinFile()
{
    mEntries.clear();
    const bool bRead = LoadDirectory(gConfig->DefinitionFile);
    for (int k = 1; bRead && k <= kTemplateSlots; ++k) {
        std::string sFile =
            gfTrimBlanks(gSettings->Get(gConfig->SettingsApp, gConfig->SectionTemplates, "TP" + std::to_string(k), ""));
        if (!sFile.empty() && !LoadDirectory(sFile))
            gfMsgBox("Could not read definition file:" + sFile, MsgIcon::Critical);
    }
    IndexEntries();
    return bRead;
}

void clsDefFiles::IndexEntries()
{
    gnGeneration.fetch_add(1, std::memory_order_relaxed);
    mContainers.clear();
    mKept.clear();
    mnKeptBytes = 0;
    mDocTypes.clear();
    mByName.clear();
    for (std::size_t i = 0; i < mEntries.size(); ++i) {
        const DefEntry& e = mEntries[i];
        mByName.emplace(UpperName(e.sName), i);
        if (StartsWithDoc(e.sName))
            mDocTypes.push_back(gfDocTypeOfEntry(e.sName));
    }
}

bool clsDefFiles::LoadDirectory(const std::string& sFile)
{
    std::ifstream in(sFile, std::ios::binary);
    if (!in)
        return false;
    unsigned char header[kHeaderSize] = {};
    in.read(reinterpret_cast<char*>(header), kHeaderSize);
    const auto nRead = std::size_t(in.gcount());
    if (nRead < 2)
        return false;
    if (header[0] != 'O' || header[1] != 'O') {
        gfMsgBox("Unknown EDI template file format.", MsgIcon::Critical);
        return false;
    }
    if (nRead < kHeaderSize)
        return false;

    const std::int32_t nCount = ReadInt32(header + kHeaderCountAt);
    const std::int32_t nDirPos = ReadInt32(header + kHeaderDirAt);
    if (nCount <= 0 || nDirPos <= 0)
        return true;

    in.seekg(0, std::ios::end);
    const std::int64_t nFileSize = in.tellg();
    // A directory that runs past the end cannot be read; refuse before reading it.
    if (nDirPos - 1 + std::int64_t(nCount) * std::int64_t(kEntrySize) > nFileSize)
        return false;
    in.seekg(nDirPos - 1);

    // The directory in one read; its entries are parsed from memory.
    std::vector<unsigned char> directory(std::size_t(nCount) * kEntrySize);
    if (!in.read(reinterpret_cast<char*>(directory.data()), std::streamsize(directory.size())))
        return false;
    mEntries.reserve(mEntries.size() + std::size_t(nCount));
    for (std::int32_t i = 0; i < nCount; ++i) {
        const unsigned char* entry = directory.data() + std::size_t(i) * kEntrySize;
        const std::string_view sField(reinterpret_cast<const char*>(entry + kEntryNameAt), kEntryNameSize);
        const auto star = sField.find('*');
        DefEntry e;
        e.sType.assign(reinterpret_cast<const char*>(entry + kEntryTypeAt), 2);
        e.sName = std::string(gfTrimBlanks(sField.substr(0, star)));
        e.sDescription = star == std::string_view::npos ? std::string() : std::string(gfTrimBlanks(sField.substr(star + 1)));
        e.sContainer = sFile;
        e.nPosition = ReadInt32(entry + kEntryPositionAt);
        e.nLength = ReadInt32(entry + kEntryLengthAt);
        mEntries.push_back(std::move(e));
    }
    return true;
}

int clsDefFiles::GetEdiDefFiles(std::vector<std::string>& list) const
{
    list.clear();
    for (const DefEntry& e : mEntries)
        if (StartsWithDoc(e.sName))
            list.push_back(DocForm(e));
    return int(list.size());
}

int clsDefFiles::GetAllDefFiles(std::vector<std::string>& list) const
{
    list.clear();
    for (const DefEntry& e : mEntries)
        list.push_back(StartsWithDoc(e.sName) ? DocForm(e) : e.sName);
    return int(list.size());
}

const std::vector<std::string>* clsDefFiles::Kept(const std::string& sName) const
{
    const auto it = std::find_if(mKept.begin(), mKept.end(), [&](const auto& kept) { return kept.first == sName; });
    return it == mKept.end() ? nullptr : &it->second;
}

void clsDefFiles::Keep(const std::string& sName, std::vector<std::string> lines)
{
    // Every definition shipped, flattened, holds some 4 MB: a batch of files
    // of many types flattens each once.
    constexpr std::size_t kKeptBytes = std::size_t(16) << 20;
    const auto bytes = [](const std::vector<std::string>& v) {
        std::size_t n = v.capacity() * sizeof(std::string);
        for (const std::string& s : v)
            n += s.size();
        return n;
    };
    mnKeptBytes += bytes(lines);
    mKept.emplace_back(sName, std::move(lines));
    while (mKept.size() > 1 && mnKeptBytes > kKeptBytes) {
        mnKeptBytes -= bytes(mKept.front().second);
        mKept.pop_front();
    }
}

const DefEntry* clsDefFiles::Find(const std::string& sName) const
{
    const auto it = mByName.find(UpperName(sName));
    return it == mByName.end() ? nullptr : &mEntries[it->second];
}

int clsDefFiles::OpenDefFile(const std::string& sName)
{
    auto free = std::find_if(mSlots.begin(), mSlots.end(), [](const Slot& s) { return !s.bInUse; });
    if (free == mSlots.end())
        return 0;

    const DefEntry* e = Find(sName);
    std::string sContent;
    if (!e) {
        gfMsgBox("Could not find template file:" + sName, MsgIcon::Critical);
    } else {
        std::ifstream* pIn = Container(e->sContainer);
        if (!pIn) {
            gfReportRunTimeError(std::error_code(errno, std::generic_category()));
            return 0;
        }
        std::ifstream& in = *pIn;
        in.seekg(0, std::ios::end);
        const std::int64_t nFileSize = in.tellg();
        if (e->nPosition < 1 || e->nLength < 0 || e->nPosition - 1 + e->nLength > nFileSize) {
            gfReportRunTimeError("Input past end of file: " + e->sName + " in " + e->sContainer, 62);
            return 0;
        }
        sContent.resize(std::size_t(e->nLength));
        in.seekg(e->nPosition - 1);
        in.read(sContent.data(), e->nLength);
        for (std::size_t i = 0; i < sContent.size(); ++i)
            sContent[i] = char(Unscramble(static_cast<unsigned char>(sContent[i]), i + 1));
    }
    if (sContent.empty())
        return 0;
    free->bInUse = true;
    free->sName = sName;
    free->sContent = std::move(sContent);
    free->nReadPos = 0;
    return int(free - mSlots.begin()) + 1;
}

std::ifstream* clsDefFiles::Container(const std::string& sPath)
{
    std::unique_ptr<std::ifstream>& in = mContainers[sPath];
    if (!in)
        in = std::make_unique<std::ifstream>(sPath, std::ios::binary);
    if (!in->is_open()) {
        mContainers.erase(sPath);
        return nullptr;
    }
    in->clear();  // a read that failed before
    return in.get();
}

clsDefFiles::Slot& clsDefFiles::CheckedSlot(int nHandle, const char* sOperation)
{
    if (nHandle < 1 || nHandle > kDefSlots)
        gfSystemIllogic(std::string(sOperation) + ":" + std::to_string(nHandle));
    return mSlots[std::size_t(nHandle - 1)];
}

std::string clsDefFiles::ReadLineFromDefFile(int nHandle)
{
    Slot& slot = CheckedSlot(nHandle, "ReadLineFromDefFile");
    if (!slot.bInUse) {
        gfMsgBox("ReadLineFromDefFile:File is not opened:" + slot.sName, MsgIcon::Critical);
        return {};
    }
    // A plain scan: find_first_of searches its set for every character.
    const std::string& s = slot.sContent;
    const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
    const auto from = std::find_if_not(s.begin() + std::ptrdiff_t(std::min(slot.nReadPos, s.size())), s.end(), isBreak);
    const auto end = std::find_if(from, s.end(), isBreak);
    slot.nReadPos = std::size_t(end - s.begin());
    return std::string(from, end);
}

bool clsDefFiles::DefFileAtEof(int nHandle)
{
    Slot& slot = CheckedSlot(nHandle, "DefFileAtEof");
    if (!slot.bInUse) {
        gfMsgBox("DefFileAtEof:File is not opened:" + slot.sName, MsgIcon::Critical);
        return true;
    }
    return slot.nReadPos >= slot.sContent.size();
}

void clsDefFiles::CloseDefFile(int nHandle)
{
    Slot& slot = CheckedSlot(nHandle, "CloseDefFile");
    slot.bInUse = false;  // the name stays for "File is not opened:" reports
    slot.sContent.clear();
    slot.nReadPos = 0;
}

}  // namespace orr
