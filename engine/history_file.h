#pragma once
// Reading and writing the "synch.log" history files of a folder tree.
#include <functional>
#include <string>
#include <vector>

#include "engine/history.h"

namespace engine {

class Store;

// The line of one entry: size right-aligned in 12, local time "dd-mm-yyyy hh:mm:ss", three
// zero columns, the name; ended by CR LF.
[[nodiscard]] std::string FormatHistoryLine(const HistoryEntry& entry);
// Names that the line format cannot carry: control characters, "\" (the format's folder
// separator), leading or trailing blanks.
[[nodiscard]] bool IsHistoryName(std::string_view name);

// Appends the entries of `folder`'s history file to `list` (a name already in the list is kept).
// False when the file cannot be read.
bool ReadHistoryFile(const std::string& folder, HistoryList& list);

struct HistorySaveReport {
  // Folders whose history file could not be written, with the reason.
  std::vector<std::string> failedFolders;
  // Files left out because their names cannot be written in a history line.
  std::vector<std::string> skippedNames;
};

// Writes one history file per folder of the list (and per folder marked in it, also when no
// entry is left there), then empties the list. Goes on past a folder it cannot write; false when
// any failed.
bool SaveHistory(HistoryList& list, HistorySaveReport* report = nullptr);

// Fills `list` (cleared first) from the tree below `root` of `store`: each folder's history file,
// or for a folder without one, its present files.
void LoadHistory(Store& store, const std::string& root, bool recursive, HistoryList& list);

// Makes history files for a folder (and its subfolders), writing each folder's file when the
// walk moves on. `status` receives the texts to show ("${Scaning} ..."). False when a file
// could not be written.
bool MakeHistoryFiles(Store& store, const std::string& folder, bool recursive,
                      const std::function<void(const std::string& status)>& status, HistorySaveReport* report = nullptr);

}  // namespace engine
