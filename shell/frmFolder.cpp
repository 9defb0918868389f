#include "shell/frmFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <sstream>

#include "app/UiService.h"
#include "doctree/BatchOpen.h"
#include "doctree/FolderCheck.h"
#include "doctree/FolderFind.h"
#include "doctree/FolderRunner.h"
#include "shell/FrameServices.h"

namespace orr {
namespace {

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

// The cells of a result: its lines, TAB-separated.
std::vector<QStringList> Rows(const std::string& sOut)
{
    std::vector<QStringList> rows;
    std::istringstream in(sOut);
    for (std::string sLine; std::getline(in, sLine);)
        rows.push_back(Latin1(sLine).split(QLatin1Char('\t')));
    return rows;
}

}  // namespace

frmFolder::frmFolder(Mode mode, QWidget* parent) : QDialog(parent), mMode(mode)
{
    const bool bFind = mode == Mode::Find;
    setObjectName(bFind ? QStringLiteral("frmFindInFolder") : QStringLiteral("frmCheckFolder"));
    setWindowTitle(bFind ? QStringLiteral("Find in Folder") : QStringLiteral("Check Folder"));
    auto* grid = new QGridLayout(this);
    const auto edit = [this](const char* sName) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(sName));
        return e;
    };
    txtFolder = edit("txtFolder");
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString s = QFileDialog::getExistingDirectory(this, windowTitle(), txtFolder->text());
        if (!s.isEmpty())
            txtFolder->setText(s);
    });
    chkRecursive = new QCheckBox(QStringLiteral("Include &subfolders"), this);
    chkRecursive->setObjectName(QStringLiteral("chkRecursive"));
    int nRow = 0;
    grid->addWidget(new QLabel(QStringLiteral("Folder:"), this), nRow, 0);
    grid->addWidget(txtFolder, nRow, 1, 1, 3);
    grid->addWidget(browse, nRow++, 4);
    txtText = edit("txtText");
    chkRegex = new QCheckBox(QStringLiteral("&Regular expression"), this);
    chkRegex->setObjectName(QStringLiteral("chkRegex"));
    txtSegment = edit("txtSegment");
    txtSegment->setPlaceholderText(QStringLiteral("any segment"));
    txtElement = edit("txtElement");
    txtElement->setPlaceholderText(QStringLiteral("whole segment (or 03, 03-2)"));
    if (bFind) {
        grid->addWidget(new QLabel(QStringLiteral("Find what:"), this), nRow, 0);
        grid->addWidget(txtText, nRow, 1, 1, 3);
        grid->addWidget(chkRegex, nRow++, 4);
        grid->addWidget(new QLabel(QStringLiteral("Segment:"), this), nRow, 0);
        grid->addWidget(txtSegment, nRow, 1);
        grid->addWidget(new QLabel(QStringLiteral("Element:"), this), nRow, 2);
        grid->addWidget(txtElement, nRow++, 3);
    } else {
        for (QWidget* w : {static_cast<QWidget*>(txtText), static_cast<QWidget*>(chkRegex),
                           static_cast<QWidget*>(txtSegment), static_cast<QWidget*>(txtElement)})
            w->hide();
    }
    cmdRun = new QPushButton(bFind ? QStringLiteral("&Find") : QStringLiteral("&Check"), this);
    cmdRun->setObjectName(QStringLiteral("cmdRun"));
    cmdRun->setDefault(true);
    cmdStop = new QPushButton(QStringLiteral("S&top"), this);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setEnabled(false);
    grid->addWidget(chkRecursive, nRow, 1);
    grid->addWidget(cmdStop, nRow, 3);
    grid->addWidget(cmdRun, nRow++, 4);
    tblResults = new QTableWidget(0, bFind ? 3 : 5, this);
    tblResults->setObjectName(QStringLiteral("tblResults"));
    tblResults->setHorizontalHeaderLabels(
        bFind ? QStringList{QStringLiteral("File"), QStringLiteral("Segment No."), QStringLiteral("Segment")}
              : QStringList{QStringLiteral("File"), QStringLiteral("Type"), QStringLiteral("Verdict"),
                            QStringLiteral("Errors"), QStringLiteral("Warnings")});
    tblResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblResults->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblResults->horizontalHeader()->setStretchLastSection(true);
    tblResults->verticalHeader()->hide();
    grid->addWidget(tblResults, nRow++, 0, 1, 5);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    grid->addWidget(lblStatus, nRow, 0, 1, 5);
    connect(cmdRun, &QPushButton::clicked, this, &frmFolder::Run);
    connect(cmdStop, &QPushButton::clicked, this, [this] { mbStop = true; });
    connect(tblResults, &QTableWidget::cellDoubleClicked, this, [this](int nRow2, int) { OpenRow(nRow2); });
    const auto enable = [this] {
        cmdRun->setEnabled(!txtFolder->text().isEmpty() && (mMode == Mode::Check || !txtText->text().isEmpty()));
    };
    connect(txtFolder, &QLineEdit::textChanged, this, enable);
    connect(txtText, &QLineEdit::textChanged, this, enable);
    enable();
    resize(900, 560);
}

void frmFolder::AddRow(const QStringList& cells)
{
    const int nRow = tblResults->rowCount();
    tblResults->insertRow(nRow);
    for (int c = 0; c < cells.size() && c < tblResults->columnCount(); ++c)
        tblResults->setItem(nRow, c, new QTableWidgetItem(cells[c]));
}

bool frmFolder::Run()
{
    tblResults->setRowCount(0);
    FolderFind find;
    if (mMode == Mode::Find &&
        !find.SetQuery({txtText->text().toStdString(), chkRegex->isChecked(), txtSegment->text().toStdString(),
                        txtElement->text().toStdString()})) {
        gfMsgBox(find.sError(), MsgIcon::Information);
        return false;
    }
    std::istringstream none;
    const std::vector<std::string> files =
        FolderRunner::ExpandPaths({txtFolder->text().toStdString()}, chkRecursive->isChecked(), none);
    FolderCheck check(BatchOpen::kAuto);
    const FolderRunner::Job job = [&](const std::string& sFile) {
        FolderRunner::Result r;
        if (mMode == Mode::Find) {
            if (const std::optional<std::vector<FolderFind::Hit>> hits = find.Search(sFile))
                r.sOut = FolderFind::Lines(sFile, *hits);
        } else {
            r.sOut = FolderCheck::TextLine(sFile, check.Check(sFile));
        }
        return r;
    };
    std::size_t nDone = 0;
    mbStop = false;
    cmdRun->setEnabled(false);
    cmdStop->setEnabled(true);
    const bool bDone = FolderRunner::Run(
        files, FolderRunner::DefaultJobs(), job,
        [&](std::size_t i, const FolderRunner::Result& r) {
            for (const QStringList& cells : Rows(r.sOut))
                AddRow(cells);
            if (r.nStatus == FolderRunner::kDied)
                AddRow({QString::fromStdString(files[i]), QStringLiteral("-"), QStringLiteral("unreadable")});
            lblStatus->setText(QStringLiteral("%1 of %2 files").arg(++nDone).arg(files.size()));
        },
        [this] {
            QApplication::processEvents();
            return !mbStop;
        });
    cmdStop->setEnabled(false);
    cmdRun->setEnabled(true);
    if (bDone)
        lblStatus->setText(mMode == Mode::Find
                               ? QStringLiteral("%1 files searched, %2 segments found.").arg(files.size()).arg(tblResults->rowCount())
                               : QStringLiteral("%1 files checked.").arg(files.size()));
    else
        lblStatus->setText(QStringLiteral("Stopped after %1 of %2 files.").arg(nDone).arg(files.size()));
    tblResults->resizeColumnsToContents();
    return bDone;
}

void frmFolder::OpenRow(int nRow)
{
    const QTableWidgetItem* item = tblResults->item(nRow, 0);
    // Opened by the frame it was started from (none: a row only shows its file).
    if (auto* frame = dynamic_cast<FrameServices*>(parentWidget()); item && frame)
        frame->OpenEdiDocument(item->text().toStdString());
}

}  // namespace orr
