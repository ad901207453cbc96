#include "ui/report_content.h"

#include <algorithm>
#include <mutex>

#include "engine/compare.h"
#include "engine/text.h"
#include "ui/list_totals.h"
#include "ui/result_list.h"

namespace ui {
namespace {

namespace presence = engine::presence;

// The size columns are never narrower than for this size.
constexpr std::uint64_t kSmallestLargestSize = 10000;

ReportSide side(platform::FileTime time, std::uint64_t size, const DateTimeFormat& format) {
  if (size == 0) return {};
  const platform::CalendarTime local = platform::localFromFileTime(time);
  return {format.Date(local), format.Time(local), std::to_string(size), ""};
}

ReportRow fileRow(const engine::CompareItem& item, const DateTimeFormat& format) {
  ReportRow row;
  row.action = ActionText(item.action);
  const bool inSource = item.presence != presence::kTarget;
  const bool inTarget = item.presence != presence::kSource;
  if (item.isFolderRow()) {
    // A folder has no date or size worth printing; its name tells what the action is about.
    (inSource ? row.source : row.target).name = item.name;
    return row;
  }
  if (inSource) row.source = side(item.sourceTime, item.sourceSize, format);
  if (inTarget) row.target = side(item.targetTime, item.targetSize, format);
  if (inSource && !row.source.size.empty()) row.source.name = item.name;
  if (!inSource && !row.target.size.empty()) row.target.name = item.nameInTarget();
  return row;
}

}  // namespace

std::string ActionText(int action) {
  switch (action) {
    case engine::action::kDelete: return "XX";
    case engine::action::kCopyToSource: return "<<";
    case engine::action::kCopyToTarget: return ">>";
    case engine::action::kConflict: return "<>";
    default: return "=";
  }
}

ReportContent ReportOf(ResultList& list, ReportHeading heading, const DateTimeFormat& format,
                       const platform::CalendarTime& now) {
  ReportContent content;
  content.printedAt = format.Date(now) + " " + format.Time(now);
  content.heading = std::move(heading);
  const ListTotals& totals = list.Totals();
  content.totals = {totals.Count(record::kShown), totals.Count(record::kToTarget), totals.Count(record::kToSource),
                    totals.Count(record::kDelete)};
  const platform::CalendarTime sample{1999, 12, 31, 12, 12, 12, 0};
  content.dateTimeSample = engine::FormatText("99%s99%s99", {format.Date(sample), format.Time(sample)});

  std::uint64_t largest = kSmallestLargestSize;
  engine::ItemList& items = list.Engine().Items();
  const std::lock_guard lock(items.Lock());
  content.rows.reserve(static_cast<std::size_t>(list.RowCount()));
  for (int row = 0; row < list.RowCount(); ++row) {
    const int index = list.ItemOfRow(row);
    if (index < 0 || index >= items.Count()) continue;
    const engine::CompareItem& item = items.at(index);
    if (KindOf(item) == RowKind::FolderHeader) {
      ReportRow folder;
      folder.folder = true;
      if (item.folder != nullptr) {
        folder.sourceFolder = item.folder->sourceFolder;
        folder.targetFolder = item.folder->targetFolder;
      }
      content.rows.push_back(std::move(folder));
      continue;
    }
    largest = std::max({largest, item.sourceSize, item.targetSize});
    content.rows.push_back(fileRow(item, format));
  }
  content.sizeSample = engine::FormatText("99%d", {std::to_string(largest * 10)});
  return content;
}

}  // namespace ui
