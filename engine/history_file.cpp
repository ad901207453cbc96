#include "engine/history_file.h"

#include <cinttypes>
#include <cstdio>
#include <unordered_map>

#include "engine/folder_walker.h"
#include "engine/list_parser.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace engine {
namespace {

HistoryEntry entryFromFindData(const FindData& data, const std::string& folder) {
  HistoryEntry entry;
  entry.name = data.name;
  entry.folder = folder;
  entry.path = folder + data.name;
  entry.time = data.lastWriteTime;
  entry.size = static_cast<std::int64_t>(data.size);
  return entry;
}

bool writeFolderHistory(const std::string& folder, const std::vector<const HistoryEntry*>& entries,
                        HistorySaveReport* report) {
  std::string content;
  for (const HistoryEntry* entry : entries) {
    if (!IsHistoryName(entry->name)) {
      if (report != nullptr) report->skippedNames.push_back(folder + entry->name);
      continue;
    }
    content += FormatHistoryLine(*entry);
  }
  std::string error;
  if (platform::writeFileReplacing(folder + std::string(kHistoryFileName), content, 0644, &error)) return true;
  if (report != nullptr) report->failedFolders.push_back(folder + ": " + error);
  return false;
}

}  // namespace

std::string FormatHistoryLine(const HistoryEntry& entry) {
  const platform::CalendarTime local = platform::localFromFileTime(entry.time);
  char line[96];
  std::snprintf(line, sizeof line, "%12" PRId64 "   %02d-%02d-%04d %02d:%02d:%02d  0  0  0   ", entry.size, local.day,
                local.month, local.year, local.hour, local.minute, local.second);
  std::string out(line);
  out += entry.name;
  out += "\r\n";
  return out;
}

bool IsHistoryName(std::string_view name) {
  if (name.empty() || name.front() == ' ' || name.front() == '\t' || name.back() == ' ' || name.back() == '\t') {
    return false;
  }
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\') return false;
  }
  return true;
}

bool ReadHistoryFile(const std::string& folder, HistoryList& list) {
  const std::string dir = platform::withTrailingSeparator(folder);
  const auto content = platform::readWholeFile(dir + std::string(kHistoryFileName));
  if (!content) return false;
  const ListLineFormat format = ListLineFormat::Parse(kHistoryLineFormat);
  for (const std::string_view line : SplitLines(*content)) {
    ParsedEntry parsed;
    ParseRecord(line, format, parsed);
    // A history line holds a plain name; anything with a folder part is not one of ours.
    if (!FinaliseEntry(parsed, true, nullptr) || parsed.entry.path.find(platform::kSeparator) != std::string::npos) {
      continue;
    }
    parsed.entry.folder = dir;
    parsed.entry.path = dir + parsed.entry.name;
    if (list.Find(dir, parsed.entry.name) < 0) list.Append(std::move(parsed.entry));
  }
  return true;
}

bool SaveHistory(HistoryList& list, HistorySaveReport* report) {
  std::vector<std::string> order;
  std::unordered_map<std::string, std::vector<const HistoryEntry*>> byFolder;
  for (int index = 0; index < list.SlotCount(); ++index) {
    if (!list.IsLive(index)) continue;
    const HistoryEntry& entry = list.at(index);
    auto [it, added] = byFolder.try_emplace(entry.folder);
    if (added) order.push_back(entry.folder);
    it->second.push_back(&entry);
  }
  for (const std::string& folder : list.MarkedFolders()) {
    const std::string dir = platform::withTrailingSeparator(folder);
    if (byFolder.try_emplace(dir).second && platform::isFolder(dir)) order.push_back(dir);
  }
  bool ok = true;
  for (const std::string& folder : order) {
    if (!writeFolderHistory(folder, byFolder[folder], report)) ok = false;
  }
  list.Clear();
  return ok;
}

void LoadHistory(Store& store, const std::string& root, bool recursive, HistoryList& list) {
  list.Clear();
  FolderWalker walker(store);
  walker.Start(root, "*.*", recursive, true);
  auto enter = [&] {
    const bool hasHistory = ReadHistoryFile(walker.CurrentFolder(), list);
    walker.SetSkipFiles(hasHistory);
    list.MarkFolder(walker.CurrentFolder());
  };
  enter();
  for (;;) {
    const FolderWalker::Step step = walker.Next();
    if (step == FolderWalker::kEnd) break;
    if (step == FolderWalker::kEnteredFolder) {
      enter();
      continue;
    }
    list.Put(entryFromFindData(walker.GetFindData(), walker.CurrentFolder()));
  }
}

bool MakeHistoryFiles(Store& store, const std::string& folder, bool recursive,
                      const std::function<void(const std::string&)>& status, HistorySaveReport* report) {
  HistoryList list;
  FolderWalker walker(store);
  walker.Start(folder, "*.*", recursive, true);
  std::string walkedFolder = walker.CurrentFolder();
  bool ok = true;
  auto saveWalkedFolder = [&] {
    list.MarkFolder(walkedFolder);
    if (status) status(Translate("${Saving} synch.log"));
    if (!SaveHistory(list, report)) ok = false;
  };
  for (;;) {
    const FolderWalker::Step step = walker.Next();
    if (step == FolderWalker::kEnd) break;
    if (step == FolderWalker::kFile) {
      list.Put(entryFromFindData(walker.GetFindData(), walker.CurrentFolder()));
      continue;
    }
    saveWalkedFolder();
    walkedFolder = walker.CurrentFolder();
    if (status) status(Translate("${Scaning} ") + walkedFolder);
  }
  saveWalkedFolder();
  return ok;
}

}  // namespace engine
