#include "ui/result_model.h"

#include <algorithm>
#include <mutex>

#include "engine/mask_list.h"
#include "platform/path.h"

namespace ui {
namespace {

using engine::CompareItem;

bool isDoItNow(Command command) { return command == Command::DoItNow || command == Command::DoItNowRecursive; }

// Commands that change marks, actions or folding: what a run reads while it goes.
bool isEditCommand(Command command) {
  switch (command) {
    case Command::ToggleFolders:
    case Command::ToggleSelection:
    case Command::ToggleSelectionAndMoveDown:
    case Command::ReverseSelection:
    case Command::SelectAll:
    case Command::SelectNone:
    case Command::SelectByMask:
    case Command::UnselectByMask:
    case Command::Select:
    case Command::AllToTarget:
    case Command::AllToSource:
    case Command::Reverse:
    case Command::Delete:
    case Command::SelectRecursive:
    case Command::DeleteRecursive:
    case Command::AllToTargetRecursive:
    case Command::AllToSourceRecursive: return true;
    default: return false;
  }
}

std::vector<int> allRows(int count) {
  std::vector<int> rows(static_cast<std::size_t>(count));
  for (int row = 0; row < count; ++row) rows[static_cast<std::size_t>(row)] = row;
  return rows;
}

}  // namespace

ResultModel::ResultModel(engine::CompareEngine& engine, ViewState state, RunStarter startRun, DateTimeFormat format)
    : list_(engine, std::move(state), std::move(format)), startRun_(std::move(startRun)) {}

bool ResultModel::Execute(Command command) {
  if (const auto slot = FilterOfCommand(command)) return list_.ToggleFilter(*slot);
  if (!IsEnabled(command)) return false;
  switch (command) {
    case Command::ShowSameFiles: list_.SetShowSameFiles(!list_.State().showSameFiles); return true;
    case Command::NameSorting: list_.SetSortKey(SortKey::Name); return true;
    case Command::DateSorting: list_.SetSortKey(SortKey::Date); return true;
    case Command::TypeSorting: list_.SetSortKey(SortKey::Type); return true;
    case Command::DirectionSorting: list_.SetSortKey(SortKey::Direction); return true;
    case Command::ToggleFolders: list_.ToggleAllFolders(); return true;
    case Command::NextFolder: return moveToFolder(1);
    case Command::PreviousFolder: return moveToFolder(-1);
    case Command::ToggleSelection: return toggleSelection();
    case Command::ToggleSelectionAndMoveDown: {
      const int current = list_.CurrentRow();
      setMarks(markableItems({current}), Marks::Flip);
      list_.SetCurrentRow(current + 1);
      return true;
    }
    case Command::ReverseSelection: return setMarks(markableItems(allRows(list_.RowCount())), Marks::Flip);
    case Command::SelectAll: return setMarks(markableItems(allRows(list_.RowCount())), Marks::Set);
    case Command::SelectNone: return setMarks(markableItems(allRows(list_.RowCount())), Marks::Clear);
    case Command::SelectByMask: return SelectByMask("", true);
    case Command::UnselectByMask: return SelectByMask("", false);
    case Command::Select: return select(false);
    case Command::SelectRecursive: return select(true);
    case Command::AllToTarget: return changeActions(RowAction::AllToTarget, false);
    case Command::AllToTargetRecursive: return changeActions(RowAction::AllToTarget, true);
    case Command::AllToSource: return changeActions(RowAction::AllToSource, false);
    case Command::AllToSourceRecursive: return changeActions(RowAction::AllToSource, true);
    case Command::Reverse: return changeActions(RowAction::Reverse, false);
    case Command::Delete: return changeActions(RowAction::Delete, false);
    case Command::DeleteRecursive: return changeActions(RowAction::Delete, true);
    case Command::DoItNow: return runCollected(false);
    case Command::DoItNowRecursive: return runCollected(true);
    case Command::CopyFiles: return startRun({});
    default: return false;
  }
}

bool ResultModel::IsChecked(Command command) const {
  const ViewState& state = list_.State();
  if (command == Command::ShowAll) return state.filters.Empty();
  if (const auto slot = FilterOfCommand(command)) return state.filters.IsActive(*slot);
  switch (command) {
    case Command::ShowSameFiles: return state.showSameFiles;
    case Command::NameSorting: return state.sortKey == SortKey::Name;
    case Command::DateSorting: return state.sortKey == SortKey::Date;
    case Command::TypeSorting: return state.sortKey == SortKey::Type;
    case Command::DirectionSorting: return state.sortKey == SortKey::Direction;
    default: return false;
  }
}

bool ResultModel::IsEnabled(Command command) {
  if (command == Command::ShowSameFiles) return list_.Mode() != ListMode::Comparing;
  // "Copy files" runs what is selected, shown or not.
  if (command == Command::CopyFiles) return list_.Mode() == ListMode::Idle;
  if (isDoItNow(command)) return list_.Mode() == ListMode::Idle && list_.RowCount() > 0;
  if (!isEditCommand(command)) return true;
  if (list_.Mode() == ListMode::Running || list_.RowCount() == 0) return false;
  if (command != Command::AllToSource && command != Command::AllToSourceRecursive) return true;
  // A one-way session never writes into its source: with nothing but such sessions, no copy or
  // deletion there is offered.
  engine::CompareEngine& engine = list_.Engine();
  const std::lock_guard lock(engine.Items().Lock());
  return std::any_of(engine.Pairs().begin(), engine.Pairs().end(), [](const engine::StorePair& pair) { return !pair.oneWay; });
}

std::vector<int> ResultModel::markableItems(const std::vector<int>& rows) {
  std::vector<int> markable;
  engine::ItemList& items = list_.Engine().Items();
  const std::lock_guard lock(items.Lock());
  for (const int row : rows) {
    const int item = list_.ItemOfRow(row);
    if (item >= 0 && KindOf(items.at(item)) != RowKind::FolderHeader) markable.push_back(item);
  }
  return markable;
}

ResultModel::Collected ResultModel::collect(bool recursive, bool collapsedAsFolder) {
  Collected collected;
  const std::vector<int> rows = list_.ListSelection();
  engine::ItemList& items = list_.Engine().Items();
  if (rows.size() >= 2) {
    const std::lock_guard lock(items.Lock());
    for (const int row : rows) {
      const int item = list_.ItemOfRow(row);
      if (KindOf(items.at(item)) != RowKind::FolderHeader && items.at(item).action != engine::action::kNone) {
        collected.items.push_back(item);
      }
    }
  } else if (list_.KindOfRow(list_.CurrentRow()) == RowKind::FolderHeader) {
    collected.items = list_.FolderContents(list_.CurrentRow(), recursive, collapsedAsFolder);
  } else if (const int item = list_.ItemOfRow(list_.CurrentRow()); item >= 0) {
    collected.items.push_back(item);
  }
  const std::lock_guard lock(items.Lock());
  collected.allSelected = std::all_of(collected.items.begin(), collected.items.end(),
                                      [&](int item) { return engine::IsSelected(items.at(item)); });
  return collected;
}

bool ResultModel::setMarks(const std::vector<int>& items, Marks marks) {
  list_.Edit(items, [marks](CompareItem& item) {
    const bool on = marks == Marks::Set || (marks == Marks::Flip && (item.flags & engine::itemflag::kSelected) == 0);
    item.flags = static_cast<std::uint16_t>(on ? item.flags | engine::itemflag::kSelected
                                               : item.flags & ~engine::itemflag::kSelected);
  });
  return !items.empty();
}

bool ResultModel::toggleSelection() {
  std::vector<int> targets;
  const std::vector<int> rows = list_.ListSelection();
  const int current = list_.CurrentRow();
  if (rows.size() >= 2) {
    targets = markableItems(rows);
  } else if (list_.KindOfRow(current) != RowKind::FolderHeader) {
    return setMarks(markableItems({current}), Marks::Flip);
  } else {
    // A folder header alone stands for its file rows; a collapsed folder shows none.
    {
      engine::ItemList& items = list_.Engine().Items();
      const std::lock_guard lock(items.Lock());
      if ((items.at(list_.ItemOfRow(current)).flags & engine::itemflag::kCollapsed) != 0) return false;
    }
    targets = list_.FolderContents(current, false, false);
  }
  if (targets.empty()) return false;
  bool firstSelected = false;
  {
    engine::ItemList& items = list_.Engine().Items();
    const std::lock_guard lock(items.Lock());
    firstSelected = engine::IsSelected(items.at(targets.front()));
  }
  return setMarks(targets, firstSelected ? Marks::Clear : Marks::Set);
}

bool ResultModel::select(bool recursive) {
  const Collected collected = collect(recursive, false);
  return setMarks(collected.items, collected.allSelected ? Marks::Clear : Marks::Set);
}

bool ResultModel::changeActions(RowAction rowAction, bool recursive) {
  const Collected collected = collect(recursive, false);
  engine::CompareEngine& engine = list_.Engine();
  list_.Edit(collected.items, [&](CompareItem& item) {
    const int next = ActionAfter(rowAction, item);
    if (!PairAllows(item, next, engine.Pairs())) return;
    item.action = next;
    item.flags |= engine::itemflag::kSelected;
  });
  return !collected.items.empty();
}

bool ResultModel::SelectByMask(std::string_view masks, bool select) {
  if (!IsEnabled(select ? Command::SelectByMask : Command::UnselectByMask)) return false;
  const engine::MaskList list = engine::MaskList::Parse(masks);
  std::vector<int> matching;
  {
    engine::ItemList& items = list_.Engine().Items();
    const std::lock_guard lock(items.Lock());
    for (int row = 0; row < list_.RowCount(); ++row) {
      const CompareItem& item = items.at(list_.ItemOfRow(row));
      if (KindOf(item) == RowKind::FolderHeader) continue;
      if (list.Matches(item.isFolder() ? platform::fileNameOf(item.name) : item.name)) matching.push_back(list_.ItemOfRow(row));
    }
  }
  return setMarks(matching, select ? Marks::Set : Marks::Clear);
}

bool ResultModel::SmartToggleAll() {
  if (!IsEnabled(Command::SelectAll)) return false;
  const std::vector<int> markable = markableItems(allRows(list_.RowCount()));
  if (markable.empty()) return false;
  bool firstSelected = false;
  {
    engine::ItemList& items = list_.Engine().Items();
    const std::lock_guard lock(items.Lock());
    firstSelected = engine::IsSelected(items.at(markable.front()));
  }
  return setMarks(markable, firstSelected ? Marks::Clear : Marks::Set);
}

bool ResultModel::runCollected(bool recursive) {
  std::vector<int> items = collect(recursive, true).items;
  return !items.empty() && startRun(std::move(items));
}

bool ResultModel::startRun(std::vector<int> items) {
  if (PlannedItems(list_.Engine(), items).empty()) return false;
  list_.RunStarted();
  startRun_(std::move(items));
  return true;
}

bool ResultModel::moveToFolder(int step) {
  for (int row = list_.CurrentRow() + step; row >= 0 && row < list_.RowCount(); row += step) {
    if (list_.KindOfRow(row) == RowKind::FolderHeader) {
      list_.SetCurrentRow(row);
      return true;
    }
  }
  return false;
}

}  // namespace ui
