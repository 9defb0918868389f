#include "shell/frmFileNew.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <vector>

#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modText.h"
#include "edi/modDocType.h"
#include "schema/clsDefFiles.h"
#include "shell/IconCache.h"

namespace orr {
namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

}  // namespace

std::pair<std::string, std::string> frmFileNew::ParseEntry(const std::string& sEntry)
{
    const auto nStar = sEntry.find('*');
    const std::string sType = gfDocTypeOfEntry(sEntry.substr(0, nStar));
    std::string sDescription;
    if (nStar != std::string::npos) {
        const auto nNext = sEntry.find('*', nStar + 1);
        sDescription = gfTrimBlanks(sEntry.substr(nStar + 1, nNext == std::string::npos ? nNext : nNext - nStar - 1));
    }
    return {sType, sDescription};
}

frmFileNew::frmFileNew(bool bNewDocument, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFileNew"));
    setWindowTitle(QStringLiteral("Select an EDI  Document Type"));

    mModel = new QStandardItemModel(0, 2, this);
    lvc = new QListView(this);
    lvc->setObjectName(QStringLiteral("lvc"));
    lvc->setModel(mModel);
    lvcDetail = new QTreeView(this);
    lvcDetail->setObjectName(QStringLiteral("lvcDetail"));
    lvcDetail->setModel(mModel);
    lvcDetail->setRootIsDecorated(false);
    // Name and Description each take half the width, whatever the window's size.
    lvcDetail->header()->setSectionResizeMode(QHeaderView::Stretch);
    lvcDetail->setSelectionModel(lvc->selectionModel());  // one selection whatever the look
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(lvc), static_cast<QAbstractItemView*>(lvcDetail)}) {
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(view, &QAbstractItemView::doubleClicked, this, [this] { CmdOkClick(); });
    }
    lvc->setResizeMode(QListView::Adjust);  // icons flow into rows as wide as the list
    mViews = new QStackedWidget(this);
    mViews->addWidget(lvc);
    mViews->addWidget(lvcDetail);

    tbr = new QToolBar(this);
    tbr->setObjectName(QStringLiteral("tbr"));
    const std::pair<const char*, const char*> buttons[] = {
        {"large", "Large Icons"}, {"small", "Small Icons"}, {"list", "List"}, {"detail", "Details"}};
    for (const auto& [key, tip] : buttons) {
        const QString sKey = QString::fromLatin1(key);
        QAction* a = tbr->addAction(IconCache::Instance().Icon(QStringLiteral("view") + sKey), QString::fromLatin1(tip));
        a->setObjectName(sKey);
        connect(a, &QAction::triggered, this, [this, sKey] { TbrButtonClick(sKey); });
    }

    frmOption = new QGroupBox(QStringLiteral(" Option "), this);
    frmOption->setObjectName(QStringLiteral("frmOption"));
    optDefault = new QRadioButton(QStringLiteral("Populdate Defaults"), frmOption);
    optDefault->setObjectName(QStringLiteral("optDefault"));
    optEmptyDocument = new QRadioButton(QStringLiteral("Empty Document"), frmOption);
    optEmptyDocument->setObjectName(QStringLiteral("optEmptyDocument"));
    optDefault->setChecked(true);
    auto* optionLayout = new QVBoxLayout(frmOption);
    optionLayout->addWidget(optDefault);
    optionLayout->addWidget(optEmptyDocument);
    frmOption->setVisible(bNewDocument);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOk, &QPushButton::clicked, this, &frmFileNew::CmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttonsLayout = new QVBoxLayout;
    buttonsLayout->addWidget(cmdOk);
    buttonsLayout->addWidget(cmdCancel);
    buttonsLayout->addStretch();
    buttonsLayout->addWidget(frmOption);
    auto* body = new QHBoxLayout;
    body->addWidget(mViews, 1);
    body->addLayout(buttonsLayout);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tbr);
    layout->addLayout(body);
    resize(640, 440);

    Load();
}

void frmFileNew::Load()
{
    mModel->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Description")});
    std::vector<std::string> list;
    const int nCount = gDefFiles ? gDefFiles->GetEdiDefFiles(list) : 0;
    if (nCount == 0) {
        gfMsgBox("No EDI Definition file is found.", MsgIcon::Information);
        cmdOk->setEnabled(false);
        return;
    }
    const QIcon docIcon = IconCache::Instance().Icon(QStringLiteral("doc"));
    for (const std::string& sEntry : list) {
        const auto [sType, sDescription] = ParseEntry(sEntry);
        auto* name = new QStandardItem(docIcon, L1(sType));
        auto* description = new QStandardItem(L1(sDescription));
        mModel->appendRow({name, description});
    }
    mModel->sort(0, Qt::AscendingOrder);
    TbrButtonClick(QStringLiteral("large"));
}

void frmFileNew::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    mViews->currentWidget()->setFocus();
    ShowCurrent();
}

void frmFileNew::TbrButtonClick(const QString& sKey)
{
    if (sKey == QLatin1String("large") || sKey == QLatin1String("small")) {
        const bool bLarge = sKey == QLatin1String("large");
        // Small icons keep their names beside them, as in a list laid out in rows.
        lvc->setViewMode(bLarge ? QListView::IconMode : QListView::ListMode);
        lvc->setIconSize(bLarge ? QSize(32, 32) : QSize(16, 16));
        lvc->setGridSize(bLarge ? QSize(96, 64) : QSize(120, 24));
        lvc->setFlow(QListView::LeftToRight);  // rows from the top
        lvc->setWrapping(true);
        lvc->setMovement(QListView::Static);
        mViews->setCurrentWidget(lvc);
    } else if (sKey == QLatin1String("list")) {
        lvc->setViewMode(QListView::ListMode);
        lvc->setIconSize(QSize(16, 16));
        lvc->setGridSize({});
        lvc->setFlow(QListView::TopToBottom);  // columns from the left
        lvc->setWrapping(true);
        mViews->setCurrentWidget(lvc);
    } else if (sKey == QLatin1String("detail")) {
        mViews->setCurrentWidget(lvcDetail);
    }
    ShowCurrent();
}

void frmFileNew::ShowCurrent()
{
    if (const QModelIndex index = lvc->currentIndex(); index.isValid())
        static_cast<QAbstractItemView*>(mViews->currentWidget())->scrollTo(index);
}

QString frmFileNew::SelectedType() const
{
    // The icon looks select the name only, the details look whole rows.
    for (const QModelIndex& index : lvc->selectionModel()->selectedIndexes())
        return index.siblingAtColumn(0).data().toString();
    return {};
}

void frmFileNew::Preselect(const QString& sType)
{
    for (int row = 0; row < mModel->rowCount(); ++row) {
        const QModelIndex index = mModel->index(row, 0);
        if (index.data().toString().compare(sType, Qt::CaseInsensitive) == 0) {
            lvc->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            ShowCurrent();
            return;
        }
    }
    // A type composed for a file whose groups are of several types is no
    // definition of the list: offer it first, since only it fits the file.
    if (sType.contains(QLatin1Char('+'))) {
        mModel->insertRow(0, {new QStandardItem(IconCache::Instance().Icon(QStringLiteral("doc")), sType),
                              new QStandardItem(QStringLiteral("Groups of several types, each read against its own definition"))});
        Preselect(sType);
    }
}

void frmFileNew::CmdOkClick()
{
    if (!cmdOk->isEnabled())
        return;
    const QString sType = SelectedType().trimmed();
    if (!lvc->selectionModel()->hasSelection()) {
        gfMsgBox("You did not select a new document type.", MsgIcon::Information);
        return;
    }
    mChosen = Choice{sType.toLatin1().toStdString(), optEmptyDocument->isChecked() ? EdiDocument::NewContent::Empty
                                                                                   : EdiDocument::NewContent::Skeleton};
    accept();
}

}  // namespace orr
