#include "engine/file_masks.h"

namespace engine {

FileMasks::FileMasks(std::string_view masksText) {
  const MaskTexts texts = SplitMaskText(masksText);
  include_ = MaskList::Parse(texts.include, true);
  exclude_ = MaskList::Parse(texts.exclude, false);
}

bool FileMasks::Accepts(std::string_view fileName) const {
  const MaskList& wanted = swap_ ? exclude_ : include_;
  const MaskList& unwanted = swap_ ? include_ : exclude_;
  return (wanted.empty() || wanted.Matches(fileName)) && !unwanted.Matches(fileName) &&
         !alwaysExcluded_.Matches(fileName);
}

}  // namespace engine
