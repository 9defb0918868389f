#include "shell/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <tuple>

#include "app/SettingsStore.h"
#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modRecent.h"
#include "app/modSystem.h"
#include "edi/modGuessEdi.h"
#include "store/clsTreeMemory.h"
#include "shell/FormRegistry.h"
#include "shell/IconCache.h"
#include "shell/OrrApplication.h"
#include "shell/QtUi.h"
#include "shell/Twips.h"
#include "doctree/DocumentImport.h"
#include "shell/frmAbout.h"
#include "shell/frmCompare.h"
#include "shell/frmFolder.h"
#include "shell/frmFA.h"
#include "shell/frmMail.h"
#include "shell/frmOptions.h"
#include "shell/frmTemplates.h"
#include "shell/modFrmDocFile.h"
#include "shell/modHelp.h"
#include "shell/modMenuMerge.h"
#include "shell/modRecentMenu.h"
#include "shell/modShellMain.h"
#include "shell/modWebBrowser.h"
#include "shell/modTool.h"
#include "shell/CommandTable.h"
#include "shell/FrameMenus.h"
#include "shell/FrameStatusBar.h"
#include "shell/WindowLayout.h"

namespace orr {

namespace {

DocumentWindowHook& Hook()
{
    static DocumentWindowHook hook;
    return hook;
}

// The frames there are but pGoing (the program makes one; tests may make several).
std::vector<frmMain*> Frames(const frmMain* pGoing = nullptr)
{
    std::vector<frmMain*> frames;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* frame = qobject_cast<frmMain*>(window); frame && frame != pGoing)
            frames.push_back(frame);
    return frames;
}

void RefreshRecentMenus()
{
    for (frmMain* frame : Frames())
        gfRefreshRecentMenus(*frame);
}

}  // namespace

void frmMain::SetDocumentWindowHook(DocumentWindowHook hook)
{
    Hook() = std::move(hook);
    for (frmMain* frame : Frames())
        frame->UpdateOpenCommands();
}

bool frmMain::CanOpenDocuments() { return bool(Hook().fnCreate); }

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orrindale"));
    mMdi = new QMdiArea(this);
    mMdi->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mMdi);
    QtUi::SetDialogOwner(this);

    FrameMenus::Build(*this);
    CreateToolbar();
    CreateStatusBar();

    mGeometry.Load(*this);
    gfSetRecentRefresh(&RefreshRecentMenus);
    UpdateOpenCommands();  // loads the recent-file entries
    connect(mMdi, &QMdiArea::subWindowActivated, this, [this] {
        disconnect(mActiveConnection);
        DocumentWindow* doc = ActiveDocument();
        if (doc)
            mActiveConnection = connect(doc, &DocumentWindow::commandStateChanged, this, &frmMain::RefreshCommands);
        ShowMenusOf(doc);
        RefreshCommands();
    });
    RefreshCommands();
    qApp->installEventFilter(this);
    FormRegistry::Add(this);
}

frmMain::~frmMain()
{
    // Document windows still open go with the frame's widgets, after its
    // members: they must not call back into it.
    mMdi->disconnect(this);
    for (const auto& [sKey, window] : mcolChildForms)
        if (window) {
            window->disconnect(this);
            if (auto* doc = qobject_cast<DocumentWindow*>(window.data()))
                doc->SetFrame(nullptr);
        }
    qApp->removeEventFilter(this);
    FormRegistry::Remove(this);
    if (Frames(this).empty())
        gfSetRecentRefresh({});
}

void frmMain::ShowMenusOf(DocumentWindow* doc)
{
    // A menu taken out of the bar takes its shortcuts with it: the frame's
    // and the document's Ctrl+N never compete.
    QMenuBar* bar = menuBar();
    for (const QPointer<QAction>& a : mMergedMenus)
        if (a)
            bar->removeAction(a);
    mMergedMenus.clear();
    for (QAction* a : mOwnMenus)
        bar->removeAction(a);
    const QList<QAction*> menus = doc ? doc->menuBar()->actions() : QList<QAction*>(mOwnMenus.begin(), mOwnMenus.end());
    for (QAction* a : menus) {
        bar->addAction(a);
        if (doc)
            mMergedMenus.emplace_back(a);
    }
}

void frmMain::CreateToolbar()
{
    tbToolBar = addToolBar(QStringLiteral("Toolbar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setIconSize(QSize(16, 16));
    const IconCache& icons = IconCache::Instance();
    for (const CommandDef& b : gfCommandTable()) {
        if (!b.sButton)
            continue;
        const QString sKey = QString::fromLatin1(b.sButton);
        QAction* a = tbToolBar->addAction(icons.Icon(QString::fromLatin1(b.sIcon)), QString::fromLatin1(b.sTooltip));
        a->setObjectName(sKey);
        a->setToolTip(QString::fromLatin1(b.sTooltip));
        a->setData(QString::fromLatin1(b.sIcon));
        connect(a, &QAction::triggered, this, [this, &b] { RunButton(b); });
        mButtons.emplace_back(&b, a);
    }
}

void frmMain::CreateStatusBar()
{
    mStatus = new FrameStatusBar(*this);
    connect(mStatus, &FrameStatusBar::ticked, this, &frmMain::PollRecovery);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mMdi->viewport() && event->type() == QEvent::Resize)
        WindowLayout::RefitPlaced(*mMdi);
    else if (event->type() == QEvent::MouseButtonPress && qobject_cast<QMdiSubWindow*>(watched))
        WindowLayout::ForgetPlace(watched);  // moved or sized by hand from now on
    if (event->type() == QEvent::KeyPress && watched->isWidgetType())
        mStatus->KeyTyped(*static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::SetStatusText(const QString& sText) { mStatus->sbText->setText(sText); }

void frmMain::closeEvent(QCloseEvent* event)
{
    // Each document window asks about its unsaved changes in turn; the first
    // that stays open (Cancel) ends the exit and the rest are not asked.
    for (QMdiSubWindow* sub : mMdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isHidden() && !sub->close()) {
            event->ignore();
            return;
        }
    }
    mGeometry.Save(*this);
    if (mRecovery)
        mRecovery->End();  // a clean exit: nothing is left to recover
    QMainWindow::closeEvent(event);
}

void frmMain::UpdateOpenCommands()
{
    const bool bCanOpen = CanOpenDocuments();
    mnuFileNew->setVisible(bCanOpen);
    mnuFileOpen->setVisible(bCanOpen);
    ToolbarButton(QStringLiteral("New"))->setVisible(bCanOpen);
    ToolbarButton(QStringLiteral("Open"))->setVisible(bCanOpen);
    gfLoadRecentMenu(*this);
}

QAction* frmMain::ToolbarButton(const QString& sKey) const
{
    for (const auto& [b, action] : mButtons)
        if (sKey == QLatin1String(b->sButton))
            return action;
    return nullptr;
}

void frmMain::RefreshCommands()
{
    DocumentWindow* doc = ActiveDocument();
    for (const auto& [b, action] : mButtons) {
        const auto* command = std::get_if<DocCommand>(&b->command);
        action->setEnabled(!command || (doc && doc->CanRun(*command)));
    }
}

void frmMain::RunDocCommand(DocCommand command)
{
    gfRunGuarded([&] {
        if (DocumentWindow* doc = ActiveDocument(); doc && doc->CanRun(command))
            doc->Run(command);
        return true;
    });
    RefreshCommands();
}

void frmMain::TbToolBarButtonClick(const QString& sKey)
{
    for (const auto& [b, action] : mButtons)
        if (sKey == QLatin1String(b->sButton))
            RunButton(*b);
}

void frmMain::RunButton(const CommandDef& b)
{
    if (const auto* command = std::get_if<DocCommand>(&b.command))
        RunDocCommand(*command);
    else
        RunFrameCommand(std::get<FrameCommand>(b.command));
}

void frmMain::RunFrameCommand(FrameCommand command)
{
    switch (command) {
    case FrameCommand::FileNew: MainFileNew(); break;
    case FrameCommand::FileOpen: MainFileOpen(); break;
    case FrameCommand::SaveAll: SaveAllFiles(); break;
    case FrameCommand::WebBrowser: MainViewWebBrowser(); break;
    case FrameCommand::ToggleToolbar: MainViewToolBarToggle(); break;
    case FrameCommand::ToggleStatusBar: MainViewStatusBarToggle(); break;
    case FrameCommand::DefaultSize: MainViewDefaultSize(); break;
    case FrameCommand::DefaultSizeCascade:
        MainViewDefaultSize();
        mMdi->cascadeSubWindows();
        break;
    case FrameCommand::Options: MainViewOptions(); break;
    case FrameCommand::Cascade: mMdi->cascadeSubWindows(); break;
    case FrameCommand::TileHorizontal: TileHorizontal(); break;
    case FrameCommand::TileVertical: TileVertical(); break;
    case FrameCommand::ArrangeIcons: ArrangeIcons(); break;
    case FrameCommand::HelpContents: MainHelpContents(); break;
    case FrameCommand::HelpAbout: MainHelpAbout(); break;
    case FrameCommand::Exit: gfUnloadAllForms(this); break;
    case FrameCommand::Templates: MainFileTemplate(); break;
    case FrameCommand::CreateAck: MainToolCreateFA(); break;
    case FrameCommand::Compare: MainToolCompare(); break;
    case FrameCommand::CheckFolder: MainToolFolder(false); break;
    case FrameCommand::FindInFolder: MainToolFolder(true); break;
    case FrameCommand::SendEmail: MainFileSend({}); break;
    case FrameCommand::ConnectEdiServer: gfOpenEdiServerClient({}, this); break;
    case FrameCommand::PostToDatabase: gfOpenDatabaseServerClient(nullptr, this); break;
    }
}

DocumentWindow* frmMain::ActiveDocument() const
{
    QMdiSubWindow* sub = mMdi->currentSubWindow();
    if (!sub)
        return nullptr;
    for (const auto& [key, window] : mcolChildForms)
        if (window && window == sub->widget())
            return qobject_cast<DocumentWindow*>(window.data());
    return nullptr;
}

QString frmMain::NewChildKey() { return QStringLiteral("Document %1").arg(++mnChildCounter); }

void frmMain::RemoveChild(const QString& sKey)
{
    const auto it = std::find_if(mcolChildForms.begin(), mcolChildForms.end(),
                                 [&](const auto& child) { return child.first == sKey; });
    if (it == mcolChildForms.end()) {
        gfReportRunTimeError("Invalid procedure call or argument", 5);
        return;
    }
    mcolChildForms.erase(it);
    ShowMenusOf(ActiveDocument());
    RefreshCommands();
    // With no document left, what the last one held goes back to the system
    // (once its window, which calls this on its way out, is gone).
    if (mcolChildForms.empty())
        QTimer::singleShot(0, this, &frmMain::GiveMemoryBack);
}

void frmMain::GiveMemoryBack()
{
    clsTreeMemory::SetPoolLimit(0);
    clsTreeMemory::SetPoolLimit(clsTreeMemory::kPoolLimit);
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

bool frmMain::OpenEdiDocument(const std::string& sFileName)
{
    if (!CanOpenDocuments())
        return false;
    if (const std::optional<DocumentOpenArgs> imported = ImportedDocument(sFileName)) {
        const bool bOpened = !imported->sFileName.empty() && OpenDocumentWindow(*imported);
        std::error_code ec;
        std::filesystem::remove(imported->sFileName, ec);
        return bOpened;
    }
    SeparatorPair separators{gConfig->Delimiter, gConfig->Selimiter};
    if (!sFileName.empty()) {
        SeparatorPair detected;
        if (!gfGuessEdi(sFileName, detected.nDelimiter, detected.nSelimiter))
            return false;
        const std::optional<SeparatorPair> chosen = gfChooseSeparators(detected, *gConfig);
        if (!chosen)
            return false;
        separators = *chosen;
    }
    const std::optional<frmFileNew::Choice> type = gfChooseDocType(sFileName);
    if (!type || type->sType.empty())
        return false;
    return OpenDocumentWindow(
        {sFileName, separators.nDelimiter, separators.nSelimiter, type->sType, type->content, {}});
}

bool frmMain::OpenDocumentWindow(DocumentOpenArgs args)
{
    const QString sKey = NewChildKey();
    args.sKey = sKey;
    DocumentWindow* pWindow = Hook().fnCreate(sKey);
    if (!pWindow)
        return false;
    pWindow->SetFrame(this);
    mcolChildForms.emplace_back(sKey, pWindow);
    // A window that goes away without saying so still leaves the collection.
    connect(pWindow, &QObject::destroyed, this, [this, sKey] {
        const auto it = std::find_if(mcolChildForms.begin(), mcolChildForms.end(),
                                     [&](const auto& child) { return child.first == sKey; });
        if (it != mcolChildForms.end())
            RemoveChild(sKey);
    });
    gfCopyRecentMenu(*this, pWindow);
    if (pWindow->EdiFileOpen(args)) {
        // Its menus show in the frame's menu bar while it is active.
        gfMergeMenuEntries(menuBar(), pWindow->menuBar());
        pWindow->menuBar()->hide();
        QMdiSubWindow* sub = mMdi->addSubWindow(pWindow);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        // Ctrl+W is the document's Close; the sub-window's own keeps Ctrl+F4.
        for (QAction* a : sub->systemMenu()->actions()) {
            QList<QKeySequence> keys = a->shortcuts();
            if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W)))
                a->setShortcuts(keys);
        }
        const int nIndex = int(WindowLayout::Arrangeable(*mMdi).size());
        pWindow->show();
        sub->show();
        WindowLayout::Place(*mMdi, sub, nIndex);
        return true;
    }
    delete pWindow;
    return false;
}

void frmMain::MainFileNew() { OpenEdiDocument({}); }

void frmMain::MainFileOpen()
{
    const std::string sPath = gfOpenFileDialog();
    if (!sPath.empty() && OpenEdiDocument(sPath))
        gfAddRecentFile(sPath);
}

void frmMain::MainOpenRecentFile(int nIndex)
{
    if (nIndex < 1 || nIndex >= int(mnuRecentFile.size()))
        return;
    const QString sPath = mnuRecentFile[std::size_t(nIndex)]->data().toString();
    if (QFileInfo(sPath).isFile()) {
        OpenEdiDocument(sPath.toStdString());
        return;
    }
    gfRemoveRecentFile(sPath.toStdString());
    gfMsgBox("File " + sPath.toStdString() + " does not exists.", MsgIcon::Information);
}

void frmMain::SaveAllFiles()
{
    // A copy: saving may close or open windows.
    const ChildList children = mcolChildForms;
    for (const auto& [key, window] : children)
        if (auto* doc = qobject_cast<DocumentWindow*>(window.data()); doc && doc->CanRun(DocCommand::Save))
            doc->Run(DocCommand::Save);
}

void frmMain::StartRecovery(const std::string& sDir)
{
    mRecovery = RecoveryService::Start(sDir);
    // Once the frame shows, before any file named on the command line opens.
    QTimer::singleShot(0, this, [this] {
        OfferRecovery();
        PollRecovery();
    });
}

void frmMain::OfferRecovery()
{
    int nWork = 0;
    for (const RecoveryService::Found& found : mRecovery->Offer()) {
        const RecoveryEntry& entry = found.entry;
        const std::string sWork = gConfig->DataDir + "/recovered-" +
                                  std::to_string(QCoreApplication::applicationPid()) + "-" +
                                  std::to_string(++nWork) + ".edi";
        std::ofstream(sWork, std::ios::binary) << entry.sText;
        DocumentOpenArgs args{sWork, entry.nDelimiter, entry.nSelimiter, entry.sType, EdiDocument::NewContent::Skeleton, {}, true};
        args.pRecovered = &found;
        if (!OpenDocumentWindow(args))
            mRecovery->NotRecovered(found);
        std::error_code ec;
        std::filesystem::remove(sWork, ec);
    }
}

void frmMain::PollRecovery()
{
    if (!mRecovery)
        return;
    mRecovery->Poll(RecoveryService::Clock::now());
    if (const std::optional<std::string> sReport = mRecovery->TakeReport())
        SetStatusText(QString::fromStdString(*sReport));
}

void frmMain::MainViewToolBarToggle()
{
    mnuViewToolbar->setChecked(!mnuViewToolbar->isChecked());
    tbToolBar->setVisible(mnuViewToolbar->isChecked());
}

void frmMain::MainViewStatusBarToggle()
{
    mnuViewStatusBar->setChecked(!mnuViewStatusBar->isChecked());
    mStatus->sbStatusBar->setVisible(mnuViewStatusBar->isChecked());
}

void frmMain::MainViewOptions()
{
    frmOptions dlg(this);
    dlg.exec();
    if (DocumentWindow* doc = ActiveDocument(); doc && gConfig->bOptionsChanged)
        doc->RepaintForm();
}

void frmMain::MainFileSend(const std::string& sFileName) { gfMainFileSend(sFileName, this); }

void frmMain::MainViewWebBrowser() { gfOpenWebBrowser(); }

void frmMain::MainViewDefaultSize()
{
    showNormal();
    const double dpiX = screen() ? screen()->logicalDotsPerInchX() : 96.0;
    const double dpiY = screen() ? screen()->logicalDotsPerInchY() : 96.0;
    move(gfTwipsToPixels(gConfig->DefaultLeft, dpiX), gfTwipsToPixels(gConfig->DefaultTop, dpiY));
    resize(gfTwipsToPixels(gConfig->DefaultWidth, dpiX), gfTwipsToPixels(gConfig->DefaultHeight, dpiY));
}

void frmMain::MainHelpContents()
{
    if (gfHelpFile().isEmpty()) {
        gfMsgBox("Unable to display Help Contents. There is no Help associated with this project.",
                 MsgIcon::Information, MsgButtons::OK, windowTitle().toStdString());
        return;
    }
    gfShowHelp(this);
}

void frmMain::MainHelpAbout()
{
    frmAbout dlg(this);
    dlg.exec();
}

void frmMain::MainToolCreateFA()
{
    frmFA dlg(this);
    dlg.Delimiter = gConfig->Delimiter;
    dlg.Selimiter = gConfig->Selimiter;
    dlg.SetInputFile({});
    dlg.exec();
}

void frmMain::MainToolCompare()
{
    // Not modal: the documents stay at hand beside the comparison.
    auto* dlg = new frmCompare(this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->show();
}

void frmMain::MainToolFolder(bool bFind)
{
    auto* dlg = new frmFolder(bFind ? frmFolder::Mode::Find : frmFolder::Mode::Check, this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->show();
}

std::optional<DocumentOpenArgs> frmMain::ImportedDocument(const std::string& sFileName)
{
    const std::string sExtension = QFileInfo(QString::fromStdString(sFileName)).suffix().toLower().toStdString();
    if ((sExtension != "json" && sExtension != "xml") || !DocumentImport::LooksLikeExport(sFileName))
        return std::nullopt;
    // The X12 text is rebuilt in the work folder; the document names no file until saved.
    const std::string sWork = gConfig->DataDir + "/" +
                              QFileInfo(QString::fromStdString(sFileName)).completeBaseName().toStdString() + "." +
                              std::to_string(QCoreApplication::applicationPid()) + ".edi";
    DocumentOpenArgs args;
    try {
        const DocumentImport::Result r = DocumentImport::ConvertFile(sFileName, sWork, {});
        args = {sWork, r.separators.nElement, r.separators.nSegment, r.sType, EdiDocument::NewContent::Skeleton, {}, true};
    } catch (const std::exception& e) {
        gfMsgBox(e.what(), MsgIcon::Critical);
        args.sFileName.clear();
    }
    return args;
}

void frmMain::MainFileTemplate()
{
    frmTemplates dlg(this);
    dlg.exec();
}

// One above the other, each as wide as the area.
void frmMain::TileHorizontal() { WindowLayout::Tile(*mMdi, Qt::Vertical); }

// Side by side, each as high as the area.
void frmMain::TileVertical() { WindowLayout::Tile(*mMdi, Qt::Horizontal); }

void frmMain::ArrangeIcons() { WindowLayout::ArrangeIcons(*mMdi); }

}  // namespace orr
