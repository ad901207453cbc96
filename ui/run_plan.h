#pragma once
// What a run will do, defined once: the totals, the status panes, "Do it now!", "Copy files", the
// tools' file lists and Copy To all ask here, so the numbers a user sees are what will happen.
// The rules mirror the run of engine/syncrun: a selected item is carried out unless a one-way
// pair refuses it; files in a collapsed folder only with "Sync files in collapsed folders";
// folder rows only with "Handle empty folders".
#include <string>
#include <vector>

#include "engine/compare.h"

namespace ui {

// The options the run's choice of items depends on.
struct RunRules {
  bool syncCollapsedFolders = false;
  bool handleEmptyFolders = false;
};
[[nodiscard]] RunRules RunRulesOf(const engine::EngineSettings& settings);

// True when the action writes into the source: a copy to it, or a deletion of a file that is there.
[[nodiscard]] bool WritesIntoSource(int action, int presence);
// False when the item's pair refuses the action: a one-way pair never writes into its source.
[[nodiscard]] bool PairAllows(const engine::CompareItem& item, int action, const std::vector<engine::StorePair>& pairs);

// True when the run carries out the item when it comes to it (a file or a folder row).
[[nodiscard]] bool Executes(const engine::CompareItem& item, const RunRules& rules,
                            const std::vector<engine::StorePair>& pairs);
// True when a run of the whole list carries out the item. Call under the list's lock.
[[nodiscard]] bool WillRun(const engine::CompareItem& item, const RunRules& rules,
                           const std::vector<engine::StorePair>& pairs);

// The items a run given `indexes` (item indexes; empty: the whole list) carries out, in its
// order: a collapsed folder stands for its selected files when collapsed folders are synchronized.
// Takes the list's lock.
[[nodiscard]] std::vector<int> PlannedItems(engine::CompareEngine& engine, const std::vector<int>& indexes);

// One file of the planned run, on one side of its pair.
struct PlannedFile {
  int pairIndex = 0;
  bool sourceSide = true;
  std::string path;
};
// The files the run copies from (the new-files list): the source side of a copy to the target
// or a conflict, the target side of a copy to the source. Takes the list's lock.
[[nodiscard]] std::vector<PlannedFile> NewFiles(engine::CompareEngine& engine);
// The files the run overwrites or deletes (the backup list): the destination of a copy over an
// existing file, and each side of a deletion where the file is, the source first. Takes the lock.
[[nodiscard]] std::vector<PlannedFile> BackupFiles(engine::CompareEngine& engine);

}  // namespace ui
