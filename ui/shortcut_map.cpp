#include "ui/shortcut_map.h"

#include <algorithm>
#include <utility>

#include "ui/builtin_shortcuts.h"
#include "ui/shortcut_customization.h"

namespace ui {

void ShortcutMap::AddCommand(int id, std::string name) {
  if (find(id) != nullptr) return;
  CommandKeys command{id, std::move(name), {}};
  for (const BuiltInShortcut& builtIn : BuiltInShortcuts()) {
    if (builtIn.command == id) command.shortcuts.push_back(builtIn.shortcut);
  }
  builtIn_.push_back(command.shortcuts);
  commands_.push_back(std::move(command));
}

void ShortcutMap::ApplyCustomization(std::string_view text) {
  const Customization changes = ParseCustomization(text);
  for (const KeyChange& added : changes.additions) {
    CommandKeys* command = find(added.command);
    if (command == nullptr) continue;
    const bool has = std::any_of(command->shortcuts.begin(), command->shortcuts.end(),
                                 [&](const Shortcut& shortcut) { return shortcut.SameKeys(added.shortcut); });
    if (has) continue;
    // A key acts for one command only: two on one key would leave both dead.
    for (CommandKeys& other : commands_) {
      std::erase_if(other.shortcuts, [&](const Shortcut& shortcut) { return shortcut.SameKeys(added.shortcut); });
    }
    command->shortcuts.push_back(added.shortcut);
  }
  for (const KeyChange& removed : changes.removals) {
    if (CommandKeys* command = find(removed.command)) {
      std::erase_if(command->shortcuts, [&](const Shortcut& shortcut) { return shortcut.SameKeys(removed.shortcut); });
    }
  }
}

void ShortcutMap::ResetToBuiltIn() {
  for (std::size_t i = 0; i < commands_.size(); ++i) commands_[i].shortcuts = builtIn_[i];
}

const CommandKeys* ShortcutMap::Find(int id) const {
  const auto found = std::find_if(commands_.begin(), commands_.end(), [id](const CommandKeys& c) { return c.id == id; });
  return found == commands_.end() ? nullptr : &*found;
}

CommandKeys* ShortcutMap::find(int id) { return const_cast<CommandKeys*>(std::as_const(*this).Find(id)); }

}  // namespace ui
