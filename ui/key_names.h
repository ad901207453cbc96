#pragma once
// The names of the platform's virtual-key codes as the key list and the key texts show them.
#include <cstdint>
#include <optional>
#include <string_view>

namespace ui {

// The key's name ("F5", "Return", "ADD", "A"); nothing for a code the table does not know.
[[nodiscard]] std::optional<std::string_view> KeyName(std::uint16_t key);

}  // namespace ui
