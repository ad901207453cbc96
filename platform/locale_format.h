#pragma once
#include <string>

namespace platform {

// Makes the user's locale (LANG, LC_*) the process's locale for dates and times; call once at start.
void useUserLocale();
// The user's short date format as a pattern of the letters d, M and y ("dd.MM.yyyy", "MM/dd/yy").
[[nodiscard]] std::string shortDatePattern();
// The user's time format for strftime ("%H:%M:%S", "%I:%M:%S %p").
[[nodiscard]] std::string timeFormat();
// Translates a strftime date format ("%d.%m.%Y") into such a pattern.
[[nodiscard]] std::string datePatternFromStrftime(const std::string& format);

}  // namespace platform
