#pragma once
// The items of a comparison: one per file (or folder row), kept in pages so that an item never
// moves once made; the result list and the run refer to items by index.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/file_time.h"

namespace engine {

namespace action {
inline constexpr int kNone = 0;
inline constexpr int kDelete = 1;
inline constexpr int kCopyToSource = 2;
inline constexpr int kCopyToTarget = 3;
inline constexpr int kConflict = 4;
}  // namespace action

namespace presence {
inline constexpr int kSource = 1;
inline constexpr int kTarget = 2;
inline constexpr int kBoth = 4;
}  // namespace presence

namespace itemflag {
inline constexpr std::uint16_t kFolder = 0x0100;
inline constexpr std::uint16_t kSelected = 0x1000;
inline constexpr std::uint16_t kCollapsed = 0x2000;
inline constexpr std::uint16_t kFolderRow = 0x8000;
}  // namespace itemflag

// Seven counter records of five words, kept by the result list for folder items.
using FolderCounters = std::array<std::array<std::uint32_t, 5>, 7>;

// What only folder items carry.
struct FolderInfo {
  FolderCounters counters{};
  // Full paths of the folder on each side, ending with a separator.
  std::string sourceFolder;
  std::string targetFolder;
  // The store pair (compared session) the folder belongs to.
  int pairIndex = 0;
};

struct CompareItem {
  // File name; for folder items the folder's path below the root ("" for the root itself).
  std::string name;
  // The target's spelling of the name where a side that ignores letter case paired it with
  // another spelling; empty when it is `name`.
  std::string targetName;
  // The folder item a file item lies in; for a folder item the nearest folder item above it of
  // the same compared pair (none for the top), so a folder's subfolders are found by these links.
  CompareItem* parent = nullptr;
  std::unique_ptr<FolderInfo> folder;
  platform::FileTime sourceTime = 0;
  platform::FileTime targetTime = 0;
  std::uint64_t sourceSize = 0;
  std::uint64_t targetSize = 0;
  int action = action::kNone;
  int plannedAction = action::kNone;
  int presence = 0;
  int directionLock = 0;
  std::uint16_t flags = 0;
  int row = -1;

  [[nodiscard]] bool isFolder() const { return (flags & itemflag::kFolder) != 0; }
  [[nodiscard]] bool isFolderRow() const { return (flags & itemflag::kFolderRow) != 0; }
  // The folder item this item belongs to (itself for a folder item).
  [[nodiscard]] const CompareItem& folderItem() const { return isFolder() ? *this : *parent; }
  [[nodiscard]] std::string sourcePath() const;
  [[nodiscard]] std::string targetPath() const;
  // The name as the target spells it.
  [[nodiscard]] const std::string& nameInTarget() const { return targetName.empty() ? name : targetName; }
  // The path below the root, with the native separator.
  [[nodiscard]] std::string relativePath() const;
};

// True when the direction lock allows the action: a copy needs content on the side copied
// from (a conflict is carried out as a copy to the target).
[[nodiscard]] bool ActionAllowed(int action, int directionLock);
// Action not 0, allowed by the lock, and marked.
[[nodiscard]] bool IsSelected(const CompareItem& item);

// Items in fixed-size pages, addressed by index.
class ItemList {
 public:
  static constexpr std::size_t kPageSize = 1024;

  // A new default item; its address stays valid until Clear.
  CompareItem& Add(int& index);
  [[nodiscard]] CompareItem& at(int index);
  [[nodiscard]] const CompareItem& at(int index) const;
  [[nodiscard]] int Count() const { return count_; }
  void Clear();

  // Guards the items; the engine and the result list take it whenever they add, read or
  // change items while another thread may.
  [[nodiscard]] std::mutex& Lock() const { return mutex_; }

 private:
  std::vector<std::unique_ptr<CompareItem[]>> pages_;
  int count_ = 0;
  mutable std::mutex mutex_;
};

}  // namespace engine
