#pragma once
// The user's key customization as the configuration keeps it ("Shortcuts" in [Options]): hex
// numbers, the count of numbers first, then each number after one separator character. Numbers
// after "_" are removals, after any other separator additions; each list is read as pairs of a
// command id and a packed shortcut. "4,80A4,1080052_80A4_74" gives Rescan (0x80A4) Ctrl+R and
// takes F5 away.
#include <string_view>
#include <vector>

#include "ui/shortcut.h"

namespace ui {

struct KeyChange {
  int command = 0;
  Shortcut shortcut;
};

struct Customization {
  std::vector<KeyChange> additions;
  std::vector<KeyChange> removals;
};

// Nothing when the count is not a positive number. A text that ends before the count is reached
// gives the numbers it has; a number left without its pair at the end of a list is ignored.
[[nodiscard]] Customization ParseCustomization(std::string_view text);

}  // namespace ui
