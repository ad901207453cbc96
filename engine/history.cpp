#include "engine/history.h"

#include "platform/case_fold.h"
#include "platform/path.h"

namespace engine {

std::string HistoryList::folderKeyOf(std::string_view folder) const {
  std::string key = ignoreCase_ ? platform::caseKey(folder) : std::string(folder);
  if (key.empty() || !platform::isSeparator(key.back())) key += platform::kSeparator;
  return key;
}

std::string HistoryList::keyOf(std::string_view folder, std::string_view name) const {
  std::string key = folderKeyOf(folder);
  key += '\0';  // cannot occur in a name, so folder and name never run together
  key += ignoreCase_ ? platform::caseKey(name) : std::string(name);
  return key;
}

int HistoryList::Find(std::string_view folder, std::string_view name) const {
  const auto range = byName_.equal_range(keyOf(folder, name));
  int best = -1;
  for (auto it = range.first; it != range.second; ++it) {
    if (best < 0 || it->second < best) best = it->second;
  }
  return best;
}

int HistoryList::Put(HistoryEntry entry) {
  const int existing = Find(entry.folder, entry.name);
  if (existing >= 0) {
    entries_[static_cast<std::size_t>(existing)] = std::move(entry);
    return existing;
  }
  return Append(std::move(entry));
}

int HistoryList::Append(HistoryEntry entry) {
  const int index = static_cast<int>(entries_.size());
  byName_.emplace(keyOf(entry.folder, entry.name), index);
  entries_.push_back(std::move(entry));
  removed_.push_back(false);
  ++live_;
  return index;
}

void HistoryList::Remove(int index) {
  if (!IsLive(index)) return;
  const HistoryEntry& entry = at(index);
  MarkFolder(entry.folder);
  const auto range = byName_.equal_range(keyOf(entry.folder, entry.name));
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second == index) {
      byName_.erase(it);
      break;
    }
  }
  removed_[static_cast<std::size_t>(index)] = true;
  --live_;
}

bool HistoryList::RemoveName(std::string_view folder, std::string_view name) {
  bool any = false;
  for (int index = Find(folder, name); index >= 0; index = Find(folder, name)) {
    Remove(index);
    any = true;
  }
  return any;
}

void HistoryList::RemoveFolders(const std::vector<std::string>& folders) {
  std::unordered_map<std::string, bool> chosen;
  for (const std::string& folder : folders) {
    chosen.emplace(folderKeyOf(folder), true);
    MarkFolder(folder);
  }
  for (int index = 0; index < SlotCount(); ++index) {
    if (IsLive(index) && chosen.count(folderKeyOf(at(index).folder)) > 0) Remove(index);
  }
}

void HistoryList::Clear() {
  entries_.clear();
  removed_.clear();
  byName_.clear();
  markedFolders_.clear();
  marked_.clear();
  live_ = 0;
}

bool HistoryList::IsLive(int index) const {
  return index >= 0 && index < SlotCount() && !removed_[static_cast<std::size_t>(index)];
}

void HistoryList::MarkFolder(std::string_view folder) {
  const std::string key = folderKeyOf(folder);
  if (marked_.emplace(key, true).second) markedFolders_.emplace_back(folder);
}

}  // namespace engine
