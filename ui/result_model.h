#pragma once
// The result list's commands, reachable without a window: a window forwards its menu commands,
// clicks and keys here and draws List(); tests and scripts call the same functions. Marks and
// actions are changed on the comparison items in place, so the run later does exactly what the
// list shows; "Do it now!" and "Copy files" hand items to the run through the starter. Commands
// act on the rows selected in the window's list when there are two or more, else on the current row.
#include <functional>
#include <string_view>
#include <vector>

#include "ui/list_commands.h"
#include "ui/result_list.h"
#include "ui/row_actions.h"

namespace ui {

class ResultModel {
 public:
  // Starts a run of the given item indexes (empty: every item) on another thread.
  using RunStarter = std::function<void(std::vector<int> items)>;

  ResultModel(engine::CompareEngine& engine, ViewState state, RunStarter startRun,
              DateTimeFormat format = DateTimeFormat::User());

  // Carries out a menu command (masks commands select or unselect every file: see SelectByMask).
  // False when it did nothing.
  bool Execute(Command command);
  // Marks (select) or unmarks every file row whose name matches one of the masks: split at
  // blanks, ";" and ","; a quoted mask may hold them; an empty text is "*.*".
  bool SelectByMask(std::string_view masks, bool select);
  // A click on the mark column of the header row: clears every mark when the first file row
  // is selected, else sets every mark.
  bool SmartToggleAll();
  [[nodiscard]] bool IsChecked(Command command) const;
  [[nodiscard]] bool IsEnabled(Command command);

  [[nodiscard]] ResultList& List() { return list_; }

 private:
  enum class Marks { Set, Clear, Flip };
  // The items a row command acts on, and whether every one of them was selected.
  struct Collected {
    std::vector<int> items;
    bool allSelected = true;
  };
  [[nodiscard]] Collected collect(bool recursive, bool collapsedAsFolder);
  // The items of every row that carries a mark (files and folder rows).
  [[nodiscard]] std::vector<int> markableItems(const std::vector<int>& rows);
  bool setMarks(const std::vector<int>& items, Marks marks);
  bool toggleSelection();
  bool select(bool recursive);
  bool changeActions(RowAction rowAction, bool recursive);
  // "Do it now!": the collected rows, a collapsed folder as itself (the run then does its files
  // only with "Sync files in collapsed folders").
  bool runCollected(bool recursive);
  // Hands the items to the run when it will carry out at least one of them (empty: all).
  bool startRun(std::vector<int> items);
  bool moveToFolder(int step);

  ResultList list_;
  RunStarter startRun_;
};

}  // namespace ui
