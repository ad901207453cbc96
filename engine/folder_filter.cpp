#include "engine/folder_filter.h"

#include <algorithm>

#include "platform/case_fold.h"
#include "platform/path.h"

namespace engine {
namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

FolderFilter::FolderFilter(const std::string& list, bool exclude)
    : masks_(MaskList::Parse(trimmed(list), false)), exclude_(exclude) {}

FolderFilter::Decision FolderFilter::Decide(const std::string& relative, bool parentIncluded) const {
  if (masks_.empty()) return Decision::Enter;
  const bool listed = masks_.Matches(platform::fileNameOf(relative)) || masks_.Matches(relative) ||
                      masks_.Matches(platform::toStoredName(relative));
  if (exclude_) return listed ? Decision::Skip : Decision::Enter;
  if (listed || parentIncluded) return Decision::Enter;
  return leadsToListedPath(relative) ? Decision::PassThrough : Decision::Skip;
}

bool FolderFilter::leadsToListedPath(const std::string& relative) const {
  const std::string prefix = platform::caseKey(relative) + "/";
  for (std::string mask : masks_.masks()) {
    std::replace(mask.begin(), mask.end(), '\\', '/');
    if (mask.starts_with(prefix)) return true;
  }
  return false;
}

}  // namespace engine
