#include "shell/frmDirPath.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

#include "app/UiService.h"

namespace orr {
namespace {

bool IsDirectory(const QString& sPath) { return !sPath.isEmpty() && QFileInfo(sPath).isDir(); }

}  // namespace

frmDirPath::frmDirPath(const std::string& sStartPath, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDirPath"));
    setWindowTitle(QStringLiteral("Select Directory Path"));

    txtDirPath = new QLineEdit(this);
    txtDirPath->setObjectName(QStringLiteral("txtDirPath"));
    ctlDrive = new QComboBox(this);
    ctlDrive->setObjectName(QStringLiteral("ctlDrive"));
    for (const QFileInfo& drive : QDir::drives())
        ctlDrive->addItem(QDir::toNativeSeparators(drive.absoluteFilePath()), drive.absoluteFilePath());
    mDirs = new QFileSystemModel(this);
    mDirs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    ctlDir = new QTreeView(this);
    ctlDir->setObjectName(QStringLiteral("ctlDir"));
    ctlDir->setModel(mDirs);
    ctlDir->setHeaderHidden(true);
    for (int c = 1; c < mDirs->columnCount(); ++c)
        ctlDir->hideColumn(c);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(txtDirPath, 0, 0, 1, 2);
    layout->addWidget(ctlDir, 1, 0, 2, 1);
    layout->addWidget(cmdOk, 1, 1, Qt::AlignTop);
    layout->addWidget(cmdCancel, 2, 1, Qt::AlignTop);
    layout->addWidget(ctlDrive, 3, 0);
    layout->setColumnStretch(0, 1);
    resize(480, 400);

    // Load: the directory handed in, or the first root when it does not exist.
    QString sStart = QString::fromStdString(sStartPath).trimmed();
    if (!IsDirectory(sStart))
        sStart = ctlDrive->count() > 0 ? ctlDrive->itemText(0) : QDir::rootPath();
    txtDirPath->setText(sStart);
    const QString sAbsolute = QDir(sStart).absolutePath();
    int nDrive = 0;
    for (int i = 0; i < ctlDrive->count(); ++i)
        if (sAbsolute.startsWith(ctlDrive->itemData(i).toString(), Qt::CaseInsensitive))
            nDrive = i;
    ctlDrive->setCurrentIndex(nDrive);
    mDirs->setRootPath(ctlDrive->itemData(nDrive).toString());
    ctlDir->setRootIndex(mDirs->index(ctlDrive->itemData(nDrive).toString()));
    // The model reads folders in the background: the start folder is shown
    // open and selected once the folders on its path have been read.
    msStart = sAbsolute;
    ShowStart();
    // The model sorts a folder's rows after it says it has read them: the
    // scroll waits until then.
    connect(mDirs, &QFileSystemModel::directoryLoaded, this, [this](const QString& sDir) {
        if (!msStart.isEmpty() && (msStart + QLatin1Char('/')).startsWith(sDir))
            QTimer::singleShot(0, this, &frmDirPath::ShowStart);
    });

    connect(ctlDrive, &QComboBox::activated, this, &frmDirPath::DriveChange);
    connect(ctlDir, &QTreeView::clicked, this, &frmDirPath::DirChange);
    connect(ctlDir, &QTreeView::clicked, this, [this] { msStart.clear(); });  // the user's choice from now on
    connect(ctlDir, &QTreeView::activated, this, &frmDirPath::DirChange);
    connect(cmdOk, &QPushButton::clicked, this, &frmDirPath::CmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDirPath::CmdCancelClick);
}

void frmDirPath::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &frmDirPath::ShowStart);  // once the view has its size
}

void frmDirPath::ShowStart()
{
    if (msStart.isEmpty())
        return;
    const QModelIndex start = mDirs->index(msStart);
    if (!start.isValid())
        return;
    for (QModelIndex i = start.parent(); i.isValid(); i = i.parent())
        ctlDir->expand(i);
    ctlDir->setCurrentIndex(start);
    ctlDir->scrollTo(start, QAbstractItemView::PositionAtCenter);
}

void frmDirPath::DriveChange(int nIndex)
{
    const QString sDrive = ctlDrive->itemData(nIndex).toString();
    txtDirPath->setText(ctlDrive->itemText(nIndex));
    mDirs->setRootPath(sDrive);
    ctlDir->setRootIndex(mDirs->index(sDrive));
}

void frmDirPath::DirChange(const QModelIndex& index)
{
    if (index.isValid())
        txtDirPath->setText(QDir::toNativeSeparators(mDirs->filePath(index)));
}

void frmDirPath::CmdOkClick()
{
    QString sPath = txtDirPath->text().trimmed();
    if (!sPath.isEmpty() && !IsDirectory(sPath)) {
        const std::string sText = "Directory " + sPath.toStdString() + " does not exist. Create ?";
        if (gfMsgBox(sText, MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes)
            QDir().mkpath(sPath);  // a failure leaves the path as typed
        else
            sPath.clear();
    }
    msChosen = sPath.toStdString();
    accept();
}

void frmDirPath::CmdCancelClick() { reject(); }

void frmDirPath::reject()
{
    // Closing the window any other way is a cancel as well.
    msChosen.clear();
    QDialog::reject();
}

}  // namespace orr
