#include "ui/shortcut.h"

#include "ui/key_names.h"

namespace ui {

std::uint32_t Shortcut::Packed() const {
  return key | (static_cast<std::uint32_t>(modifiers & keymod::kPacked) << 16) | (userDefined ? 1u << 24 : 0u);
}

Shortcut Shortcut::FromPacked(std::uint32_t packed) {
  Shortcut shortcut;
  shortcut.key = static_cast<std::uint16_t>(packed & 0xFFFF);
  shortcut.modifiers = static_cast<std::uint8_t>(((packed >> 16) & keymod::kPacked) | keymod::kVirtualKey);
  shortcut.userDefined = (packed >> 24) == 1;
  return shortcut;
}

bool Shortcut::SameKeys(const Shortcut& other) const {
  return key == other.key && (modifiers & keymod::kPacked) == (other.modifiers & keymod::kPacked);
}

KeyText KeyTextOf(const Shortcut& shortcut) {
  KeyText result;
  if ((shortcut.modifiers & keymod::kCtrl) != 0) result.text += "Ctrl+";
  if ((shortcut.modifiers & keymod::kAlt) != 0) result.text += "Alt+";
  if ((shortcut.modifiers & keymod::kShift) != 0) result.text += "Shift+";
  if (const auto name = KeyName(shortcut.key)) {
    result.text += *name;
  } else {
    result.known = false;
  }
  return result;
}

}  // namespace ui
