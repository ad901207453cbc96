#include "ui/list_totals.h"

namespace ui {
namespace {

void step(engine::FolderCounters& records, int recordIndex, int by) {
  auto& count = records[static_cast<std::size_t>(recordIndex)][record::kCountWord];
  count = static_cast<std::uint32_t>(static_cast<std::int64_t>(count) + by);
}

}  // namespace

int RecordOfAction(int action) {
  switch (action) {
    case engine::action::kConflict: return record::kConflict;
    case engine::action::kCopyToTarget: return record::kToTarget;
    case engine::action::kCopyToSource: return record::kToSource;
    case engine::action::kDelete: return record::kDelete;
    default: return 0;
  }
}

void ListTotals::Reset() {
  records_ = {};
  hidden_ = 0;
}

void ListTotals::Change(const engine::CompareItem& item, const Tally& before, const Tally& after) {
  if (before == after) return;
  Remove(item, before);
  Add(item, after);
}

void ListTotals::apply(const engine::CompareItem& item, const Tally& tally, int by) {
  engine::FolderCounters* folder = !item.isFolder() && item.parent != nullptr ? &item.parent->folder->counters : nullptr;
  for (engine::FolderCounters* records : {&records_, folder}) {
    if (records == nullptr) continue;
    if (tally.actionRecord != 0) {
      step(*records, tally.actionRecord, by);
      step(*records, record::kSelected, by);
    }
    if (tally.shown) step(*records, record::kShown, by);
  }
  if (tally.actionRecord != 0 && !tally.shown) hidden_ = static_cast<std::uint32_t>(static_cast<std::int64_t>(hidden_) + by);
}

std::uint32_t ListTotals::Count(int recordIndex) const {
  return records_[static_cast<std::size_t>(recordIndex)][record::kCountWord];
}

std::uint32_t FolderCount(const engine::CompareItem& folder, int recordIndex) {
  return folder.folder->counters[static_cast<std::size_t>(recordIndex)][record::kCountWord];
}

}  // namespace ui
