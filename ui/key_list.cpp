#include "ui/key_list.h"

#include <algorithm>
#include <tuple>

#include "platform/case_fold.h"
#include "ui/builtin_shortcuts.h"

namespace ui {
namespace {

constexpr std::uint16_t kF1 = 0x70;
constexpr std::uint16_t kF12 = 0x7B;

auto keyOrder(const Shortcut& shortcut) {
  const bool functionKey = shortcut.key >= kF1 && shortcut.key <= kF12;
  return std::tuple(!functionKey, shortcut.modifiers, shortcut.key);
}

int compareRows(const KeyListRow& a, const KeyListRow& b, KeyListColumn column) {
  switch (column) {
    case KeyListColumn::Key: {
      const auto left = keyOrder(a.shortcut);
      const auto right = keyOrder(b.shortcut);
      return left < right ? -1 : right < left ? 1 : 0;
    }
    case KeyListColumn::Command: return platform::compareNoCase(a.command, b.command);
    case KeyListColumn::Description: return platform::compareNoCase(a.description, b.description);
  }
  return 0;
}

}  // namespace

KeyListing MakeKeyList(const ShortcutMap& map, const std::function<std::string(int id)>& statusTextOf,
                       const std::vector<config::UserTool>& tools) {
  KeyListing listing;
  for (const CommandKeys& command : map.Commands()) {
    if (command.name.find('#') != std::string::npos) continue;
    std::string description;
    if (command.id >= kFirstUserTool && command.id <= kLastUserTool) {
      const auto tool = static_cast<std::size_t>(command.id - kFirstUserTool);
      if (tool >= tools.size() || tools[tool].Name.empty()) continue;
      description = tools[tool].Name;
    } else {
      description = statusTextOf(command.id);
      description = description.substr(0, description.find('\n'));
    }
    for (const Shortcut& shortcut : command.shortcuts) {
      KeyText key = KeyTextOf(shortcut);
      listing.unknownKey = listing.unknownKey || !key.known;
      listing.rows.push_back({shortcut, std::move(key.text), command.name, description});
    }
  }
  SortKeyList(listing.rows, KeyListColumn::Key, false);
  return listing;
}

void SortKeyList(std::vector<KeyListRow>& rows, KeyListColumn column, bool descending) {
  std::stable_sort(rows.begin(), rows.end(), [column, descending](const KeyListRow& a, const KeyListRow& b) {
    const int order = compareRows(a, b, column);
    return descending ? order > 0 : order < 0;
  });
}

}  // namespace ui
