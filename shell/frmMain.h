#pragma once
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/clsConfig.h"
#include "doctree/RecoveryService.h"
#include "shell/DocumentWindow.h"
#include "shell/FrameGeometry.h"
#include "shell/FrameServices.h"

namespace orr {

// How the frame gets document windows: fnCreate makes a window (not shown);
// the frame hands it itself as its FrameServices before it opens anything.
// Until it is set, the commands that open documents are not offered.
struct CommandDef;
class FrameStatusBar;

struct DocumentWindowHook {
    std::function<DocumentWindow*(const QString& sKey)> fnCreate;
};

// The multiple-document frame window: menus, toolbar, status bar, the open
// document windows and the commands that open documents.
class frmMain : public QMainWindow, public FrameServices {
    Q_OBJECT
    friend class FrameMenus;  // fills the menu pointers below and the frame's own menus

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    static void SetDocumentWindowHook(DocumentWindowHook hook);
    static bool CanOpenDocuments();

    QMdiArea* MdiArea() const { return mMdi; }

    // Document windows by child key, in the order they were opened.
    using ChildList = std::vector<std::pair<QString, QPointer<QWidget>>>;
    const ChildList& ChildForms() const { return mcolChildForms; }
    void RemoveChild(const QString& sKey);
    void DocumentClosed(const QString& sKey) override { RemoveChild(sKey); }
    // The tree store's pooled blocks and the heap's free pages back to the
    // system (done when the last document window has gone).
    static void GiveMemoryBack();
    // The active document window, or null.
    DocumentWindow* ActiveDocument() const;
    // Runs a document command on the active window (when it can run), then
    // refreshes every command's state. A run-time failure is reported, never
    // the end of the program.
    void RunDocCommand(DocCommand command) override;
    void RunFrameCommand(FrameCommand command) override;
    bool IsActive(const DocumentWindow* window) const override { return window && ActiveDocument() == window; }
    void OpenRecentFile(int nIndex) override { MainOpenRecentFile(nIndex); }
    bool ToolbarShown() const override { return mnuViewToolbar->isChecked(); }
    bool StatusBarShown() const override { return mnuViewStatusBar->isChecked(); }
    // Enables each document command's button and entry as the active window allows.
    void RefreshCommands();

    // Separators, document type, then a document window; false when any
    // step fails or is cancelled (no window is left behind then).
    bool OpenEdiDocument(const std::string& sFileName) override;
    void MainFileNew();
    void MainFileOpen();
    void MainOpenRecentFile(int nIndex);
    void SaveAllFiles();
    // The e-mail window with sFileName (may be empty) as its attachment.
    void MainFileSend(const std::string& sFileName);
    // Keeps the unsaved changes of documents in sDir from now on and, once
    // the frame shows, offers what an earlier run left there.
    void StartRecovery(const std::string& sDir);
    // Null until StartRecovery.
    std::shared_ptr<RecoveryService> Recovery() const override { return mRecovery; }

    void MainViewStatusBarToggle();
    void MainViewToolBarToggle();
    void MainViewOptions();
    void MainViewWebBrowser();
    void MainViewDefaultSize();
    void MainHelpContents();
    void MainHelpAbout();
    void MainToolCreateFA();
    // Tools > Compare Documents..., Check Folder... and Find in Folder...
    void MainToolCompare();
    void MainToolFolder(bool bFind);
    void MainFileTemplate();

    // The toolbar: buttons by key ("New", "Open", "Save", ...).
    void TbToolBarButtonClick(const QString& sKey);
    QAction* ToolbarButton(const QString& sKey) const;
    // A button runs the command it was made with: the document window's or the frame's own.
    void RunButton(const CommandDef& b);

    void SetStatusText(const QString& sText) override;
    // The status bar and its panels.
    FrameStatusBar& Status() const { return *mStatus; }
    // Arranging the document windows.
    void TileHorizontal();
    void TileVertical();
    void ArrangeIcons();

    QToolBar* tbToolBar;
    std::array<QAction*, 5> mnuRecentFile{};
    QAction* mnuFileNew;
    QAction* mnuFileOpen;
    QAction* mnuFileTemplate;
    QAction* mnuFileExit;
    QAction* mnuToolCreateFA;
    QAction* mnuToolCompare;
    QAction* mnuToolCheckFolder;
    QAction* mnuToolFindInFolder;
    QAction* mnuToolEmail;
    QAction* mnuToolBrowser;
    QAction* mnuToolEdiServer;
    QAction* mnuToolExportSQL;
    QAction* mnuViewToolbar;
    QAction* mnuViewStatusBar;
    QAction* mnuViewDefaultSize;
    QAction* mnuViewOptions;
    QAction* mnuWindowCascade;
    QAction* mnuWindowTileHorizontal;
    QAction* mnuWindowTileVertical;
    QAction* mnuWindowArrangeIcons;
    QAction* mnuHelpContents;
    QAction* mnuHelpAbout;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // For a JSON or XML export: the X12 text rebuilt in a work file and how to
    // open it (an empty file name after a failure, shown); nothing for any other file.
    std::optional<DocumentOpenArgs> ImportedDocument(const std::string& sFileName);
    bool OpenDocumentWindow(DocumentOpenArgs args);
    void CreateToolbar();
    void CreateStatusBar();
    void UpdateOpenCommands();
    // Each recovered document in a window of its own, read from a work file.
    void OfferRecovery();
    // Hands over what is due; a failure is said in the status bar.
    void PollRecovery();
    QString NewChildKey();
    // The frame's menu bar shows the document window's menus, or its own for null.
    void ShowMenusOf(DocumentWindow* doc);

    QMdiArea* mMdi;
    ChildList mcolChildForms;
    std::int32_t mnChildCounter = 0;
    std::vector<std::pair<const CommandDef*, QAction*>> mButtons;
    std::vector<QAction*> mOwnMenus;                // the frame's menus in the menu bar
    std::vector<QPointer<QAction>> mMergedMenus;    // a document window's menus shown instead
    QMetaObject::Connection mActiveConnection;  // the active window's commandStateChanged
    FrameStatusBar* mStatus;
    FrameGeometry mGeometry;
    std::shared_ptr<RecoveryService> mRecovery;
};

}  // namespace orr
