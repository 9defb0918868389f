#pragma once
// What a window inside the frame asks of it. The frame implements it and
// hands it to each window it makes, so that no child reaches for the frame
// itself; a window without a frame (a test's, a dialog's) has none and its
// frame commands do nothing.
#include <QString>
#include <memory>
#include <string>

#include "shell/DocumentWindow.h"

namespace orr {

class RecoveryService;

// The frame's own commands: its menus', and those a document window's menus offer too.
enum class FrameCommand {
    FileNew,
    FileOpen,
    SaveAll,
    WebBrowser,
    ToggleToolbar,
    ToggleStatusBar,
    DefaultSize,         // the frame's size and place back to the defaults
    DefaultSizeCascade,  // the same, then the document windows cascaded
    Options,
    Cascade,
    TileHorizontal,
    TileVertical,
    ArrangeIcons,
    HelpContents,
    HelpAbout,
    Exit,  // every window closed, the frame first
    Templates,
    CreateAck,  // for a file chosen then
    Compare,
    CheckFolder,
    FindInFolder,
    SendEmail,  // with no attachment
    ConnectEdiServer,
    PostToDatabase,
};

class FrameServices {
public:
    virtual ~FrameServices() = default;
    virtual void SetStatusText(const QString& sText) = 0;
    // Whether window is the one the frame's toolbar and menus act on.
    virtual bool IsActive(const DocumentWindow* window) const = 0;
    // Runs a document command as the toolbar does: on the active window,
    // then every button's state refreshed.
    virtual void RunDocCommand(DocCommand command) = 0;
    virtual void RunFrameCommand(FrameCommand command) = 0;
    virtual void OpenRecentFile(int nIndex) = 0;
    // Separators, type, window: false when a step fails or is cancelled.
    virtual bool OpenEdiDocument(const std::string& sFileName) = 0;
    // Whether the frame shows its toolbar and its status bar.
    virtual bool ToolbarShown() const = 0;
    virtual bool StatusBarShown() const = 0;
    // The document window with child key sKey is going.
    virtual void DocumentClosed(const QString& sKey) = 0;
    // Where unsaved changes are kept for recovery (null: they are not).
    virtual std::shared_ptr<RecoveryService> Recovery() const = 0;
};

}  // namespace orr
