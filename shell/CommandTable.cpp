#include "shell/CommandTable.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace orr {

std::span<const CommandDef> gfCommandTable()
{
    using C = DocCommand;
    using F = FrameCommand;
    using K = QKeySequence;
    static const std::vector<CommandDef> table = {
        {F::FileNew, "mnuFileNew", "&New ...", {K::New}, "New", "New Document", "new"},
        {F::FileOpen, "mnuFileOpen", "&Open...", {K::Open}, "Open", "Open Document", "open"},
        {C::Save, "mnuFileSave", "&Save", {K::Save}, "Save", "Save Document", "save"},
        {C::Print, "mnuFilePrint", "&Print ...", {K::Print}, "Print", "Print", "print"},
        {C::EditData, "mnuEditData", "&Edit Data", {K(Qt::Key_F2)}, "Edit", "Edit Segment", "edit"},
        {C::Validate, "mnuToolValidate", "Validate Document", {K(Qt::Key_F5)}, "Validate", "Validate Document",
         "validate"},
        {C::NewChild, "mnuEditNewChild", "Create &New Child", {}, "InsChild", "Insert New Child Node", "insertchild"},
        {C::ToggleEmpty, "mnuEditShowNull", "Hide/Show Empty Folder", {}, "ShowNull", "Show/Hide Empty Nodes",
         "shownull"},
        {C::NewSiblingBefore, "mnuEditNewSiblingBefore", "&Before Current Node", {}, "InsBefore",
         "Insert Before Sibling", "insertbefore"},
        {C::NewSiblingAfter, "mnuEditNewSiblingAfter", "&After Current Node", {K(Qt::Key_Insert)}, "InsAfter",
         "Insert After Sibling", "insertafter"},
        {C::Cut, "mnuEditCut", "Cu&t", {K::Cut}, "Cut", "Cut", "cut"},
        {C::Copy, "mnuEditCopy", "&Copy", {K::Copy}, "Copy", "Copy", "copy"},
        {C::Paste, "mnuEditPaste", "&Paste", {K::Paste}, "Paste", "Paste", "paste"},
        {C::Delete, "mnuEditDelete", "&Delete", {K(Qt::Key_Delete)}, "Delete", "Delete", "delete"},
        {C::MoveDown, "mnuEditMoveDown", "Down", {}, "Down", "Move Down", "down"},
        {C::MoveUp, "mnuEditMoveUp", "Up", {}, "Up", "Move Up", "up"},
        {C::ExpandAll, "mnuViewExpandTree", "Expand All", {}, "Expand", "Expand All", "expand"},
        {C::CollapseAll, "mnuViewCollpaseTree", "Collapse All", {}, "Collapse", "Collapse All", "collapse"},
        // The button sizes the frame only; the window's entry cascades too.
        {F::DefaultSize, "DefaultWindow", "Default Window Size", {}, "DefaultWindow", "Default Window Size",
         "defaultwindow"},
        {C::Undo, "mnuEditUndo", "&Undo", {K(Qt::CTRL | Qt::Key_Z)}, "Undo", "Undo", "undo"},
        {C::Redo, "mnuEditRedo", "&Redo", {K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, "Redo",
         "Redo", "redo"},
        {C::Close, "mnuFileClose", "&Close", {K(Qt::CTRL | Qt::Key_W)}},
        {C::SaveAs, "mnuFileSaveAs", "Save &As...", {}},
        {C::ExportJson, "mnuFileExportJson", "Export as &JSON...", {}},
        {C::ExportXml, "mnuFileExportXml", "Export as &XML...", {}},
        {C::ClearCut, "mnuEditClearCut", "&Clear Copy/Cut", {}},
        {C::EditSource, "mnuEditEditSource", "Edit EDI &Source ...", {}},
        {C::OpenSameTemplate, "mnuEditNewFile", "&Open File (Same Template)", {}},
        {C::ClearMapping, "mnuToolClearMapping", "Clear Mapping", {}},
        {C::ConvertFormat, "mnuToolConvertEDI", "Convert EDI format ...", {}},
        {C::CreateAck, "mnuToolFA", "Create Functional Ack ...", {}},
        {C::ExportText, "mnuToolExportText", "Delimited Text File", {}},
        {C::ExportXml, "mnuToolExportXML", "XML File", {}},
        {C::ExportJson, "mnuToolExportJSON", "JSON File", {}},
        {C::SendEmail, "mnuToolEmail", "&Send Email ...", {}},
        {C::ConnectEdiServer, "mnuToolEdiServer", "&Connect to EDI Server ...", {}},
        {C::SwitchView, "mnuViewSwitch", "SwitchTreeView", {}},
        {C::Refresh, "mnuViewRefresh", "&Refresh", {}},
        {C::EditHL, "mnuViewHL", "Hierarchical Level", {}},
        {F::SaveAll, "mnuFileSaveAll", "Save A&ll", {}},
        {F::WebBrowser, "mnuToolBrowser", "&Web Browser", {}},
        {F::ToggleToolbar, "mnuViewToolbar", "&Toolbar", {}},
        {F::ToggleStatusBar, "mnuViewStatusBar", "Status &Bar", {}},
        {F::DefaultSizeCascade, "mnuViewDefaultSize", "Default Window Size", {}},
        {F::Options, "mnuViewOptions", "&Options...", {}},
        {F::Cascade, "mnuWindowCascade", "&Cascade", {}},
        {F::TileHorizontal, "mnuWindowTileHorizontal", "Tile &Horizontal", {}},
        {F::TileVertical, "mnuWindowTileVertical", "Tile &Vertical", {}},
        {F::ArrangeIcons, "mnuWindowArrangeIcons", "&Arrange Icons", {}},
        {F::HelpContents, "mnuHelpContents", "&Contents", {}},
        {F::HelpAbout, "mnuHelpAbout", "&About ", {}},
        {F::Exit, "mnuFileExit", "E&xit", {}},
    };
    return table;
}

namespace {

// Entries of the frame's own menus that the document window has not, or
// has with another command or caption.
std::span<const CommandDef> FrameOwnEntries()
{
    using F = FrameCommand;
    static const std::vector<CommandDef> table = {
        {F::Templates, "mnuFileTemplate", "EDI Templates ...", {}},
        {F::CreateAck, "mnuToolCreateFA", "Create Functional Ack ...", {}},
        {F::Compare, "mnuToolCompare", "Compare &Documents...", {}},
        {F::CheckFolder, "mnuToolCheckFolder", "Check &Folder...", {}},
        {F::FindInFolder, "mnuToolFindInFolder", "Find &in Folder...", {}},
        {F::SendEmail, "mnuToolEmail", "&Send Email ...", {}},
        {F::ConnectEdiServer, "mnuToolEdiServer", "Connect to EDI Server ...", {}},
        {F::PostToDatabase, "mnuToolExportSQL", "Post to SQL Server ...", {}},
        // The frame has no document windows to cascade.
        {F::DefaultSize, "mnuViewDefaultSize", "Default Main Window Size", {}},
    };
    return table;
}

const CommandDef* Find(std::span<const CommandDef> table, const char* sName)
{
    for (const CommandDef& def : table)
        if (std::strcmp(def.sName, sName) == 0)
            return &def;
    return nullptr;
}

}  // namespace

const CommandDef& gfCommandNamed(const char* sName)
{
    if (const CommandDef* def = Find(gfCommandTable(), sName))
        return *def;
    throw std::logic_error(std::string("no command entry ") + sName);
}

const CommandDef& gfFrameCommandNamed(const char* sName)
{
    const CommandDef* def = Find(FrameOwnEntries(), sName);
    if (!def)
        def = Find(gfCommandTable(), sName);
    if (!def || !std::holds_alternative<FrameCommand>(def->command))
        throw std::logic_error(std::string("no frame command entry ") + sName);
    return *def;
}

}  // namespace orr
