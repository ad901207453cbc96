#pragma once
// The view filters of the result list: a fixed set of slots, each with a test on an item and a
// group; filters of one group exclude each other, filters of different groups combine (AND).
// They only change which items are shown, never what a run does.
#include <array>
#include <optional>
#include <vector>

#include "engine/compare_item.h"
#include "ui/list_commands.h"

namespace ui {

enum class FilterSlot : int {
  ShowAll = 0,
  SelectedOnly = 1,
  SourceOnly = 2,
  TargetOnly = 3,
  SourceAndTargetOnly = 4,
  ToSourceOnly = 5,
  ToTargetOnly = 6,
  DeletedOnly = 7,
  SameOnly = 8,
  ConflictsOnly = 9,
};
inline constexpr int kFilterSlots = 10;

struct FilterInfo {
  FilterSlot slot;
  // The menu text and command; the slot of same files has neither.
  const char* menuText;
  std::optional<Command> command;
  int group;
};
[[nodiscard]] const std::array<FilterInfo, kFilterSlots>& Filters();
// The slot a command toggles; empty when it is no filter command.
[[nodiscard]] std::optional<FilterSlot> FilterOfCommand(Command command);

class ViewFilters {
 public:
  // Toggles a filter: an active one goes; a new one replaces the active filters of its group.
  // Show all removes every filter. True when the active set changed.
  bool Toggle(FilterSlot slot);
  void Clear() { active_.clear(); }
  [[nodiscard]] bool IsActive(FilterSlot slot) const;
  [[nodiscard]] bool Empty() const { return active_.empty(); }
  // True when the item passes every active filter.
  [[nodiscard]] bool Passes(const engine::CompareItem& item) const;
  [[nodiscard]] const std::vector<FilterSlot>& Active() const { return active_; }

 private:
  std::vector<FilterSlot> active_;
};

// Which items are rows: files and folder rows whose action is not 0 (or all with "Show same
// files") that pass the filters. While a comparison still runs, folder rows are not settled (a
// file found later below one makes it an ordinary folder) and are left out.
struct RowTest {
  const ViewFilters& filters;
  bool showSameFiles = false;
  bool comparing = false;
  [[nodiscard]] bool Passes(const engine::CompareItem& item) const;
};

}  // namespace ui
