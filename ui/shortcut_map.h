#pragma once
// Which keys each command of the window has: built from the menus' commands and the built-in
// table, changed by the user's customization text, and able to go back to the built-in keys.
#include <string>
#include <string_view>
#include <vector>

#include "ui/shortcut.h"

namespace ui {

struct CommandKeys {
  int id = 0;
  // "File/Select folders...": the enclosing popups' names and the item's.
  std::string name;
  std::vector<Shortcut> shortcuts;
};

class ShortcutMap {
 public:
  // Adds the command with every key the built-in table gives its id (none is fine). A command
  // whose id is in the map already keeps its first name.
  void AddCommand(int id, std::string name);
  // Adds and removes the keys the text names (see shortcut_customization.h); changes of commands
  // that are not in the map are ignored. A key is added to a command once, and taken from any
  // other command that had it.
  void ApplyCustomization(std::string_view text);
  // Every command gets its built-in keys back.
  void ResetToBuiltIn();

  // In the order the commands were added.
  [[nodiscard]] const std::vector<CommandKeys>& Commands() const { return commands_; }
  // Nullptr when the command is not in the map.
  [[nodiscard]] const CommandKeys* Find(int id) const;

 private:
  [[nodiscard]] CommandKeys* find(int id);

  std::vector<CommandKeys> commands_;
  // The keys as the built-in table gave them, in the order of commands_.
  std::vector<std::vector<Shortcut>> builtIn_;
};

}  // namespace ui
