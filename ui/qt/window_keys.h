#pragma once
// The key map's Qt side: the commands come from the menus' actions (the command id in each
// action's data), and each shortcut becomes the key sequence Qt matches.
#include <QKeySequence>
#include <QList>
#include <string>
#include <vector>

#include "ui/shortcut.h"
#include "ui/shortcut_map.h"

class QAction;

namespace ui::qt {

// Adds every command of `actions` to the map, named by `popups` and its text, and walks the
// submenus; separators and actions without a command id are skipped.
void AddMenuCommands(ShortcutMap& map, const QList<QAction*>& actions, const std::vector<std::string>& popups);

// The key sequence of a shortcut; empty for a key Qt has no name for. The numeric keypad's keys
// carry Qt::KeypadModifier, so "ADD" is the keypad's + and not the main keyboard's.
[[nodiscard]] QKeySequence KeySequenceOf(const Shortcut& shortcut);

}  // namespace ui::qt
