#pragma once
// One key of a command: the platform's accelerator flags and virtual-key code, and whether the
// user's customization text brought it rather than the built-in table.
#include <cstdint>
#include <string>

namespace ui {

namespace keymod {
inline constexpr std::uint8_t kVirtualKey = 0x01;
inline constexpr std::uint8_t kShift = 0x04;
inline constexpr std::uint8_t kCtrl = 0x08;
inline constexpr std::uint8_t kAlt = 0x10;
// The flags a packed shortcut keeps: the key is always a virtual-key code.
inline constexpr std::uint8_t kPacked = kShift | kCtrl | kAlt;
}  // namespace keymod

// The message shown when a shortcut's key has no name.
inline constexpr const char* kUnknownKeyMessage = "${Internal error} : (CAccelsOb::GetString) m_wKey invalid";

struct Shortcut {
  std::uint8_t modifiers = keymod::kVirtualKey;
  std::uint16_t key = 0;
  bool userDefined = false;

  // Bits 0-15 the key, 16-23 the modifier flags (Shift, Ctrl, Alt), 24-31 1 when user-defined.
  [[nodiscard]] std::uint32_t Packed() const;
  // The shortcut a packed number stands for; its key is a virtual-key code.
  [[nodiscard]] static Shortcut FromPacked(std::uint32_t packed);
  // The same modifiers and key, wherever the shortcut came from.
  [[nodiscard]] bool SameKeys(const Shortcut& other) const;
};

// How a shortcut reads: "Ctrl+", "Alt+", "Shift+" as they apply, then the key's name
// ("Ctrl+Shift+P", "Alt+Left"). A key without a name leaves its part out and sets `known` false.
struct KeyText {
  std::string text;
  bool known = true;
};
[[nodiscard]] KeyText KeyTextOf(const Shortcut& shortcut);

}  // namespace ui
