#include "doctree/DocumentExport.h"

#include <cerrno>
#include <fstream>
#include <system_error>
#include <vector>

#include "app/modSystem.h"
#include "doctree/EdiDocument.h"
#include "doctree/modNodeD.h"

namespace orr {
namespace {

DocumentExport::Loop LoopOf(EdiDocument& doc, NodeId node)
{
    clsTree& tree = doc.Tree();
    const std::string& sTag = tree.Tag(node);
    const char cKind = sTag.empty() ? 'Z' : sTag[0];
    DocumentExport::Loop loop{cKind == 'X'   ? "interchange"
                              : cKind == 'F' ? "group"
                              : cKind == 'T' ? "transaction"
                                             : "loop",
                              std::string(DocumentExport::LoopName(tree.Text(node))), {}};
    const std::string_view sLink = gfDnodeTagLink(sTag);
    if (!sLink.empty() && sLink != kUnlinked) {
        const std::string sKey = "K" + std::string(sLink.substr(std::min(sLink.rfind('.') + 1, sLink.size())));
        // The envelope loops go by their header segments, as the element check's loop paths do.
        if (const SchemaIx ix = doc.Index().Of(doc.SchemaTree().FindKey(sKey))) {
            const SchemaEntry& e = doc.Index()[ix];
            loop.sId = e.cEnvelope == 'X' ? "ISA" : e.cEnvelope == 'F' ? "GS" : e.cEnvelope == 'T' ? "ST" : e.sLevel;
        }
    }
    return loop;
}

}  // namespace

std::string_view DocumentExport::LoopName(std::string_view sText)
{
    if (sText.ends_with(')'))
        if (const std::size_t n = sText.rfind(" ("); n != std::string_view::npos &&
                                                     sText.find(" of ", n) != std::string_view::npos)
            return sText.substr(0, n);
    return sText;
}

std::string DocumentExport::LineEndName(clsTreeDSave::LineEnd lineEnd)
{
    using LineEnd = clsTreeDSave::LineEnd;
    return lineEnd == LineEnd::CrLf ? "crlf" : lineEnd == LineEnd::Lf ? "lf" : lineEnd == LineEnd::Cr ? "cr" : "none";
}

bool DocumentExport::ToFile(EdiDocument& doc, const std::string& sFile)
{
    std::ofstream out(sFile, std::ios::binary | std::ios::trunc);
    if (out) {
        Write(doc, out);
        out.close();
    }
    if (!out) {
        const std::error_code ec(errno ? errno : EIO, std::generic_category());
        gfReportRunTimeError(ec.message() + ": " + sFile, ec.value());
        return false;
    }
    return true;
}

void DocumentExport::Write(EdiDocument& doc, std::ostream& out)
{
    const Separators separators{doc.Delimiter(), doc.Selimiter(), LineEndName(doc.LineEndRead())};
    Begin(out, doc.Type(), separators);
    if (!doc.HasRoot())
        return End(out);
    // Depth-first without recursion (documents may nest deeply); children by row.
    clsTree& tree = doc.Tree();
    const char cDelimiter = char(doc.Delimiter());
    struct Level {
        NodeId parent;
        std::uint32_t nRow, nCount;
        Loop loop;
    };
    std::vector<Level> stack{{doc.Root().Id(), 0, tree.ChildCount(doc.Root().Id()), {}}};
    InterchangeSeparators interchange;
    std::string buffer;
    while (!stack.empty()) {
        Level& level = stack.back();
        const int nDepth = int(stack.size());
        if (level.nRow == level.nCount) {
            if (stack.size() > 1)
                EndLoop(out, level.loop, nDepth - 1);
            stack.pop_back();
            continue;
        }
        const NodeId node = tree.Child(level.parent, level.nRow++);
        const std::string& sTag = tree.Tag(node);
        if (sTag.empty() || sTag[0] != 'S') {
            Loop loop = LoopOf(doc, node);
            BeginLoop(out, loop, nDepth);
            stack.push_back({node, 0, tree.ChildCount(node), std::move(loop)});
            continue;
        }
        if (tree.Image(node).ends_with("nullsegment") && !tree.HasChildren(node))
            continue;  // an empty-node placeholder: nothing of the file
        const SegmentValues values(gfDnodeSegmentText(tree, node, cDelimiter, buffer), cDelimiter, interchange);
        if (values.Id() == "ISA")
            interchange = SegmentValues::OfIsa(values);
        Segment(out, values, !tree.Image(node).starts_with("err"), nDepth);
    }
    End(out);
}

}  // namespace orr
