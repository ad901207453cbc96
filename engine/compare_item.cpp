#include "engine/compare_item.h"

#include "platform/path.h"

namespace engine {

std::string CompareItem::sourcePath() const {
  const CompareItem& owner = folderItem();
  return isFolder() ? platform::withoutTrailingSeparator(owner.folder->sourceFolder) : owner.folder->sourceFolder + name;
}

std::string CompareItem::targetPath() const {
  const CompareItem& owner = folderItem();
  return isFolder() ? platform::withoutTrailingSeparator(owner.folder->targetFolder) : owner.folder->targetFolder + nameInTarget();
}

std::string CompareItem::relativePath() const {
  if (isFolder()) return name;
  return parent->name.empty() ? name : platform::joinPath(parent->name, name);
}

bool ActionAllowed(int action, int directionLock) {
  switch (action) {
    case action::kCopyToTarget:
    case action::kConflict: return directionLock == presence::kSource || directionLock == presence::kBoth;
    case action::kCopyToSource: return directionLock == presence::kTarget || directionLock == presence::kBoth;
    case action::kDelete: return true;
    default: return false;
  }
}

bool IsSelected(const CompareItem& item) {
  return item.action != action::kNone && ActionAllowed(item.action, item.directionLock) &&
         (item.flags & itemflag::kSelected) != 0;
}

CompareItem& ItemList::Add(int& index) {
  const auto page = static_cast<std::size_t>(count_) / kPageSize;
  if (page >= pages_.size()) pages_.push_back(std::make_unique<CompareItem[]>(kPageSize));
  index = count_++;
  return at(index);
}

CompareItem& ItemList::at(int index) {
  const auto i = static_cast<std::size_t>(index);
  return pages_[i / kPageSize][i % kPageSize];
}

const CompareItem& ItemList::at(int index) const {
  const auto i = static_cast<std::size_t>(index);
  return pages_[i / kPageSize][i % kPageSize];
}

void ItemList::Clear() {
  pages_.clear();
  count_ = 0;
}

}  // namespace engine
