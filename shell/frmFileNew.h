#pragma once
#include <QDialog>
#include <QGroupBox>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QToolBar>
#include <QTreeView>
#include <string>

namespace orr {

// "Select an EDI  Document Type": the user picks the document definition
// for a file and, for a new document, whether it starts with default
// content. The answer goes to the configuration's sReturn1 (the type name,
// untouched when cancelled) and nChosenIndex (1 defaults, 2 empty).
class frmFileNew : public QDialog {
    Q_OBJECT
public:
    explicit frmFileNew(bool bNewDocument, QWidget* parent = nullptr);

    // The list's look, by the key of the toolbar button: "large", "small",
    // "list" or "detail"; other keys do nothing.
    void TbrButtonClick(const QString& sKey);
    // The selected type name, or empty.
    QString SelectedType() const;

    QStandardItemModel* mModel;  // the types: "Name" and "Description"
    QListView* lvc;              // icons and list
    QTreeView* lvcDetail;        // details with both columns
    QStackedWidget* mViews;
    QToolBar* tbr;
    QGroupBox* frmOption;
    QRadioButton* optDefault;
    QRadioButton* optEmptyDocument;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

    // "DOC850.DEF*Purchase Order*DD" -> ("850", "Purchase Order").
    static std::pair<std::string, std::string> ParseEntry(const std::string& sEntry);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Load();
    void CmdOkClick();
};

}  // namespace orr
