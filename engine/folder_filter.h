#pragma once
// Which subfolders a scan enters: all of them, only the listed ones, or all but the listed ones.
#include <string>

#include "engine/mask_list.h"

namespace engine {

// A folder is named by its name or by its path below the root ("a\b" or "a/b"). Included folders
// take their subfolders with them; the folders above a listed path are passed through without
// their own files.
class FolderFilter {
 public:
  enum class Decision { Skip, Enter, PassThrough };

  // An empty list admits every folder.
  FolderFilter(const std::string& list, bool exclude);
  [[nodiscard]] Decision Decide(const std::string& relative, bool parentIncluded) const;
  [[nodiscard]] bool IncludeMode() const { return !masks_.empty() && !exclude_; }

 private:
  [[nodiscard]] bool leadsToListedPath(const std::string& relative) const;

  MaskList masks_;
  bool exclude_;
};

}  // namespace engine
