#include "ui/copy_to_plan.h"

#include <unordered_map>

#include "engine/text.h"
#include "platform/path.h"

namespace ui {
namespace {

// The folder above a folder path that ends with a separator ("/a/b/" -> "/a/").
std::string folderAbove(const std::string& folder) {
  return platform::withTrailingSeparator(platform::parentOf(platform::withoutTrailingSeparator(folder)));
}

}  // namespace

std::vector<std::string> StripChoices(const std::vector<PlannedFile>& files) {
  if (files.empty()) return {};
  std::string common = platform::withTrailingSeparator(platform::parentOf(files.front().path));
  for (const PlannedFile& file : files) {
    while (common.size() > 1 && !file.path.starts_with(common)) common = folderAbove(common);
  }
  std::vector<std::string> choices;
  for (; common.size() > 1; common = folderAbove(common)) choices.push_back(common);
  return choices;
}

std::optional<CopyToPlan> PlanCopyTo(const std::vector<PlannedFile>& files, const std::string& strip, std::string& error) {
  const std::string folder = strip.empty() ? std::string(1, platform::kSeparator) : platform::withTrailingSeparator(strip);
  CopyToPlan plan;
  std::unordered_map<std::string, int> arriving;
  for (const PlannedFile& file : files) {
    if (!file.path.starts_with(folder) || file.path.size() == folder.size()) {
      error = engine::TranslateFormat("${The folder to leave out does not hold this file:} %s", {file.path});
      return std::nullopt;
    }
    plan.entries.push_back({file, file.path.substr(folder.size())});
    ++arriving[plan.entries.back().destination];
  }
  std::erase_if(plan.entries, [&](const CopyToEntry& entry) {
    if (arriving[entry.destination] < 2) return false;
    plan.refused.emplace_back(entry.file.path,
                              engine::TranslateFormat("${another file would arrive at the same place:} %s", {entry.destination}));
    return true;
  });
  return plan;
}

}  // namespace ui
