#pragma once
// Separator drop-down lists: the candidates in their notation, the current
// separator selected.
#include "app/clsConfig.h"

class QComboBox;

namespace orr {

// Replaces the box's entries with the choices and selects the chosen one.
void gfFillSeparatorBox(QComboBox* box, const SeparatorChoices& choices);

}  // namespace orr
