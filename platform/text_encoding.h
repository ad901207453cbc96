#pragma once
// Text written by Windows programs in the ANSI code page of the West (Windows-1252), read as
// UTF-8, the encoding of every text this program writes; and text as tools print it.
#include <string>
#include <string_view>

namespace platform {

// Every byte of `text` as the Windows-1252 character it stands for (the five bytes without one
// become U+FFFD).
[[nodiscard]] std::string windows1252ToUtf8(std::string_view text);
// `text` itself when it is valid UTF-8, else read as Windows-1252.
[[nodiscard]] std::string utf8OrWindows1252(std::string_view text);
// Valid UTF-8 whose every character prints in a UTF-8 locale (iswprint in C.UTF-8): text that
// tools such as tar print as it is, where they escape the rest.
[[nodiscard]] bool isPrintableUtf8(std::string_view text);

}  // namespace platform
