#pragma once
// The commands of the result list, by the ids its menus and keyboard shortcuts use.

namespace ui {

enum class Command : int {
  ShowAll = 32778,
  SelectedOnly = 32786,
  SourceOnly = 32772,
  TargetOnly = 32785,
  SourceAndTargetOnly = 32774,
  ToSourceOnly = 32777,
  ToTargetOnly = 32776,
  DeletedOnly = 32901,
  ConflictsOnly = 32902,
  ShowSameFiles = 32775,
  NameSorting = 32796,
  DateSorting = 32795,
  TypeSorting = 32797,
  DirectionSorting = 32798,
  ToggleSelection = 32789,
  ToggleSelectionAndMoveDown = 32790,
  NextFolder = 32791,
  PreviousFolder = 32792,
  ReverseSelection = 34002,
  SelectAll = 34003,
  SelectNone = 34005,
  SelectByMask = 34004,
  UnselectByMask = 34006,
  ToggleFolders = 34007,
  Select = 32915,
  AllToTarget = 32910,
  AllToSource = 32911,
  Reverse = 32912,
  Delete = 32913,
  DoItNow = 32914,
  SelectRecursive = 32916,
  DeleteRecursive = 32917,
  AllToTargetRecursive = 32918,
  AllToSourceRecursive = 32919,
  DoItNowRecursive = 32920,
  CopyFiles = 1095,
};

}  // namespace ui
