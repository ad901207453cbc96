#pragma once
// The result list without a display: the rows built from the comparison items, the view state
// that decides them, the totals, and the current row, kept on its item across rebuilds. It
// follows a comparison as it adds folders and a run as it goes. One thread (the window's) calls
// it; it reads and changes items under the list's lock, so the comparing and running threads
// may go on meanwhile.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/compare.h"
#include "ui/list_totals.h"
#include "ui/row_order.h"
#include "ui/row_text.h"
#include "ui/run_plan.h"
#include "ui/view_filters.h"
#include "ui/visible_rows.h"

namespace ui {

// What decides the rows besides the items. The sort key and the Show same files switch outlive
// a comparison; the filters last until the next one starts.
struct ViewState {
  SortKey sortKey = SortKey::Direction;
  bool showSameFiles = false;
  ViewFilters filters;
};

enum class ListMode { Idle, Comparing, Running };

class ResultList {
 public:
  ResultList(engine::CompareEngine& engine, ViewState state, DateTimeFormat format);

  // A comparison started (for each of its sessions): the filters go, the rows are built anew.
  void ComparisonStarted();
  // A folder and its files are done: their rows are added. The current row follows the end of
  // the list when it was there.
  void FolderPassed();
  // Finished or cancelled: the rows are built anew with the folder rows, which are settled now.
  void ComparisonEnded();
  // A run of items of this list starts; the current row is remembered.
  void RunStarted();
  // The run reached an item: it becomes the current row.
  void RunItemStarting(const engine::CompareItem& item);
  // The run is done with the item: the totals follow it.
  void RunItemDone(const engine::CompareItem& item);
  // The run ended: the totals are counted anew and the current row goes back where it was.
  void RunEnded();
  [[nodiscard]] ListMode Mode() const { return mode_; }

  // True when the active filters changed (the rows are then built anew).
  bool ToggleFilter(FilterSlot slot);
  void SetShowSameFiles(bool on);
  void SetSortKey(SortKey key);
  // Collapses or expands the folder of a header row; the change in the number of rows. Nothing
  // while a run goes on.
  int ToggleFolder(int row);
  // Gives every folder the collapsed state of the all-folders switch after flipping it.
  void ToggleAllFolders();
  [[nodiscard]] const ViewState& State() const { return state_; }

  [[nodiscard]] int RowCount() const { return rows_.Count(); }
  // The item of a row, or -1 for a row outside the list.
  [[nodiscard]] int ItemOfRow(int row) const;
  // File for a row outside the list (it has no item).
  [[nodiscard]] RowKind KindOfRow(int row);
  [[nodiscard]] RowView Row(int row);
  // -1 when the list has no rows.
  [[nodiscard]] int CurrentRow() const { return currentRow_; }
  void SetCurrentRow(int row);
  // The rows selected in the window's list (not the items' marks); kept on their items, and
  // forgotten when a comparison starts.
  void SetListSelection(const std::vector<int>& rows);
  // Those that still have rows, in row order.
  [[nodiscard]] std::vector<int> ListSelection();

  // Runs `change` on each item under the list's lock; the totals follow every change.
  void Edit(const std::vector<int>& items, const std::function<void(engine::CompareItem&)>& change);
  // The file items a header row stands for: its file rows, or when it is collapsed its files
  // that the view would show. With `below`, also those of every folder below it, and the folder
  // rows there; folders below are found by the items' parent links and the walk stops at the
  // first folder that is not below. A collapsed folder counts as itself when `collapsedAsFolder`.
  [[nodiscard]] std::vector<int> FolderContents(int headerRow, bool below, bool collapsedAsFolder);

  [[nodiscard]] const ListTotals& Totals() const { return totals_; }
  // The status bar's note of selected files the view hides; empty when none is hidden.
  [[nodiscard]] std::string HiddenNote() const;
  // Counts the totals and every folder's counters from the items anew.
  void RecountTotals();

  [[nodiscard]] engine::CompareEngine& Engine() { return engine_; }

 private:
  // The list's lock; rows of items a new comparison has dropped are dropped too.
  [[nodiscard]] std::unique_lock<std::mutex> lockItems();
  [[nodiscard]] RowTest rowTest() const { return {state_.filters, state_.showSameFiles, mode_ == ListMode::Comparing}; }
  [[nodiscard]] Tally tallyOf(const engine::CompareItem& item) const;
  void count(engine::CompareItem& item);
  // Builds the rows anew; the current row stays on its item.
  void rebuild();
  void keepCurrentOnItem();

  engine::CompareEngine& engine_;
  ViewState state_;
  DateTimeFormat format_;
  RunRules rules_;
  VisibleRows rows_;
  ListTotals totals_;
  ListMode mode_ = ListMode::Idle;
  bool allCollapsed_ = false;
  int currentRow_ = -1;
  int currentItem_ = -1;
  std::vector<int> listSelection_;  // item indexes
  int itemBeforeRun_ = -1;
  // The item the run is on and its tally before it; forgotten when the totals are counted anew.
  const engine::CompareItem* runItem_ = nullptr;
  Tally runItemTally_;
};

}  // namespace ui
