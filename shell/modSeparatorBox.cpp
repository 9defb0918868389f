#include "shell/modSeparatorBox.h"

#include <QComboBox>

namespace orr {

void gfFillSeparatorBox(QComboBox* box, const SeparatorChoices& choices)
{
    box->clear();
    for (const std::string& sEntry : choices.entries)
        box->addItem(QString::fromLatin1(sEntry.data(), qsizetype(sEntry.size())));
    box->setCurrentIndex(choices.nSelected);
}

}  // namespace orr
