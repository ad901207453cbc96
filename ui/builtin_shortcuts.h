#pragma once
// The keys every command has before the user's customization: the main window's accelerator table.
#include <span>

#include "ui/shortcut.h"

namespace ui {

// User tool k (from 0) is command kFirstUserTool + k. Ctrl+9 has always been bound to 33941
// rather than 32941, and users' customization texts name it so.
inline constexpr int kFirstUserTool = 32933;
inline constexpr int kLastUserTool = 33941;

struct BuiltInShortcut {
  int command;
  Shortcut shortcut;
};

// In the table's order; a command may appear more than once (Reverse has Alt+Left and Alt+Right).
[[nodiscard]] std::span<const BuiltInShortcut> BuiltInShortcuts();

}  // namespace ui
