#include "ui/visible_rows.h"

#include <algorithm>

namespace ui {
namespace {

bool collapsed(const engine::CompareItem& folder) { return (folder.flags & engine::itemflag::kCollapsed) != 0; }

}  // namespace

void VisibleRows::Build(engine::ItemList& items, const std::vector<int>& order, const RowTest& test, SortKey key,
                        const Visit& visit) {
  Clear();
  appendFrom(items, order, 0, test, key, visit);
}

void VisibleRows::Clear() {
  rows_.clear();
  folders_.clear();
  orderSeen_ = 0;
}

void VisibleRows::Append(engine::ItemList& items, const std::vector<int>& order, const RowTest& test, SortKey key,
                         const Visit& visit) {
  appendFrom(items, order, orderSeen_, test, key, visit);
}

void VisibleRows::appendFrom(engine::ItemList& items, const std::vector<int>& order, std::size_t start,
                             const RowTest& test, SortKey key, const Visit& visit) {
  const int firstNewRow = Count();
  const std::size_t firstNewFolder = folders_.size();
  for (std::size_t position = start; position < order.size(); ++position) {
    const int index = order[position];
    engine::CompareItem& item = items.at(index);
    visit(item);
    item.row = -1;
    if (item.isFolder()) {
      folders_.push_back({index, static_cast<int>(position), static_cast<int>(position) + 1, Count(), 0});
      if (test.Passes(item)) {
        rows_.push_back(index);
        folders_.back().rowCount = 1;
      }
      continue;
    }
    Folder& folder = folders_.back();
    folder.orderEnd = static_cast<int>(position) + 1;
    if (!test.Passes(item)) continue;
    if (folder.rowCount == 0) {
      rows_.push_back(folder.item);
      folder.rowCount = 1;
    }
    if (!collapsed(items.at(folder.item))) {
      rows_.push_back(index);
      ++folder.rowCount;
    }
  }
  orderSeen_ = order.size();
  for (std::size_t folder = firstNewFolder; folder < folders_.size(); ++folder) sortFiles(items, folders_[folder], key);
  numberFrom(items, firstNewRow);
}

void VisibleRows::sortFiles(engine::ItemList& items, const Folder& folder, SortKey key) {
  if (folder.rowCount < 3) return;
  const auto begin = rows_.begin() + folder.firstRow + 1;
  std::sort(begin, rows_.begin() + folder.firstRow + folder.rowCount, RowOrder(items, key));
}

void VisibleRows::numberFrom(engine::ItemList& items, int row) {
  for (int r = row; r < Count(); ++r) items.at(ItemAt(r)).row = r;
}

void VisibleRows::Resort(engine::ItemList& items, SortKey key) {
  for (const Folder& folder : folders_) sortFiles(items, folder, key);
  numberFrom(items, 0);
}

int VisibleRows::Refold(engine::ItemList& items, const std::vector<int>& order, int folderIndex, const RowTest& test,
                        SortKey key) {
  Folder& folder = folders_[static_cast<std::size_t>(folderIndex)];
  if (folder.rowCount == 0) return 0;
  const auto filesBegin = rows_.begin() + folder.firstRow + 1;
  const auto filesEnd = rows_.begin() + folder.firstRow + folder.rowCount;
  for (auto row = filesBegin; row != filesEnd; ++row) items.at(*row).row = -1;
  rows_.erase(filesBegin, filesEnd);
  const int before = folder.rowCount;
  folder.rowCount = 1;
  if (!collapsed(items.at(folder.item))) {
    std::vector<int> files;
    for (int position = folder.orderBegin + 1; position < folder.orderEnd; ++position) {
      const int index = order[static_cast<std::size_t>(position)];
      if (test.Passes(items.at(index))) files.push_back(index);
    }
    rows_.insert(rows_.begin() + folder.firstRow + 1, files.begin(), files.end());
    folder.rowCount += static_cast<int>(files.size());
    sortFiles(items, folder, key);
  }
  const int change = folder.rowCount - before;
  for (std::size_t later = static_cast<std::size_t>(folderIndex) + 1; later < folders_.size(); ++later) {
    folders_[later].firstRow += change;
  }
  numberFrom(items, folder.firstRow);
  return change;
}

int VisibleRows::FolderOfRow(int row) const {
  auto it = std::upper_bound(folders_.begin(), folders_.end(), row,
                             [](int r, const Folder& folder) { return r < folder.firstRow; });
  // Rows of folders with rows tile the list, so the last such folder starting at or before the
  // row holds it.
  while (it != folders_.begin()) {
    --it;
    if (it->rowCount > 0) return static_cast<int>(it - folders_.begin());
  }
  return -1;
}

std::vector<int> VisibleRows::FileRows(int folderIndex) const {
  const Folder& folder = folders_[static_cast<std::size_t>(folderIndex)];
  if (folder.rowCount < 2) return {};
  return {rows_.begin() + folder.firstRow + 1, rows_.begin() + folder.firstRow + folder.rowCount};
}

}  // namespace ui
