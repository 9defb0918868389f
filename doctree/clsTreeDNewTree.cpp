#include "doctree/clsTreeDNewTree.h"

#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "doctree/modNodeD.h"
#include "doctree/clsTreeDNewDEs.h"
#include "schema/modNodeS.h"

namespace orr {
namespace {

bool IsEnvelopeCode(const std::string& s)
{
    return s == "ISA" || s == "IEA" || s == "GS" || s == "GE" || s == "ST" || s == "SE";
}

// gfSnodeRequired without its end of the program for a system loop that has
// no children: such a loop counts as optional.
bool Required(TreeNode nd)
{
    std::string sType, sCode;
    for (gfSnodeType(nd, sType, sCode); sType == "S"; gfSnodeType(nd, sType, sCode)) {
        nd = nd.FirstChild();
        if (!nd)
            return false;
    }
    return gfSnodeRequired(nd);
}

}  // namespace

clsTreeDNewTree::clsTreeDNewTree(clsEdiDoc::LocalClock clock)
    : mClock(std::move(clock)), mnDelimiter(gConfig ? gConfig->Delimiter : SepCode('*'))
{
}

TreeNode clsTreeDNewTree::AddNode(clsTree& docTree, const TreeNode& ndParent, const TreeNode& ndSchema,
                                  std::string_view sText, std::string_view sTag, std::string_view sImage,
                                  std::string_view sExpandedImage)
{
    // Linked as it is made: a tag set afterwards would intern a second one.
    const std::string sLinked = gfDnodeTagWithLink(sTag, gfSnodeFQN(ndSchema));
    NodeInit init;
    init.sText = sText;
    init.sTag = sLinked;
    init.image = docTree.InternImage(sImage);
    init.expandedImage = docTree.InternImage(sExpandedImage);
    return docTree.Node(docTree.Add(ndParent.Id(), Relation::Child, init));
}

std::string clsTreeDNewTree::EnvelopeSegment(const std::string& sCode) const
{
    // A fresh writer for every segment, numbered from the user's settings so
    // that new documents carry the configured control numbers.
    clsEdiDoc doc(mClock);
    doc.SetDelimiter(mnDelimiter);
    doc.IsaControlNumber = gConfig->IsaIcNumber;
    if (gConfig->GsControlNumber > 0)
        doc.SetGroupControlNumber(gConfig->GsControlNumber);
    if (sCode == "ISA")
        return doc.ISA();
    if (sCode == "IEA")
        return doc.IEA();
    if (sCode == "GS")
        return doc.GS("");
    if (sCode == "GE")
        return doc.GE();
    if (sCode == "ST")
        return doc.ST("");
    if (sCode == "SE")
        return doc.SE();
    return {};
}

void clsTreeDNewTree::AddEnvelopeElements(clsTree& docTree, const TreeNode& ndSegment,
                                          const std::string& sSegment) const
{
    const ImageId imgDde = docTree.InternImage("dde");
    const char cDelimiter = char(mnDelimiter);
    std::size_t nPosition = 0;
    for (std::size_t pos = sSegment.find(cDelimiter); pos != std::string::npos;) {
        const std::size_t begin = pos + 1;
        pos = sSegment.find(cDelimiter, begin);
        const std::string sTag = gfDnodeElementTag(++nPosition);
        NodeInit init;
        init.sText = std::string_view(sSegment).substr(begin, pos == std::string::npos ? pos : pos - begin);
        init.sTag = sTag;
        init.image = imgDde;
        docTree.Add(ndSegment.Id(), Relation::Child, init);
    }
}

bool clsTreeDNewTree::BuildTree(clsTree& docTree, const TreeNode& ndDoc, const TreeNode& ndSchema)
{
    for (TreeNode ndChild = ndSchema.FirstChild(); ndChild; ndChild = ndChild.Next()) {
        std::string sType, sCode;
        gfSnodeType(ndChild, sType, sCode);
        if (sType == "R") {
            const std::string sTag = gfDnodeNewTag("S", sCode, "0");
            if (IsEnvelopeCode(sCode)) {
                const TreeNode nd = AddNode(docTree, ndDoc, ndChild, sCode, sTag, "closed", "open");
                AddEnvelopeElements(docTree, nd, EnvelopeSegment(sCode));
            } else if (Required(ndChild)) {
                const TreeNode nd = AddNode(docTree, ndDoc, ndChild, sCode, sTag, "closed", "open");
                clsTreeDNewDEs().AddDEs(docTree, nd, ndChild);
            } else {
                AddNode(docTree, ndDoc, ndChild, sCode, sTag, "nullsegment", "nullsegment");
            }
        } else if (sType == "S" && sCode == "LS") {
            const std::string sLevel = gfSnodeGetAttr(ndChild, 'L');
            const char* sKind = sLevel == "0001" ? "X" : sLevel == "0002" ? "F" : sLevel == "0003" ? "T" : nullptr;
            // The group's GS is optional (an interchange may hold only TA1
            // segments), yet a new document always gets its envelope.
            if (!sKind && !Required(ndChild))
                continue;
            const std::string sTag = sKind ? gfDnodeNewTag(sKind, "", "0") : gfDnodeNewTag("Z", "LS", "0");
            const TreeNode nd =
                AddNode(docTree, ndDoc, ndChild, gfSnodeGetAttr(ndChild, 'D'), sTag, "closeddata", "opendata");
            if (!BuildTree(docTree, nd, ndChild))
                return false;
        } else if (sType == "S" && (sCode == "HLS" || sCode == "ELS" || sCode == "ESS")) {
            AddNode(docTree, ndDoc, ndChild, gfSnodeGetAttr(ndChild, 'D'), gfDnodeNewTag("Z", sCode, "0"),
                    "closednull", "closednull");
        } else if (sType == "S") {
            gfIllogic("Unknown schema node subtype:" + sCode);
            return false;
        } else {
            gfIllogic("Unknown schema node:" + sType);
            return false;
        }
    }
    return true;
}

bool clsTreeDNewTree::Build(clsTree& docTree, const TreeNode& ndDoc, const TreeNode& ndSchema)
{
    const bool bBuilt = BuildTree(docTree, ndDoc, ndSchema);
    const TreeNode ndFirst = ndDoc.FirstChild();
    if (!ndFirst) {
        gfIllogic("clsTreeDNewTree.Build ndRootD.child is nothing");
        return bBuilt;
    }
    std::string sType, sCode;
    gfSnodeType(ndSchema, sType, sCode);
    if (sType == "S" && sCode == "LS" && gfDnodeType(ndFirst) == 'S' && !docTree.HasChildren(ndFirst.Id()))
        clsTreeDNewDEs().AddDEs(docTree, ndFirst, ndSchema.FirstChild());
    return bBuilt;
}

}  // namespace orr
