#pragma once
// Translations move the "&" letters: after setting the texts of a dialog's buttons and boxes,
// this gives them unique mnemonics as one group.
#include <vector>

class QAbstractButton;

namespace ui {

void FixButtonMnemonics(const std::vector<QAbstractButton*>& controls);

}  // namespace ui
