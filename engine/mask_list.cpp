#include "engine/mask_list.h"

#include "platform/case_fold.h"

namespace engine {
namespace {

bool matchFolded(std::u32string_view name, std::u32string_view mask) {
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t starMask = std::u32string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == U'?' || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == U'*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::u32string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == U'*') ++m;
  return m == mask.size();
}

bool matchesEverything(std::string_view loweredMask) {
  return loweredMask.empty() || loweredMask == "*" || loweredMask == "*.*";
}

// `foldedName` is the case key of a non-empty name.
bool matchFoldedName(std::string_view foldedName, std::string_view loweredMask) {
  if (matchesEverything(loweredMask)) return true;
  std::string name(foldedName);
  if (loweredMask.find('.') != std::string_view::npos && name.find('.') == std::string::npos) name += '.';
  return matchFolded(platform::toCodePoints(name), platform::toCodePoints(loweredMask));
}

}  // namespace

bool MatchMask(std::string_view name, std::string_view mask) {
  return !name.empty() && matchFoldedName(platform::caseKey(name), platform::caseKey(mask));
}

MaskList MaskList::Parse(std::string_view text, bool emptyMeansAll) {
  MaskList list;
  std::string piece;
  bool quoted = false;
  auto flush = [&] {
    if (!piece.empty()) list.masks_.push_back(platform::caseKey(piece));
    piece.clear();
  };
  for (const char c : text) {
    if (c == '"') {
      flush();
      quoted = !quoted;
    } else if (!quoted && (c == ' ' || c == ';' || c == ',' || c == '\t')) {
      flush();
    } else {
      piece += c;
    }
  }
  flush();
  if (list.masks_.empty() && emptyMeansAll) list.masks_.emplace_back("*.*");
  return list;
}

bool MaskList::Matches(std::string_view name) const {
  if (name.empty()) return false;
  std::string folded;
  for (const std::string& mask : masks_) {
    if (matchesEverything(mask)) return true;
    if (folded.empty()) folded = platform::caseKey(name);
    if (matchFoldedName(folded, mask)) return true;
  }
  return false;
}

MaskTexts SplitMaskText(std::string_view text) {
  const std::size_t bang = text.find(" ! ");
  if (bang == std::string_view::npos) return {std::string(text), {}};
  return {std::string(text.substr(0, bang)), std::string(text.substr(bang + 3))};
}

}  // namespace engine
