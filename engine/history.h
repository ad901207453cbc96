#pragma once
// The history of a folder tree: what every folder held after the last run, read from and written
// to the hidden "synch.log" file of each folder. Also the element type of list-based stores'
// listings.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_time.h"

namespace engine {

inline constexpr std::string_view kHistoryFileName = "synch.log";

struct HistoryEntry {
  // As parsed: the name text of the line; after loading: folder joined with name.
  std::string path;
  std::string name;
  // Full path of the folder holding the file and its history file, ending with a separator.
  std::string folder;
  platform::FileTime time = 0;
  std::int64_t size = 0;
  // List-based stores: row of the local copy, -1 for none.
  int copyIndex = -1;
  // List-based stores: 0 as listed, 1 added or replaced by the program.
  int state = 0;
  std::uint32_t checksum = 0;
  // List-based stores: the entry is a symbolic link (its content is the target text).
  bool link = false;
};

// Entries with a look-up by folder and name (ignoring letter case where the side does). One
// entry per name: adding a name that is present replaces it. Removed entries leave a gap, so
// indexes of the others never change.
class HistoryList {
 public:
  // Whether look-ups ignore letter case; set while the list is empty (Clear keeps it).
  void SetIgnoreCase(bool ignore) { ignoreCase_ = ignore; }
  [[nodiscard]] bool IgnoresCase() const { return ignoreCase_; }
  [[nodiscard]] int Find(std::string_view folder, std::string_view name) const;
  // Adds or replaces the entry of its folder and name; returns its index.
  int Put(HistoryEntry entry);
  // Appends without replacing an entry of the same name (parsed listings keep every line); look-ups
  // find the earliest.
  int Append(HistoryEntry entry);
  void Remove(int index);
  // Removes every entry of the name; true when there was one.
  bool RemoveName(std::string_view folder, std::string_view name);
  // Removes every entry of these folders (full paths ending with a separator) and marks them.
  void RemoveFolders(const std::vector<std::string>& folders);
  void Clear();

  [[nodiscard]] bool IsLive(int index) const;
  [[nodiscard]] const HistoryEntry& at(int index) const { return entries_[static_cast<std::size_t>(index)]; }
  [[nodiscard]] HistoryEntry& at(int index) { return entries_[static_cast<std::size_t>(index)]; }
  // Slots, live or removed; walk with IsLive.
  [[nodiscard]] int SlotCount() const { return static_cast<int>(entries_.size()); }
  [[nodiscard]] int Count() const { return live_; }

  // Folders whose history must be rewritten even if no entry is left in them.
  void MarkFolder(std::string_view folder);
  [[nodiscard]] const std::vector<std::string>& MarkedFolders() const { return markedFolders_; }

 private:
  [[nodiscard]] std::string keyOf(std::string_view folder, std::string_view name) const;
  [[nodiscard]] std::string folderKeyOf(std::string_view folder) const;

  std::vector<HistoryEntry> entries_;
  std::vector<bool> removed_;
  std::unordered_multimap<std::string, int> byName_;
  std::vector<std::string> markedFolders_;
  std::unordered_map<std::string, bool> marked_;
  int live_ = 0;
  bool ignoreCase_ = true;
};

}  // namespace engine
