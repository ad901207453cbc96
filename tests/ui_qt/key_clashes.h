#pragma once
// What a user finds pressing Alt with a letter in a window: each button and field label should
// have a key of its own among the controls shown together (a hidden tab page's keys do not act).
#include <QAbstractButton>
#include <QLabel>
#include <QDialogButtonBox>
#include <QStackedWidget>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// Pages of a tab widget or a stack of pages are shown one at a time.
// "no key: TEXT" for a control without a key, "TEXT and OTHER" for two sharing one, "shows &:
// TEXT" for a label with a key but no field to move to, which shows the "&" itself.
inline std::vector<std::string> KeyClashes(QWidget& window) {
  std::vector<std::string> found;
  const QList<QStackedWidget*> stacks = window.findChildren<QStackedWidget*>();
  auto onHiddenPage = [&](QWidget* child, int shown) {
    for (QStackedWidget* stack : stacks) {
      for (int page = 0; page < stack->count(); ++page) {
        if (page != shown && stack->widget(page)->isAncestorOf(child)) return true;
      }
    }
    return false;
  };
  int pages = 1;
  for (QStackedWidget* stack : stacks) pages = std::max(pages, stack->count());
  for (int shown = 0; shown < pages; ++shown) {
    std::map<QChar, QString> keys;
    for (QWidget* child : window.findChildren<QWidget*>()) {
      if (onHiddenPage(child, shown)) continue;
      if (auto* label = qobject_cast<QLabel*>(child); label != nullptr && label->buddy() == nullptr &&
                                                     label->text().remove("&&").contains('&')) {
        found.push_back("shows &: " + label->text().toStdString());
      }
      QString text;
      if (auto* button = qobject_cast<QAbstractButton*>(child)) {
        // OK and Cancel are Return and Escape.
        auto* box = qobject_cast<QDialogButtonBox*>(button->parentWidget());
        if (box == nullptr || box->standardButton(button) == QDialogButtonBox::NoButton) text = button->text();
      }
      if (auto* label = qobject_cast<QLabel*>(child); label != nullptr && label->buddy() != nullptr) text = label->text();
      // A browse button ("...") has no letter to give.
      if (!std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); })) continue;
      const qsizetype at = text.indexOf('&');
      if (at < 0 || at + 1 >= text.size()) {
        found.push_back("no key: " + text.toStdString());
        continue;
      }
      const QChar key = text[at + 1].toLower();
      if (keys.contains(key)) found.push_back(text.toStdString() + " and " + keys[key].toStdString());
      keys[key] = text;
    }
  }
  // A control outside the pages is met once per page.
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

}  // namespace testsupport
