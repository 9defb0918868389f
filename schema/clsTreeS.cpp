#include "schema/clsTreeS.h"

#include <filesystem>
#include <fstream>

#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "app/modText.h"
#include "schema/clsDefFiles.h"
#include "schema/modNodeS.h"

namespace orr {
namespace {

bool IsComment(std::string_view sTrimmed) { return sTrimmed.empty() || sTrimmed[0] == ';'; }

// Most lines are kept whole: their kind is in the first field alone.
std::string_view FirstField(std::string_view sLine) { return sLine.substr(0, sLine.find('*')); }

// What VB reported for a missing field; the step ends with it.
void SubscriptOutOfRange() { gfReportRunTimeError("Subscript out of range", 9); }

// Every line of a contained file, as ReadLineFromDefFile gives them.
std::optional<std::vector<std::string>> ReadDefFile(const std::string& sName)
{
    if (!gDefFiles)
        return std::nullopt;
    const int h = gDefFiles->OpenDefFile(sName);
    if (h == 0)
        return std::nullopt;
    std::vector<std::string> lines;
    while (!gDefFiles->DefFileAtEof(h))
        lines.push_back(gDefFiles->ReadLineFromDefFile(h));
    gDefFiles->CloseDefFile(h);
    return lines;
}

bool IsLoopStart(std::string_view s) { return s == "LS" || s == "HLS" || s == "ELS" || s == "ESS"; }
bool IsLoopEnd(std::string_view s) { return s == "LE" || s == "HLE" || s == "ELE" || s == "ESE"; }

}  // namespace

const char* gfSchemaElementImage(std::string_view sRequirement)
{
    if (sRequirement == "R" || sRequirement == "M")
        return "de";
    if (sRequirement == "S" || sRequirement == "O")
        return "deoptional";
    if (sRequirement == "N")
        return "denotused";
    if (sRequirement == "X")
        return "derelational";
    return "deunknown";
}

clsTreeS::clsTreeS() = default;

// The flattening files are written only when tracing, and then they stay:
// nothing to delete here.
clsTreeS::~clsTreeS() = default;

// ---- Flattening ---------------------------------------------------------------------------

std::optional<std::vector<std::string>> clsTreeS::Flatten(const std::string& sFile)
{
    mSegmentFiles.clear();
    std::vector<std::string> firstPass;
    if (!FirstPass(sFile, firstPass))
        return std::nullopt;
    Trace(kFirstPassFile, firstPass);
    std::vector<std::string> flattened;
    SecondPass(firstPass, flattened);
    Trace(kFlattenedFile, flattened);
    mSegmentFiles.clear();
    return flattened;
}

bool clsTreeS::FirstPass(const std::string& sFile, std::vector<std::string>& out)
{
    const auto lines = ReadDefFile(sFile);
    if (!lines) {
        gfMsgBox("Could not open definition file:" + sFile, MsgIcon::Critical);
        return false;
    }
    for (const std::string& sRaw : *lines) {
        const std::string_view sLine = gfTrimBlanks(sRaw);
        if (IsComment(sLine))
            continue;
        if (FirstField(sLine) != "???") {
            if (!mbSwitchOff)
                out.emplace_back(sLine);
            continue;
        }
        const std::vector<std::string_view> f = gfSplitFields(sLine);
        // A directive without its name or argument gets "" for it.
        const std::string_view sDirective = f.size() > 1 ? f[1] : std::string_view();
        const std::string sArgument = f.size() > 2 ? std::string(f[2]) : std::string();
        if (sDirective == "FILE")
            Include(sArgument, out);
        else if (sDirective == "PREFIX")
            msPrefix = sArgument;
        else if (sDirective == "OFF")
            mbSwitchOff = true;
        else if (sDirective == "ON")
            mbSwitchOff = false;
        else if (sDirective != "DESCRIPTION")
            gfMsgBox("Unknown directive in DEF file.", MsgIcon::Critical);
    }
    return true;
}

void clsTreeS::Include(const std::string& sName, std::vector<std::string>& out)
{
    const auto lines = ReadDefFile(sName);
    if (!lines) {
        gfMsgBox("Could not open definition file:" + sName, MsgIcon::Critical);
        return;
    }
    // Untrimmed and uninterpreted; the second pass trims and drops comments.
    for (const std::string& sLine : *lines)
        if (!sLine.empty() && sLine[0] != ';')
            out.push_back(sLine);
}

void clsTreeS::SecondPass(const std::vector<std::string>& in, std::vector<std::string>& out)
{
    out.reserve(in.size());
    for (const std::string& sRaw : in) {
        const std::string_view sLine = gfTrimBlanks(sRaw);
        if (IsComment(sLine))
            continue;
        if (FirstField(sLine) == "A??") {
            out.emplace_back(sLine);  // "A??" alone too: the builder reports it
            continue;
        }
        const std::vector<std::string_view> f = gfSplitFields(sLine);
        if (f.size() < 2) {
            // A line of one field has no second field to look at: reported,
            // and the line yields nothing.
            SubscriptOutOfRange();
            continue;
        }
        if (!gfIsNumeric(f[1]))
            Expand(f, out);
        else
            out.emplace_back(sLine);
    }
}

const std::vector<std::string>* clsTreeS::SegmentFile(const std::string& sName)
{
    auto it = mSegmentFiles.find(sName);
    if (it != mSegmentFiles.end())
        return &it->second;
    const auto lines = ReadDefFile(sName);
    if (!lines) {
        gfMsgBox("Could not open " + sName, MsgIcon::Critical);
        return nullptr;  // not remembered: the next reference tries (and reports) again
    }
    std::vector<std::string> kept;
    for (const std::string& sRaw : *lines) {
        std::string sLine(gfTrimBlanks(sRaw));
        if (!IsComment(sLine))
            kept.push_back(std::move(sLine));
    }
    return &mSegmentFiles.emplace(sName, std::move(kept)).first->second;
}

void clsTreeS::Expand(const std::vector<std::string_view>& ref, std::vector<std::string>& out)
{
    const std::string sId(ref[0]);
    const std::string sStandard = sId + ".def";
    const std::string sSpecific = msPrefix + "-" + sId + ".def";
    const std::vector<std::string>* pS = SegmentFile(sStandard);
    if (!pS)
        return;
    const std::vector<std::string>* pD = SegmentFile(sSpecific);
    if (!pD)
        return;
    if (pD->size() > pS->size()) {
        gfMsgBox(std::string("Invalid standard file or document definition file.") + kCrLf + kCrLf +
                     "Standard definition=" + sStandard + kCrLf + "Document definition=" + sSpecific + kCrLf,
                 MsgIcon::Critical);
        return;
    }
    for (std::size_t i = 0; i < pD->size(); ++i) {
        const std::vector<std::string_view> d = gfSplitFields((*pD)[i]);
        const std::vector<std::string_view> s = gfSplitFields((*pS)[i]);
        if (d.size() < 2) {
            SubscriptOutOfRange();  // ends this expansion; the pass goes on
            return;
        }
        std::string sOut;
        if (gfNumericValue(d[1]) == 0) {
            sOut = sId + "*00";
            for (std::size_t k = 1; k < ref.size(); ++k) {
                sOut += '*';
                sOut += ref[k];
            }
        } else {
            if (d.size() < 3 || s.size() < 6) {
                SubscriptOutOfRange();
                return;
            }
            // Element-id, position, requirement from D; type, min, max, description from S.
            for (std::string_view part : {d[0], d[1], d[2], s[2], s[3], s[4], s[5]}) {
                sOut += part;
                sOut += '*';
            }
            sOut.pop_back();
        }
        out.push_back(std::move(sOut));
    }
}

void clsTreeS::Trace(const char* sFile, const std::vector<std::string>& lines)
{
    if (!gConfig || !gConfig->bTrace)
        return;
    try {
        const std::filesystem::path path = std::filesystem::path(gConfig->DataDir) / sFile;
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (!file)
            throw std::filesystem::filesystem_error("cannot write", path,
                                                    std::make_error_code(std::errc::permission_denied));
        for (const std::string& s : lines)
            file << s << kCrLf;
    } catch (const std::exception& e) {
        gfReportRunTimeError(e);
    }
}

// ---- Building ------------------------------------------------------------------------------------

NodeId clsTreeS::Build(clsTree& tree, const std::string& sDocType)
{
    moProgress.Status("Building schema tree...");
    const auto lines = Flatten("doc" + sDocType + ".def");
    if (!lines)
        return {};  // left to the implementer: no definition, no tree
    return Build(tree, sDocType, *lines);
}

NodeId clsTreeS::Build(clsTree& tree, const std::string& sDocType, const std::vector<std::string>& lines)
{
    NodeId root;
    try {
        NodeInit init;
        init.sKey = "K00000";
        init.sText = sDocType;
        const std::string sTag = "ISLS*N00000*C0*R99999*D" + sDocType;
        init.sTag = sTag;
        init.image = tree.InternImage("closed");
        init.expandedImage = tree.InternImage("open");
        init.bExpanded = true;
        root = tree.Add(NodeId{}, Relation::Child, init);
        mnYieldCounter = 0;
        BuildLevels(tree, root, lines);
    } catch (const TreeError& e) {
        gfReportRunTimeError(e);
        return {};
    }
    return root;
}

void clsTreeS::EnterLevel(clsTree& tree, NodeId parent, std::vector<Level>& levels)
{
    levels.push_back({parent, {}});
    ++mnYieldCounter;
    const std::string sI = gfTagGetAttr(tree.Tag(parent), 'I');
    if (sI.empty() || sI[0] != 'S')
        return;
    tree.ScrollIntoView(parent);
    if (mnYieldCounter > 10) {
        mnYieldCounter = 0;
        tree.RequestRepaint();
        for (int i = 0; i < 10; ++i)
            gfUi().ProcessEvents();
    }
    moProgress.Show();
}

void clsTreeS::BuildLevels(clsTree& tree, NodeId root, const std::vector<std::string>& lines)
{
    const ImageId closed = tree.InternImage("closed");
    const ImageId open = tree.InternImage("open");
    const ImageId closedSchema = tree.InternImage("closedschema");
    const ImageId openSchema = tree.InternImage("openschema");

    // The level builder with its recursion unrolled: one entry
    // per open level, each with its own last segment.
    std::vector<Level> levels;
    EnterLevel(tree, root, levels);
    for (const std::string& sRaw : lines) {
        const std::string sLine(gfTrimBlanks(sRaw));
        if (IsComment(sLine))
            continue;
        if (++mnNodeCounter > kMaxSchemaNodes)
            gfSystemIllogic("Too many nodes. nID=" + std::to_string(mnNodeCounter));
        const std::string sNumber = gfSnodeNumberText(mnNodeCounter);
        const std::string sKey = "K" + sNumber;
        const std::vector<std::string_view> f = gfSplitFields(sLine);
        Level& level = levels.back();

        if (f[0] != "A??") {
            const std::string sTag = gfSnodeParseLine(sLine, sNumber);
            if (gfTagGetAttr(sTag, 'I') == "???") {
                gfMsgBox(std::string("Unknown EDI segment:") + kCrLf + kCrLf + sLine, MsgIcon::Critical);
                continue;
            }
            const std::optional<std::int32_t> nZ = gfNumericValue(gfTagGetAttr(sTag, 'Z'));
            if (!nZ)
                continue;
            const std::string sText = gfTagDisplay(sTag);
            NodeInit init;
            init.sKey = sKey;
            init.sText = sText;
            init.sTag = sTag;
            if (*nZ != 0) {
                if (!level.lastSegment) {
                    // Left to the implementer: no segment to hang it on.
                    gfMsgBox(std::string("Data element without a segment:") + kCrLf + kCrLf + sLine, MsgIcon::Critical);
                    continue;
                }
                init.image = tree.InternImage(gfSchemaElementImage(gfTagGetAttr(sTag, 'P')));
                tree.Add(level.lastSegment, Relation::Child, init);
            } else {
                init.image = closed;
                init.expandedImage = open;
                level.lastSegment = tree.Add(level.parent, Relation::Child, init);
            }
            continue;
        }

        const std::string_view sKind = f.size() > 1 ? f[1] : std::string_view();
        if (IsLoopStart(sKind)) {
            const std::string sTag = gfSnodeParseLine(sLine, sNumber);
            const std::string sText = gfTagDisplay(sTag);
            NodeInit init;
            init.sKey = sKey;
            init.sText = sText;
            init.sTag = sTag;
            init.image = closedSchema;
            init.expandedImage = openSchema;
            const NodeId loop = tree.Add(level.parent, Relation::Child, init);
            EnterLevel(tree, loop, levels);
        } else if (IsLoopEnd(sKind)) {
            levels.pop_back();
            if (levels.empty())
                return;  // the root's level has returned: the build is over
        } else {
            gfMsgBox("Unknown segment:" + sLine, MsgIcon::Critical);
        }
    }
}

}  // namespace orr
