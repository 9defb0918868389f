#include "shell/modTool.h"

#include "shell/DatabasePostDialog.h"
#include "shell/QtUi.h"
#include "shell/frmConnect.h"

namespace orr {
namespace {

void OpenServerClient(const char* sCaption, const std::string& sFilePath, QWidget* pParent)
{
    frmConnect dlg(pParent ? pParent : QtUi::DialogParent());
    dlg.setWindowTitle(QString::fromLatin1(sCaption));
    dlg.SetFileName(sFilePath);
    dlg.exec();
}

}  // namespace

void gfOpenEdiServerClient(const std::string& sFilePath, QWidget* pParent)
{
    OpenServerClient("EDI Server Connection", sFilePath, pParent);
}

void gfOpenDatabaseServerClient(EdiDocument* pDoc, QWidget* pParent)
{
    DatabasePostDialog dlg(pDoc, pParent ? pParent : QtUi::DialogParent());
    dlg.exec();
}

}  // namespace orr
