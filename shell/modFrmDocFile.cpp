#include "shell/modFrmDocFile.h"

#include "shell/QtUi.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "edi/modDocType.h"
#include "schema/clsDefFiles.h"
#include "shell/frmFileNew.h"

namespace orr {
namespace {

FileDialogHook& Hook()
{
    static FileDialogHook hook;
    return hook;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString StartDirectory() { return gConfig ? Q(gConfig->DirOutgoing) : QString(); }

}  // namespace

void gfSetFileDialogHook(FileDialogHook hook) { Hook() = std::move(hook); }

QString gfRunFileDialog(QWidget* pParent, const FileDialogRequest& request)
{
    if (Hook())
        return Hook()(request);
    if (!pParent)
        pParent = QtUi::DialogParent();
    if (request.kind == FileDialogRequest::Save)
        return QFileDialog::getSaveFileName(pParent, request.sTitle, request.sDirectory, request.sFilter);
    return QFileDialog::getOpenFileName(pParent, request.sTitle, request.sDirectory, request.sFilter);
}

std::string gfOpenFileDialog()
{
    const QString sChosen = gfRunFileDialog(
        nullptr, {FileDialogRequest::Open, QStringLiteral("Open EDI Document"), QString::fromLatin1(kEdiFileFilter),
                  StartDirectory()});
    const std::string sPath = sChosen.toStdString();
    if (!sPath.empty() && gConfig) {
        const std::string sDir = gfFilePath(sPath);
        if (!sDir.empty())
            gConfig->DirOutgoing = sDir;
    }
    return sPath;
}

std::string gfSaveFileDialog()
{
    return gfRunFileDialog(nullptr, {FileDialogRequest::Save, QStringLiteral("Save EDI Document File"),
                                     QString::fromLatin1(kEdiFileFilter), StartDirectory()})
        .toStdString();
}

void gfChooseSaveFile(QLineEdit* txtFile)
{
    const std::string sPath = gfSaveFileDialog();
    if (!sPath.empty())
        txtFile->setText(QString::fromStdString(sPath));
}

bool gfFileExists(const std::string& sPath)
{
    const QFileInfo info(Q(sPath));
    return !sPath.empty() && info.exists() && !info.isDir();
}

std::string gfFilePath(const std::string& sPath)
{
    const auto n = sPath.find_last_of("/\\");
    return n == std::string::npos ? std::string() : sPath.substr(0, n);
}

std::optional<frmFileNew::Choice> gfChooseDocType(const std::string& sFileName)
{
    frmFileNew dlg(sFileName.empty(), QtUi::DialogParent());
    // The definition that fits the file's transaction sets; the user confirms it.
    if (!sFileName.empty() && gDefFiles)
        dlg.Preselect(QString::fromStdString(gfTypeThatFits(sFileName)));
    dlg.exec();
    return dlg.Chosen();
}

}  // namespace orr
