#pragma once
// Translations move the "&" letters: after a window's texts are set, this gives every button and
// every label that names a field a key of its own. The pages of a tab widget or a stack may use
// the same keys; none takes a key of the controls outside the pages.
class QWidget;

namespace ui {

void FixWindowMnemonics(QWidget& window);

}  // namespace ui
