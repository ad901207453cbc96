#include "ui/controls/button_mnemonics.h"

#include <QAbstractButton>
#include <QLabel>
#include <QDialogButtonBox>
#include <QStackedWidget>
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

namespace {

QString textOf(QWidget* control) {
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  return qobject_cast<QLabel*>(control)->text();
}

void setTextOf(QWidget* control, const QString& text) {
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else {
    qobject_cast<QLabel*>(control)->setText(text);
  }
}

// The page `control` lies on (of a tab widget or of a stack of pages), or null when it is on none.
QWidget* pageOf(QWidget* control, QWidget& window) {
  for (QWidget* widget = control; widget != nullptr && widget != &window; widget = widget->parentWidget()) {
    if (qobject_cast<QStackedWidget*>(widget->parentWidget()) != nullptr) return widget;
  }
  return nullptr;
}

// OK, Cancel and their kind carry Qt's own texts and keys (Return and Escape act on them).
bool isStandardButton(QWidget* control) {
  auto* box = qobject_cast<QDialogButtonBox*>(control->parentWidget());
  auto* button = qobject_cast<QAbstractButton*>(control);
  return box != nullptr && button != nullptr && box->standardButton(button) != QDialogButtonBox::NoButton;
}

// Gives `group` unique mnemonics; only the texts from `first` on are changed. A text without a
// key is offered its first letter, so every control can be reached, as the desktop's own
// dialogs do.
void fixGroup(const std::vector<QWidget*>& group, std::size_t first) {
  std::vector<std::string> texts;
  for (QWidget* control : group) {
    QString text = textOf(control);
    if (!QString(text).remove(QStringLiteral("&&")).contains('&')) text.prepend('&');
    texts.push_back(ss(text));
  }
  MakeUniqueMnemonics(texts, false);
  for (std::size_t i = first; i < group.size(); ++i) setTextOf(group[i], qs(texts[i]));
}

}  // namespace

void FixWindowMnemonics(QWidget& window) {
  std::vector<QWidget*> shared;
  std::vector<std::pair<QWidget*, std::vector<QWidget*>>> pages;
  for (QWidget* child : window.findChildren<QWidget*>()) {
    const bool button = qobject_cast<QAbstractButton*>(child) != nullptr;
    auto* label = qobject_cast<QLabel*>(child);
    if ((!button && (label == nullptr || label->buddy() == nullptr)) || isStandardButton(child)) continue;
    // A browse button ("...") has no letter to give.
    const QString text = textOf(child);
    if (!std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); })) continue;
    QWidget* page = pageOf(child, window);
    if (page == nullptr) {
      shared.push_back(child);
      continue;
    }
    auto found = std::find_if(pages.begin(), pages.end(), [page](const auto& entry) { return entry.first == page; });
    if (found == pages.end()) found = pages.insert(pages.end(), {page, {}});
    found->second.push_back(child);
  }
  // Keys of hidden pages do not act, so each page shares the keys only with what is outside the
  // pages: the buttons and fields every page shows.
  if (pages.empty()) {
    fixGroup(shared, 0);
    return;
  }
  for (std::size_t page = 0; page < pages.size(); ++page) {
    std::vector<QWidget*> group = shared;
    group.insert(group.end(), pages[page].second.begin(), pages[page].second.end());
    // The first page settles the shared keys; the later ones keep them and fit around them.
    fixGroup(group, page == 0 ? 0 : shared.size());
  }
}

}  // namespace ui
