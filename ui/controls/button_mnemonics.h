#pragma once
// Translations move the "&" letters: after setting the texts of a dialog's buttons and boxes,
// this gives them unique mnemonics as one group.
#include <vector>

class QAbstractButton;
class QWidget;

namespace ui {

void FixButtonMnemonics(const std::vector<QAbstractButton*>& controls);
// The same for every button and every label that names a field in `window`, as one group: the
// pages of a tabbed dialog share the keys.
void FixWindowMnemonics(QWidget& window);

}  // namespace ui
