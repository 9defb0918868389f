#pragma once
// What the frame asks of a document window: the document commands, typed,
// so that a toolbar button or menu entry reaches only commands the window
// has (the compiler checks it), and each command says whether it can run
// now. The frame enables its buttons from CanRun and refreshes them when
// the window says its state changed.
#include <QMainWindow>
#include <cstddef>

#include "app/clsConfig.h"
#include "doctree/EdiDocument.h"
#include "doctree/RecoveryStore.h"

namespace orr {

// What the frame hands a new document window to open.
struct DocumentOpenArgs {
    std::string sFileName;  // empty for a new document
    SepCode nDelimiter = 42;
    SepCode nSelimiter = 126;
    std::string sDocType;
    EdiDocument::NewContent content = EdiDocument::NewContent::Skeleton;  // a new document's
    QString sKey;              // the window's child key
    // Read from a file rebuilt from a JSON or XML export: the document keeps
    // no file name and counts as changed, so Save asks where to keep it.
    bool bUntitled = false;
    // Unsaved changes recovered after the program ended abnormally, read
    // from the work file sFileName: the document takes the recovered file's
    // name and state and counts as changed.
    const RecoveryStore::Found* pRecovered = nullptr;
};

enum class DocCommand {
    Save,
    SaveAs,
    Print,
    EditData,
    Validate,
    ClearMapping,
    NewChild,
    ToggleEmpty,
    NewSiblingBefore,
    NewSiblingAfter,
    Cut,
    Copy,
    Paste,
    Delete,
    ClearCut,
    MoveDown,
    MoveUp,
    Undo,
    Redo,
    ExpandAll,
    CollapseAll,
    EditSource,
    OpenSameTemplate,
    SwitchView,
    Refresh,
    Close,
    ConvertFormat,
    ExportText,
    ExportXml,
    ExportJson,
    CreateAck,
    SendEmail,
    ConnectEdiServer,
    EditHL,
};
inline constexpr std::size_t kDocCommandCount = std::size_t(DocCommand::EditHL) + 1;

class FrameServices;

class DocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    using QMainWindow::QMainWindow;

    // The frame the window lives in (null: none, or the frame is going).
    virtual void SetFrame(FrameServices* frame) { mFrame = frame; }

    // Reads a file (or makes a new document) into the window; false: discard it.
    virtual bool EdiFileOpen(const DocumentOpenArgs& args) = 0;
    // False for a command that is not possible now (nothing selected, read
    // only, busy) or not part of the program yet.
    virtual bool CanRun(DocCommand command) const = 0;
    // Runs a command when CanRun allows it.
    virtual void Run(DocCommand command) = 0;
    virtual bool IsModified() const = 0;
    // The display settings changed.
    virtual void RepaintForm() = 0;

signals:
    // What CanRun answers may have changed.
    void commandStateChanged();

protected:
    FrameServices* mFrame = nullptr;
};

}  // namespace orr
