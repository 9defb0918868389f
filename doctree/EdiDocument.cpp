#include "doctree/EdiDocument.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "app/modText.h"
#include "doctree/DocumentVerdict.h"
#include "doctree/TreeEquality.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDCheck.h"
#include "doctree/clsTreeDNewTree.h"
#include "doctree/clsTreeDValid.h"
#include "doctree/modNodeD.h"
#include "edi/modDocType.h"
#include "schema/SchemaCache.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"

namespace orr {
namespace {

// A composed type's schema is built again for a file of other groups (the
// groups give its keys); the definitions it is composed of are flattened once
// while the same definitions are loaded.
std::optional<std::vector<std::string>> Flattened(const std::string& sFile)
{
    if (const std::vector<std::string>* kept = gDefFiles ? gDefFiles->Kept(sFile) : nullptr)
        return *kept;
    std::optional<std::vector<std::string>> lines = clsTreeS().Flatten(sFile);
    if (lines && gDefFiles)
        gDefFiles->Keep(sFile, *lines);
    return lines;
}

std::string Reason(const std::string& sError, bool bBlank)
{
    return std::string("I have trouble parsing this file.") + kCrLf + kCrLf + (bBlank ? "Reason: " : "Reason:") +
           sError + kCrLf + kCrLf;
}

// Copies nd with its subtree into target as a new top-level node, in the
// order a read makes nodes. A segment whose elements nobody has looked at
// keeps them in its payload, to be made on first access as after a read.
NodeId CopyTree(const TreeNode& nd, clsTree& target)
{
    clsTree& source = *nd.Tree();
    clsTree::BulkUpdate bulk(target);
    std::vector<std::pair<NodeId, NodeId>> stack{{nd.Id(), NodeId{}}};  // node, parent of its copy
    NodeId top;
    while (!stack.empty()) {
        const auto [from, parent] = stack.back();
        stack.pop_back();
        const bool bPending = source.ChildrenPending(from);
        NodeInit init;
        init.sKey = source.Key(from);
        init.sTag = source.Tag(from);
        init.image = target.InternImage(source.Image(from));
        init.expandedImage = target.InternImage(source.ExpandedImage(from));
        init.bExpanded = source.Expanded(from);
        if (bPending) {
            init.sPayload = *source.Payload(from);
            init.nPayloadHead = source.Text(from).size();
        } else {
            init.sText = source.Text(from);
        }
        const NodeId to = target.Add(parent, Relation::Child, init);
        if (source.BackColor(from) != kWhite)
            target.SetBackColor(to, source.BackColor(from));
        top = top ? top : to;
        if (!bPending)
            for (std::uint32_t n = source.ChildCount(from); n-- > 0;)
                stack.emplace_back(source.Child(from, n), to);
    }
    return top;
}

}  // namespace

// Marks the document busy for a scope, so that nothing enters it while a
// build keeps the interface alive.
class EdiDocument::BusyScope {
public:
    explicit BusyScope(EdiDocument& doc) : mDoc(doc), mbWas(doc.mbBusy)
    {
        mDoc.mbBusy = true;
        if (!mbWas)
            mDoc.NotifyState();
    }
    ~BusyScope()
    {
        mDoc.mbBusy = mbWas;
        if (!mbWas)
            mDoc.NotifyState();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    EdiDocument& mDoc;
    bool mbWas;
};

EdiDocument::EdiDocument()
{
    if (gConfig)
        mSeparators = {gConfig->Delimiter, gConfig->Selimiter};
}

EdiDocument::~EdiDocument() { mHistory.Clear(true); }

void EdiDocument::SetSeparators(SepCode nDelimiter, SepCode nSelimiter) { mSeparators = {nDelimiter, nSelimiter}; }

void EdiDocument::AddListener(DocumentListener* pListener)
{
    if (std::find(mListeners.begin(), mListeners.end(), pListener) == mListeners.end())
        mListeners.push_back(pListener);
}

void EdiDocument::RemoveListener(DocumentListener* pListener)
{
    mListeners.erase(std::remove(mListeners.begin(), mListeners.end(), pListener), mListeners.end());
}

void EdiDocument::NotifyState()
{
    for (DocumentListener* l : std::vector<DocumentListener*>(mListeners))
        l->StateChanged();
}

void EdiDocument::NotifyContent()
{
    for (DocumentListener* l : std::vector<DocumentListener*>(mListeners))
        l->ContentChanged();
}

void EdiDocument::NotifyRebuilt()
{
    for (DocumentListener* l : std::vector<DocumentListener*>(mListeners))
        l->Rebuilt();
    NotifyState();
}

bool EdiDocument::LoadDefinition(const std::string& sType, const std::string& sFile)
{
    const bool bComposed = sType.find('+') != std::string::npos;
    std::optional<Composition> composition;
    if (bComposed)
        composition = GroupsOf(sType, sFile);
    mbFreeForm = gConfig && sType == gConfig->FreeFormDocType;
    // Files of the same kinds of groups compose the same definition: its
    // schema is kept (a batch of a partner's files of several types).
    if (composition && mSchemaRoot && sType == msType && composition->sIdentity == msComposedIdentity)
        return true;
    msType = sType;
    msComposedIdentity.clear();
    mSchema.RemoveAll();
    mIndex = SchemaIndex();
    if (!bComposed) {
        mSchemaRoot = SchemaCache(gConfig ? gConfig->SchemaCacheDir : std::string()).Build(mSchema, sType);
    } else {
        const std::optional<std::vector<std::string>> lines = ComposeDefinition(*composition, sType, sFile);
        mSchemaRoot = lines ? clsTreeS().Build(mSchema, sType, *lines) : NodeId{};
    }
    if (!mSchemaRoot)
        return false;
    if (composition)
        msComposedIdentity = std::move(composition->sIdentity);
    mIndex = SchemaIndex(mSchema, mSchemaRoot);
    return true;
}

TreeNode EdiDocument::BuildSpare(const Build& fnBuild)
{
    BusyScope busy(*this);
    mSpare.RemoveAll();
    mSpare.StartIdsAfter(mTree);
    try {
        if (TreeNode root = fnBuild(mSpare))
            return root;
    } catch (const std::exception& e) {
        gfReportRunTimeError(e);
    }
    mSpare.RemoveAll();
    return {};
}

void EdiDocument::Accept(TreeNode root)
{
    mReadFrom.reset();
    // The edits recorded name nodes of the tree going away.
    mHistory.Clear(!mbModified);
    mCurrent = {};  // views hear of the swap before it returns
    mRoot = root.Id();
    mTree.SwapContents(mSpare);
    mSpare.RemoveAll();
    NotifyRebuilt();
}

bool EdiDocument::Rebuild(const Build& fnBuild)
{
    const TreeNode root = BuildSpare(fnBuild);
    if (!root)
        return false;
    Accept(root);  // root's handle names the spare tree, which is empty after this
    return true;
}

TreeNode EdiDocument::ReadOnce(const std::string& sFile, const std::function<bool()>& fnBeforeMatching)
{
    clsTreeD builder;
    builder.SetDelimiter(mSeparators.nDelimiter);
    builder.SetSelimiter(mSeparators.nSelimiter);
    builder.SetBeforeMatching(fnBeforeMatching);
    const TreeNode root = BuildSpare([&](clsTree& scratch) { return builder.Build(scratch, sFile, mSchema, mIndex); });
    mnBuildError = builder.nError();
    msBuildError = builder.sError();
    mnBuildSegments = builder.SegmentCount();
    mSetKinds = builder.SetKinds();
    mGroups = builder.Groups();
    mbLastUnterminated = root && builder.LastSegmentUnterminated();
    return root;
}

bool EdiDocument::Open(const std::string& sFile, OpenMode mode, const ChooseSeparators& fnChoose)
{
    return OpenWith(sFile, mode, fnChoose, {});
}

bool EdiDocument::OpenAs(const std::string& sType, const std::string& sFile)
{
    bool bLoaded = false;
    const bool bOpen = OpenWith(sFile, OpenMode::Batch, {}, [&] { return bLoaded = LoadDefinition(sType, sFile); });
    return bOpen && bLoaded;
}

bool EdiDocument::OpenWith(const std::string& sFile, OpenMode mode, const ChooseSeparators& fnChoose,
                           const std::function<bool()>& fnBeforeMatching)
{
    const bool bNewWindow = mode == OpenMode::NewWindow;
    struct SpareGuard {
        clsTree& spare;
        ~SpareGuard() { spare.RemoveAll(); }  // an attempt not accepted
    } guard{mSpare};
    for (int nAttempt = 1;; ++nAttempt) {
        // Nothing is replaced until a read is accepted, so a failed open
        // leaves the document as it was.
        const std::optional<DiskStamp> stamp = StampOf(sFile);
        const TreeNode root = ReadOnce(sFile, nAttempt == 1 ? fnBeforeMatching : std::function<bool()>());
        if (!root)
            return false;
        // The file as it was read, once this read is the document.
        const auto accept = [&](bool bReadOnly) {
            mDiskStamp = stamp;
            mbReadOnly = bReadOnly;
            mLineEndRead = clsTreeDSave::LineEndOf(sFile, mSeparators.nSelimiter);
            Accept(root);
            if (mnBuildError == clsTreeD::kOk)
                mReadFrom = stamp;
            SayWhenNoInterchange();
            return true;
        };
        if (mnBuildError == clsTreeD::kOk || mode == OpenMode::Batch)
            return accept(false);
        if (nAttempt >= kMaxAttempts) {
            if (bNewWindow)
                gfMsgBox(std::string("If you have problem opening a valid EDI file, make sure the") + kCrLf +
                             "segment separator and data element separator are set up correctly." + kCrLf + kCrLf +
                             "You can set the segment and data element separators in View/Option Menu.",
                         MsgIcon::Information);
            return false;
        }
        if (mnBuildError == clsTreeD::kNoSegment) {
            if (gfMsgBox(Reason(msBuildError, bNewWindow) + "Do you want to select a different delimiters ?",
                         MsgIcon::None, MsgButtons::YesNo) != MsgAnswer::Yes)
                return false;
            const std::optional<SeparatorPair> chosen = fnChoose ? fnChoose() : std::nullopt;
            if (!chosen)
                return false;
            mSeparators = *chosen;
            gfMsgBox(std::string("The new separators apply to this document only.") + kCrLf + kCrLf +
                         "If you want to apply these settings to all documents," + kCrLf +
                         "use View/Option Menu to change the editor settings.",
                     MsgIcon::Information);
            continue;
        }
        if (!bNewWindow) {
            gfMsgBox(Reason(msBuildError, true) + "This document is opened for read only." + kCrLf +
                         "Open this file as a Free Form to modify it.",
                     MsgIcon::Information);
            return accept(true);
        }
        if (gfMsgBox(Reason(msBuildError, true) + "Do you want to open this file as a Free Form document ?",
                     MsgIcon::None, MsgButtons::YesNo) != MsgAnswer::Yes) {
            gfMsgBox(std::string("File is opened for read only.") + kCrLf + "Open this file as a Free Form to modify it.",
                     MsgIcon::Information);
            return accept(true);
        }
        if (!LoadDefinition(gConfig->FreeFormDocType))
            return false;
    }
}

EdiDocument::Composition EdiDocument::GroupsOf(const std::string& sType, const std::string& sFile) const
{
    // Which values of GS08 (or GS01) belong to which definition is the file's to say.
    const std::vector<GroupKind> groups = gfScanGroups(sFile, mSeparators.nDelimiter, mSeparators.nSelimiter);
    const std::vector<std::string> groupTypes = gfGroupTypes(groups, gfLoadedDocTypes(), gConfig->FreeFormDocType);
    Composition c;
    c.nKey = gfGroupKeyElement(groups, groupTypes);
    // The same definitions, type, key element and keys compose the same lines.
    c.sIdentity = std::to_string(clsDefFiles::Generation()) + ' ' + sType + ' ' + std::to_string(c.nKey);
    for (std::size_t nFrom = 0; nFrom <= sType.size();) {
        const std::size_t nEnd = std::min(sType.find('+', nFrom), sType.size());
        MixedPart& part = c.parts.emplace_back();
        part.sType = sType.substr(nFrom, nEnd - nFrom);
        nFrom = nEnd + 1;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (groupTypes[i] != part.sType || groups[i].sets.empty())
                continue;
            const std::string& sKey = part.keys.emplace_back(c.nKey == 8 ? groups[i].sGs08 : groups[i].sGs01);
            c.sIdentity += ' ' + std::to_string(sKey.size()) + ':' + sKey;
        }
        c.sIdentity += ';';
    }
    return c;
}

std::optional<std::vector<std::string>> EdiDocument::ComposeDefinition(Composition& c, const std::string& sType,
                                                                       const std::string& sFile)
{
    const auto notFit = [&] {
        gfMsgBox("The groups of " + sFile + " do not fit the definitions " + sType + ".", MsgIcon::Information);
        return std::nullopt;
    };
    if (!c.nKey || std::any_of(c.parts.begin(), c.parts.end(), [](const MixedPart& p) { return p.keys.empty(); }))
        return notFit();
    for (MixedPart& part : c.parts) {
        std::optional<std::vector<std::string>> lines = Flattened("doc" + part.sType + ".def");
        if (!lines)
            return std::nullopt;
        part.lines = std::move(*lines);
    }
    std::optional<std::vector<std::string>> lines = gfComposeMixedDefinition(c.parts, c.nKey);
    return lines ? lines : notFit();
}

void EdiDocument::SayWhenNoInterchange()
{
    // A group or set without its interchange opens, but a trading partner
    // would not take it as it is.
    const TreeNode ndFirst = Root().FirstChild();
    const char cKind = ndFirst ? gfDnodeType(ndFirst) : 0;
    if (cKind == 'F' || cKind == 'T')
        gfMsgBox(std::string("The file has no ISA segment; it starts with ") + (cKind == 'F' ? "GS" : "ST") + ".",
                 MsgIcon::Information);
}

bool EdiDocument::New(const std::string& sType, NewContent content)
{
    if (!LoadDefinition(sType))
        return false;
    const bool bMade = Rebuild([&](clsTree& scratch) {
        const TreeNode ndRoot = scratch.Node(scratch.Add(NodeId{}, Relation::Child, "", "New", "closed", "open"));
        ndRoot.SetTag(gfDnodeNewTag("D", "", "0"));
        if (content == NewContent::Empty)
            return ndRoot;
        clsTreeDNewTree builder;
        builder.SetDelimiter(mSeparators.nDelimiter);
        return builder.Build(scratch, ndRoot, SchemaRoot()) ? ndRoot : TreeNode();
    });
    if (!bMade)
        gfMsgBox("Failed to open new document.", MsgIcon::Information);
    return bMade;
}

bool EdiDocument::CopyFrom(EdiDocument& other)
{
    if (other.msType != msType || !other.HasRoot())
        return false;
    SetModified(false);  // first: the history's saved point is the copy
    mSeparators = other.mSeparators;
    mbReadOnly = other.mbReadOnly;
    mbFreeForm = other.mbFreeForm;
    mnBuildError = other.mnBuildError;
    msBuildError = other.msBuildError;
    mnBuildSegments = other.mnBuildSegments;
    msFileName = other.msFileName;
    mDiskStamp = other.mDiskStamp;
    return Rebuild([&](clsTree& scratch) {
        clsTreeD::InstallElementMaterialiser(scratch, mSeparators.nDelimiter);
        return scratch.Node(CopyTree(other.Root(), scratch));
    });
}

std::optional<EdiDocument::DiskStamp> EdiDocument::StampOf(const std::string& sFile)
{
    std::error_code ec;
    const auto mtime = std::filesystem::last_write_time(sFile, ec);
    const auto nSize = ec ? 0 : std::filesystem::file_size(sFile, ec);
    if (ec)
        return std::nullopt;
    return DiskStamp{sFile, mtime, nSize};
}

bool EdiDocument::ConfirmOverwrite(const std::string& sFile) const
{
    if (!mDiskStamp || mDiskStamp->sFile != sFile)
        return true;
    const std::optional<DiskStamp> now = StampOf(sFile);
    if (!now || (now->mtime == mDiskStamp->mtime && now->nSize == mDiskStamp->nSize))
        return true;
    return gfMsgBox("File: " + sFile + kCrLf + "has been changed by another program since it was opened." + kCrLf +
                        kCrLf + "Overwrite it ?",
                    MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes;
}

bool EdiDocument::SaveTo(const std::string& sFile, const SaveFileOps& ops)
{
    if (!ConfirmOverwrite(sFile))
        return false;
    bool bChanged = mbModified;
    const bool bSaved =
        gfWriteToFile(sFile, Root(), mSeparators.nDelimiter, mSeparators.nSelimiter, bChanged, ops);
    if (bSaved) {
        mbLastUnterminated = false;
        mHistory.MarkSaved();
        mDiskStamp = StampOf(sFile);
    }
    SetModified(bChanged);
    return bSaved;
}

bool EdiDocument::Validate(ValidateMode mode, std::size_t nLimit)
{
    BusyScope busy(*this);
    clsTreeDValid validation;
    std::ifstream work;
    if (!validation.WriteWork(Root(), mSeparators.nDelimiter, mSeparators.nSelimiter, mLineEndRead, work))
        return false;
    // An unchanged reading of a file that the writer gives back byte for
    // byte would read back as the very tree it is: the verdict stands.
    const bool bAsRead = mReadFrom && mReadFrom == StampOf(msFileName) && validation.WorkIs(msFileName, work);
    std::optional<clsTreeDValid::Verdict> verdict;
    if (bAsRead) {
        verdict = clsTreeDValid::Verdict{mnBuildError == clsTreeD::kOk, mnBuildError, msBuildError, Root()};
    } else {
        // Read back beside the tree, which stays with its history until the two are compared.
        mSpare.RemoveAll();
        mSpare.StartIdsAfter(mTree);
        verdict = validation.Rebuild(work, mSpare, mSchema, mIndex, mSeparators.nDelimiter, mSeparators.nSelimiter);
        if (!verdict)
            return false;  // the document stays as it was; the kept work file was named
        mnBuildError = verdict->nError;
        msBuildError = verdict->sError;
        TakeValidated(verdict->ndRoot.Id());
    }
    for (DocumentListener* l : std::vector<DocumentListener*>(mListeners))
        l->ReadBack();
    mFindings.clear();
    mbFindingsTruncated = false;
    if (mode == ValidateMode::RoundTrip) {
        validation.ShowVerdict(*verdict);
        return true;
    }
    clsTreeDCheck check(nLimit);
    mFindings = check.Check(*this);
    mbFindingsTruncated = check.Truncated();
    // Lines come from the file, which only says something about a tree read from it unchanged.
    // A changed document read with a segment a line is numbered as it will be written.
    if (!mbModified && !msFileName.empty())
        clsTreeDCheck::LocateLines(mFindings, msFileName, mSeparators.nDelimiter, mSeparators.nSelimiter);
    else if (mLineEndRead != clsTreeDSave::LineEnd::None)
        for (EdiFinding& f : mFindings)
            f.nLine = f.nOrdinal;
    gfMsgBox(DocumentVerdict::Of(verdict->bValid, mFindings).Text(), MsgIcon::Information);
    return true;
}

void EdiDocument::TakeValidated(NodeId root)
{
    mSpare.SetText(root, msFileName.empty() ? std::string("New") : msFileName);
    if (TreeEquality::Equal(mTree, mRoot, mSpare, root)) {
        // The usual case: the tree and its history stay.
        mSpare.RemoveAll();
        return;
    }
    // What the writer changed is one step that undo takes back.
    TreeEdit edit(mTree, "Validation");
    edit.selectBefore = mCurrent;
    auto other = std::make_unique<clsTree>();
    other->SwapContents(mSpare);
    mCurrent = {};  // views hear of the swap before it returns
    mRoot = root;
    edit.SwapTree(std::move(other));
    mHistory.Push(std::move(edit));
    NotifyRebuilt();
    SetModified(!mHistory.AtSaved());
    NotifyContent();
}

void EdiDocument::ClearMapping()
{
    try {
        clsTreeDValid().ClearMapping(Root());
    } catch (const std::exception& e) {
        gfReportRunTimeError(e);
    }
}

void EdiDocument::SetFileName(const std::string& sFile, bool bRootText)
{
    msFileName = sFile;
    if (bRootText && mTree.IsValid(mRoot))
        mTree.SetText(mRoot, sFile.empty() ? std::string("New") : sFile);
    NotifyState();
}

void EdiDocument::SetModified(bool bModified)
{
    if (mbModified == bModified)
        return;
    mbModified = bModified;
    NotifyState();
}

void EdiDocument::MarkChanged()
{
    mReadFrom.reset();
    SetModified(true);
    NotifyContent();
}

void EdiDocument::SetCurrent(NodeId node)
{
    if (node && (!mTree.IsValid(node) || mTree.IsDetached(node)))
        node = {};
    if (node == mCurrent)
        return;
    mCurrent = node;
    for (DocumentListener* l : std::vector<DocumentListener*>(mListeners))
        l->CurrentChanged(node);
}

NodeId EdiDocument::SchemaNodeOf(NodeId node)
{
    TreeNode nd = mTree.Node(node);
    if (!nd)
        return {};
    if (gfDnodeType(nd) == 'E')
        nd = nd.Parent();
    return mSchema.FindKey(gfDnodeSchemaKey(nd));
}

NodeId EdiDocument::SchemaElementOf(NodeId node)
{
    const TreeNode nd = mTree.Node(node);
    if (!nd || gfDnodeType(nd) != 'E')
        return {};
    const NodeId segment = SchemaNodeOf(node);
    if (!segment || mSchema.Key(segment) == "K00000")
        return {};
    // Definitions may skip positions: the element is the child with its number.
    const int nPos = std::atoi(nd.Tag().substr(1, 2).c_str());
    const SchemaIx ixSegment = mIndex.Of(segment);
    if (!ixSegment)
        return {};
    for (SchemaIx ix = mIndex[ixSegment].first; ix; ix = mIndex[ix].next)
        if (mIndex[ix].nZ == nPos)
            return mIndex[ix].node;
    return {};
}

void EdiDocument::Commit(TreeEdit edit)
{
    if (edit.Empty())
        return;
    mReadFrom.reset();  // view-only edits too: placeholders are nodes the reading has not
    const NodeId select = edit.selectAfter;
    const bool bViewOnly = edit.ViewOnly();
    mHistory.Push(std::move(edit));
    if (!bViewOnly) {
        SetModified(true);
        NotifyContent();
    }
    if (select)
        SetCurrent(select);
    NotifyState();
}

void EdiDocument::AfterHistoryStep(const TreeEdit* pEdit, bool bUndo)
{
    if (!pEdit)
        return;
    mReadFrom.reset();
    if (pEdit->SwapsTree()) {
        // The other tree is back: its root, and views that start over.
        mRoot = mTree.Child(NodeId{}, 0);
        mCurrent = {};
        mFindings.clear();
        NotifyRebuilt();
    }
    SetCurrent(bUndo ? pEdit->selectBefore : pEdit->selectAfter);
    if (!mCurrent || !mTree.IsValid(mCurrent))
        SetCurrent(mRoot);
    SetModified(!mHistory.AtSaved());
    if (!pEdit->ViewOnly())
        NotifyContent();
    NotifyState();
}

void EdiDocument::Undo() { AfterHistoryStep(mHistory.Undo(), true); }

void EdiDocument::Redo() { AfterHistoryStep(mHistory.Redo(), false); }

}  // namespace orr
