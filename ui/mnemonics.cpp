#include "ui/mnemonics.h"

#include <map>
#include <optional>

#include "platform/case_fold.h"

namespace ui {
namespace {

// The character after a single "&" (not "&&"), lower-cased; empty when there is none.
std::optional<char32_t> presentMnemonic(const std::u32string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != U'&') continue;
    if (text[i + 1] == U'&') {
      ++i;
      continue;
    }
    return text[i + 1];
  }
  return std::nullopt;
}

std::u32string visiblePart(const std::u32string& text, bool menu) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (menu && text[i] == U'\t') break;
    if (text[i] == U'&' && i + 1 < text.size() && text[i + 1] != U'&') continue;
    out += text[i];
  }
  return out;
}

std::vector<char32_t> candidates(const std::string& text, bool menu) {
  const std::u32string folded = platform::toCodePoints(platform::caseKey(text));
  const std::u32string visible = visiblePart(folded, menu);
  std::vector<char32_t> list;
  auto add = [&](char32_t c) {
    // Punctuation ("/", "(", ".") makes a poor key that no one guesses: letters and digits only.
    if (c < 0x80 && !((c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9'))) return;
    for (const char32_t present : list) {
      if (present == c) return;
    }
    list.push_back(c);
  };
  if (const auto mnemonic = presentMnemonic(folded)) add(*mnemonic);
  for (std::size_t i = 0; i < visible.size(); ++i) {
    if (i == 0 || visible[i - 1] == U' ') add(visible[i]);
  }
  for (const char32_t c : visible) add(c);
  return list;
}

// The text with its "&" moved before the chosen character: at a word start when it is one
// there, else at its first place.
std::string placeMnemonic(const std::string& text, char32_t chosen, bool menu) {
  std::u32string plain;
  const std::u32string original = platform::toCodePoints(text);
  for (std::size_t i = 0; i < original.size(); ++i) {
    if (original[i] == U'&' && i + 1 < original.size() && original[i + 1] != U'&') continue;
    if (original[i] == U'&' && i + 1 < original.size()) {
      plain += U"&&";
      ++i;
      continue;
    }
    plain += original[i];
  }
  std::size_t end = plain.size();
  if (menu) {
    const std::size_t tab = plain.find(U'\t');
    if (tab != std::u32string::npos) end = tab;
  }
  auto matches = [&](std::size_t i) {
    return platform::caseKey(platform::fromCodePoints(std::u32string(1, plain[i]))) == platform::fromCodePoints(std::u32string(1, chosen));
  };
  std::size_t at = std::u32string::npos;
  for (std::size_t i = 0; i < end && at == std::u32string::npos; ++i) {
    if ((i == 0 || plain[i - 1] == U' ') && matches(i)) at = i;
  }
  for (std::size_t i = 0; i < end && at == std::u32string::npos; ++i) {
    if (plain[i] != U'&' && matches(i)) at = i;
  }
  if (at == std::u32string::npos) return text;
  plain.insert(at, 1, U'&');
  return platform::fromCodePoints(plain);
}

}  // namespace

void MakeUniqueMnemonics(std::vector<std::string>& texts, bool menu, const std::vector<std::string>& takenFrom) {
  std::vector<std::vector<char32_t>> lists;
  for (const std::string& text : texts) lists.push_back(candidates(text, menu));
  // Keys held outside the group: no text may take them, and their holders never move.
  constexpr std::size_t kOutside = static_cast<std::size_t>(-1);
  std::map<char32_t, std::size_t> holder;
  for (const std::string& text : takenFrom) {
    if (const auto key = presentMnemonic(platform::toCodePoints(platform::caseKey(text)))) holder[*key] = kOutside;
  }
  bool clash = false;
  std::map<char32_t, int> firsts;
  for (const auto& list : lists) {
    if (!list.empty() && (holder.count(list.front()) != 0 || !firsts.emplace(list.front(), 0).second)) clash = true;
  }
  if (!clash) return;

  std::vector<std::optional<char32_t>> chosen(texts.size());
  auto freeCandidate = [&](std::size_t text) -> std::optional<char32_t> {
    for (const char32_t c : lists[text]) {
      if (holder.count(c) == 0) return c;
    }
    return std::nullopt;
  };
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (lists[i].empty()) continue;
    if (const auto c = freeCandidate(i)) {
      chosen[i] = *c;
      holder[*c] = i;
      continue;
    }
    // Every candidate is taken: ask a holder to give one up for another of its own.
    for (const char32_t c : lists[i]) {
      const std::size_t other = holder[c];
      if (other == kOutside) continue;
      if (const auto replacement = freeCandidate(other)) {
        chosen[other] = *replacement;
        holder[*replacement] = other;
        chosen[i] = c;
        holder[c] = i;
        break;
      }
    }
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (chosen[i]) texts[i] = placeMnemonic(texts[i], *chosen[i], menu);
  }
}

}  // namespace ui
