#include "engine/list_parser.h"

#include <cctype>
#include <limits>

#include "platform/case_fold.h"
#include "platform/file_system.h"
#include "platform/locale_format.h"
#include "platform/path.h"

namespace engine {
namespace {

constexpr std::size_t kMaxColumn = 511;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Reads the digits at `pos`, advancing past them; false when there is no digit. Values beyond
// nine digits saturate, so they fail the range checks instead of overflowing.
bool readNumber(std::string_view text, std::size_t& pos, long& value) {
  if (pos >= text.size() || !isDigit(text[pos])) return false;
  value = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    if (value < 1000000000L) value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  return true;
}

bool parseSigned64(std::string_view text, std::int64_t& value) {
  text = trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  std::uint64_t magnitude = 0;
  for (const char c : text) {
    if (!isDigit(c)) break;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

std::uint32_t parseHex(std::string_view text) {
  text = trim(text);
  std::uint64_t value = 0;
  std::size_t pos = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) pos = 2;
  if (pos >= text.size()) return 0;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    int digit = -1;
    if (isDigit(c)) digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return 0;  // text left over after the number
    value = (value << 4) | static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFULL) return 0;
  }
  return static_cast<std::uint32_t>(value);
}

bool equalsWordNoCase(std::string_view code, std::string_view word) {
  return platform::asciiLower(code) == word;
}

struct Column {
  std::size_t start;
  std::string_view text;
};

std::vector<Column> splitColumns(std::string_view record) {
  std::vector<Column> columns;
  // Listing lines have a handful of columns: one allocation, not one for each doubling.
  columns.reserve(16);
  std::size_t pos = 0;
  while (pos < record.size()) {
    while (pos < record.size() && isBlank(record[pos])) ++pos;
    if (pos >= record.size()) break;
    const std::size_t start = pos;
    while (pos < record.size() && !isBlank(record[pos])) ++pos;
    std::string_view text = record.substr(start, pos - start);
    if (text.size() > kMaxColumn) text = text.substr(0, kMaxColumn);
    columns.push_back({start, text});
  }
  return columns;
}

// "N!": the name runs from its column to the end of the record. A column overridden by a pending
// text starts with that text and goes on with the columns after it.
std::string restOfRecord(std::string_view record, const std::string& overridden, std::size_t start,
                         const std::vector<Column>& columns, std::size_t nextColumn) {
  if (overridden.empty()) return std::string(record.substr(start));
  if (nextColumn >= columns.size()) return overridden;
  return overridden + ' ' + std::string(record.substr(columns[nextColumn].start));
}

// "N(a)" and "N(a-b)": a name cut from the record by 1-based positions.
void takeNameByPosition(std::string_view code, std::string_view record, HistoryEntry& entry) {
  std::size_t pos = 2;
  long first = 0;
  if (!readNumber(code, pos, first) || pos >= code.size() || first < 1) return;
  const auto start = static_cast<std::size_t>(first - 1);
  if (code[pos] == ')') {
    if (start < record.size()) entry.path.assign(record.substr(start));
    return;
  }
  if (code[pos] != '-') return;
  ++pos;
  long second = 0;
  if (!readNumber(code, pos, second) || pos >= code.size() || code[pos] != ')') return;
  if (second - 1 <= 0 || start >= record.size()) return;
  entry.path.assign(record.substr(start, static_cast<std::size_t>(second - 1)));
}

std::string effectiveDatePattern(std::string_view pattern) {
  if (equalsWordNoCase(pattern, "date")) return platform::shortDatePattern();
  if (equalsWordNoCase(pattern, "datey")) {
    const std::string upper = platform::asciiUpper(platform::shortDatePattern());
    const auto month = upper.find('M');
    const auto day = upper.find('D');
    return month != std::string::npos && (day == std::string::npos || month < day) ? "MM-DD-YY" : "DD-MM-YY";
  }
  return std::string(pattern);
}

}  // namespace

ListLineFormat ListLineFormat::Parse(std::string_view format) {
  ListLineFormat result;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t bar = format.find('|', pos);
    const std::string_view piece = trim(format.substr(pos, bar == std::string_view::npos ? std::string_view::npos : bar - pos));
    if (piece == "$") {
      ++result.linesPerRecord;
    } else {
      result.codes.emplace_back(piece);
    }
    if (bar == std::string_view::npos) break;
    pos = bar + 1;
  }
  return result;
}

void ParseDate(std::string_view pattern, std::string_view text, ParsedEntry& parsed) {
  const std::string effective = effectiveDatePattern(pattern);
  if (effective.empty() || text.empty() || !isDigit(text.front())) return;
  long year = -1;
  long month = -1;
  long day = -1;
  std::size_t t = 0;
  std::size_t p = 0;
  while (t < text.size() && p < effective.size()) {
    long value = 0;
    const std::size_t digitsFrom = t;
    if (!readNumber(text, t, value)) break;
    const char letter = effective[p];
    if (letter == 'M' || letter == 'm') {
      month = value;
    } else if (letter == 'D' || letter == 'd') {
      day = value;
    } else if (letter == 'Y' || letter == 'y') {
      year = value;
      // Only a two-digit year is a year of a century to guess: 40-99 the 1900s, 00-39 the 2000s.
      if (t - digitsFrom <= 2) year += year < 40 ? 2000 : 1900;
    } else {
      break;
    }
    while (t < text.size() && !isDigit(text[t])) ++t;
    while (p < effective.size() && effective[p] == letter) ++p;
    while (p < effective.size() && std::string_view("DMYdmy").find(effective[p]) == std::string_view::npos) ++p;
  }
  if (year < 1601 || year > 30827 || month < 1 || month > 12 || day < 1 ||
      day > platform::daysInMonth(static_cast<int>(year), static_cast<int>(month))) {
    return;
  }
  parsed.local.year = static_cast<int>(year);
  parsed.local.month = static_cast<int>(month);
  parsed.local.day = static_cast<int>(day);
  parsed.haveDate = true;
}

void ParseTime(std::string_view text, std::string_view pattern, ParsedEntry& parsed) {
  long hour = -1;
  long minute = -1;
  long second = 0;
  std::size_t t = 0;
  std::size_t p = 0;
  while (p < pattern.size()) {
    const char letter = pattern[p];
    if (letter == 'H' || letter == 'h' || letter == 'm' || letter == 's') {
      std::size_t run = 0;
      while (p < pattern.size() && pattern[p] == letter) {
        ++p;
        ++run;
      }
      long value = 0;
      if (run < 5 && readNumber(text, t, value)) {
        if (letter == 'm') {
          minute = value;
        } else if (letter == 's') {
          second = value;
        } else {
          hour = value;
        }
      }
      continue;
    }
    ++p;
    ++t;
  }
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return;
  parsed.local.hour = static_cast<int>(hour);
  parsed.local.minute = static_cast<int>(minute);
  parsed.local.second = static_cast<int>(second);
  parsed.local.millisecond = 0;
  parsed.haveTime = true;
}

void ParseRecord(std::string_view record, const ListLineFormat& format, ParsedEntry& parsed) {
  const std::vector<Column> columns = splitColumns(record);
  std::string pending;
  HistoryEntry& entry = parsed.entry;
  std::size_t column = 0;
  for (const std::string& code : format.codes) {
    if (column >= columns.size() && pending.empty()) break;
    std::string overridden;
    std::string_view text;
    std::size_t start = record.size();
    if (!pending.empty()) {
      overridden.swap(pending);
      text = overridden;
    } else {
      text = columns[column].text;
      start = columns[column].start;
      ++column;
    }
    if (code.empty() || code == "X") continue;
    if (code[0] == 'X' && code.size() > 1 && isDigit(code[1])) {
      std::size_t pos = 1;
      long cut = 0;
      const std::string_view trimmed = trim(text);
      if (readNumber(code, pos, cut) && trimmed.size() > static_cast<std::size_t>(cut)) {
        pending.assign(trimmed.substr(static_cast<std::size_t>(cut)));
      }
      continue;
    }
    if (code == "T") {
      // Unix mode strings begin with the kind ("-" a file); 7-Zip's attributes with "D" for a folder.
      parsed.hardLink = !text.empty() && text.front() == 'h';
      parsed.notAFile = !text.empty() && std::string_view("dDlcbps").find(text.front()) != std::string_view::npos;
    } else if (code == "C") {
      entry.checksum = parseHex(text);
    } else if (code == "N!") {
      entry.path = restOfRecord(record, overridden, start, columns, column);
    } else if (code == "N") {
      entry.path.assign(text);
    } else if (code.size() > 2 && code[0] == 'N' && code[1] == '(') {
      takeNameByPosition(code, record, entry);
    } else if (code == "L") {
      std::int64_t size = 0;
      entry.size = parseSigned64(text, size) ? size : 0;
    } else if (code.find('h') != std::string::npos) {
      ParseTime(text, code, parsed);
    } else if (code.find('y') != std::string::npos || equalsWordNoCase(code, "date") || equalsWordNoCase(code, "datey")) {
      ParseDate(code, text, parsed);
    }
  }
}

bool FinaliseEntry(ParsedEntry& parsed, bool requireSafeName, RejectedNames* rejected) {
  HistoryEntry& entry = parsed.entry;
  entry.copyIndex = -1;
  entry.state = 0;
  if ((!parsed.haveDate && !parsed.haveTime) || entry.path.empty() || parsed.notAFile) return false;
  if (requireSafeName && !platform::isSafeRelativeName(entry.path)) {
    if (rejected != nullptr) rejected->push_back(entry.path);
    return false;
  }
  entry.path = platform::fromStoredName(entry.path);
  entry.name = platform::fileNameOf(entry.path);
  const auto time = platform::fileTimeFromLocal(parsed.local);
  if (!time) return false;
  entry.time = *time;
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] != '\n' && text[pos] != '\r') continue;
    lines.push_back(text.substr(start, pos - start));
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
    start = pos + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string ArchiverRelative(std::string_view listed) {
  while (listed.starts_with("./")) listed.remove_prefix(2);
  if (listed.empty() || listed.ends_with('/') || listed == ".") return {};
  return std::string(listed);
}

bool ParseListText(std::string_view text, const ListerRecord& lister, HistoryList& out, RejectedNames* rejected,
                   std::vector<ListedName>* listedNames) {
  out.Clear();
  const std::vector<std::string_view> lines = SplitLines(text);
  const ListLineFormat format = ListLineFormat::Parse(lister.format);
  std::size_t next = 0;
  if (!lister.startMarker.empty()) {
    while (next < lines.size() && lines[next].find(lister.startMarker) == std::string_view::npos) ++next;
    if (next >= lines.size()) return false;
    ++next;
  }
  const bool useEndMarker = (lister.flags & 1U) != 0 && !lister.endMarker.empty();
  std::string joined;
  while (next < lines.size()) {
    std::string_view record = lines[next++];
    if (useEndMarker && record.find(lister.endMarker) != std::string::npos) break;
    if (format.linesPerRecord > 1) {
      joined.assign(record);
      for (int extra = 1; extra < format.linesPerRecord && next < lines.size(); ++extra) {
        joined += ' ';
        joined += lines[next++];
      }
      record = joined;
    }
    ParsedEntry parsed;
    ParseRecord(record, format, parsed);
    ListedName listed{parsed.entry.path, {}};
    // Only an archiver's listing says which name a hard link shares its content with.
    if (parsed.hardLink && !lister.archiverNames) continue;
    if (parsed.hardLink) {
      constexpr std::string_view kLinkTo = " link to ";
      const auto to = listed.listed.find(kLinkTo);
      if (to == std::string::npos) continue;
      listed.hardLinkTo = ArchiverRelative(std::string_view(listed.listed).substr(to + kLinkTo.size()));
      listed.listed.resize(to);
    }
    if (lister.archiverNames) {
      parsed.entry.path = ArchiverRelative(listed.listed);
      if (parsed.entry.path.empty() || parsed.notAFile) continue;
      if (listed.listed.find('\\') != std::string::npos) {
        if (rejected != nullptr) rejected->push_back(listed.listed);
        continue;
      }
    }
    if (!FinaliseEntry(parsed, !lister.archiverNames, rejected)) continue;
    // An archiver's names are paths below the archive: each is found by its folder and name.
    if (lister.archiverNames) {
      // Paths of this system, where "c:x" is a name and no drive.
      if (!platform::isSafeRelativePath(parsed.entry.path)) {
        if (rejected != nullptr) rejected->push_back(listed.listed);
        continue;
      }
      const auto slash = parsed.entry.path.rfind('/');
      parsed.entry.folder = slash == std::string::npos ? std::string() : parsed.entry.path.substr(0, slash + 1);
    }
    out.Append(std::move(parsed.entry));
    if (listedNames != nullptr) listedNames->push_back(std::move(listed));
  }
  return true;
}

bool ParseListFile(const std::string& file, const ListerRecord& lister, HistoryList& out, RejectedNames* rejected) {
  const auto content = platform::readWholeFile(file);
  if (!content) {
    out.Clear();
    return false;
  }
  return ParseListText(*content, lister, out, rejected);
}

}  // namespace engine
