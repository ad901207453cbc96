#pragma once
// The rows of the key list: one per key of every command, with the key's text, the command's
// name and a description, in the list's sort orders.
#include <functional>
#include <string>
#include <vector>

#include "config/records.h"
#include "ui/shortcut.h"
#include "ui/shortcut_map.h"

namespace ui {

struct KeyListRow {
  Shortcut shortcut;
  std::string key;
  std::string command;
  std::string description;
};

struct KeyListing {
  std::vector<KeyListRow> rows;
  // A key without a name was met: its row shows the modifiers only (kUnknownKeyMessage).
  bool unknownKey = false;
};

// The rows sorted by key. Commands whose name holds "#" are left out. A command's description is
// its status text up to the first line break; a user tool's is the tool's name, and a user tool
// that is beyond `tools` or has no name is left out.
[[nodiscard]] KeyListing MakeKeyList(const ShortcutMap& map, const std::function<std::string(int id)>& statusTextOf,
                                     const std::vector<config::UserTool>& tools);

enum class KeyListColumn : int { Key = 0, Command = 1, Description = 2 };

// By key: F1 to F12 before every other key, then by the modifier flags, then by key code. By
// command or description: the texts without regard to letter case. Rows that compare equal keep
// their order.
void SortKeyList(std::vector<KeyListRow>& rows, KeyListColumn column, bool descending);

}  // namespace ui
