#pragma once
// Where Copy To puts each file: below the target, at its path without a common folder that the
// user chose. Every destination is known before anything is written.
#include <optional>
#include <string>
#include <vector>

#include "ui/run_plan.h"

namespace ui {

// The folders that hold every file of the list, longest first, down to (without) the root:
// the parts Copy To may leave out. Empty when only the root holds them all. Letter case counts.
[[nodiscard]] std::vector<std::string> StripChoices(const std::vector<PlannedFile>& files);

struct CopyToEntry {
  PlannedFile file;
  // Below the target, "/" between folders.
  std::string destination;
};

struct CopyToPlan {
  std::vector<CopyToEntry> entries;
  // Files refused before anything is written, with the reason: those whose destinations collide.
  std::vector<std::pair<std::string, std::string>> refused;
};

// The destinations of the files without the folder `strip` (empty: the whole path below the
// target). Empty with `error` when `strip` is not a folder that holds every file.
[[nodiscard]] std::optional<CopyToPlan> PlanCopyTo(const std::vector<PlannedFile>& files, const std::string& strip,
                                                   std::string& error);

}  // namespace ui
