#include "ui/key_names.h"

#include <initializer_list>
#include <map>
#include <string>

namespace ui {
namespace {

// Codes and names as the platform's accelerator tables write them; the mixed spelling ("Return"
// beside "ESCAPE") is what users of the program know from its key list.
const std::map<std::uint16_t, std::string>& keyTable() {
  static const std::map<std::uint16_t, std::string> table = [] {
    std::map<std::uint16_t, std::string> made;
    auto run = [&made](std::uint16_t first, std::initializer_list<const char*> names) {
      for (const char* name : names) made.emplace(first++, name);
    };
    run(0x01, {"VK_LBUTTON", "VK_RBUTTON", "VK_CANCEL", "VK_MBUTTON"});
    run(0x08, {"Back", "Tab"});
    run(0x0C, {"VK_CLEAR", "Return"});
    run(0x10, {"Shift", "CONTROL", "MENU", "PAUSE", "CAPITAL"});
    run(0x1B, {"ESCAPE"});
    run(0x20, {"Space", "Prior", "Next", "END", "Home", "Left", "Up", "Right", "Down", "VK_SELECT", "PRINT", "EXECUTE",
               "SNAPSHOT", "Insert", "Delete", "VK_HELP"});
    for (char digit = '0'; digit <= '9'; ++digit) made.emplace(static_cast<std::uint16_t>(digit), std::string(1, digit));
    for (char letter = 'A'; letter <= 'Z'; ++letter) made.emplace(static_cast<std::uint16_t>(letter), std::string(1, letter));
    run(0x5B, {"VK_LWIN", "VK_RWIN", "VK_APPS"});
    for (std::uint16_t n = 0; n <= 9; ++n) made.emplace(0x60 + n, "NUMPAD" + std::to_string(n));
    run(0x6A, {"MULTIPLY", "ADD", "SEPARATOR", "SUBTRACT", "DECIMAL", "DIVIDE"});
    for (std::uint16_t n = 1; n <= 24; ++n) made.emplace(0x6F + n, "F" + std::to_string(n));
    run(0x90, {"NUMLOCK", "VK_SCROLL"});
    run(0xF6, {"VK_ATTN", "VK_CRSEL", "VK_EXSEL", "VK_EREOF", "VK_PLAY", "VK_ZOOM", "VK_NONAME", "VK_PA1", "VK_OEM_CLEAR"});
    return made;
  }();
  return table;
}

}  // namespace

std::optional<std::string_view> KeyName(std::uint16_t key) {
  const auto& table = keyTable();
  const auto found = table.find(key);
  if (found == table.end()) return std::nullopt;
  return found->second;
}

}  // namespace ui
