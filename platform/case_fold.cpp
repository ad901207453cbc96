#include "platform/case_fold.h"

#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace platform {
namespace {

locale_t utf8Locale() {
  static const locale_t locale = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return l;
  }();
  return locale;
}

// Decodes one UTF-8 sequence at `text[pos]`; 0 length when the bytes are not valid UTF-8.
std::size_t decodeUtf8(std::string_view text, std::size_t pos, char32_t& out) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 0;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  if ((length == 3 && value < 0x800) || (length == 4 && (value < 0x10000 || value > 0x10FFFF)) ||
      (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  out = value;
  return length;
}

}  // namespace

std::string caseKey(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const locale_t locale = utf8Locale();
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
      ++pos;
      continue;
    }
    char32_t c = 0;
    const std::size_t length = decodeUtf8(text, pos, c);
    if (length == 0) {
      out += static_cast<char>(byte);
      ++pos;
      continue;
    }
    const char32_t lower =
        locale != static_cast<locale_t>(nullptr) ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale)) : c;
    appendUtf8(out, lower);
    pos += length;
  }
  return out;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string fromCodePoints(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) appendUtf8(out, c);
  return out;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t c = 0;
    const std::size_t length = static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : decodeUtf8(text, pos, c);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::u32string toCodePoints(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t c = 0;
    const std::size_t length = decodeUtf8(text, pos, c);
    if (length == 0) {
      out += static_cast<char32_t>(static_cast<unsigned char>(text[pos]));
      ++pos;
    } else {
      out += c;
      pos += length;
    }
  }
  return out;
}

int compareNoCase(std::string_view a, std::string_view b) { return caseKey(a).compare(caseKey(b)); }

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() == b.size() && a == b) return true;
  return caseKey(a) == caseKey(b);
}

std::string asciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

}  // namespace platform
