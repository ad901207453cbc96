#include "ui/builtin_shortcuts.h"

#include <array>

#include "ui/list_commands.h"

namespace ui {
namespace {

constexpr std::uint8_t kNone = keymod::kVirtualKey;
constexpr std::uint8_t kCtrl = keymod::kVirtualKey | keymod::kCtrl;
constexpr std::uint8_t kCtrlShift = kCtrl | keymod::kShift;
constexpr std::uint8_t kAlt = keymod::kVirtualKey | keymod::kAlt;

// Virtual-key codes of the keys below.
constexpr std::uint16_t kReturn = 0x0D, kSpace = 0x20, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28,
                        kInsert = 0x2D, kMultiply = 0x6A, kAdd = 0x6B, kSubtract = 0x6D, kDivide = 0x6F, kF1 = 0x70,
                        kF2 = 0x71, kF5 = 0x74, kF10 = 0x79;

constexpr BuiltInShortcut key(int command, std::uint8_t modifiers, std::uint16_t key) {
  return {command, Shortcut{modifiers, key, false}};
}
constexpr BuiltInShortcut key(Command command, std::uint8_t modifiers, std::uint16_t key) {
  return {static_cast<int>(command), Shortcut{modifiers, key, false}};
}

constexpr std::array kTable = {
    key(kFirstUserTool + 0, kCtrl, '1'),
    key(kFirstUserTool + 1, kCtrl, '2'),
    key(kFirstUserTool + 2, kCtrl, '3'),
    key(kFirstUserTool + 3, kCtrl, '4'),
    key(kFirstUserTool + 4, kCtrl, '5'),
    key(kFirstUserTool + 5, kCtrl, '6'),
    key(kFirstUserTool + 6, kCtrl, '7'),
    key(kFirstUserTool + 7, kCtrl, '8'),
    key(kLastUserTool, kCtrl, '9'),
    key(57607, kCtrl, 'P'),                 // Print...
    key(57609, kCtrlShift, 'P'),            // Print Preview
    key(Command::SelectByMask, kNone, kAdd),
    key(Command::SelectAll, kCtrl, kAdd),
    key(Command::ReverseSelection, kNone, kMultiply),
    key(Command::UnselectByMask, kNone, kSubtract),
    key(Command::SelectNone, kCtrl, kSubtract),
    key(Command::ToggleFolders, kCtrl, kDivide),
    key(Command::NextFolder, kCtrl, kDown),
    key(Command::PreviousFolder, kCtrl, kUp),
    key(57666, kNone, kF1),                 // Help
    key(34008, kCtrl, kF10),                // Show menu
    key(32771, kNone, kF2),                 // Select folders...
    key(32932, kNone, kF5),                 // Rescan
    key(Command::ToggleSelectionAndMoveDown, kNone, kInsert),
    key(Command::ToggleSelection, kNone, kSpace),
    key(Command::DoItNow, kCtrl, kSpace),
    key(Command::Reverse, kAlt, kLeft),
    key(Command::Reverse, kAlt, kRight),
    key(32783, kNone, kReturn),             // Compare files
    key(Command::CopyFiles, kCtrl, kReturn),
    key(57635, kCtrl, 'X'),                 // cut
    key(57643, kCtrl, 'Z'),                 // undo
    key(32923, kAlt, kReturn),              // Properties, as the desktop's file managers have it
};

}  // namespace

std::span<const BuiltInShortcut> BuiltInShortcuts() { return kTable; }

}  // namespace ui
