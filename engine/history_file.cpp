#include "engine/history_file.h"

#include <array>
#include <cinttypes>
#include <cstdio>
#include <unordered_map>

#include "engine/folder_walker.h"
#include "engine/list_parser.h"
#include "engine/store.h"
#include "engine/text.h"
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

bool writeFolderHistory(HistoryFiles& files, const std::string& folder, const std::vector<const HistoryEntry*>& entries,
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
  if (files.WriteHistoryText(folder, content, error)) return true;
  if (report != nullptr) report->failedFolders.push_back(error);
  return false;
}

bool isDigits(std::string_view text, std::size_t least, std::size_t most) {
  if (text.size() < least || text.size() > most) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// "dd-mm-yyyy" or "hh:mm:ss": three numbers with a separator from `separators` between them.
bool isDateOrTime(std::string_view text, std::string_view separators, std::size_t lastDigits) {
  const std::size_t first = text.find_first_of(separators);
  const std::size_t second = first == std::string_view::npos ? first : text.find_first_of(separators, first + 1);
  if (second == std::string_view::npos) return false;
  return isDigits(text.substr(0, first), 1, 2) && isDigits(text.substr(first + 1, second - first - 1), 1, 2) &&
         isDigits(text.substr(second + 1), 1, lastDigits);
}

}  // namespace

bool IsHistoryLine(std::string_view line) {
  // Read for every line of a listing: the columns are views into the line, kept on the stack.
  std::array<std::string_view, 7> columns;
  std::size_t found = 0;
  std::size_t at = 0;
  while (found < columns.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) break;
    const std::size_t end = found == 6 ? line.size() : line.find_first_of(" \t", at);
    columns[found++] = line.substr(at, (end == std::string_view::npos ? line.size() : end) - at);
    at = end == std::string_view::npos ? line.size() : end;
  }
  if (found != columns.size()) return false;
  std::string_view size = columns[0];
  if (!size.empty() && size.front() == '-') size.remove_prefix(1);
  return isDigits(size, 1, 19) && isDateOrTime(columns[1], "-./", 4) && isDateOrTime(columns[2], ":-.", 2) &&
         columns[3].find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

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

bool LooksLikeHistoryFile(std::string_view text) {
  for (const std::string_view line : SplitLines(text)) {
    if (line.find_first_not_of(" \t") != std::string_view::npos && !IsHistoryLine(line)) return false;
  }
  return true;
}

void ParseHistoryText(std::string_view text, const std::string& folder, HistoryList& list) {
  const std::string dir = platform::withTrailingSeparator(folder);
  const ListLineFormat format = ListLineFormat::Parse(kHistoryLineFormat);
  for (const std::string_view line : SplitLines(text)) {
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
}

bool SaveHistory(HistoryList& list, HistoryFiles& files, HistorySaveReport* report) {
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
    if (byFolder.try_emplace(dir).second) order.push_back(dir);
  }
  bool ok = true;
  for (const std::string& folder : order) {
    if (!writeFolderHistory(files, folder, byFolder[folder], report)) ok = false;
  }
  list.Clear();
  return ok;
}

void LoadHistory(Store& store, HistoryFiles& files, const std::string& root, bool recursive, HistoryList& list) {
  list.Clear();
  FolderWalker walker(store);
  walker.Start(root, "*.*", recursive, true);
  auto enter = [&] {
    // A file of the user's own that happens to be named "synch.log" is no history.
    const auto text = files.ReadHistoryText(walker.CurrentFolder());
    const bool hasHistory = text && LooksLikeHistoryFile(*text);
    if (hasHistory) ParseHistoryText(*text, walker.CurrentFolder(), list);
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

bool MakeHistoryFiles(Store& store, HistoryFiles& files, const std::string& folder, bool recursive,
                      const std::function<void(const std::string&)>& status, HistorySaveReport* report) {
  HistoryList list;
  list.SetIgnoreCase(store.IgnoresCase());
  FolderWalker walker(store);
  walker.Start(folder, "*.*", recursive, true);
  std::string walkedFolder = walker.CurrentFolder();
  bool ok = true;
  auto saveWalkedFolder = [&] {
    list.MarkFolder(walkedFolder);
    if (status) status(Translate("${Saving} synch.log"));
    if (!SaveHistory(list, files, report)) ok = false;
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
