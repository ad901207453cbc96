#pragma once
// What the report prints, copied from the result list when printing begins: the rows as the list
// shows them, the pair, the masks and the totals. Printing reads the list once and never
// changes it; the copy stays the same while pages are laid out, previewed and printed.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_time.h"
#include "ui/row_text.h"

namespace ui {

class ResultList;

// One side of a file row; all empty where the file is missing or has size 0.
struct ReportSide {
  std::string date;
  std::string time;
  // A plain decimal number.
  std::string size;
  // Given on the source side, or on the target side when the file is only there.
  std::string name;
};

struct ReportRow {
  bool folder = false;
  // Folder rows: the folder's full path on each side.
  std::string sourceFolder;
  std::string targetFolder;
  // File rows (and folder rows of their own, which show only a name).
  ReportSide source;
  ReportSide target;
  std::string action;
};

struct ReportTotals {
  std::uint32_t files = 0;
  std::uint32_t toTarget = 0;
  std::uint32_t toSource = 0;
  std::uint32_t deleted = 0;
};

// What the header names: the compared pair and its file masks.
struct ReportHeading {
  std::string source;
  std::string target;
  std::string masks;
};

struct ReportContent {
  // The local date and time printing began, in the user's formats.
  std::string printedAt;
  ReportHeading heading;
  ReportTotals totals;
  std::vector<ReportRow> rows;
  // What the date/time and size columns are measured on: "99<date>99<time>99" of
  // 31 December 1999 12:12:12, and "99" with ten times the largest size of the list.
  std::string dateTimeSample;
  std::string sizeSample;
};

// The text of an action in the middle column: "=", "XX", "<<", ">>", and "<>" for a conflict.
[[nodiscard]] std::string ActionText(int action);
// The list's rows and totals as they are now; `now` is the local time printing began.
[[nodiscard]] ReportContent ReportOf(ResultList& list, ReportHeading heading, const DateTimeFormat& format,
                                     const platform::CalendarTime& now);

}  // namespace ui
