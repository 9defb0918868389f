#include "schema/MixedDefinition.h"

#include <string_view>

namespace orr {
namespace {

struct Block {
    std::size_t nBegin = 0, nEnd = 0;  // the group loop's start line and its end line
};

bool StartsLoop(std::string_view s)
{
    return s.starts_with("A??*LS*") || s.starts_with("A??*HLS*") || s.starts_with("A??*ELS*") ||
           s.starts_with("A??*ESS*");
}

bool EndsLoop(std::string_view s)
{
    return s == "A??*LE" || s == "A??*HLE" || s == "A??*ELE" || s == "A??*ESE" || s.starts_with("A??*LE*") ||
           s.starts_with("A??*HLE*") || s.starts_with("A??*ELE*") || s.starts_with("A??*ESE*");
}

std::optional<Block> GroupLoop(const std::vector<std::string>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].starts_with("A??*LS*0002*"))
            continue;
        int nDepth = 0;
        for (std::size_t j = i; j < lines.size(); ++j) {
            nDepth += StartsLoop(lines[j]) ? 1 : EndsLoop(lines[j]) ? -1 : 0;
            if (nDepth == 0)
                return Block{i, j};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::vector<std::string> Fields(const std::string& sLine)
{
    std::vector<std::string> fields;
    std::size_t nFrom = 0;
    for (std::size_t p; (p = sLine.find('*', nFrom)) != std::string::npos; nFrom = p + 1)
        fields.push_back(sLine.substr(nFrom, p - nFrom));
    fields.push_back(sLine.substr(nFrom));
    return fields;
}

std::string Joined(const std::vector<std::string>& parts, const char* sBetween)
{
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i)
        s += (i ? sBetween : "") + parts[i];
    return s;
}

}  // namespace

std::optional<std::vector<std::string>> gfComposeMixedDefinition(const std::vector<MixedPart>& parts,
                                                                 int nKeyElement)
{
    if (parts.empty())
        return std::nullopt;
    const std::optional<Block> first = GroupLoop(parts.front().lines);
    if (!first)
        return std::nullopt;
    const std::vector<std::string>& base = parts.front().lines;
    std::vector<std::string> out(base.begin(), base.begin() + std::ptrdiff_t(first->nBegin));
    out.push_back("A??*ELS*1*" + std::to_string(nKeyElement) + "*Functional groups");
    for (const MixedPart& part : parts) {
        const std::optional<Block> block = GroupLoop(part.lines);
        if (!block)
            return std::nullopt;
        // The loop start: A??*LS*0002*repeat*key*description; the keys and
        // the definition's name go in.
        std::vector<std::string> fields = Fields(part.lines[block->nBegin]);
        fields.resize(std::max<std::size_t>(fields.size(), 6));
        fields[4] = Joined(part.keys, ",");
        fields[5] = (fields[5].empty() ? std::string("Functional group") : fields[5]) + " (" + part.sType + ")";
        out.push_back(Joined(fields, "*"));
        out.insert(out.end(), part.lines.begin() + std::ptrdiff_t(block->nBegin) + 1,
                   part.lines.begin() + std::ptrdiff_t(block->nEnd) + 1);
    }
    out.push_back("A??*ELE");
    out.insert(out.end(), base.begin() + std::ptrdiff_t(first->nEnd) + 1, base.end());
    return out;
}

std::string gfMixedTypeName(const std::vector<std::string>& types) { return Joined(types, "+"); }

}  // namespace orr
