#pragma once
// The one key by which names are compared without regard to letter case: pairing, seen-name sets,
// history and listing look-ups, mask matching.
#include <string>
#include <string_view>

namespace platform {

// Lower-cased UTF-8 (simple case mapping of the Unicode character data); bytes that are not
// valid UTF-8 are kept as they are.
[[nodiscard]] std::string caseKey(std::string_view text);
// <0, 0, >0 comparing the case keys.
[[nodiscard]] int compareNoCase(std::string_view a, std::string_view b);
[[nodiscard]] bool equalNoCase(std::string_view a, std::string_view b);
// Upper-cases ASCII letters only, byte for byte: positions in the result are positions in `text`.
[[nodiscard]] std::string asciiUpper(std::string_view text);
[[nodiscard]] std::string asciiLower(std::string_view text);

}  // namespace platform

namespace platform {

// The text as code points; a byte that is not part of valid UTF-8 stands for itself.
[[nodiscard]] std::u32string toCodePoints(std::string_view text);
[[nodiscard]] std::string fromCodePoints(std::u32string_view text);
void appendUtf8(std::string& out, char32_t c);
[[nodiscard]] bool isValidUtf8(std::string_view text);

}  // namespace platform
