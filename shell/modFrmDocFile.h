#pragma once
// File services every window uses: the open and save dialogs, file checks,
// and the choice of a document type for a file.
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "shell/frmFileNew.h"

class QLineEdit;
class QWidget;

namespace orr {

// One file dialog as the program asks for it.
struct FileDialogRequest {
    enum Kind { Open, Save } kind = Open;
    QString sTitle;
    QString sFilter;     // Qt's form: "EDI Files (*.edi);;All Files (*)"
    QString sDirectory;  // where the dialog starts
};

// Shows a file dialog; an empty result when the user cancels. Tests answer
// through the hook instead of a window.
QString gfRunFileDialog(QWidget* pParent, const FileDialogRequest& request);
using FileDialogHook = std::function<QString(const FileDialogRequest&)>;
// An empty hook restores the real dialogs.
void gfSetFileDialogHook(FileDialogHook hook);

inline constexpr const char* kEdiFileFilter = "EDI Files (*.edi);;All Files (*)";

// "Open EDI Document" for an existing file; remembers its folder as the
// outgoing directory (for this run only). Empty when cancelled.
std::string gfOpenFileDialog();
// "Save EDI Document File", asking before it replaces a file. Empty when cancelled.
std::string gfSaveFileDialog();
// The save dialog for a file field: a chosen path replaces the field's text.
void gfChooseSaveFile(QLineEdit* txtFile);
// True for an existing path that is not a directory.
bool gfFileExists(const std::string& sPath);
// The part before the last path separator; empty when there is none.
std::string gfFilePath(const std::string& sPath);

// Asks for the document type of sFileName (a new document when empty, which
// also offers the choice between default content and an empty document).
// Nothing when the user cancelled.
std::optional<frmFileNew::Choice> gfChooseDocType(const std::string& sFileName);

}  // namespace orr
