#include "doctree/clsTreeDSave.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "doctree/modNodeD.h"
#include "edi/SegmentText.h"
#include "edi/modGuessEdi.h"

namespace orr {
namespace {

// Flush the output buffer to the file at this size: large files are written
// in big blocks without holding the whole text.
constexpr std::size_t kFlushAt = 1 << 20;

}  // namespace

clsTreeDSave::clsTreeDSave()
    : mnDelimiter(gConfig ? gConfig->Delimiter : SepCode('*')), mnSelimiter(gConfig ? gConfig->Selimiter : SepCode('~'))
{
}

bool clsTreeDSave::SaveAs(const std::string& sFile, const TreeNode& ndRoot, bool& bSilent)
{
    return WriteX12(sFile, ndRoot, !bSilent && AskLineBreaks());
}

bool clsTreeDSave::AskLineBreaks()
{
    if (gConfig && gConfig->IsCrLfSelimiter())
        return false;
    return gfMsgBox("Do you want to add a CR and LF at the end of each segment ?", MsgIcon::Question,
                    MsgButtons::YesNo, "Save EDI File") == MsgAnswer::Yes;
}

bool clsTreeDSave::WriteX12(const std::string& sFile, const TreeNode& ndRoot, bool bLineBreaks)
{
    return WriteX12(sFile, ndRoot, bLineBreaks ? LineEnd::CrLf : LineEnd::None);
}

bool clsTreeDSave::WriteX12(const std::string& sFile, const TreeNode& ndRoot, LineEnd lineEnd)
{
    mbLineMode = false;
    mLineEnd = lineEnd;
    return WriteFile(sFile, ndRoot);
}

bool clsTreeDSave::SaveAsText(const std::string& sFile, const TreeNode& ndRoot, const std::string& sSeparator)
{
    mnDelimiter = sSeparator.empty() ? SepCode(0) : SepCode(static_cast<unsigned char>(sSeparator[0]));
    mnSelimiter = 0;
    mbLineMode = true;
    mLineEnd = LineEnd::CrLf;
    return WriteFile(sFile, ndRoot);
}

std::string clsTreeDSave::ToText(const TreeNode& ndRoot, bool bLineBreaks)
{
    return ToText(ndRoot, bLineBreaks ? LineEnd::CrLf : LineEnd::None);
}

std::string clsTreeDSave::ToText(const TreeNode& ndRoot, LineEnd lineEnd)
{
    mbLineMode = false;
    mLineEnd = lineEnd;
    Start();
    std::string out;
    WriteChildren(ndRoot, out);
    return mbClash ? std::string() : out;
}

void clsTreeDSave::Start()
{
    mbRun = false;
    mbClash = false;
    msTerminator = mbLineMode ? std::string() : gfSeparatorBytes(mnSelimiter);
    mTypes.clear();
    mImages.clear();
    if (mbLineMode) {
        msEnd = "\r\n";
        return;
    }
    msEnd = gfSeparatorBytes(mnSelimiter);
    // A terminator that is itself a line end gets no other after it; but a
    // carriage return may be followed by a line feed (CR LF files).
    const bool bLineEndTerminator = mnSelimiter == 13 || mnSelimiter == 10;
    if (mLineEnd == LineEnd::CrLf && !bLineEndTerminator)
        msEnd += "\r\n";
    else if (mLineEnd == LineEnd::Lf && mnSelimiter != 10)
        msEnd += '\n';
    else if (mLineEnd == LineEnd::Cr && !bLineEndTerminator)
        msEnd += '\r';
    mbJoinable = msEnd.size() == 1 && static_cast<unsigned char>(msEnd[0]) >= 0xC2 &&
                 static_cast<unsigned char>(msEnd[0]) <= 0xEF;
}

char clsTreeDSave::TypeOf(const TreeNode& nd)
{
    const std::uint32_t n = nd.Tree()->TagIdOf(nd.Id()).value;
    if (n >= mTypes.size())
        mTypes.resize(n + 1, 0);
    if (!mTypes[n])
        mTypes[n] = gfDnodeType(nd);
    return mTypes[n];
}

std::uint8_t clsTreeDSave::ImageKind(const TreeNode& nd)
{
    const std::uint16_t n = nd.Tree()->ImageOf(nd.Id()).value;
    if (n >= mImages.size())
        mImages.resize(n + 1u, 0);
    if (!mImages[n]) {
        const std::string& sImage = nd.Image();
        mImages[n] = std::uint8_t(kKnown | (sImage.ends_with("nullsegment") ? kNullSegment : 0) |
                                  (sImage.ends_with(kTrailingImage) ? kTrailing : 0));
    }
    return mImages[n];
}

bool clsTreeDSave::WriteFile(const std::string& sFile, const TreeNode& ndRoot)
{
    Start();
    std::ofstream file(sFile, std::ios::binary | std::ios::trunc);
    if (file) {
        std::string out;
        out.reserve(kFlushAt + 4096);
        mpFile = &file;
        WriteChildren(ndRoot, out);
        mpFile = nullptr;
        file.write(out.data(), std::streamsize(out.size()));
        file.close();
        if (mbClash)
            return false;
    }
    if (!file) {
        const std::error_code ec(errno ? errno : EIO, std::generic_category());
        msError = ec.message() + ": " + sFile;
        gfReportRunTimeError(msError, ec.value());
        return false;
    }
    return true;
}

void clsTreeDSave::WriteChildren(const TreeNode& nd, std::string& out)
{
    // Depth-first in tree order without calling itself: a document nested
    // thousands of loops deep would overflow the stack (docs/RELIABILITY.md).
    // Children are taken by row, which the store answers without searching
    // for a node's place among its siblings.
    if (!nd)
        return;
    clsTree& tree = *nd.Tree();
    struct Level {
        NodeId parent;
        std::uint32_t nRow, nCount;
    };
    std::vector<Level> stack{{nd.Id(), 0, tree.ChildCount(nd.Id())}};
    while (!stack.empty() && !mbClash) {
        Level& level = stack.back();
        if (level.nRow == level.nCount) {
            stack.pop_back();
            continue;
        }
        const TreeNode cur(&tree, tree.Child(level.parent, level.nRow++));
        if (TypeOf(cur) == 'S')
            WriteSegment(cur, out);
        else
            stack.push_back({cur.Id(), 0, tree.ChildCount(cur.Id())});
    }
    EndRun(out);
}

void clsTreeDSave::Extend(std::string_view sText, std::string& out)
{
    // The bytes between the run and this text lie between two texts read,
    // inside the memory they were read into.
    const char* pEnd = mRun.data() + mRun.size();
    if (mbRun && sText.data() == pEnd + msEnd.size() && std::memcmp(pEnd, msEnd.data(), msEnd.size()) == 0) {
        mRun = {mRun.data(), mRun.size() + msEnd.size() + sText.size()};
        return;
    }
    EndRun(out);
    mRun = sText;
    mbRun = true;
}

void clsTreeDSave::EndRun(std::string& out)
{
    if (!mbRun)
        return;
    if (mpFile && mRun.size() >= kFlushAt) {
        // Straight from the text read: a long run is not copied.
        mpFile->write(out.data(), std::streamsize(out.size()));
        out.clear();
        mpFile->write(mRun.data(), std::streamsize(mRun.size()));
    } else {
        out += mRun;
    }
    out += msEnd;
    mbRun = false;
    FlushIfFull(out);
}

void clsTreeDSave::FlushIfFull(std::string& out)
{
    if (mpFile && out.size() >= kFlushAt) {
        mpFile->write(out.data(), std::streamsize(out.size()));
        out.clear();
    }
}

void clsTreeDSave::WriteSegment(const TreeNode& nd, std::string& out)
{
    clsTree& tree = *nd.Tree();
    // Only an empty placeholder is left out: a segment of nothing but its
    // identifier, read or made, is written as the identifier and terminator.
    const std::uint8_t nImage = ImageKind(nd);
    if ((nImage & kNullSegment) && !tree.HasChildren(nd.Id()))
        return;
    const char cDelimiter = char(mnDelimiter);
    const bool bTrailing = nImage & kTrailing;
    const auto payload = tree.Payload(nd.Id());
    const char cSource = tree.PayloadSeparator();
    if (!mbLineMode && !bTrailing && HeaderRefused(nd, payload, cSource))
        return;
    if (mbJoinable && JoinsTerminator(nd, payload && !payload->empty() ? payload->front()
                                          : !nd.Text().empty()          ? nd.Text().front()
                                                                        : cDelimiter))
        return;
    if (payload && !bTrailing && !mbLineMode && MayClash(*payload, cSource) && Clashes(nd, *payload, cSource, 0))
        return;
    if (payload && !bTrailing && cSource == cDelimiter) {
        Extend(*payload, out);  // elements never touched: the text read
        return;
    }
    EndRun(out);
    if (payload && bTrailing) {
        out += *payload;  // text after the last terminator, as it was read
        return;
    } else if (payload) {
        // Elements never touched: copy the segment text, separators swapped.
        const std::size_t nStart = out.size();
        out += *payload;
        // A binary segment's data is written byte for byte.
        const std::optional<BinaryData> binary = gfBinaryData(*payload, cSource);
        const std::size_t nEnd = nStart + (binary ? binary->nAt : payload->size());
        for (std::size_t i = nStart + nd.Text().size(); i < nEnd; ++i)
            if (out[i] == cSource)
                out[i] = cDelimiter;
    } else {
        out += nd.Text();
        std::size_t nElement = 0;
        for (TreeNode child = nd.FirstChild(); child; child = child.Next()) {
            if (TypeOf(child) != 'E') {
                gfMsgBox("Illogic.  Contact Quillmark.", MsgIcon::Critical);
                continue;
            }
            if (!mbLineMode && Clashes(nd, child.Text(), '\0', ++nElement))
                return;
            out += cDelimiter;
            out += child.Text();
        }
        if (bTrailing)
            return;
    }
    out += msEnd;
    FlushIfFull(out);
}

bool clsTreeDSave::Clashes(const TreeNode& segment, std::string_view sText, char cSource, std::size_t nElement)
{
    // sText: a segment's text read, its elements led by cSource, or (cSource
    // 0) the value of its element nElement.
    const char cDelimiter = char(mnDelimiter);
    const std::size_t nFrom = cSource ? segment.Text().size() : 0;
    const std::size_t nSeparator = cSource != cDelimiter ? sText.find(cDelimiter, nFrom) : std::string_view::npos;
    const std::size_t nTerminator = msTerminator.empty() ? std::string_view::npos : sText.find(msTerminator, nFrom);
    std::size_t nAt = std::min(nSeparator, nTerminator);
    if (nAt == std::string_view::npos)
        return false;
    if (cSource) {
        // A binary segment's data is bytes and may hold anything.
        if (const std::optional<BinaryData> binary = gfBinaryData(sText, cSource); binary && nAt >= binary->nAt)
            return false;
        nElement = std::size_t(std::count(sText.begin(), sText.begin() + std::ptrdiff_t(nAt), cSource));
        const std::size_t nStart = sText.rfind(cSource, nAt) + 1, nEnd = sText.find(cSource, nAt);
        sText = sText.substr(nStart, nEnd == std::string_view::npos ? nEnd : nEnd - nStart);
    }
    const bool bSeparator = nAt == nSeparator;
    char sPosition[8];
    std::snprintf(sPosition, sizeof sPosition, "%02zu", nElement % 100);
    const SepCode nWhich = bSeparator ? mnDelimiter : mnSelimiter;
    msError = "The value \"" + std::string(sText) + "\" of " + std::string(segment.Text()) + sPosition + " holds the " +
              (bSeparator ? "element separator" : "segment terminator") + " \"" +
              (gConfig ? gConfig->Shown(nWhich) : gfSeparatorBytes(nWhich)) +
              "\" the document is written with. Choose other separators.";
    mbClash = true;
    return true;
}

bool clsTreeDSave::JoinsTerminator(const TreeNode& segment, char cFirst)
{
    if ((static_cast<unsigned char>(cFirst) & 0xC0) != 0x80)
        return false;
    msError = "The segment \"" + std::string(segment.Text()) +
              "\" begins with a byte that makes one character with the segment terminator \"" +
              (gConfig ? gConfig->Shown(mnSelimiter) : msTerminator) +
              "\" written before it. Choose other separators.";
    mbClash = true;
    return true;
}

bool clsTreeDSave::HeaderRefused(const TreeNode& segment, const std::optional<std::string_view>& payload,
                                 char cSource)
{
    const std::string_view sId = "ISA";
    if (payload ? !(payload->starts_with(sId) && payload->size() > sId.size() && (*payload)[sId.size()] == cSource)
                : segment.Text() != sId)
        return false;  // the quick look: most segments are no header
    std::vector<std::string_view> values;
    if (payload) {
        gfSplitElements(*payload, cSource, values);
        values.erase(values.begin());  // the identifier
    } else {
        for (TreeNode child = segment.FirstChild(); child; child = child.Next())
            values.push_back(child.Text());
    }
    // Only a header of the fixed widths up to ISA15 is read by its layout;
    // others, and headers cut short, are written as they were read.
    for (std::size_t i = 1; i < 16; ++i)
        if (i > values.size() || values[i - 1].size() != kIsaWidths[i])
            return false;
    if (values.size() == 16 && values.back().size() == 1)
        return false;
    msError = "The interchange header ends with \"" + std::string(values.back()) + "\" in ISA" +
              std::to_string(values.size()) +
              ". It must end with ISA16, the component separator, one character. Correct the header.";
    mbClash = true;
    return true;
}

clsTreeDSave::LineEnd clsTreeDSave::LineEndOf(const std::string& sFile, SepCode nSelimiter)
{
    std::ifstream in(sFile, std::ios::binary);
    std::string sHead(4096, '\0');
    in.read(sHead.data(), std::streamsize(sHead.size()));
    sHead.resize(std::size_t(in.gcount()));
    const std::string sTerminator = gfSeparatorBytes(nSelimiter);
    const std::size_t n = sTerminator.empty() ? sHead.find_first_of("\r\n") : sHead.find(sTerminator);
    if (n == std::string::npos)
        return LineEnd::None;
    const std::size_t nAfter = sTerminator.empty() ? n : n + sTerminator.size();
    if (sHead.compare(nAfter, 2, "\r\n") == 0)
        return LineEnd::CrLf;
    if (sHead.compare(nAfter, 1, "\n") == 0)
        return LineEnd::Lf;
    return sHead.compare(nAfter, 1, "\r") == 0 ? LineEnd::Cr : LineEnd::None;
}

}  // namespace orr
