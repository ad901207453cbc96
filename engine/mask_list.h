#pragma once
// File masks: "*" and "?" wildcards, letter case ignored.
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// True when `name` matches `mask`. A mask with a "." matches a name without one as if the name
// ended in "." (so "*.*" matches "readme"). An empty name never matches; an empty mask and "*"
// match every name.
[[nodiscard]] bool MatchMask(std::string_view name, std::string_view mask);

class MaskList {
 public:
  MaskList() = default;
  // Splits at blanks, ";" and ","; a double-quoted run is one mask without its quotes; empty
  // pieces are dropped. An empty text gives "*.*" when `emptyMeansAll`, else no mask.
  static MaskList Parse(std::string_view text, bool emptyMeansAll = true);

  [[nodiscard]] bool Matches(std::string_view name) const;
  [[nodiscard]] bool empty() const { return masks_.empty(); }
  [[nodiscard]] const std::vector<std::string>& masks() const { return masks_; }

 private:
  // Masks lower-cased once, so matching folds only the name.
  std::vector<std::string> masks_;
};

// Splits a masks text at the first " ! " into the include part and the exclude part.
struct MaskTexts {
  std::string include;
  std::string exclude;
};
[[nodiscard]] MaskTexts SplitMaskText(std::string_view text);

}  // namespace engine
