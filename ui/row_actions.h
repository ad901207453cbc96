#pragma once
// What the row commands "${Select}", "${All >>}", "${All <<}", "${Reverse}" and "${Delete}" make
// of an item's action.
#include "engine/compare_item.h"

namespace ui {

enum class RowAction { AllToTarget, AllToSource, Reverse, Delete };

// The new action. Reverse turns a copy or deletion the other way: a deletion of a file on one
// side becomes a copy from that side, a copy to the target of a file only in the source becomes
// its deletion (so reversing twice restores it), and a file on both sides goes back to its
// planned action where no other way is left.
[[nodiscard]] int ActionAfter(RowAction command, const engine::CompareItem& item);

}  // namespace ui
