#include "engine/text.h"

#include <atomic>

namespace engine {
namespace {

std::atomic<TranslateFunction> installed{nullptr};

}  // namespace

void SetTranslator(TranslateFunction translate) { installed.store(translate); }

std::string Translate(std::string_view text) {
  const TranslateFunction translate = installed.load();
  return translate != nullptr ? translate(text) : StripTokens(text);
}

std::string StripTokens(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (;;) {
    const std::size_t open = text.find("${", pos);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find('}', open + 2);
    if (close == std::string_view::npos) return std::string(text);
    out.append(text.substr(pos, open - pos));
    out.append(text.substr(open + 2, close - open - 2));
    pos = close + 1;
  }
  out.append(text.substr(pos));
  return out;
}

std::string FormatText(std::string_view format, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char code = format[i + 1];
      if (code == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (code == 's' || code == 'd') {
        if (next < args.size()) out += args[next];
        ++next;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

std::string TranslateFormat(std::string_view format, const std::vector<std::string>& args) {
  return FormatText(Translate(format), args);
}

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
      continue;
    }
    const char octal[5] = {'\\', static_cast<char>('0' + (byte >> 6)), static_cast<char>('0' + ((byte >> 3) & 7)),
                           static_cast<char>('0' + (byte & 7)), '\0'};
    out += octal;
  }
  return out;
}

std::string TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::vector<std::string> CommandWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

}  // namespace engine
