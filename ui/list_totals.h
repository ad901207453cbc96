#pragma once
// The totals of the result list and of each folder: seven counter records of five words, whose
// third word is a file count. Record 1 counts conflicts, 2 copies to the target, 3 copies to the
// source, 4 deletions, 5 every file the run will carry out, 6 the files the view shows. The run's
// records count what the run will do whether or not the view shows it.
#include <cstdint>

#include "engine/compare_item.h"

namespace ui {

namespace record {
inline constexpr int kConflict = 1;
inline constexpr int kToTarget = 2;
inline constexpr int kToSource = 3;
inline constexpr int kDelete = 4;
inline constexpr int kSelected = 5;
inline constexpr int kShown = 6;
// The word of a record that holds its file count.
inline constexpr int kCountWord = 2;
}  // namespace record

// The record an action counts in; 0 for action 0.
[[nodiscard]] int RecordOfAction(int action);

// What one row item (a file or a folder row) adds to the totals.
struct Tally {
  // The record of its action when the run will carry it out, else 0.
  int actionRecord = 0;
  bool shown = false;
  bool operator==(const Tally&) const = default;
};

class ListTotals {
 public:
  void Reset();
  // Adds an item's tally to the list's records and to its folder's counters (files only).
  void Add(const engine::CompareItem& item, const Tally& tally) { apply(item, tally, 1); }
  void Remove(const engine::CompareItem& item, const Tally& tally) { apply(item, tally, -1); }
  void Change(const engine::CompareItem& item, const Tally& before, const Tally& after);

  [[nodiscard]] std::uint32_t Count(int recordIndex) const;
  [[nodiscard]] const engine::FolderCounters& Records() const { return records_; }
  // Files the run will carry out that the view does not show.
  [[nodiscard]] std::uint32_t HiddenSelected() const { return hidden_; }

 private:
  void apply(const engine::CompareItem& item, const Tally& tally, int step);

  engine::FolderCounters records_{};
  std::uint32_t hidden_ = 0;
};

// The file count of one record of a folder item.
[[nodiscard]] std::uint32_t FolderCount(const engine::CompareItem& folder, int recordIndex);

}  // namespace ui
