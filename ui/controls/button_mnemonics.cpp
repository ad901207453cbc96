#include "ui/controls/button_mnemonics.h"

#include <QAbstractButton>

#include "ui/controls/tx.h"
#include "ui/mnemonics.h"

namespace ui {

void FixButtonMnemonics(const std::vector<QAbstractButton*>& controls) {
  std::vector<std::string> texts;
  for (QAbstractButton* control : controls) texts.push_back(ss(control->text()));
  MakeUniqueMnemonics(texts, false);
  for (std::size_t i = 0; i < controls.size(); ++i) controls[i]->setText(qs(texts[i]));
}

}  // namespace ui
