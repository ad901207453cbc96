#include "ui/shortcut_customization.h"

#include <cstdint>
#include <optional>

namespace ui {
namespace {

// Reads hex digits at `at`; nothing when there are none or they do not fit in 32 bits.
std::optional<std::uint32_t> readHex(std::string_view text, std::size_t& at) {
  std::uint64_t value = 0;
  const std::size_t start = at;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) break;
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  if (at == start) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::vector<KeyChange> pairs(const std::vector<std::uint32_t>& numbers) {
  std::vector<KeyChange> changes;
  for (std::size_t i = 0; i + 1 < numbers.size(); i += 2) {
    // Command ids are 16 bits: a larger number names no command.
    if (numbers[i] > 0xFFFF) continue;
    changes.push_back({static_cast<int>(numbers[i]), Shortcut::FromPacked(numbers[i + 1])});
  }
  return changes;
}

}  // namespace

Customization ParseCustomization(std::string_view text) {
  std::size_t at = 0;
  const std::optional<std::uint32_t> count = readHex(text, at);
  if (!count || *count == 0) return {};
  std::vector<std::uint32_t> added;
  std::vector<std::uint32_t> removed;
  for (std::uint32_t n = 0; n < *count && at < text.size(); ++n) {
    const bool removal = text[at++] == '_';
    const std::optional<std::uint32_t> number = readHex(text, at);
    if (!number) break;
    (removal ? removed : added).push_back(*number);
  }
  return {pairs(added), pairs(removed)};
}

}  // namespace ui
