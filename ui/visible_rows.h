#pragma once
// The rows of the result list: for each folder item in the list's order a header row when any of
// its files is shown, then its file rows sorted (none while it is collapsed); a folder row of its
// own stands alone. Rows are never sorted across folders. Each row's index is written into its
// item (-1 for items without a row). Every function is called under the list's lock.
#include <functional>
#include <vector>

#include "engine/compare_item.h"
#include "ui/row_order.h"
#include "ui/view_filters.h"

namespace ui {

class VisibleRows {
 public:
  // One folder item and where its items and rows are.
  struct Folder {
    int item = -1;
    // Positions in the list's order: the folder item, and just after its last file.
    int orderBegin = 0;
    int orderEnd = 0;
    // Its first row (or where it would be), and how many rows it has (0: none).
    int firstRow = 0;
    int rowCount = 0;
  };
  // Called for every item passed, folder items before their files.
  using Visit = std::function<void(engine::CompareItem&)>;

  // Builds the rows anew from the whole order.
  void Build(engine::ItemList& items, const std::vector<int>& order, const RowTest& test, SortKey key, const Visit& visit);
  // Adds the rows of the items the order gained since the last call (whole folders only).
  void Append(engine::ItemList& items, const std::vector<int>& order, const RowTest& test, SortKey key, const Visit& visit);
  void Resort(engine::ItemList& items, SortKey key);
  // Removes or inserts the file rows of a folder after its collapsed flag changed; the change
  // in the number of rows.
  int Refold(engine::ItemList& items, const std::vector<int>& order, int folder, const RowTest& test, SortKey key);

  // Forgets every row without touching an item (the items may be gone).
  void Clear();
  // How much of the order the rows were built from.
  [[nodiscard]] std::size_t OrderSeen() const { return orderSeen_; }
  [[nodiscard]] int Count() const { return static_cast<int>(rows_.size()); }
  [[nodiscard]] int ItemAt(int row) const { return rows_[static_cast<std::size_t>(row)]; }
  [[nodiscard]] const std::vector<Folder>& Folders() const { return folders_; }
  // The folder (index into Folders()) whose rows hold `row`.
  [[nodiscard]] int FolderOfRow(int row) const;
  // The file rows of a folder, as item indexes.
  [[nodiscard]] std::vector<int> FileRows(int folder) const;

 private:
  void appendFrom(engine::ItemList& items, const std::vector<int>& order, std::size_t start, const RowTest& test,
                  SortKey key, const Visit& visit);
  void sortFiles(engine::ItemList& items, const Folder& folder, SortKey key);
  void numberFrom(engine::ItemList& items, int row);

  std::vector<int> rows_;
  std::vector<Folder> folders_;
  std::size_t orderSeen_ = 0;
};

}  // namespace ui
