#pragma once
// The sort orders of the file rows within a folder. Each key is a chain of comparisons that ends
// in the exact name and the item's index, so every order is a strict weak order (std::sort
// requires one) and equal-looking rows keep one fixed order.
#include <string_view>

#include "engine/compare_item.h"

namespace ui {

enum class SortKey : int { Name = 0, Date = 1, Type = 2, Direction = 3 };
// The stored "ListSort" value as a key; a value outside 0 to 3 is Direction.
[[nodiscard]] SortKey SortKeyFromStored(int stored);

// <0, 0, >0: names compared without regard to letter case (the case keys of platform/case_fold),
// byte by byte while both are ASCII.
[[nodiscard]] int CompareNamesNoCase(std::string_view a, std::string_view b);

// Orders item indexes of file rows. Name: letter case ignored. Date: the later of the two times,
// newest first. Type: names without an extension first, then by extension (case ignored).
// Direction: higher action first, then on both sides before one side (after it for copies to
// the target). Each then by name.
class RowOrder {
 public:
  RowOrder(const engine::ItemList& items, SortKey key) : items_(items), key_(key) {}
  [[nodiscard]] bool operator()(int a, int b) const;

 private:
  [[nodiscard]] int byKey(const engine::CompareItem& a, const engine::CompareItem& b) const;
  const engine::ItemList& items_;
  SortKey key_;
};

}  // namespace ui
