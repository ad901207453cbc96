#pragma once
// The format-driven list-line parser that reads history files, snapshot listings and the output
// of outside archivers. A format is a list of field codes separated by "|", for example
// "L|dd-MM-yyyy|hh-mm-ss|C|X|X|N!".
#include <string>
#include <string_view>
#include <vector>

#include "engine/history.h"
#include "platform/file_time.h"

namespace engine {

inline constexpr std::string_view kHistoryLineFormat = "L|dd-MM-yyyy|hh-mm-ss|C|X|X|N!";

struct ListLineFormat {
  std::vector<std::string> codes;
  // Physical lines per record, one plus the number of "$" pieces.
  int linesPerRecord = 1;

  static ListLineFormat Parse(std::string_view format);
};

// How a lister's output is framed.
struct ListerRecord {
  std::string format;
  std::string startMarker;
  std::string endMarker;
  // Bit 0: the end marker is used.
  unsigned flags = 0;
  // The names are an outside archiver's on this system, paths below the archive whose entries
  // are found by their folder ("a/b/") and name: a leading "./" is not part of a name,
  // folders (names ending with "/") are left out, a name holding a "\\" (the archiver's
  // escape of a character it cannot print) is rejected as one that cannot be handed back to it,
  // and "c:x" is a name, not a drive.
  bool archiverNames = false;
};

// An entry while its line is parsed: the time is kept as local fields until it is finalised.
struct ParsedEntry {
  HistoryEntry entry;
  platform::CalendarTime local;
  bool haveDate = false;
  bool haveTime = false;
  // A "T" column (the kind of entry: "-rw-r--r--", "drwx...", "lrwx...", "....A", "D....") named
  // something other than a file: a folder, a link, a device.
  bool notAFile = false;
  // A "T" column beginning with "h": a second name of another entry's content (tar's hard link,
  // listed as "NAME link to OTHER").
  bool hardLink = false;
};

// An archiver's entry as its listing names it: the name to hand back to it, and for a hard link
// the name (made relative) whose content it shares.
struct ListedName {
  std::string listed;
  std::string hardLinkTo;
};

// Names that a listing offered but that could not be taken (absolute, "..", a drive letter).
using RejectedNames = std::vector<std::string>;

// Reads a date column into `parsed`. "date" uses the user's short date format, "datey" its
// day/month order with two-digit years. A date with a missing or impossible part changes nothing.
void ParseDate(std::string_view pattern, std::string_view text, ParsedEntry& parsed);
// Reads a time column ("hh-mm-ss" reads "13:45:10"); without hour and minute nothing changes.
void ParseTime(std::string_view text, std::string_view pattern, ParsedEntry& parsed);

// Parses one record (lines already joined) into `parsed`.
void ParseRecord(std::string_view record, const ListLineFormat& format, ParsedEntry& parsed);
// Makes the entry final: separators, name, local time to UTC. False when it is invalid (no
// time, no name, no file) or, with `requireSafeName`, when its name would leave its folder; such
// names are added to `rejected`.
[[nodiscard]] bool FinaliseEntry(ParsedEntry& parsed, bool requireSafeName, RejectedNames* rejected);

// Parses listing text: records after the start marker (when given) up to the end marker (when
// bit 0 is set), appended to `out` (cleared first). False when the start marker never occurs.
// `listedNames`, when given, receives each entry's name exactly as the listing spelled it, in the
// order of `out`. A hard link's entry has the size 0 the listing gives it.
bool ParseListText(std::string_view text, const ListerRecord& lister, HistoryList& out,
                   RejectedNames* rejected = nullptr, std::vector<ListedName>* listedNames = nullptr);
// The same on a file; false when it cannot be read.
bool ParseListFile(const std::string& file, const ListerRecord& lister, HistoryList& out,
                   RejectedNames* rejected = nullptr);

// An outside archiver's name of a file as a path below the archive: "./a/b" is "a/b"; empty for
// a folder ("a/", "./").
[[nodiscard]] std::string ArchiverRelative(std::string_view listed);

// Splits text into lines at LF, CR LF, or a lone CR; the line ends are dropped.
[[nodiscard]] std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace engine
