#pragma once
// One open EDI document: its tree, the schema tree it is matched against
// with the schema's compiled index, its separators and file, the modified,
// read-only and free-form flags, the current node and the undo history. It
// opens (with the retry dialogue of a document window), saves, validates and
// clears the mapping. The document window is a view over it; the
// command-line tool uses it too.
//
// An open and a new document build into a spare tree that is swapped in
// when the build succeeded, so a failed read leaves the document as it was;
// validation instead rebuilds in place, in the tree's own memory (Validate).
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/clsConfig.h"
#include "doctree/UndoHistory.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/modSaveFile.h"
#include "edi/EdiFinding.h"
#include "edi/modDocType.h"
#include "edi/modGuessEdi.h"
#include "schema/MixedDefinition.h"
#include "schema/SchemaIndex.h"
#include "store/TreeNode.h"
#include "store/clsTree.h"

namespace orr {

// What a view of the document hears about it; the tree's own changes come
// through the tree's observers.
class DocumentListener {
public:
    virtual ~DocumentListener() = default;
    virtual void CurrentChanged(NodeId node) {}
    virtual void StateChanged() {}  // modified, read-only, busy, file name, history
    // The tree was replaced (opened, reopened, validated): views start over.
    virtual void Rebuilt() {}
    // Validation read the document back (its tree kept or replaced); the verdict shows next.
    virtual void ReadBack() {}
    // The document's content changed: an edit, an undo or redo, or a change
    // marked by hand (MarkChanged).
    virtual void ContentChanged() {}
};

class EdiDocument {
public:
    // The user's choice of separators after a failed read; nullopt: cancelled.
    using ChooseSeparators = std::function<std::optional<SeparatorPair>()>;
    enum class OpenMode {
        NewWindow,     // a window being opened: may fall back to the free-form definition
        SameTemplate,  // another file into an open window: never changes the definition
        Batch,         // one plain build, no questions (the command line)
    };
    static constexpr int kMaxAttempts = 3;
    // The file as this document last read or wrote it, to notice changes
    // made by other programs before it is overwritten.
    struct DiskStamp {
        std::string sFile;
        std::filesystem::file_time_type mtime{};
        std::uintmax_t nSize = 0;
        bool operator==(const DiskStamp&) const = default;
    };

    EdiDocument();
    ~EdiDocument();
    EdiDocument(const EdiDocument&) = delete;
    EdiDocument& operator=(const EdiDocument&) = delete;

    // ---- what it holds ----------------------------------------------------------------
    clsTree& Tree() { return mTree; }
    clsTree& SchemaTree() { return mSchema; }
    const SchemaIndex& Index() const { return mIndex; }
    TreeNode Root() { return mTree.Node(mRoot); }
    bool HasRoot() const { return mTree.IsValid(mRoot); }
    TreeNode SchemaRoot() { return mSchema.Node(mSchemaRoot); }
    const std::string& Type() const { return msType; }
    const std::string& FileName() const { return msFileName; }
    SepCode Delimiter() const { return mSeparators.nDelimiter; }
    SepCode Selimiter() const { return mSeparators.nSelimiter; }
    void SetSeparators(SepCode nDelimiter, SepCode nSelimiter);
    bool Modified() const { return mbModified; }
    bool ReadOnly() const { return mbReadOnly; }
    // Edited by the free-form rules rather than the schema's: set when a
    // definition is loaded (the free-form one), or by EditFreely.
    bool FreeForm() const { return mbFreeForm; }
    // True while a build runs: nothing may enter the document then.
    bool Busy() const { return mbBusy; }
    // The builder's verdict of the last read or validation.
    std::int16_t BuildError() const { return mnBuildError; }
    const std::string& BuildErrorText() const { return msBuildError; }
    std::size_t BuildSegments() const { return mnBuildSegments; }
    // The kinds of transaction sets and the groups the last read met (clsTreeD::SetKinds, Groups).
    const std::vector<TransactionSetKind>& SetKinds() const { return mSetKinds; }
    const std::vector<GroupKind>& Groups() const { return mGroups; }
    // The file as read ends with a segment without its terminator (until a
    // save writes one).
    bool LastSegmentUnterminated() const { return mbLastUnterminated; }
    // What followed the segment terminators in the file as read.
    clsTreeDSave::LineEnd LineEndRead() const { return mLineEndRead; }

    void AddListener(DocumentListener* pListener);
    void RemoveListener(DocumentListener* pListener);

    // ---- reading and writing ------------------------------------------------------------
    // Builds the schema tree of a definition and compiles its index. False
    // when the definition cannot be opened (reported by the schema builder).
    // A composed type ("850+810", as the automatic choice names a file whose
    // groups follow different definitions) takes the values that tell its
    // groups apart from sFile, read with the document's separators.
    bool LoadDefinition(const std::string& sType, const std::string& sFile = {});
    // Edits with the free-form rules whatever the definition (the command
    // line's --free-form); until the next definition is loaded.
    void EditFreely() { mbFreeForm = true; }
    // Reads a file with the document's separators (see OpenMode). False: the
    // caller gives up; the document is then as it was before.
    bool Open(const std::string& sFile, OpenMode mode, const ChooseSeparators& fnChoose = {});
    // LoadDefinition(sType, sFile) and Open(sFile, OpenMode::Batch) in one:
    // the definition is loaded while the file is being cut on another
    // thread. False when either fails (the definition is not loaded when the
    // file cannot be read).
    bool OpenAs(const std::string& sType, const std::string& sFile);
    // A new document of type sType, with the document's separators: a root
    // "New" with the interchange its schema prescribes, or alone. False when
    // the definition cannot be opened or the content cannot be made (both
    // reported).
    enum class NewContent { Skeleton, Empty };
    bool New(const std::string& sType, NewContent content);
    // Becomes a copy of other as other was read (tree, separators, file
    // name, verdict, read-only flag), without reading or building the
    // definition again: nothing to undo, unmodified. For running many edit
    // sequences from one read. False when the definitions differ.
    bool CopyFrom(EdiDocument& other);
    // Saves to sFile through the save path with its backup; the modified
    // flag follows the result. The file name is not changed. When another
    // program changed the file since this document read or wrote it, the
    // user is asked first; No saves nothing and returns false.
    bool SaveTo(const std::string& sFile, const SaveFileOps& ops = {});
    // The round trip: the document written to the work file and read back;
    // "Document is valid." or "Document failed validation.". A tree read
    // back equal to the document's is dropped (the tree and its undo history
    // stay); a different one replaces it as one undo step, "Validation".
    // When the work file cannot be written ("Disk IO failed.") or read back,
    // nothing else happens. True when the document was read back.
    // WithElementCheck also checks every value of the rebuilt tree (the
    // findings are kept) and the one message follows DocumentVerdict.
    // At most nLimit findings are kept (0: all).
    enum class ValidateMode { RoundTrip, WithElementCheck };
    static constexpr std::size_t kFindingsLimit = 100000;
    bool Validate(ValidateMode mode = ValidateMode::RoundTrip, std::size_t nLimit = kFindingsLimit);
    // The findings of the last validation with the element check
    // (FindingsTruncated: there were more than the limit); lines located
    // while the document is as its file has it.
    const EdiFindings& Findings() const { return mFindings; }
    bool FindingsTruncated() const { return mbFindingsTruncated; }
    // Removes every schema link of the tree.
    void ClearMapping();

    // The file name; bRootText also shows it as the root's text ("New" for none).
    void SetFileName(const std::string& sFile, bool bRootText = true);
    void SetModified(bool bModified);
    // Marks the document modified after a change made outside Commit.
    void MarkChanged();
    const std::optional<DiskStamp>& DiskState() const { return mDiskStamp; }
    // A recovered document takes the file's state its unsaved changes were made on.
    void SetDiskState(std::optional<DiskStamp> stamp) { mDiskStamp = std::move(stamp); }

    // ---- the current node: the one selection every view mirrors --------------------------
    NodeId Current() const { return mCurrent; }
    void SetCurrent(NodeId node);
    // The schema node a document node is linked to (an element: its
    // segment's), and for an element, the schema element at its position.
    NodeId SchemaNodeOf(NodeId node);
    NodeId SchemaElementOf(NodeId node);

    // ---- editing ------------------------------------------------------------------------------
    // Records an edit already made (one undo step) and marks the document
    // modified unless the edit is view-only.
    void Commit(TreeEdit edit);
    bool CanUndo() const { return mHistory.CanUndo(); }
    bool CanRedo() const { return mHistory.CanRedo(); }
    void Undo();
    void Redo();

private:
    class BusyScope;
    using Build = std::function<TreeNode(clsTree& scratch)>;
    // Runs a build into the spare tree; a run-time failure is reported and
    // gives no root. Accept swaps a built spare tree in.
    TreeNode BuildSpare(const Build& fnBuild);
    void Accept(TreeNode root);
    bool Rebuild(const Build& fnBuild);
    // Open, with fnBeforeMatching for the first read.
    bool OpenWith(const std::string& sFile, OpenMode mode, const ChooseSeparators& fnChoose,
                  const std::function<bool()>& fnBeforeMatching);
    // fnBeforeMatching: see clsTreeD::SetBeforeMatching.
    TreeNode ReadOnce(const std::string& sFile, const std::function<bool()>& fnBeforeMatching = {});
    void AfterHistoryStep(const TreeEdit* pEdit, bool bUndo);
    // The tree read back by a validation (root in the spare tree): kept
    // aside when it equals the document's, else swapped in as one undo step.
    void TakeValidated(NodeId root);
    void SayWhenNoInterchange();
    // A composed type's parts with the key values of sFile's groups that
    // belong to each (their lines not read yet), and what tells its schema
    // apart from another's.
    struct Composition {
        std::vector<MixedPart> parts;
        int nKey = 0;  // the GS element that tells the groups apart
        std::string sIdentity;
    };
    Composition GroupsOf(const std::string& sType, const std::string& sFile) const;
    // The definition lines of the composition; nothing (and a message) when
    // the groups do not fit.
    static std::optional<std::vector<std::string>> ComposeDefinition(Composition& c, const std::string& sType,
                                                                     const std::string& sFile);
    static std::optional<DiskStamp> StampOf(const std::string& sFile);
    bool ConfirmOverwrite(const std::string& sFile) const;
    void NotifyState();
    void NotifyRebuilt();
    void NotifyContent();

    clsTree mTree, mSchema;
    clsTree mSpare;  // the next scratch tree; keeps its memory between rebuilds
    SchemaIndex mIndex;
    NodeId mRoot, mSchemaRoot, mCurrent;
    std::string msType, msFileName;
    std::string msComposedIdentity;  // Composition::sIdentity of the schema, when composed
    SeparatorPair mSeparators;
    bool mbModified = false, mbReadOnly = false, mbBusy = false, mbFreeForm = false;
    std::int16_t mnBuildError = 0;
    std::string msBuildError;
    std::size_t mnBuildSegments = 0;
    std::vector<TransactionSetKind> mSetKinds;
    std::vector<GroupKind> mGroups;
    bool mbLastUnterminated = false;
    clsTreeDSave::LineEnd mLineEndRead = clsTreeDSave::LineEnd::None;
    EdiFindings mFindings;
    bool mbFindingsTruncated = false;
    UndoHistory mHistory;
    std::vector<DocumentListener*> mListeners;
    std::optional<DiskStamp> mDiskStamp;
    // The file the tree is an unchanged, error-free reading of, as it was
    // read: validation need not read it again when the writer gives back
    // the same bytes. None once any edit touched the tree.
    std::optional<DiskStamp> mReadFrom;
};

}  // namespace orr
