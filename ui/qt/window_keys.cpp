#include "ui/qt/window_keys.h"

#include <QAction>
#include <QMenu>

#include "ui/command_name.h"
#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

// Keys whose virtual-key code maps to one Qt key.
Qt::Key namedKey(std::uint16_t key) {
  switch (key) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0C: return Qt::Key_Clear;
    case 0x0D: return Qt::Key_Return;
    case 0x13: return Qt::Key_Pause;
    case 0x14: return Qt::Key_CapsLock;
    case 0x1B: return Qt::Key_Escape;
    case 0x20: return Qt::Key_Space;
    case 0x21: return Qt::Key_PageUp;
    case 0x22: return Qt::Key_PageDown;
    case 0x23: return Qt::Key_End;
    case 0x24: return Qt::Key_Home;
    case 0x25: return Qt::Key_Left;
    case 0x26: return Qt::Key_Up;
    case 0x27: return Qt::Key_Right;
    case 0x28: return Qt::Key_Down;
    case 0x2C: return Qt::Key_Print;
    case 0x2D: return Qt::Key_Insert;
    case 0x2E: return Qt::Key_Delete;
    case 0x2F: return Qt::Key_Help;
    case 0x5D: return Qt::Key_Menu;
    case 0x90: return Qt::Key_NumLock;
    case 0x91: return Qt::Key_ScrollLock;
    default: return Qt::Key_unknown;
  }
}

// The keypad's keys: the key Qt reports with Qt::KeypadModifier.
Qt::Key keypadKey(std::uint16_t key) {
  if (key >= 0x60 && key <= 0x69) return static_cast<Qt::Key>(Qt::Key_0 + (key - 0x60));
  switch (key) {
    case 0x6A: return Qt::Key_Asterisk;
    case 0x6B: return Qt::Key_Plus;
    case 0x6D: return Qt::Key_Minus;
    case 0x6E: return Qt::Key_Period;
    case 0x6F: return Qt::Key_Slash;
    default: return Qt::Key_unknown;
  }
}

}  // namespace

void AddMenuCommands(ShortcutMap& map, const QList<QAction*>& actions, const std::vector<std::string>& popups) {
  for (const QAction* action : actions) {
    if (action->isSeparator()) continue;
    if (const QMenu* menu = action->menu()) {
      std::vector<std::string> inner = popups;
      inner.push_back(ss(menu->title()));
      AddMenuCommands(map, menu->actions(), inner);
    } else if (const int id = action->data().toInt(); id != 0) {
      map.AddCommand(id, CommandName(popups, ss(action->text())));
    }
  }
}

QKeySequence KeySequenceOf(const Shortcut& shortcut) {
  Qt::KeyboardModifiers modifiers;
  if ((shortcut.modifiers & keymod::kCtrl) != 0) modifiers |= Qt::ControlModifier;
  if ((shortcut.modifiers & keymod::kAlt) != 0) modifiers |= Qt::AltModifier;
  if ((shortcut.modifiers & keymod::kShift) != 0) modifiers |= Qt::ShiftModifier;
  Qt::Key key = Qt::Key_unknown;
  const std::uint16_t code = shortcut.key;
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) {
    key = static_cast<Qt::Key>(code);  // Qt's codes for digits and letters are the same
  } else if (code >= 0x70 && code <= 0x87) {
    key = static_cast<Qt::Key>(Qt::Key_F1 + (code - 0x70));
  } else if (const Qt::Key onKeypad = keypadKey(code); onKeypad != Qt::Key_unknown) {
    key = onKeypad;
    modifiers |= Qt::KeypadModifier;
  } else {
    key = namedKey(code);
  }
  if (key == Qt::Key_unknown) return {};
  return QKeySequence(QKeyCombination(modifiers, key));
}

}  // namespace ui::qt
