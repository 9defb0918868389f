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
#include <optional>
#include <string>

#include "doctree/EdiDocument.h"

namespace orr {

// "Select an EDI  Document Type": the user picks the document definition
// for a file and, for a new document, whether it starts with default
// content. Chosen() is the answer, nothing when cancelled.
class frmFileNew : public QDialog {
    Q_OBJECT
public:
    explicit frmFileNew(bool bNewDocument, QWidget* parent = nullptr);

    // The list's look, by the key of the toolbar button: "large", "small",
    // "list" or "detail"; other keys do nothing.
    void TbrButtonClick(const QString& sKey);
    // The selected type name, or empty.
    QString SelectedType() const;
    struct Choice {
        std::string sType;
        EdiDocument::NewContent content = EdiDocument::NewContent::Skeleton;  // a new document's
    };
    const std::optional<Choice>& Chosen() const { return mChosen; }
    // Selects the type named sType (any case) and shows it; nothing when the
    // list has no such type, unless it is a composed type ("850+810"), which
    // is added first.
    void Preselect(const QString& sType);

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
    // Scrolls the current look to the current item.
    void ShowCurrent();

    std::optional<Choice> mChosen;
};

}  // namespace orr
