#pragma once
// What a row of the result list shows: texts of each side in the user's formats, icons by number
// in the list's image strip, and a folder header's counts.
#include <cstdint>
#include <string>

#include "engine/compare_item.h"
#include "platform/file_time.h"

namespace ui {

enum class RowKind { FolderHeader, File, FolderRow };
[[nodiscard]] RowKind KindOf(const engine::CompareItem& item);

namespace icon {
inline constexpr int kNone = -1;
inline constexpr int kToTargetSelected = 0;
inline constexpr int kToSourceSelected = 1;
inline constexpr int kDelete = 2;
inline constexpr int kFolderRow = 3;
inline constexpr int kUnselected = 5;
inline constexpr int kSelected = 6;
inline constexpr int kExpanded = 7;
inline constexpr int kCollapsed = 8;
inline constexpr int kToTarget = 9;
inline constexpr int kToSource = 10;
inline constexpr int kSame = 11;
inline constexpr int kFolderToTarget = 14;
inline constexpr int kFolderToSource = 15;
inline constexpr int kConflict = 16;
inline constexpr int kFolderRowSelected = 17;
inline constexpr int kForbidden = 18;
}  // namespace icon

// How dates and times are written: a date pattern of the letters d, M and y ("dd.MM.yyyy") and
// a strftime time format.
struct DateTimeFormat {
  std::string datePattern;
  std::string timeFormat;
  // The user's formats, from the locale.
  [[nodiscard]] static DateTimeFormat User();
  [[nodiscard]] std::string Date(const platform::CalendarTime& local) const;
  [[nodiscard]] std::string Time(const platform::CalendarTime& local) const;
};

// "1.234.567": groups of three digits with "." between them; empty for 0.
[[nodiscard]] std::string FormatSize(std::uint64_t size);
// What column widths are measured on: the widest date, time and size a cell shows.
struct WidthSamples {
  std::string date;
  std::string time;
  std::string size;
};
[[nodiscard]] WidthSamples WidthSamplesFor(const DateTimeFormat& format);

// One side of a row; all empty where the file is not on that side.
struct SideText {
  std::string name;
  std::string date;
  std::string time;
  std::string size;
};

struct RowView {
  RowKind kind = RowKind::File;
  // Column 0 (the mark) and column 2 (the action).
  int markIcon = icon::kNone;
  int actionIcon = icon::kNone;
  SideText source;
  SideText target;
  // Folder headers: the relative path, the expand box, and the counts of copies each way.
  std::string folderPath;
  int expandIcon = icon::kNone;
  std::uint32_t toTarget = 0;
  std::uint32_t toSource = 0;
  // The folder is not on that side (drawn in grey).
  bool sourceMissing = false;
  bool targetMissing = false;
};

// Call under the list's lock.
[[nodiscard]] RowView DescribeRow(const engine::CompareItem& item, const DateTimeFormat& format);

}  // namespace ui
