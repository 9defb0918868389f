#include "doctree/clsTreeDSave.h"

#include <cerrno>
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
    const bool bCrLfConfigured = gConfig && gConfig->IsCrLfSelimiter();
    bool bLineBreaks = false;
    if (!bSilent && !bCrLfConfigured)
        bLineBreaks = gfMsgBox("Do you want to add a CR and LF at the end of each segment ?", MsgIcon::Question,
                               MsgButtons::YesNo, "Save EDI File") == MsgAnswer::Yes;
    return WriteX12(sFile, ndRoot, bLineBreaks);
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
    msTerminator = gfSeparatorBytes(mnSelimiter);
    std::string out;
    WriteChildren(ndRoot, out);
    return out;
}

bool clsTreeDSave::WriteFile(const std::string& sFile, const TreeNode& ndRoot)
{
    msTerminator = gfSeparatorBytes(mnSelimiter);
    std::ofstream file(sFile, std::ios::binary | std::ios::trunc);
    if (file) {
        std::string out;
        out.reserve(kFlushAt + 4096);
        mpFile = &file;
        WriteChildren(ndRoot, out);
        mpFile = nullptr;
        file.write(out.data(), std::streamsize(out.size()));
        file.close();
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
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.nRow == level.nCount) {
            stack.pop_back();
            continue;
        }
        const TreeNode cur(&tree, tree.Child(level.parent, level.nRow++));
        if (gfDnodeType(cur) == 'S')
            WriteSegment(cur, out);
        else
            stack.push_back({cur.Id(), 0, tree.ChildCount(cur.Id())});
    }
}

void clsTreeDSave::WriteSegment(const TreeNode& nd, std::string& out)
{
    clsTree& tree = *nd.Tree();
    // Only an empty placeholder is left out: a segment of nothing but its
    // identifier, read or made, is written as the identifier and terminator.
    const std::string& sImage = nd.Image();
    if (sImage.ends_with("nullsegment") && !tree.HasChildren(nd.Id()))
        return;
    const char cDelimiter = char(mnDelimiter);
    const bool bTrailing = sImage.ends_with(kTrailingImage);
    if (const auto payload = tree.Payload(nd.Id()); payload && bTrailing) {
        out += *payload;  // text after the last terminator, as it was read
        return;
    } else if (payload) {
        // Elements never touched: copy the segment text, separators swapped.
        const std::size_t nStart = out.size();
        out += *payload;
        const char cSource = tree.PayloadSeparator();
        if (cSource != cDelimiter) {
            // A binary segment's data is written byte for byte.
            const std::optional<BinaryData> binary = gfBinaryData(*payload, cSource);
            const std::size_t nEnd = nStart + (binary ? binary->nAt : payload->size());
            for (std::size_t i = nStart + nd.Text().size(); i < nEnd; ++i)
                if (out[i] == cSource)
                    out[i] = cDelimiter;
        }
    } else {
        out += nd.Text();
        for (TreeNode child = nd.FirstChild(); child; child = child.Next()) {
            if (gfDnodeType(child) != 'E') {
                gfMsgBox("Illogic.  Contact Quillmark.", MsgIcon::Critical);
                continue;
            }
            out += cDelimiter;
            out += child.Text();
        }
        if (bTrailing)
            return;
    }
    Terminate(out);
    if (mpFile && out.size() >= kFlushAt) {
        mpFile->write(out.data(), std::streamsize(out.size()));
        out.clear();
    }
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

void clsTreeDSave::Terminate(std::string& out) const
{
    if (mbLineMode) {
        out += "\r\n";
        return;
    }
    out += msTerminator;
    // A terminator that is itself a line end gets no other after it; but a
    // carriage return may be followed by a line feed (CR LF files).
    const bool bLineEndTerminator = mnSelimiter == 13 || mnSelimiter == 10;
    if (mLineEnd == LineEnd::CrLf && !bLineEndTerminator)
        out += "\r\n";
    else if (mLineEnd == LineEnd::Lf && mnSelimiter != 10)
        out += '\n';
    else if (mLineEnd == LineEnd::Cr && !bLineEndTerminator)
        out += '\r';
}

}  // namespace orr
