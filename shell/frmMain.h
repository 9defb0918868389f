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
#include <string>
#include <utility>
#include <vector>

#include "app/clsConfig.h"

namespace orr {

// What the frame hands a new document window to open.
struct DocumentOpenArgs {
    std::string sFileName;  // empty for a new document
    SepCode nDelimiter = 42;
    SepCode nSelimiter = 126;
    std::string sDocType;
    std::int16_t nOption = 1;  // new documents: 1 default content, 2 empty
    QString sKey;              // the window's child key
};

// How the frame gets document windows. fnCreate makes a window (not shown)
// whose unload calls frmMain::RemoveChild with its key; fnEdiFileOpen runs
// its EdiFileOpen. Until both are set, the commands that open documents are
// not offered.
struct DocumentWindowHook {
    std::function<QWidget*(const QString& sKey)> fnCreate;
    std::function<bool(QWidget* pWindow, const DocumentOpenArgs& args)> fnEdiFileOpen;
};

// The multiple-document frame window: menus, toolbar, status bar, the open
// document windows and the commands that open documents.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The frame of the running program, or null.
    static frmMain* Instance();
    static void SetDocumentWindowHook(DocumentWindowHook hook);
    static bool CanOpenDocuments();

    QMdiArea* MdiArea() const { return mMdi; }

    // Document windows by child key, in the order they were opened.
    using ChildList = std::vector<std::pair<QString, QPointer<QWidget>>>;
    const ChildList& ChildForms() const { return mcolChildForms; }
    void RemoveChild(const QString& sKey);
    // The active document window, or null.
    QWidget* ActiveDocument() const;

    // Separators, document type, then a document window; false when any
    // step fails or is cancelled (no window is left behind then).
    bool OpenEdiDocument(const std::string& sFileName);
    void MainFileNew();
    void MainFileOpen();
    void MainOpenRecentFile(int nIndex);
    void SaveAllFiles();
    // The e-mail window with sFileName (may be empty) as its attachment.
    void MainFileSend(const std::string& sFileName);

    void MainViewStatusBarToggle();
    void MainViewToolBarToggle();
    void MainViewOptions();
    void MainViewWebBrowser();
    void MainViewDefaultSize();
    void MainHelpContents();
    void MainHelpAbout();
    void MainToolCreateFA();
    void MainFileTemplate();

    // The toolbar: buttons by key ("New", "Open", "Save", ...).
    void TbToolBarButtonClick(const QString& sKey);
    QAction* ToolbarButton(const QString& sKey) const;
    // true enables every button; false only New, Open and Default Window Size.
    void EnableToolbar(bool bEnable);

    void SetStatusText(const QString& sText);
    // Arranging the document windows.
    void TileHorizontal();
    void TileVertical();
    void ArrangeIcons();

    QToolBar* tbToolBar;
    QStatusBar* sbStatusBar;
    QLabel* sbText;
    QLabel* sbDate;
    QLabel* sbTime;
    QLabel* sbIns;
    QLabel* sbCaps;
    QLabel* sbNum;
    std::array<QAction*, 5> mnuRecentFile{};
    QAction* mnuFileNew;
    QAction* mnuFileOpen;
    QAction* mnuFileTemplate;
    QAction* mnuFileExit;
    QAction* mnuToolCreateFA;
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
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    void LoadGeometry();
    void SaveGeometry();
    void UpdateOpenCommands();
    void UpdateClock();
    void UpdateKeyPanels();
    QString NewChildKey();
    std::vector<class QMdiSubWindow*> ArrangeableWindows() const;

    QMdiArea* mMdi;
    ChildList mcolChildForms;
    std::int32_t mnChildCounter = 0;
    std::vector<std::pair<QString, QAction*>> mButtons;
    QTimer* mClock;
    bool mbIns = true, mbCaps = false, mbNum = false;

    // The geometry read at load, in twips and in pixels: a side the user did
    // not change is saved back exactly, so pixel rounding never creeps in.
    std::array<double, 4> mLoadedTwips{};
    std::array<int, 4> mLoadedPixels{};
};

}  // namespace orr
