#include "ui/controls/button_mnemonics.h"

#include <QAbstractButton>
#include <QLabel>
#include <algorithm>

#include "ui/controls/tx.h"
#include "ui/mnemonics.h"

namespace ui {

void FixButtonMnemonics(const std::vector<QAbstractButton*>& controls) {
  std::vector<std::string> texts;
  for (QAbstractButton* control : controls) texts.push_back(ss(control->text()));
  MakeUniqueMnemonics(texts, false);
  for (std::size_t i = 0; i < controls.size(); ++i) controls[i]->setText(qs(texts[i]));
}

void FixWindowMnemonics(QWidget& window) {
  std::vector<QWidget*> controls;
  std::vector<std::string> texts;
  for (QWidget* child : window.findChildren<QWidget*>()) {
    QString text;
    if (auto* button = qobject_cast<QAbstractButton*>(child)) text = button->text();
    if (auto* label = qobject_cast<QLabel*>(child); label != nullptr && label->buddy() != nullptr) text = label->text();
    // A browse button ("...") has no letter to give.
    if (!std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); })) continue;
    controls.push_back(child);
    texts.push_back(ss(text));
  }
  MakeUniqueMnemonics(texts, false);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (auto* button = qobject_cast<QAbstractButton*>(controls[i])) {
      button->setText(qs(texts[i]));
    } else {
      qobject_cast<QLabel*>(controls[i])->setText(qs(texts[i]));
    }
  }
}

}  // namespace ui
