#pragma once
// Reading and writing the "synch.log" history files of a folder tree.
#include <functional>
#include <optional>
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
// True when the line has the layout of a history line (size, date, time, three columns, name).
[[nodiscard]] bool IsHistoryLine(std::string_view line);
// True when every line of `text` has the layout of a history line (an empty text too): a file
// named "synch.log" that is anything else is the user's own and is never read or written as a
// history file.
[[nodiscard]] bool LooksLikeHistoryFile(std::string_view text);
// Appends the entries of a history file's text, for the folder `folder` (a full path ending with
// a separator), to `list` (a name already in the list is kept).
void ParseHistoryText(std::string_view text, const std::string& folder, HistoryList& list);

// Where the history files of a tree are read and written (the store's own way to its folders).
class HistoryFiles {
 public:
  virtual ~HistoryFiles() = default;
  // The text of the history file in `folder` (a full path ending with a separator); empty when
  // there is none or it cannot be read.
  [[nodiscard]] virtual std::optional<std::string> ReadHistoryText(const std::string& folder) = 0;
  // Writes it through a file beside it; false with `error` set (also when a file of the user's
  // own has the name).
  [[nodiscard]] virtual bool WriteHistoryText(const std::string& folder, const std::string& content, std::string& error) = 0;
};

struct HistorySaveReport {
  // Folders whose history file could not be written, with the reason.
  std::vector<std::string> failedFolders;
  // Files left out because their names cannot be written in a history line.
  std::vector<std::string> skippedNames;
};

// Writes one history file per folder of the list (and per folder marked in it, also when no
// entry is left there), then empties the list. Goes on past a folder it cannot write; false when
// any failed.
bool SaveHistory(HistoryList& list, HistoryFiles& files, HistorySaveReport* report = nullptr);

// Fills `list` (cleared first) from the tree below `root` of `store`: each folder's history file,
// or for a folder without one, its present files.
void LoadHistory(Store& store, HistoryFiles& files, const std::string& root, bool recursive, HistoryList& list);

// Makes history files for a folder (and its subfolders), writing each folder's file when the
// walk moves on. `status` receives the texts to show ("${Scaning} ..."). False when a file
// could not be written.
bool MakeHistoryFiles(Store& store, HistoryFiles& files, const std::string& folder, bool recursive,
                      const std::function<void(const std::string& status)>& status, HistorySaveReport* report = nullptr);

}  // namespace engine
