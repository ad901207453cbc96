#include "ui/result_list.h"

#include <algorithm>

#include "engine/text.h"

namespace ui {
namespace {

using engine::CompareItem;

bool collapsed(const CompareItem& folder) { return (folder.flags & engine::itemflag::kCollapsed) != 0; }

bool isBelow(const CompareItem& folder, const CompareItem& top) {
  for (const CompareItem* above = folder.parent; above != nullptr; above = above->parent) {
    if (above == &top) return true;
  }
  return false;
}

}  // namespace

ResultList::ResultList(engine::CompareEngine& engine, ViewState state, DateTimeFormat format)
    : engine_(engine), state_(std::move(state)), format_(std::move(format)), rules_(RunRulesOf(engine.Settings())) {
  const auto lock = lockItems();
  rebuild();
}

std::unique_lock<std::mutex> ResultList::lockItems() {
  std::unique_lock lock(engine_.Items().Lock());
  if (engine_.Order().size() < rows_.OrderSeen()) {
    rows_.Clear();
    totals_.Reset();
    currentRow_ = -1;
    currentItem_ = -1;
    listSelection_.clear();
    runItem_ = nullptr;
  }
  return lock;
}

Tally ResultList::tallyOf(const CompareItem& item) const {
  if (KindOf(item) == RowKind::FolderHeader) return {};
  if (item.isFolderRow() && mode_ == ListMode::Comparing) return {};
  return {WillRun(item, rules_, engine_.Pairs()) ? RecordOfAction(item.action) : 0, rowTest().Passes(item)};
}

void ResultList::count(CompareItem& item) {
  if (item.isFolder()) item.folder->counters = {};
  totals_.Add(item, tallyOf(item));
}

void ResultList::rebuild() {
  totals_.Reset();
  runItem_ = nullptr;
  rows_.Build(engine_.Items(), engine_.Order(), rowTest(), state_.sortKey, [this](CompareItem& item) { count(item); });
  keepCurrentOnItem();
}

void ResultList::keepCurrentOnItem() {
  currentRow_ = -1;
  if (currentItem_ >= 0 && currentItem_ < engine_.Items().Count()) {
    const CompareItem& item = engine_.Items().at(currentItem_);
    if (item.row >= 0) {
      currentRow_ = item.row;
    } else if (!item.isFolder() && item.parent->row >= 0) {
      currentRow_ = item.parent->row;  // its folder was collapsed
    }
  }
  if (currentRow_ < 0 && rows_.Count() > 0) currentRow_ = 0;
  currentItem_ = currentRow_ >= 0 ? rows_.ItemAt(currentRow_) : -1;
}

void ResultList::RecountTotals() {
  const auto lock = lockItems();
  totals_.Reset();
  runItem_ = nullptr;
  for (const int index : engine_.Order()) count(engine_.Items().at(index));
}

void ResultList::ComparisonStarted() {
  const auto lock = lockItems();
  state_.filters.Clear();
  allCollapsed_ = false;
  mode_ = ListMode::Comparing;
  currentItem_ = -1;
  listSelection_.clear();
  rebuild();
}

void ResultList::FolderPassed() {
  const auto lock = lockItems();
  const bool atEnd = currentRow_ == rows_.Count() - 1;
  rows_.Append(engine_.Items(), engine_.Order(), rowTest(), state_.sortKey, [this](CompareItem& item) { count(item); });
  if (atEnd && rows_.Count() > 0) SetCurrentRow(rows_.Count() - 1);
}

void ResultList::ComparisonEnded() {
  const auto lock = lockItems();
  mode_ = ListMode::Idle;
  rebuild();
}

void ResultList::RunStarted() {
  mode_ = ListMode::Running;
  itemBeforeRun_ = currentItem_;
}

void ResultList::RunItemStarting(const CompareItem& item) {
  const auto lock = lockItems();
  runItem_ = &item;
  runItemTally_ = tallyOf(item);
  if (item.row >= 0) SetCurrentRow(item.row);
}

void ResultList::RunItemDone(const CompareItem& item) {
  const auto lock = lockItems();
  if (&item == runItem_) totals_.Change(item, runItemTally_, tallyOf(item));
  runItem_ = nullptr;
}

void ResultList::RunEnded() {
  mode_ = ListMode::Idle;
  RecountTotals();
  const auto lock = lockItems();
  currentItem_ = itemBeforeRun_;
  keepCurrentOnItem();
}

bool ResultList::ToggleFilter(FilterSlot slot) {
  if (!state_.filters.Toggle(slot)) return false;
  const auto lock = lockItems();
  rebuild();
  return true;
}

void ResultList::SetShowSameFiles(bool on) {
  if (state_.showSameFiles == on) return;
  state_.showSameFiles = on;
  const auto lock = lockItems();
  rebuild();
}

void ResultList::SetSortKey(SortKey key) {
  state_.sortKey = key;
  const auto lock = lockItems();
  rows_.Resort(engine_.Items(), key);
  keepCurrentOnItem();
}

int ResultList::ToggleFolder(int row) {
  const auto lock = lockItems();
  // A run reads the folding of the folders it comes to.
  if (mode_ == ListMode::Running || row < 0 || row >= rows_.Count()) return 0;
  CompareItem& folder = engine_.Items().at(rows_.ItemAt(row));
  if (KindOf(folder) != RowKind::FolderHeader) return 0;
  const int folderIndex = rows_.FolderOfRow(row);
  const VisibleRows::Folder& span = rows_.Folders()[static_cast<std::size_t>(folderIndex)];
  // Whether its files run may depend on the folder being collapsed.
  auto forEachFile = [&](auto&& visit) {
    for (int position = span.orderBegin + 1; position < span.orderEnd; ++position) {
      visit(engine_.Items().at(engine_.Order()[static_cast<std::size_t>(position)]));
    }
  };
  forEachFile([&](const CompareItem& file) { totals_.Remove(file, tallyOf(file)); });
  folder.flags ^= engine::itemflag::kCollapsed;
  forEachFile([&](const CompareItem& file) { totals_.Add(file, tallyOf(file)); });
  const int change = rows_.Refold(engine_.Items(), engine_.Order(), folderIndex, rowTest(), state_.sortKey);
  keepCurrentOnItem();
  return change;
}

void ResultList::ToggleAllFolders() {
  allCollapsed_ = !allCollapsed_;
  const auto lock = lockItems();
  for (const int index : engine_.Order()) {
    CompareItem& item = engine_.Items().at(index);
    if (KindOf(item) != RowKind::FolderHeader) continue;
    item.flags = static_cast<std::uint16_t>(allCollapsed_ ? item.flags | engine::itemflag::kCollapsed
                                                          : item.flags & ~engine::itemflag::kCollapsed);
  }
  rebuild();
}

int ResultList::ItemOfRow(int row) const { return row >= 0 && row < rows_.Count() ? rows_.ItemAt(row) : -1; }

RowKind ResultList::KindOfRow(int row) {
  const auto lock = lockItems();
  return row >= 0 && row < rows_.Count() ? KindOf(engine_.Items().at(rows_.ItemAt(row))) : RowKind::File;
}

RowView ResultList::Row(int row) {
  const auto lock = lockItems();
  if (row < 0 || row >= rows_.Count()) return {};
  return DescribeRow(engine_.Items().at(rows_.ItemAt(row)), format_);
}

void ResultList::SetCurrentRow(int row) {
  if (row < 0 || row >= rows_.Count()) return;
  currentRow_ = row;
  currentItem_ = rows_.ItemAt(row);
}

void ResultList::SetListSelection(const std::vector<int>& rows) {
  listSelection_.clear();
  for (const int row : rows) {
    if (const int item = ItemOfRow(row); item >= 0) listSelection_.push_back(item);
  }
  std::sort(listSelection_.begin(), listSelection_.end());
  listSelection_.erase(std::unique(listSelection_.begin(), listSelection_.end()), listSelection_.end());
}

std::vector<int> ResultList::ListSelection() {
  const auto lock = lockItems();
  std::vector<int> rows;
  for (const int item : listSelection_) {
    const int row = engine_.Items().at(item).row;
    if (row >= 0 && rows_.ItemAt(row) == item) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void ResultList::Edit(const std::vector<int>& items, const std::function<void(CompareItem&)>& change) {
  const auto lock = lockItems();
  for (const int index : items) {
    if (index < 0 || index >= engine_.Items().Count()) continue;
    CompareItem& item = engine_.Items().at(index);
    const Tally before = tallyOf(item);
    change(item);
    totals_.Change(item, before, tallyOf(item));
  }
}

std::vector<int> ResultList::FolderContents(int headerRow, bool below, bool collapsedAsFolder) {
  const auto lock = lockItems();
  std::vector<int> contents;
  if (headerRow < 0 || headerRow >= rows_.Count()) return contents;
  const auto& folders = rows_.Folders();
  const auto first = static_cast<std::size_t>(rows_.FolderOfRow(headerRow));
  const CompareItem& top = engine_.Items().at(folders[first].item);
  if (KindOf(top) != RowKind::FolderHeader) return contents;
  const RowTest test = rowTest();
  for (std::size_t index = first; index < folders.size(); ++index) {
    const VisibleRows::Folder& span = folders[index];
    const CompareItem& folder = engine_.Items().at(span.item);
    if (index != first && (!below || !isBelow(folder, top))) break;
    if (folder.isFolderRow()) {
      if (folder.row >= 0) contents.push_back(span.item);
    } else if (!collapsed(folder)) {
      const std::vector<int> files = rows_.FileRows(static_cast<int>(index));
      contents.insert(contents.end(), files.begin(), files.end());
    } else if (collapsedAsFolder) {
      contents.push_back(span.item);
    } else {
      for (int position = span.orderBegin + 1; position < span.orderEnd; ++position) {
        const int file = engine_.Order()[static_cast<std::size_t>(position)];
        if (test.Passes(engine_.Items().at(file))) contents.push_back(file);
      }
    }
  }
  return contents;
}

std::string ResultList::HiddenNote() const {
  const std::uint32_t hidden = totals_.HiddenSelected();
  if (hidden == 0) return "";
  return engine::TranslateFormat("${Selected but hidden by the view:} %d", {std::to_string(hidden)});
}

}  // namespace ui
