#pragma once
#include <QComboBox>
#include <QDialog>
#include <QPushButton>

#include "edi/cls2ndChance.h"

namespace orr {

// "Select a different Segment and Data Element Separator": offered when a
// file could not be read with its separators. The choice is left in the
// configuration's sReturn1 (segment) and sReturn2 (data element) as
// notations, both empty when cancelled.
class frm2ndChance : public QDialog {
    Q_OBJECT
public:
    explicit frm2ndChance(QWidget* parent = nullptr);

    void reject() override;

    QComboBox* cboSegment;
    QComboBox* cboDataElement;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

private:
    void CmdOkClick();

    cls2ndChance mChoice;
};

}  // namespace orr
