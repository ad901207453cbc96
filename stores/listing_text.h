#pragma once
// The listing file of snapshots and packages: one line per file in the layout of a history-file
// line, the relative name with "\" between folders, CR LF line ends. Files written by the
// Windows program hold names in Windows-1252; this program writes UTF-8.
#include <string>
#include <string_view>

#include "engine/history.h"
#include "engine/list_parser.h"

namespace stores {

// The lines of every live entry, in listing order.
[[nodiscard]] std::string FormatListing(const engine::HistoryList& listing);
// A relative path ("/" between names) that a listing line can carry and read back as it was: no
// "\", control character, or blank at either end of a name.
[[nodiscard]] bool IsListableName(std::string_view relative);
// Reads a listing into `out` (cleared first, names told apart by letter case; a name listed twice:
// the last line counts). Names that would leave the folder are left out and added to `rejected`.
// False when a line is no listing line: the file is something else and must not be read as a
// listing.
[[nodiscard]] bool ParseListing(std::string_view text, engine::HistoryList& out, engine::RejectedNames& rejected);

}  // namespace stores
