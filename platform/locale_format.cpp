#include "platform/locale_format.h"

#include <clocale>
#include <langinfo.h>

namespace platform {

void useUserLocale() { std::setlocale(LC_ALL, ""); }

std::string datePatternFromStrftime(const std::string& format) {
  std::string pattern;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      pattern += format[i];
      continue;
    }
    char code = format[++i];
    // Flags and widths of GNU strftime ("%-d", "%Ey") do not change which field it is.
    while ((code == '-' || code == '_' || code == '0' || code == '^' || code == '#' || code == 'E' || code == 'O') &&
           i + 1 < format.size()) {
      code = format[++i];
    }
    switch (code) {
      case 'd': pattern += "dd"; break;
      case 'e': pattern += "d"; break;
      case 'm': pattern += "MM"; break;
      case 'y': pattern += "yy"; break;
      case 'Y': pattern += "yyyy"; break;
      case 'D': pattern += "MM/dd/yy"; break;
      case 'F': pattern += "yyyy-MM-dd"; break;
      case '%': pattern += '%'; break;
      default: break;
    }
  }
  return pattern;
}

std::string shortDatePattern() {
  const char* format = nl_langinfo(D_FMT);
  const std::string pattern = datePatternFromStrftime(format != nullptr ? format : "");
  return pattern.find_first_of("dMy") == std::string::npos ? std::string("MM/dd/yy") : pattern;
}

std::string timeFormat() {
  const char* format = nl_langinfo(T_FMT);
  return format != nullptr && *format != '\0' ? std::string(format) : std::string("%H:%M:%S");
}

}  // namespace platform
