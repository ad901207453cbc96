#pragma once
// Translations move the "&" letters: after setting the texts of a dialog's buttons and boxes,
// this gives them unique mnemonics as one group.
#include <vector>

class QAbstractButton;
class QWidget;

namespace ui {

void FixButtonMnemonics(const std::vector<QAbstractButton*>& controls);
// The same for every button and every label that names a field in `window`. The pages of a tab
// widget or a stack may use the same keys: each is a group with the controls outside the pages.
void FixWindowMnemonics(QWidget& window);

}  // namespace ui
