#include "shell/frmTemplates.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/SettingsStore.h"
#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modText.h"
#include "schema/clsDefFiles.h"
#include "shell/modFrmDocFile.h"

namespace orr {
namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

std::string Key(int i) { return "TP" + std::to_string(i); }

}  // namespace

frmTemplates::frmTemplates(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTemplates"));
    setWindowTitle(QStringLiteral("EDI Templates"));

    lstTemplates = new QListWidget(this);
    lstTemplates->setObjectName(QStringLiteral("lstTemplates"));
    auto button = [this](const char* sName, const char* sCaption) {
        auto* b = new QPushButton(QString::fromLatin1(sCaption), this);
        b->setObjectName(QString::fromLatin1(sName));
        return b;
    };
    cmdAdd = button("cmdAdd", "&Add ...");
    cmdRemove = button("cmdRemove", "Remove");
    cmdOK = button("cmdOK", "OK");
    cmdCancel = button("cmdCancel", "&Cancel");
    cmdInof = button("cmdInof", "&Templates");
    cmdOK->setDefault(true);
    connect(cmdAdd, &QPushButton::clicked, this, &frmTemplates::CmdAddClick);
    connect(cmdRemove, &QPushButton::clicked, this, &frmTemplates::CmdRemoveClick);
    connect(cmdInof, &QPushButton::clicked, this, &frmTemplates::CmdInofClick);
    connect(cmdOK, &QPushButton::clicked, this, &frmTemplates::CmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdOK, cmdCancel, cmdAdd, cmdRemove})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdInof);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lstTemplates, 1);
    layout->addLayout(buttons);
    resize(560, 300);

    mApp = gConfig->SettingsApp;
    mSection = gConfig->SectionTemplates;
    for (int i = 1; i <= kSlots; ++i)
        mSlots[std::size_t(i - 1)] = gfTrimBlanks(gSettings->Get(mApp, mSection, Key(i), ""));
    FillList();
}

void frmTemplates::FillList()
{
    lstTemplates->clear();
    for (int i = 1; i <= kSlots; ++i)
        lstTemplates->addItem(QString::number(i) + u':' + L1(mSlots[std::size_t(i - 1)]));
}

void frmTemplates::CmdAddClick()
{
    FileDialogRequest request{FileDialogRequest::Open, QStringLiteral("EDI Document template"),
                              QStringLiteral("All Files (*)"), QString::fromStdString(gConfig->InstallDir)};
    const QString sChosen = gfRunFileDialog(this, request);
    const std::string sFile = sChosen.toStdString();
    const std::string sName(gfTrimBlanks(sFile));
    if (sName.empty())
        return;
    if (std::find(mSlots.begin(), mSlots.end(), sName) != mSlots.end()) {
        gfMsgBox(sName + " is already added.", MsgIcon::Information);
        return;
    }
    const auto empty = std::find(mSlots.begin(), mSlots.end(), std::string());
    if (empty == mSlots.end()) {
        gfMsgBox("The maximum template allowed is " + std::to_string(kSlots), MsgIcon::Information);
        return;
    }
    *empty = sFile;
    FillList();
}

void frmTemplates::CmdRemoveClick()
{
    const int nRow = lstTemplates->currentRow();
    if (nRow < 0 || nRow >= kSlots || !lstTemplates->currentItem() || !lstTemplates->currentItem()->isSelected()) {
        gfMsgBox("Select an item first. Then press the Remove button.", MsgIcon::Exclamation);
        return;
    }
    mSlots[std::size_t(nRow)].clear();
    FillList();
}

void frmTemplates::CmdInofClick()
{
    if (!cmdOK->isHidden()) {
        for (QPushButton* b : {cmdOK, cmdCancel, cmdAdd, cmdRemove})
            b->hide();
        lstTemplates->clear();
        std::vector<std::string> list;
        if (gDefFiles && gDefFiles->GetAllDefFiles(list) != 0)
            for (const std::string& sEntry : list)
                lstTemplates->addItem(L1(sEntry));
    } else {
        for (QPushButton* b : {cmdOK, cmdCancel, cmdAdd, cmdRemove})
            b->show();
        FillList();
    }
}

void frmTemplates::CmdOkClick()
{
    for (int i = 1; i <= kSlots; ++i)
        gSettings->Save(mApp, mSection, Key(i), mSlots[std::size_t(i - 1)]);
    if (gDefFiles)
        gDefFiles->RefreshBinFile();
    accept();
}

}  // namespace orr
