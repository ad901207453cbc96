#pragma once
// Which files of a folder take part: the include masks (before " ! ") and the exclude masks
// (after it), optionally swapped, plus masks that are always left out.
#include <string_view>

#include "engine/mask_list.h"

namespace engine {

class FileMasks {
 public:
  FileMasks() : include_(MaskList::Parse("")) {}
  explicit FileMasks(std::string_view masksText);

  // Swapped, the include masks name the files to leave out and the exclude masks the files to take.
  void SetSwap(bool swap) { swap_ = swap; }
  void SetAlwaysExcluded(std::string_view masksText) { alwaysExcluded_ = MaskList::Parse(masksText, false); }
  [[nodiscard]] bool Accepts(std::string_view fileName) const;

 private:
  MaskList include_;
  MaskList exclude_;
  MaskList alwaysExcluded_;
  bool swap_ = false;
};

}  // namespace engine
