#include "doctree/ImportWriter.h"

#include <ostream>
#include <stdexcept>

namespace orr {

ImportWriter::ImportWriter(std::ostream& out, SepCode nElement, SepCode nSegment, const std::string& sLineEnd)
    : mOut(out), mcElement(char(nElement))
{
    if (nSegment != 0)
        msEnd += char(nSegment);
    if (sLineEnd == "crlf" || (sLineEnd != "lf" && sLineEnd != "cr" && nSegment == 0))
        msEnd += "\r\n";
    else if (sLineEnd == "lf")
        msEnd += '\n';
    else if (sLineEnd == "cr")
        msEnd += '\r';
}

void ImportWriter::Segment(const std::string& sId, const std::map<std::size_t, Parts>& elements)
{
    std::string s = sId;
    std::size_t nAt = 0;
    for (const auto& [nPosition, parts] : elements) {
        s.append(nPosition - nAt, mcElement);
        nAt = nPosition;
        if (parts.size() > 1 && !mSeparators.cRepetition)
            throw std::runtime_error(sId + std::to_string(nPosition) +
                                     " has repetitions, but its interchange has no repetition separator");
        for (std::size_t r = 0; r < parts.size(); ++r) {
            if (r)
                s += mSeparators.cRepetition;
            for (std::size_t c = 0; c < parts[r].size(); ++c) {
                if (c)
                    s += mSeparators.cComponent;
                s += parts[r][c];
            }
        }
    }
    if (sId == "ISA") {
        const auto value = [&](std::size_t n) {
            const auto it = elements.find(n);
            return it == elements.end() || it->second.empty() || it->second[0].empty() ? std::string()
                                                                                       : it->second[0][0];
        };
        mSeparators = gfIsaSeparators(value(11), value(12), value(16));
    }
    mOut << s << msEnd;
}

}  // namespace orr
