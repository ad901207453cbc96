#include "ui/view_filters.h"

#include <algorithm>

namespace ui {
namespace {

namespace action = engine::action;
namespace presence = engine::presence;

int groupOf(FilterSlot slot) { return Filters()[static_cast<std::size_t>(slot)].group; }

bool test(FilterSlot slot, const engine::CompareItem& item) {
  switch (slot) {
    case FilterSlot::SelectedOnly: return engine::IsSelected(item);
    case FilterSlot::SourceOnly: return item.presence == presence::kSource;
    case FilterSlot::TargetOnly: return item.presence == presence::kTarget;
    case FilterSlot::SourceAndTargetOnly: return item.presence == presence::kBoth;
    case FilterSlot::ToSourceOnly: return item.action == action::kCopyToSource;
    case FilterSlot::ToTargetOnly: return item.action == action::kCopyToTarget;
    case FilterSlot::DeletedOnly: return item.action == action::kDelete;
    case FilterSlot::SameOnly: return item.action == action::kNone;
    case FilterSlot::ConflictsOnly: return item.action == action::kConflict;
    case FilterSlot::ShowAll: return true;
  }
  return true;
}

}  // namespace

const std::array<FilterInfo, kFilterSlots>& Filters() {
  static const std::array<FilterInfo, kFilterSlots> kFilters{{
      {FilterSlot::ShowAll, "${Show all}", Command::ShowAll, 0},
      {FilterSlot::SelectedOnly, "${Selected only}", Command::SelectedOnly, 1},
      {FilterSlot::SourceOnly, "${Source only}", Command::SourceOnly, 2},
      {FilterSlot::TargetOnly, "${Target only}", Command::TargetOnly, 2},
      {FilterSlot::SourceAndTargetOnly, "${Source+Target only}", Command::SourceAndTargetOnly, 2},
      {FilterSlot::ToSourceOnly, "${To Source only}", Command::ToSourceOnly, 5},
      {FilterSlot::ToTargetOnly, "${To Target only}", Command::ToTargetOnly, 5},
      {FilterSlot::DeletedOnly, "${Deleted only}", Command::DeletedOnly, 5},
      {FilterSlot::SameOnly, "", std::nullopt, 5},
      {FilterSlot::ConflictsOnly, "${Conflicts only}", Command::ConflictsOnly, 5},
  }};
  return kFilters;
}

std::optional<FilterSlot> FilterOfCommand(Command command) {
  for (const FilterInfo& info : Filters()) {
    if (info.command == command) return info.slot;
  }
  return std::nullopt;
}

bool ViewFilters::Toggle(FilterSlot slot) {
  if (slot == FilterSlot::ShowAll) {
    const bool any = !active_.empty();
    active_.clear();
    return any;
  }
  const auto found = std::find(active_.begin(), active_.end(), slot);
  if (found != active_.end()) {
    active_.erase(found);
    return true;
  }
  std::erase_if(active_, [&](FilterSlot other) { return groupOf(other) == groupOf(slot); });
  active_.push_back(slot);
  return true;
}

bool ViewFilters::IsActive(FilterSlot slot) const {
  return std::find(active_.begin(), active_.end(), slot) != active_.end();
}

bool ViewFilters::Passes(const engine::CompareItem& item) const {
  return std::all_of(active_.begin(), active_.end(), [&](FilterSlot slot) { return test(slot, item); });
}

bool RowTest::Passes(const engine::CompareItem& item) const {
  if (item.isFolder() && (!item.isFolderRow() || comparing)) return false;
  if (item.action == action::kNone && !showSameFiles) return false;
  return filters.Passes(item);
}

}  // namespace ui
