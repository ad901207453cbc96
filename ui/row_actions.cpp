#include "ui/row_actions.h"

namespace ui {
namespace {

namespace action = engine::action;
namespace presence = engine::presence;

int reversed(const engine::CompareItem& item) {
  const bool both = item.presence == presence::kBoth;
  switch (item.action) {
    case action::kDelete:
      if (both) return item.plannedAction;
      return item.presence == presence::kSource ? action::kCopyToTarget : action::kCopyToSource;
    case action::kCopyToSource:
      if (!both) return action::kDelete;
      return item.plannedAction == action::kConflict ? action::kConflict : action::kCopyToTarget;
    case action::kCopyToTarget: return both ? action::kCopyToSource : action::kDelete;
    case action::kConflict: return action::kCopyToTarget;
    default: return item.action;
  }
}

}  // namespace

int ActionAfter(RowAction command, const engine::CompareItem& item) {
  switch (command) {
    case RowAction::AllToTarget: return item.presence == presence::kTarget ? action::kDelete : action::kCopyToTarget;
    case RowAction::AllToSource: return item.presence == presence::kSource ? action::kDelete : action::kCopyToSource;
    case RowAction::Delete: return action::kDelete;
    case RowAction::Reverse: return reversed(item);
  }
  return item.action;
}

}  // namespace ui
