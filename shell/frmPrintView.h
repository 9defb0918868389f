#pragma once
#include <QDialog>
#include <QListView>
#include <QPushButton>
#include <string>

class QPagedPaintDevice;

namespace orr {

class TextLineModel;

// "Print Document": a document written to the working file, shown
// read-only, in a font the user may choose, and printed. Without its print
// buttons it is the read-only view of the EDI text. The file is read in
// place, a row at a time as it is shown, so a large document opens at once.
class frmPrintView : public QDialog {
    Q_OBJECT
public:
    explicit frmPrintView(QWidget* parent = nullptr);

    // Shows the working file as plain text; "Could not load file." when it is gone.
    void LoadFile(const std::string& sFile);
    // The text as printed: CR LF and lone CR as line feeds.
    QString Text() const;
    // The name at the top of every printed page.
    void SetTitle(const QString& sTitle) { msTitle = sTitle; }
    // Select Font... and Print; without them only Cancel is offered.
    void ShowPrintButtons(bool bShow);

    void CmdFontClick();
    // The printer dialog, then the print; a cancelled dialog prints nothing.
    void CmdPrintClick();
    // Prints the text as shown on a device already set up; false when it could not.
    bool PrintOn(QPagedPaintDevice& device);

    QListView* lvwText;
    QPushButton* cmdFont;
    QPushButton* cmdPrint;
    QPushButton* cmdCancel;

private:
    QString msTitle;
    TextLineModel* mLines;
};

}  // namespace orr
