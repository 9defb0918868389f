#include "shell/frmDocument.h"

#include <algorithm>
#include <cstdio>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QShowEvent>

#include "app/UiService.h"
#include "app/clsProgress.h"
#include "app/modGlobals.h"
#include "app/modRecent.h"
#include "doctree/JsonExport.h"
#include "doctree/XmlExport.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/modNodeD.h"
#include "shell/DocumentMenus.h"
#include "shell/FindBar.h"
#include "shell/FindingsDock.h"
#include "shell/FrameServices.h"
#include "shell/SegmentDetailPanel.h"
#include "shell/FormRegistry.h"
#include "shell/LabelEditDelegate.h"
#include "shell/OrrApplication.h"
#include "shell/TreeModel.h"
#include "shell/frm2ndChance.h"
#include "shell/frmExportText.h"
#include "shell/frmFA.h"
#include "shell/frmHL.h"
#include "shell/frmMail.h"
#include "shell/frmMain.h"
#include "shell/frmPrintView.h"
#include "shell/frmToolEdi.h"
#include "shell/modFrmDocFile.h"
#include "shell/modShellMain.h"
#include "shell/modTool.h"

namespace orr {
namespace {

// The export and conversion dialogs, given the document they write.
template <typename Dialog>
void ShowWithRoot(QWidget* pOwner, const TreeNode& ndRoot)
{
    Dialog dlg(pOwner);
    dlg.SetRoot(ndRoot);
    dlg.exec();
}

}  // namespace

frmDocument::frmDocument(const QString& sKey, QWidget* parent) : DocumentWindow(parent), msKey(sKey)
{
    setObjectName(QStringLiteral("frmDocument"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Command states are worked out once after each change, when first asked.
    connect(this, &DocumentWindow::commandStateChanged, this, [this] { mStates.reset(); });
    mPane = new DocumentTreePane(mDoc, this);
    picSplitter = mPane;
    tvc = mPane->DocView();
    tvS = mPane->SchemaView();
    mDocModel = mPane->DocModel();
    mSchemaModel = mPane->SchemaModel();
    setCentralWidget(mPane);
    mFindings = new FindingsDock(mDoc, mDocModel, this);
    addDockWidget(Qt::BottomDockWidgetArea, mFindings);
    mDetail = new SegmentDetailPanel(mDoc, this);
    addDockWidget(Qt::BottomDockWidgetArea, mDetail);
    mFindBar = new FindBar(mDoc, this);
    addToolBar(Qt::BottomToolBarArea, mFindBar);

    connect(mPane, &DocumentTreePane::rowChosen, this, &frmDocument::NodeClick);
    // Label editors are opened by the window, where the rules allow them.
    tvc->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mLabels = new LabelEditDelegate(tvc);
    tvc->setItemDelegate(mLabels);
    tvc->setExpandsOnDoubleClick(false);
    tvc->setContextMenuPolicy(Qt::CustomContextMenu);
    tvc->installEventFilter(this);
    tvc->viewport()->installEventFilter(this);
    mDocModel->SetTextHandler([this](NodeId node, const std::string& sText) { SetLabelText(node, sText); });
    connect(tvc, &QWidget::customContextMenuRequested, this, &frmDocument::TreeContextMenu);
    connect(tvc, &QAbstractItemView::doubleClicked, this, &frmDocument::TreeDoubleClick);
    connect(tvS, &QTreeView::clicked, this, [this](const QModelIndex& i) {
        if (gConfig->bTrace)
            Trace(mDoc.SchemaTree().Tag(mSchemaModel->NodeOf(i)));
    });
    mDoc.AddListener(this);
    DocumentMenus::Build(*this);
    // Most windows open on the frame's size (frmMain::PlaceDocumentWindow).
    resize(900, 600);
    FormRegistry::Add(this);
}

frmDocument::~frmDocument()
{
    mDoc.RemoveListener(this);
    FormRegistry::Remove(this);
    if (mFrame)
        mFrame->DocumentClosed(msKey);
}

void frmDocument::SetFrame(FrameServices* frame)
{
    DocumentWindow::SetFrame(frame);
    if (frame && frame->Recovery() && !mRecovery)
        mRecovery = frame->Recovery()->Attach(mDoc);
}

EditPermissions frmDocument::Permissions() const
{
    return mEditor && mDoc.HasRoot() ? mEditor->Permissions() : EditPermissions{};
}

std::optional<bool> frmDocument::CanRunEdit(DocCommand command, const EditPermissions& permissions) const
{
    switch (command) {
    case DocCommand::EditData: return permissions.bEdit;
    case DocCommand::NewChild: return permissions.bInsertChild;
    case DocCommand::ToggleEmpty: return permissions.bShowNull;
    case DocCommand::NewSiblingBefore:
    case DocCommand::NewSiblingAfter: return permissions.bInsertSibling;
    case DocCommand::Cut:
    case DocCommand::Copy: return permissions.bCutCopy;
    case DocCommand::Paste: return permissions.bPaste;
    case DocCommand::Delete: return permissions.bDelete;
    case DocCommand::MoveDown: return permissions.bMoveDown;
    case DocCommand::MoveUp: return permissions.bMoveUp;
    case DocCommand::ClearCut: return mEditor != nullptr;
    // Label edits stay possible on a read-only document, and so does taking them back.
    case DocCommand::Undo: return mEditor && mDoc.CanUndo();
    case DocCommand::Redo: return mEditor && mDoc.CanRedo();
    default: return std::nullopt;
    }
}

bool frmDocument::RunEdit(DocCommand command)
{
    if (!CanRunEdit(command, {}).has_value())
        return false;
    // The view keeps its place while the tree changes under it; the node
    // current afterwards is then scrolled to, if it is out of sight.
    tvc->setAutoScroll(false);
    const auto place = qScopeGuard([this] {
        tvc->setAutoScroll(true);
        if (const QModelIndex index = tvc->currentIndex(); index.isValid())
            tvc->scrollTo(index);
    });
    DocumentEditor& editor = *mEditor;
    const NodeId current = mDoc.Current();
    switch (command) {
    case DocCommand::EditData: StartLabelEdit(false); break;
    case DocCommand::NewChild:
        editor.NewChild();
        tvc->expand(mDocModel->IndexOf(current));  // the new child shows, wherever the rules leave the selection
        break;
    case DocCommand::ToggleEmpty: editor.ToggleEmptyFolder(); break;
    case DocCommand::NewSiblingBefore: editor.NewSibling(true); break;
    case DocCommand::NewSiblingAfter: editor.NewSibling(false); break;
    case DocCommand::Cut: editor.Cut(); break;
    case DocCommand::Copy: editor.Copy(); break;
    case DocCommand::Paste: editor.Paste(); break;
    case DocCommand::Delete: editor.Delete(); break;
    case DocCommand::ClearCut: editor.ClearCut(); break;
    case DocCommand::MoveDown: editor.MoveDown(); break;
    case DocCommand::MoveUp: editor.MoveUp(); break;
    case DocCommand::Undo: editor.Undo(); break;
    case DocCommand::Redo: editor.Redo(); break;
    default: return false;
    }
    return true;
}

bool frmDocument::CanRun(DocCommand command) const
{
    if (mDoc.Busy())
        return false;
    // One click asks for every command's state: the permission set of the
    // current node is worked out once, not once a command.
    if (!mStates) {
        mStates.emplace();
        const EditPermissions permissions = Permissions();
        for (std::size_t i = 0; i < kDocCommandCount; ++i)
            (*mStates)[i] = WorkOutCanRun(DocCommand(i), permissions);
    }
    return (*mStates)[std::size_t(command)];
}

bool frmDocument::WorkOutCanRun(DocCommand command, const EditPermissions& permissions) const
{
    if (const std::optional<bool> bEdit = CanRunEdit(command, permissions))
        return *bEdit;
    const bool bHasRoot = mDoc.HasRoot();
    switch (command) {
    case DocCommand::Save:
    case DocCommand::SaveAs:
    case DocCommand::Print:
    case DocCommand::EditSource:
    case DocCommand::ConvertFormat:
    case DocCommand::ExportText:
    case DocCommand::ExportXml:
    case DocCommand::ExportJson:
    case DocCommand::ExpandAll:
    case DocCommand::CollapseAll:
    case DocCommand::Validate:
    case DocCommand::ClearMapping:
        return bHasRoot;
    case DocCommand::EditHL:
        return bHasRoot && !mDoc.ReadOnly();
    case DocCommand::OpenSameTemplate:
    case DocCommand::SwitchView:
    case DocCommand::Refresh:
    case DocCommand::Close:
    case DocCommand::CreateAck:
    case DocCommand::SendEmail:
    case DocCommand::ConnectEdiServer:
        return true;
    default:
        return false;  // not part of the program yet
    }
}

void frmDocument::Run(DocCommand command)
{
    if (!CanRun(command))
        return;
    if (RunEdit(command)) {
        emit commandStateChanged();
        return;
    }
    switch (command) {
    case DocCommand::Save: EdiFileSave(); break;
    case DocCommand::SaveAs: EdiFileSaveAs(); break;
    case DocCommand::Print: ShowWorkFile(true); break;
    case DocCommand::EditSource: ShowWorkFile(false); break;
    case DocCommand::ExpandAll: ExpandAll(true); break;
    case DocCommand::CollapseAll: ExpandAll(false); break;
    case DocCommand::Validate: {
        mPane->ClearHighlights();
        if (mDoc.Validate(EdiDocument::ValidateMode::WithElementCheck)) {
            NodeClick(mDoc.Root().Id());
            mFindings->ShowDocumentFindings();
        }
        break;
    }
    case DocCommand::ClearMapping: mDoc.ClearMapping(); break;
    case DocCommand::OpenSameTemplate: EditNewFile(); break;
    case DocCommand::SwitchView: SwitchTreeView(); break;
    case DocCommand::Refresh: tvc->viewport()->update(); break;
    case DocCommand::Close:
        // The sub-window, not only this widget: no empty frame stays behind.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
        break;
    case DocCommand::ConvertFormat: ShowWithRoot<frmToolEdi>(this, mDoc.Root()); break;
    case DocCommand::ExportText: ShowWithRoot<frmExportText>(this, mDoc.Root()); break;
    case DocCommand::ExportXml: ExportTree(false); break;
    case DocCommand::ExportJson: ExportTree(true); break;
    case DocCommand::CreateAck: CreateAck(); break;
    case DocCommand::SendEmail: gfMainFileSend(mDoc.FileName(), this); break;
    case DocCommand::ConnectEdiServer: gfOpenEdiServerClient(mDoc.FileName(), this); break;
    case DocCommand::EditHL: {
        frmHL dlg(mDoc, this);
        dlg.exec();
        if (dlg.Written())
            mDoc.MarkChanged();
        break;
    }
    default: break;
    }
    emit commandStateChanged();
}

void frmDocument::ExportTree(bool bJson)
{
    const QString sPath = gfRunFileDialog(
        this, {FileDialogRequest::Save, bJson ? QStringLiteral("Export as JSON") : QStringLiteral("Export as XML"),
               bJson ? QStringLiteral("JSON Files (*.json);;All Files (*)")
                     : QStringLiteral("XML Files (*.xml);;All Files (*)"),
               {}});
    if (sPath.isEmpty())
        return;
    JsonExport json;
    XmlExport xml;
    DocumentExport& out = bJson ? static_cast<DocumentExport&>(json) : xml;
    if (out.ToFile(mDoc, sPath.toStdString()))
        gfMsgBox(sPath.toStdString() + " is created.", MsgIcon::Information);
}

bool frmDocument::EdiFileSave()
{
    if (!mDoc.FileName().empty())
        return WriteToFile(mDoc.FileName());
    const std::string sPath = gfSaveFileDialog();
    if (sPath.empty())
        return false;
    // The root keeps its text ("New"); the title shows the new name.
    mDoc.SetFileName(sPath, false);
    mDoc.SetModified(true);
    if (!WriteToFile(sPath))
        return false;
    gfAddRecentFile(sPath);
    return true;
}

void frmDocument::EdiFileSaveAs()
{
    const std::string sPath = gfSaveFileDialog();
    if (sPath.empty())
        return;
    mDoc.SetFileName(sPath);  // the root shows the new name too
    if (!EdiFileSave()) {
        gfMsgBox("Could not save file:" + sPath, MsgIcon::Critical);
        return;
    }
    gfAddRecentFile(sPath);
}

void frmDocument::EdiFileSaveAll()
{
    if (mFrame)
        mFrame->RunFrameCommand(FrameCommand::SaveAll);
}

bool frmDocument::WriteToFile(const std::string& sFile) { return mDoc.SaveTo(sFile); }

bool frmDocument::MayDiscard(const char* sNotSavedQuestion)
{
    if (!mDoc.Modified())
        return true;
    const std::string sRoot = mDoc.HasRoot() ? std::string(mDoc.Root().Text()) : std::string();
    switch (gfMsgBox("Data changed. Save (" + sRoot + ") ?", MsgIcon::Question, MsgButtons::YesNoCancel,
                     gConfig->AppTitle)) {
    case MsgAnswer::No: return true;
    case MsgAnswer::Yes:
        return EdiFileSave() || gfMsgBox(sNotSavedQuestion, MsgIcon::None, MsgButtons::YesNo) == MsgAnswer::Yes;
    default: return false;
    }
}

namespace {
constexpr int kDetailMinWindowHeight = 480;
}

void frmDocument::showEvent(QShowEvent* event)
{
    DocumentWindow::showEvent(event);
    // The trees keep most of the height; a window too small for both starts
    // with the detail panel closed (View > Segment Detail opens it). A window
    // that grows later gives its new height to the trees.
    if (!mbDocksSized) {
        mbDocksSized = true;
        if (height() < kDetailMinWindowHeight)
            mDetail->hide();
        else
            resizeDocks({mDetail}, {std::min(height() / 4, 260)}, Qt::Vertical);
    }
}

void frmDocument::closeEvent(QCloseEvent* event)
{
    // A build under way keeps the window: it is still reading into it.
    if (mDoc.Busy() || !MayDiscard("File is not saved.  Exit ?")) {
        event->ignore();
        return;
    }
    DocumentWindow::closeEvent(event);
}

void frmDocument::ShowWorkFile(bool bPrintButtons)
{
    const std::string sWork = gConfig->TempFile;
    // The working file goes however the preview ends (a refused write included).
    const auto removeWork = qScopeGuard([&sWork] { std::remove(sWork.c_str()); });
    const bool bLineBreaks = clsTreeDSave::AskLineBreaks();
    frmPrintView view(this);
    bool bWritten = false;
    {
        // The question is gone before the work starts; the window says what it waits for.
        clsProgress progress;
        progress.Status("Writing the working file.");
        clsTreeDSave writer;
        writer.SetDelimiter(mDoc.Delimiter());
        writer.SetSelimiter(mDoc.Selimiter());
        bWritten = writer.WriteX12(sWork, mDoc.Root(), bLineBreaks);
        if (writer.Refused()) {
            gfMsgBox(writer.sError(), MsgIcon::Critical);
            return;
        }
    }
    if (!bWritten) {
        gfMsgBox("Could not create working file.", MsgIcon::Critical);
        return;
    }
    view.LoadFile(sWork);
    view.SetTitle(QString::fromStdString(mDoc.FileName().empty() ? std::string("New") : mDoc.FileName()));
    view.ShowPrintButtons(bPrintButtons);
    view.exec();
}

void frmDocument::CreateAck()
{
    frmFA dlg(this);
    dlg.Delimiter = mDoc.Delimiter();
    dlg.Selimiter = mDoc.Selimiter();
    dlg.SetInputFile(mDoc.FileName());
    dlg.exec();
}

bool frmDocument::EdiFileOpen(const DocumentOpenArgs& args)
{
    mDoc.SetSeparators(args.nDelimiter, args.nSelimiter);
    const bool bOpened = args.sFileName.empty()
                             ? mDoc.New(args.sDocType, args.content)
                             : mDoc.LoadDefinition(args.sDocType, args.sFileName) &&
                                   mDoc.Open(args.sFileName, EdiDocument::OpenMode::NewWindow,
                                             [this] { return frm2ndChance::Choose(this); });
    if (!bOpened)
        return false;
    mEditor = std::make_unique<DocumentEditor>(mDoc);
    mDoc.SetFileName(args.bUntitled ? std::string() : args.sFileName, !args.bUntitled);
    mDoc.SetModified(args.sFileName.empty() || args.bUntitled);
    if (args.pRecovered && mRecovery)
        mRecovery->Restore(*args.pRecovered);
    ShowOpened();
    return true;
}

void frmDocument::ShowOpened()
{
    RepaintForm();
    tvc->setFocus();
    NodeClick(mDoc.Root().Id());
    mPane->ScrollToCurrentLater();
}

void frmDocument::EditNewFile()
{
    const std::string sFile = gfOpenFileDialog();
    if (sFile.empty())
        return;
    if (!MayDiscard("File is not saved.  Abandon this file ?"))
        return;
    if (!mDoc.Open(sFile, EdiDocument::OpenMode::SameTemplate, [this] { return frm2ndChance::Choose(this); }))
        return;  // the document stays as it was
    mDoc.SetFileName(sFile);
    mDoc.SetModified(false);
    ShowOpened();
}

void frmDocument::RepaintForm() { mPane->OpenLevels(); }

void frmDocument::SwitchTreeView() { mPane->SwitchSchemaView(); }

void frmDocument::ExpandAll(bool bExpanded) { mPane->ExpandAll(bExpanded); }

void frmDocument::UpdateTitle()
{
    std::string sTitle = mDoc.FileName().empty() ? std::string("Document: New") : mDoc.FileName();
    if (!mDoc.Type().empty())
        sTitle += "   (" + mDoc.Type() + ")";
    // Modified: two blanks and "*" after it.
    setWindowTitle(QString::fromLocal8Bit(sTitle.c_str()) + QStringLiteral("  [*]"));
    setWindowModified(mDoc.Modified());
}

void frmDocument::NodeClick(NodeId node)
{
    if (!node || !mDoc.Tree().IsValid(node))
        return;
    if (gConfig->bTrace)
        Trace(mDoc.Tree().Tag(node));
    if (node == mDoc.Current())
        mPane->Highlight(node);  // a click on the current node lights it again
    else
        mDoc.SetCurrent(node);
}

void frmDocument::CurrentChanged(NodeId node)
{
    mPane->ShowCurrent(node);
    emit commandStateChanged();
}

void frmDocument::StateChanged()
{
    // After an edit, an undo or a redo the view may have moved its current
    // row off the document's (a removed row), though the node stayed current.
    mPane->SyncCurrentRow(mDoc.Current());
    UpdateTitle();
    emit commandStateChanged();
}

void frmDocument::Rebuilt()
{
    // A node waiting to be pasted belonged to the tree that went.
    if (mEditor)
        mEditor->ClearCut();
    mPane->ForgetHighlights();
}

// The levels open again before the verdict shows over the tree.
void frmDocument::ReadBack() { RepaintForm(); }

void frmDocument::Trace(const std::string& sTag)
{
    if (mFrame)
        mFrame->SetStatusText(QString::fromLatin1(sTag.c_str()));
}

// ---- the document tree's events -----------------------------------------------------------

bool frmDocument::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == tvc && (type == QEvent::ShortcutOverride || type == QEvent::KeyPress)) {
        // F2 in the tree is the tree's own label editing, which says why a
        // node may not be edited and works on a read-only document too.
        if (const auto* key = static_cast<QKeyEvent*>(event); key->key() == Qt::Key_F2 && !key->modifiers()) {
            event->accept();
            if (type == QEvent::KeyPress)
                StartLabelEdit(true);
            return true;
        }
    } else if (watched == tvc->viewport() && type == QEvent::MouseButtonPress) {
        // A click on empty space leaves nothing selected.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && !tvc->indexAt(mouse->position().toPoint()).isValid())
            mDoc.SetCurrent({});
    }
    return DocumentWindow::eventFilter(watched, event);
}

void frmDocument::TreeContextMenu(const QPoint& pos)
{
    // A right click on a row picks that row first.
    if (const QModelIndex index = tvc->indexAt(pos); index.isValid())
        NodeClick(mDocModel->NodeOf(index));
    if (!mDoc.Current()) {
        gfMsgBox("You must select (click on an item) an item first.", MsgIcon::Information);
        return;
    }
    mnuEdit->exec(tvc->viewport()->mapToGlobal(pos));
}

void frmDocument::TreeDoubleClick(const QModelIndex& index)
{
    // A value opens its editor; any other row opens or closes.
    if (mEditor && mDocModel->NodeOf(index) == mDoc.Current() && mEditor->CanEditLabel())
        StartLabelEdit(false);
    else
        tvc->setExpanded(index, !tvc->isExpanded(index));
}

void frmDocument::StartLabelEdit(bool bSayWhy)
{
    const QModelIndex index = mDocModel->IndexOf(mDoc.Current());
    if (!mEditor || !index.isValid() || mDoc.Busy())
        return;
    if (!mEditor->CanEditLabel()) {
        if (bSayWhy)
            gfMsgBox("You can not edit this node.", MsgIcon::Information);
        return;
    }
    // Separators chosen after a failed read belong to this document.
    mLabels->SetSeparators(static_cast<char>(mDoc.Delimiter()), static_cast<char>(mDoc.Selimiter()));
    tvc->scrollTo(index);
    tvc->edit(index);
}

void frmDocument::SetLabelText(NodeId node, const std::string& sText)
{
    gfRunGuarded([&] {
        mDoc.SetCurrent(node);  // the edited row, whatever the view did meanwhile
        mEditor->EditLabel(sText);
        return true;
    });
    emit commandStateChanged();
}

}  // namespace orr
