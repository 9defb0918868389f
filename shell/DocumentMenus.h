#pragma once
// The menus of a document window, built from the command table: each entry
// runs its command (through the frame when the window is the active one, so
// the toolbar follows) and is enabled exactly when the command can run.
#include <QList>

class QAction;
class QMenu;

namespace orr {

class frmDocument;
struct CommandDef;

class DocumentMenus {
public:
    static void Build(frmDocument& w);

private:
    explicit DocumentMenus(frmDocument& w) : mW(w) {}
    void File();
    void Edit();
    void Tools();
    void View();
    void Window();
    void Help();
    // The entry named sName in the command table, added to menu.
    QAction* Add(QMenu* menu, const char* sName);
    // The same, its shortcuts answered in this window only (several
    // documents are open at once: the one holding the focus answers).
    QAction* AddShortcut(QMenu* menu, const char* sName);
    QMenu* Menu(const char* sCaption, const char* sName);

    frmDocument& mW;
};

}  // namespace orr
