#pragma once
#include <QComboBox>
#include <QDialog>
#include <QPushButton>

#include "edi/cls2ndChance.h"

namespace orr {

// "Select a different Segment and Data Element Separator": offered when a
// file could not be read with its separators. Choose runs it and gives the
// chosen pair.
class frm2ndChance : public QDialog {
    Q_OBJECT
public:
    explicit frm2ndChance(QWidget* parent = nullptr);

    void reject() override;
    std::optional<SeparatorPair> Choice() const { return mChoice.Choice(); }
    // Runs the dialog modally: the chosen pair, or nothing when cancelled.
    static std::optional<SeparatorPair> Choose(QWidget* parent);

    QComboBox* cboSegment;
    QComboBox* cboDataElement;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

private:
    void CmdOkClick();

    cls2ndChance mChoice;
};

}  // namespace orr
