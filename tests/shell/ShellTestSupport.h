#pragma once
// A private world for a window test: temporary directory, in-memory
// settings and configuration, a scripted user, a loaded definition store,
// and no real file dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "app/modGlobals.h"
#include "schema/clsDefFiles.h"
#include "shell/frmMain.h"
#include "shell/modFrmDocFile.h"
#include "tests/support/TestEnv.h"

namespace orr::test {

// Answers the program's file dialogs from a list ("" cancels) instead of
// showing them, and records what was asked.
class FileDialogScript {
public:
    FileDialogScript()
    {
        gfSetFileDialogHook([this](const FileDialogRequest& r) {
            requests.push_back(r);
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected file dialog: " << r.sTitle.toStdString();
                return QString();
            }
            QString s = answers.front();
            answers.erase(answers.begin());
            return s;
        });
    }
    ~FileDialogScript()
    {
        gfSetFileDialogHook({});
        frmMain::SetDocumentWindowHook({});
    }
    FileDialogScript(const FileDialogScript&) = delete;
    FileDialogScript& operator=(const FileDialogScript&) = delete;

    std::vector<QString> answers;  // what the next file dialogs return ("" cancels)
    std::vector<FileDialogRequest> requests;
};

class ShellEnv : public TestEnv, public FileDialogScript {
public:
    ShellEnv()
    {
        QStandardPaths::setTestModeEnabled(true);
        WriteContainer(config->DefinitionFile, {{"DOC850.DEF", "???*DESCRIPTION*Purchase Order\r\n"},
                                                {"DOC810.DEF", "???*DESCRIPTION* Invoice \r\n"},
                                                {"BEG.DEF", "BEG*1\r\n"}});
        defFiles.RefreshBinFile();
        gDefFiles = &defFiles;
    }

    clsDefFiles defFiles;
};

// Runs fn on the next modal dialog of type T once the dialog is up; for
// commands that show a dialog with exec() themselves.
template <typename T>
void WhenModal(std::function<void(T*)> fn)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, fn] {
        if (auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fn(dlg);
        } else if (++*tries > 400) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog came up";
        }
    });
    timer->start();
}

}  // namespace orr::test
