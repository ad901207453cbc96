#include "ui/controls/button_mnemonics.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLabel>
#include <QStackedWidget>
#include <algorithm>

#include "ui/controls/tx.h"
#include "ui/mnemonics.h"

namespace ui {
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

// Gives `controls` unique mnemonics, none of them a key of `keep` (whose texts stay as they
// are). A text without a key is offered its first letter, so every control can be reached, as
// the desktop's own dialogs do.
void fixGroup(const std::vector<QWidget*>& controls, const std::vector<QWidget*>& keep) {
  std::vector<std::string> texts;
  for (QWidget* control : controls) {
    QString text = textOf(control);
    if (!QString(text).remove(QStringLiteral("&&")).contains('&')) text.prepend('&');
    texts.push_back(ss(text));
  }
  std::vector<std::string> kept;
  for (QWidget* control : keep) kept.push_back(ss(textOf(control)));
  MakeUniqueMnemonics(texts, false, kept);
  for (std::size_t i = 0; i < controls.size(); ++i) setTextOf(controls[i], qs(texts[i]));
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
  // Keys of hidden pages do not act, so the pages may share keys; none may take a key of what is
  // outside them (the buttons and fields every page shows), which are settled first.
  fixGroup(shared, {});
  for (const auto& [page, controls] : pages) fixGroup(controls, shared);
}

}  // namespace ui
