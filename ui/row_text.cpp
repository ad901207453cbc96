#include "ui/row_text.h"

#include <ctime>

#include "platform/locale_format.h"
#include "ui/list_totals.h"

namespace ui {
namespace {

namespace action = engine::action;
namespace presence = engine::presence;

std::string padded(int value, int digits) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  return text;
}

std::string trimmedSeparators(const std::string& path) {
  const std::size_t first = path.find_first_not_of('/');
  if (first == std::string::npos) return "";
  return path.substr(first, path.find_last_not_of('/') - first + 1);
}

int markIcon(const engine::CompareItem& item) {
  if (item.isFolderRow()) return engine::IsSelected(item) ? icon::kFolderRowSelected : icon::kFolderRow;
  if (item.action == action::kNone) return icon::kNone;
  if (!engine::ActionAllowed(item.action, item.directionLock)) return icon::kForbidden;
  return engine::IsSelected(item) ? icon::kSelected : icon::kUnselected;
}

int actionIcon(const engine::CompareItem& item) {
  const bool selected = engine::IsSelected(item);
  switch (item.action) {
    case action::kCopyToTarget: return selected ? icon::kToTargetSelected : icon::kToTarget;
    case action::kCopyToSource: return selected ? icon::kToSourceSelected : icon::kToSource;
    case action::kDelete: return icon::kDelete;
    case action::kConflict: return icon::kConflict;
    default: return icon::kSame;
  }
}

SideText side(const std::string& name, platform::FileTime time, std::uint64_t size, const DateTimeFormat& format) {
  const platform::CalendarTime local = platform::localFromFileTime(time);
  return {name, format.Date(local), format.Time(local), FormatSize(size)};
}

}  // namespace

RowKind KindOf(const engine::CompareItem& item) {
  if (!item.isFolder()) return RowKind::File;
  return item.isFolderRow() ? RowKind::FolderRow : RowKind::FolderHeader;
}

DateTimeFormat DateTimeFormat::User() { return {platform::shortDatePattern(), platform::timeFormat()}; }

std::string DateTimeFormat::Date(const platform::CalendarTime& local) const {
  std::string text;
  for (std::size_t i = 0; i < datePattern.size();) {
    const char letter = datePattern[i];
    std::size_t run = 1;
    while (i + run < datePattern.size() && datePattern[i + run] == letter) ++run;
    switch (letter) {
      case 'd': text += padded(local.day, run > 1 ? 2 : 1); break;
      case 'M': text += padded(local.month, run > 1 ? 2 : 1); break;
      case 'y': text += run > 2 ? padded(local.year, 4) : padded(local.year % 100, 2); break;
      default: text.append(run, letter); break;
    }
    i += run;
  }
  return text;
}

std::string DateTimeFormat::Time(const platform::CalendarTime& local) const {
  std::tm fields{};
  fields.tm_year = local.year - 1900;
  fields.tm_mon = local.month - 1;
  fields.tm_mday = local.day;
  fields.tm_hour = local.hour;
  fields.tm_min = local.minute;
  fields.tm_sec = local.second;
  char text[64];
  const std::size_t length = std::strftime(text, sizeof text, timeFormat.c_str(), &fields);
  return std::string(text, length);
}

std::string FormatSize(std::uint64_t size) {
  if (size == 0) return "";
  std::string digits = std::to_string(size);
  for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), 1, '.');
  }
  return digits;
}

WidthSamples WidthSamplesFor(const DateTimeFormat& format) {
  const platform::CalendarTime sample{1999, 12, 22, 22, 33, 33, 0};
  return {format.Date(sample), format.Time(sample), "9.999.999"};
}

RowView DescribeRow(const engine::CompareItem& item, const DateTimeFormat& format) {
  RowView view;
  view.kind = KindOf(item);
  const bool inSource = item.presence != presence::kTarget;
  const bool inTarget = item.presence != presence::kSource;
  view.sourceMissing = !inSource;
  view.targetMissing = !inTarget;
  if (view.kind == RowKind::FolderHeader) {
    view.folderPath = trimmedSeparators(item.name);
    view.expandIcon = (item.flags & engine::itemflag::kCollapsed) != 0 ? icon::kCollapsed : icon::kExpanded;
    view.toTarget = FolderCount(item, record::kToTarget);
    view.toSource = FolderCount(item, record::kToSource);
    return view;
  }
  view.markIcon = markIcon(item);
  view.actionIcon = actionIcon(item);
  if (view.kind == RowKind::FolderRow) {
    const std::string path = trimmedSeparators(item.name);
    if (inSource) view.source.name = path;
    if (inTarget) view.target.name = path;
    return view;
  }
  if (inSource) view.source = side(item.name, item.sourceTime, item.sourceSize, format);
  if (inTarget) view.target = side(item.nameInTarget(), item.targetTime, item.targetSize, format);
  return view;
}

}  // namespace ui
