#include "shell/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
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
#include <charconv>
#include <cmath>
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

namespace orr {

// A toolbar button.
struct ButtonDef {
    const char* sKey;
    const char* sToolTip;
    const char* sImage;
    std::optional<DocCommand> command;  // the document window's command; none: the frame's own
    void (frmMain::*frameCommand)();  // the frame's own command
};

namespace {

frmMain* gpFrame = nullptr;

DocumentWindowHook& Hook()
{
    static DocumentWindowHook hook;
    return hook;
}

const ButtonDef kButtons[] = {
    {"New", "New Document", "new", std::nullopt, &frmMain::MainFileNew},
    {"Open", "Open Document", "open", std::nullopt, &frmMain::MainFileOpen},
    {"Save", "Save Document", "save", DocCommand::Save, nullptr},
    {"Print", "Print", "print", DocCommand::Print, nullptr},
    {"Edit", "Edit Segment", "edit", DocCommand::EditData, nullptr},
    {"Validate", "Validate Document", "validate", DocCommand::Validate, nullptr},
    {"InsChild", "Insert New Child Node", "insertchild", DocCommand::NewChild, nullptr},
    {"ShowNull", "Show/Hide Empty Nodes", "shownull", DocCommand::ToggleEmpty, nullptr},
    {"InsBefore", "Insert Before Sibling", "insertbefore", DocCommand::NewSiblingBefore, nullptr},
    {"InsAfter", "Insert After Sibling", "insertafter", DocCommand::NewSiblingAfter, nullptr},
    {"Cut", "Cut", "cut", DocCommand::Cut, nullptr},
    {"Copy", "Copy", "copy", DocCommand::Copy, nullptr},
    {"Paste", "Paste", "paste", DocCommand::Paste, nullptr},
    {"Delete", "Delete", "delete", DocCommand::Delete, nullptr},
    {"Down", "Move Down", "down", DocCommand::MoveDown, nullptr},
    {"Up", "Move Up", "up", DocCommand::MoveUp, nullptr},
    {"Expand", "Expand All", "expand", DocCommand::ExpandAll, nullptr},
    {"Collapse", "Collapse All", "collapse", DocCommand::CollapseAll, nullptr},
    {"DefaultWindow", "Default Window Size", "defaultwindow", std::nullopt, &frmMain::MainViewDefaultSize},
    {"Undo", "Undo", "undo", DocCommand::Undo, nullptr},
    {"Redo", "Redo", "redo", DocCommand::Redo, nullptr},
};

const ButtonDef* FindButton(const QString& sKey)
{
    for (const ButtonDef& b : kButtons)
        if (sKey == QLatin1String(b.sKey))
            return &b;
    return nullptr;
}

// The cascade step PlaceDocumentWindow gave a sub-window, until the user or
// an arrangement moves it.
const char* const kPlacedIndex = "orrPlacedIndex";

const char* const kGeometryKeys[] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
const double kGeometryDefaults[] = {1000, 1000, 6500, 6500};
constexpr double kMinimumTwips = 4000;

// Stored positions are the text of a single-precision number.
std::string FloatText(double value)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, float(value));
    return std::string(buf, r.ptr);
}

double ParseTwips(const std::string& sText, double dDefault)
{
    float value = 0;
    const char* first = sText.data();
    const char* last = first + sText.size();
    while (first < last && *first == ' ')
        ++first;
    const auto r = std::from_chars(first, last, value);
    return (r.ec == std::errc() && std::isfinite(value)) ? double(value) : dDefault;
}

}  // namespace

frmMain* frmMain::Instance() { return gpFrame; }

void frmMain::SetDocumentWindowHook(DocumentWindowHook hook)
{
    Hook() = std::move(hook);
    if (gpFrame)
        gpFrame->UpdateOpenCommands();
}

bool frmMain::CanOpenDocuments() { return bool(Hook().fnCreate); }

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orrindale"));
    mMdi = new QMdiArea(this);
    mMdi->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mMdi);
    gpFrame = this;

    CreateMenus();
    CreateToolbar();
    CreateStatusBar();

    LoadGeometry();
    gfSetRecentRefresh(&gfRefreshRecentMenus);
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
        if (window)
            window->disconnect(this);
    qApp->removeEventFilter(this);
    FormRegistry::Remove(this);
    if (gpFrame == this) {
        gpFrame = nullptr;
        gfSetRecentRefresh({});
    }
}

void frmMain::CreateMenus()
{
    auto action = [this](QMenu* menu, const char* sName, const char* sCaption, auto slot) {
        QAction* a = menu->addAction(QString::fromLatin1(sCaption));
        a->setObjectName(QString::fromLatin1(sName));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuFileNew = action(file, "mnuFileNew", "&New ...", [this] { MainFileNew(); });
    mnuFileOpen = action(file, "mnuFileOpen", "&Open...", [this] { MainFileOpen(); });
    mnuFileNew->setShortcut(QKeySequence::New);
    mnuFileOpen->setShortcut(QKeySequence::Open);
    mnuFileTemplate = action(file, "mnuFileTemplate", "EDI Templates ...", [this] { MainFileTemplate(); });
    for (int i = 0; i < int(mnuRecentFile.size()); ++i) {
        QAction* a = file->addAction(QString());
        a->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i));
        if (i == 0)
            a->setSeparator(true);
        else
            connect(a, &QAction::triggered, this, [this, i] { MainOpenRecentFile(i); });
        a->setVisible(false);
        mnuRecentFile[std::size_t(i)] = a;
    }
    file->addSeparator();
    mnuFileExit = action(file, "mnuFileExit", "E&xit", [] { gfUnloadAllForms(); });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTool"));
    mnuToolCreateFA = action(tools, "mnuToolCreateFA", "Create Functional Ack ...", [this] { MainToolCreateFA(); });
    tools->addSeparator();
    mnuToolCompare = action(tools, "mnuToolCompare", "Compare &Documents...", [this] { MainToolCompare(); });
    mnuToolCheckFolder = action(tools, "mnuToolCheckFolder", "Check &Folder...",
                                [this] { MainToolFolder(false); });
    mnuToolFindInFolder = action(tools, "mnuToolFindInFolder", "Find &in Folder...",
                                 [this] { MainToolFolder(true); });
    tools->addSeparator();
    mnuToolEmail = action(tools, "mnuToolEmail", "&Send Email ...", [this] { MainFileSend({}); });
    mnuToolBrowser = action(tools, "mnuToolBrowser", "&Web Browser", [this] { MainViewWebBrowser(); });
    mnuToolEdiServer =
        action(tools, "mnuToolEdiServer", "Connect to EDI Server ...", [this] { gfOpenEdiServerClient({}, this); });
    mnuToolExportSQL =
        action(tools, "mnuToolExportSQL", "Post to SQL Server ...", [this] { gfOpenDatabaseServerClient(nullptr, this); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    mnuViewToolbar = view->addAction(QStringLiteral("&Toolbar"));
    mnuViewToolbar->setObjectName(QStringLiteral("mnuViewToolbar"));
    mnuViewToolbar->setCheckable(true);
    mnuViewToolbar->setChecked(true);
    connect(mnuViewToolbar, &QAction::triggered, this, [this] { tbToolBar->setVisible(mnuViewToolbar->isChecked()); });
    mnuViewStatusBar = view->addAction(QStringLiteral("Status &Bar"));
    mnuViewStatusBar->setObjectName(QStringLiteral("mnuViewStatusBar"));
    mnuViewStatusBar->setCheckable(true);
    mnuViewStatusBar->setChecked(true);
    connect(mnuViewStatusBar, &QAction::triggered, this,
            [this] { sbStatusBar->setVisible(mnuViewStatusBar->isChecked()); });
    mnuViewDefaultSize =
        action(view, "mnuViewDefaultSize", "Default Main Window Size", [this] { MainViewDefaultSize(); });
    view->addSeparator();
    mnuViewOptions = action(view, "mnuViewOptions", "&Options...", [this] { MainViewOptions(); });

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("mnuWindow"));
    mnuWindowCascade = action(window, "mnuWindowCascade", "&Cascade", [this] { mMdi->cascadeSubWindows(); });
    mnuWindowTileHorizontal =
        action(window, "mnuWindowTileHorizontal", "Tile &Horizontal", [this] { TileHorizontal(); });
    mnuWindowTileVertical = action(window, "mnuWindowTileVertical", "Tile &Vertical", [this] { TileVertical(); });
    mnuWindowArrangeIcons = action(window, "mnuWindowArrangeIcons", "&Arrange Icons", [this] { ArrangeIcons(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpContents = action(help, "mnuHelpContents", "&Contents", [this] { MainHelpContents(); });
    mnuHelpAbout = action(help, "mnuHelpAbout", "&About ", [this] { MainHelpAbout(); });
    for (QAction* a : menuBar()->actions())
        mOwnMenus.push_back(a);
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

void frmMain::PlaceDocumentWindow(QMdiSubWindow* sub, int nIndex)
{
    // Most of the client area, each further window one step down and right.
    const QRect area = mMdi->viewport()->rect();
    constexpr int kStep = 24, kSteps = 5;
    const int nOffset = kStep * (nIndex % (kSteps + 1));
    const QSize size(std::max(area.width() - kStep * kSteps, std::min(area.width(), 480)),
                     std::max(area.height() - kStep * kSteps, std::min(area.height(), 320)));
    const QRect placed = QRect(QPoint(nOffset, nOffset), size).intersected(area);
    sub->setGeometry(placed);
    sub->setProperty(kPlacedIndex, nIndex);
}

void frmMain::RefitPlacedWindows()
{
    // A window opened before the frame had its final size (a file named at
    // start) follows the client area until the user moves or sizes it.
    for (QMdiSubWindow* sub : mMdi->subWindowList())
        if (!sub->isMaximized() && !sub->isMinimized() && sub->property(kPlacedIndex).isValid())
            PlaceDocumentWindow(sub, sub->property(kPlacedIndex).toInt());
}

void frmMain::CreateToolbar()
{
    tbToolBar = addToolBar(QStringLiteral("Toolbar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setIconSize(QSize(16, 16));
    const IconCache& icons = IconCache::Instance();
    for (const ButtonDef& b : kButtons) {
        const QString sKey = QString::fromLatin1(b.sKey);
        QAction* a = tbToolBar->addAction(icons.Icon(QString::fromLatin1(b.sImage)), QString::fromLatin1(b.sToolTip));
        a->setObjectName(sKey);
        a->setToolTip(QString::fromLatin1(b.sToolTip));
        a->setData(QString::fromLatin1(b.sImage));
        connect(a, &QAction::triggered, this, [this, &b] { RunButton(b); });
        mButtons.emplace_back(&b, a);
    }
}

void frmMain::CreateStatusBar()
{
    sbStatusBar = statusBar();
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    auto panel = [this](const char* sName, const QString& sText) {
        auto* l = new QLabel(sText, this);
        l->setObjectName(QString::fromLatin1(sName));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    sbText = panel("sbText", {});
    sbText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    sbStatusBar->addWidget(sbText, 1);
    sbDate = panel("sbDate", {});
    sbTime = panel("sbTime", {});
    sbIns = panel("sbIns", QStringLiteral("INS"));
    sbCaps = panel("sbCaps", QStringLiteral("CAPS"));
    sbNum = panel("sbNum", QStringLiteral("NUM"));
    for (QLabel* l : {sbDate, sbTime, sbIns, sbCaps, sbNum})
        sbStatusBar->addPermanentWidget(l);
    mClock = new QTimer(this);
    connect(mClock, &QTimer::timeout, this, &frmMain::UpdateClock);
    connect(mClock, &QTimer::timeout, this, &frmMain::PollRecovery);
    mClock->start(1000);
    UpdateClock();
    UpdateKeyPanels();
}

void frmMain::UpdateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    sbDate->setText(locale.toString(now.date(), QLocale::ShortFormat));
    sbTime->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

void frmMain::UpdateKeyPanels()
{
    // A panel whose key is off is shown greyed out.
    sbIns->setEnabled(mbIns);
    sbCaps->setEnabled(mbCaps);
    sbNum->setEnabled(mbNum);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mMdi->viewport() && event->type() == QEvent::Resize)
        RefitPlacedWindows();
    else if (event->type() == QEvent::MouseButtonPress && qobject_cast<QMdiSubWindow*>(watched))
        watched->setProperty(kPlacedIndex, QVariant());  // moved or sized by hand from now on
    // Qt tells no lock states, so they are followed from the keys typed.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool bShift = key->modifiers() & Qt::ShiftModifier;
        const QString sText = key->text();
        switch (key->key()) {
        case Qt::Key_Insert: mbIns = !mbIns; break;
        case Qt::Key_CapsLock: mbCaps = !mbCaps; break;
        case Qt::Key_NumLock: mbNum = !mbNum; break;
        default:
            if (sText.size() == 1 && sText[0].isLetter() && sText[0].toUpper() != sText[0].toLower())
                mbCaps = sText[0].isUpper() != bShift;
            else if (key->modifiers() & Qt::KeypadModifier)
                mbNum = key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9;
            break;
        }
        UpdateKeyPanels();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::SetStatusText(const QString& sText) { sbText->setText(sText); }

void frmMain::LoadGeometry()
{
    const double dpiX = screen() ? screen()->logicalDotsPerInchX() : 96.0;
    const double dpiY = screen() ? screen()->logicalDotsPerInchY() : 96.0;
    setMinimumSize(gfTwipsToPixels(kMinimumTwips, dpiX), gfTwipsToPixels(kMinimumTwips, dpiY));
    for (int i = 0; i < 4; ++i) {
        std::string sText;
        if (gSettings && gConfig)
            sText = gSettings->Get(gConfig->SettingsApp, gConfig->SectionSystem, kGeometryKeys[i],
                                   FloatText(kGeometryDefaults[i]));
        mLoadedTwips[std::size_t(i)] = ParseTwips(sText, kGeometryDefaults[i]);
        mLoadedPixels[std::size_t(i)] = gfTwipsToPixels(mLoadedTwips[std::size_t(i)], i % 2 ? dpiY : dpiX);
    }
    move(mLoadedPixels[0], mLoadedPixels[1]);
    resize(std::max(mLoadedPixels[2], minimumWidth()), std::max(mLoadedPixels[3], minimumHeight()));
}

void frmMain::SaveGeometry()
{
    if (isMinimized() || !gSettings || !gConfig)
        return;
    const double dpiX = screen() ? screen()->logicalDotsPerInchX() : 96.0;
    const double dpiY = screen() ? screen()->logicalDotsPerInchY() : 96.0;
    const int pixels[4] = {x(), y(), width(), height()};
    for (int i = 0; i < 4; ++i) {
        const double twips = pixels[i] == mLoadedPixels[std::size_t(i)]
                                 ? mLoadedTwips[std::size_t(i)]
                                 : gfPixelsToTwips(pixels[i], i % 2 ? dpiY : dpiX);
        gSettings->Save(gConfig->SettingsApp, gConfig->SectionSystem, kGeometryKeys[i], FloatText(twips));
    }
}

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
    SaveGeometry();
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
    gfLoadRecentMenu();
}

QAction* frmMain::ToolbarButton(const QString& sKey) const
{
    for (const auto& [b, action] : mButtons)
        if (sKey == QLatin1String(b->sKey))
            return action;
    return nullptr;
}

void frmMain::RefreshCommands()
{
    DocumentWindow* doc = ActiveDocument();
    for (const auto& [b, action] : mButtons)
        action->setEnabled(!b->command || (doc && doc->CanRun(*b->command)));
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
    if (const ButtonDef* b = FindButton(sKey))
        RunButton(*b);
}

void frmMain::RunButton(const ButtonDef& b)
{
    if (b.command)
        RunDocCommand(*b.command);
    else
        (this->*b.frameCommand)();
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
    mcolChildForms.emplace_back(sKey, pWindow);
    // A window that goes away without saying so still leaves the collection.
    connect(pWindow, &QObject::destroyed, this, [this, sKey] {
        const auto it = std::find_if(mcolChildForms.begin(), mcolChildForms.end(),
                                     [&](const auto& child) { return child.first == sKey; });
        if (it != mcolChildForms.end())
            RemoveChild(sKey);
    });
    gfCopyRecentMenu(pWindow);
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
        const int nIndex = int(ArrangeableWindows().size());
        pWindow->show();
        sub->show();
        PlaceDocumentWindow(sub, nIndex);
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
    sbStatusBar->setVisible(mnuViewStatusBar->isChecked());
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

std::vector<QMdiSubWindow*> frmMain::ArrangeableWindows() const
{
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : mMdi->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows.push_back(sub);
    return windows;
}

void frmMain::TileHorizontal() { Tile(Qt::Vertical); }  // one above the other, each as wide as the area

void frmMain::TileVertical() { Tile(Qt::Horizontal); }  // side by side, each as high as the area

void frmMain::Tile(Qt::Orientation along)
{
    const auto windows = ArrangeableWindows();
    if (windows.empty())
        return;
    const QSize area = mMdi->viewport()->size();
    const int n = int(windows.size());
    const QSize cell =
        along == Qt::Vertical ? QSize(area.width(), area.height() / n) : QSize(area.width() / n, area.height());
    const QPoint step = along == Qt::Vertical ? QPoint(0, cell.height()) : QPoint(cell.width(), 0);
    for (QMdiSubWindow* sub : windows)
        sub->setProperty(kPlacedIndex, QVariant());
    for (int i = 0; i < n; ++i) {
        windows[std::size_t(i)]->showNormal();
        windows[std::size_t(i)]->setGeometry(QRect(step * i, cell));
    }
}

void frmMain::ArrangeIcons()
{
    // Minimised windows in a row along the bottom edge.
    const QRect area = mMdi->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* sub : mMdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized())
            continue;
        const QSize size = sub->size();
        sub->move(x, area.height() - size.height());
        x += size.width();
    }
}

}  // namespace orr
