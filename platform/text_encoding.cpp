#include "platform/text_encoding.h"

#include <locale.h>
#include <wctype.h>

#include "platform/case_fold.h"

namespace platform {
namespace {

// 0x80-0x9F: where Windows-1252 differs from Latin-1.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

}  // namespace

std::string windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x80) {
      out += ch;
    } else {
      appendUtf8(out, byte < 0xA0 ? kHighControls[byte - 0x80] : static_cast<char32_t>(byte));
    }
  }
  return out;
}

std::string utf8OrWindows1252(std::string_view text) {
  return isValidUtf8(text) ? std::string(text) : windows1252ToUtf8(text);
}

bool isPrintableUtf8(std::string_view text) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  if (utf8 == static_cast<locale_t>(nullptr) || !isValidUtf8(text)) return false;
  for (const char32_t c : toCodePoints(text)) {
    if (iswprint_l(static_cast<wint_t>(c), utf8) == 0) return false;
  }
  return true;
}

}  // namespace platform
