#include "ui/report_job.h"

#include <algorithm>

#include "engine/text.h"

namespace ui {
namespace {

// The header's lines above the rows: the date line, a blank line, the pair, the masks and the
// totals, two blank lines; on later pages the date line and two blank lines.
constexpr int kFirstPageHeaderLines = 8;
constexpr int kOtherPageHeaderLines = 3;
// The printable area loses this many average characters on the left and on the right.
constexpr int kLeftMarginChars = 5;
constexpr int kRightMarginChars = 2;
// Rows end this many device units above the footer's line.
constexpr int kFooterClearance = 5;
constexpr const char* kFooterText = "Velkor";

}  // namespace

std::string TotalsLine(const ReportTotals& totals) {
  std::string line = engine::TranslateFormat("${Total}: %d;  ", {std::to_string(totals.files)});
  const auto part = [&line](const char* format, std::uint32_t count) {
    if (count != 0) line += engine::FormatText(format, {std::to_string(count)});
  };
  part(">> %d;   ", totals.toTarget);
  part("<< %d;   ", totals.toSource);
  part("X %d;   ", totals.deleted);
  return line;
}

ReportJob::ReportJob(const ReportContent& content, const ReportMetrics& metrics, ReportBox printable)
    : content_(content), area_(printable) {
  const int average = std::max(1, metrics.AverageCharWidth());
  area_.x += kLeftMarginChars * average;
  area_.width = std::max(0, area_.width - (kLeftMarginChars + kRightMarginChars) * average);
  line_ = std::max(1, metrics.LineHeight());
  gap_ = std::max(1, average / 2);
  dateTimeWidth_ = metrics.TextWidth(content.dateTimeSample);
  sizeWidth_ = metrics.TextWidth(content.sizeSample);
  actionWidth_ = metrics.TextWidth("XX") + 2 * average;
}

int ReportJob::RowsTop(int page) const {
  return area_.y + (page == 1 ? kFirstPageHeaderLines : kOtherPageHeaderLines) * line_;
}

int ReportJob::RowsBottom() const { return area_.Bottom() - line_ - kFooterClearance; }

std::vector<std::string> ReportJob::HeaderLines(int page) const {
  if (page != 1) return {content_.printedAt};
  const ReportHeading& heading = content_.heading;
  return {content_.printedAt,
          "",
          engine::TranslateFormat("${Source}: %s", {heading.source}),
          engine::TranslateFormat("${Target}: %s", {heading.target}),
          engine::TranslateFormat("${Files}: %s", {heading.masks}),
          TotalsLine(content_.totals)};
}

int ReportJob::walk(int page, const std::function<void(int row, int top)>& place) {
  const int count = static_cast<int>(content_.rows.size());
  const int first = pageStarts_[static_cast<std::size_t>(page - 1)];
  const int bottom = RowsBottom();
  int top = RowsTop(page);
  int row = first;
  for (; row < count; ++row) {
    const int blank = content_.rows[static_cast<std::size_t>(row)].folder && row > 0 ? line_ : 0;
    // The first row of a page goes on it even when the page is too small, so every page moves on.
    if (row > first && top + blank + line_ > bottom) break;
    top += blank;
    place(row, top);
    top += line_;
  }
  return row;
}

void ReportJob::layOutUpTo(int page) {
  const int count = static_cast<int>(content_.rows.size());
  while (static_cast<int>(pageStarts_.size()) < page && pageStarts_.back() < count) {
    pageStarts_.push_back(walk(static_cast<int>(pageStarts_.size()), [](int, int) {}));
  }
}

bool ReportJob::HasPage(int page) {
  if (page < 1) return false;
  layOutUpTo(page);
  return static_cast<int>(pageStarts_.size()) >= page &&
         pageStarts_[static_cast<std::size_t>(page - 1)] < static_cast<int>(content_.rows.size());
}

int ReportJob::PageCount() {
  int pages = 0;
  while (HasPage(pages + 1)) ++pages;
  return pages;
}

std::vector<ReportJob::Placed> ReportJob::RowsOf(int page) {
  std::vector<Placed> placed;
  if (HasPage(page)) walk(page, [&placed](int row, int top) { placed.push_back({row, top}); });
  return placed;
}

void ReportJob::DrawPage(int page, ReportPainter& painter) {
  const std::vector<std::string> header = HeaderLines(page);
  for (std::size_t index = 0; index < header.size(); ++index) {
    const ReportBox box{area_.x, area_.y + static_cast<int>(index) * line_, area_.width, line_};
    // The pair and the masks may be longer than the page is wide.
    if (index >= 2 && index <= 4) {
      painter.Path(box, header[index], ReportFont::Normal);
    } else {
      painter.Text(box, header[index], ReportFont::Normal, ReportAlign::Left);
    }
  }
  const std::vector<Placed> rows = RowsOf(page);
  for (std::size_t index = 0; index < rows.size(); ++index) {
    const ReportRow& row = content_.rows[static_cast<std::size_t>(rows[index].row)];
    if (row.folder) {
      drawFolder(row, rows[index].top, painter);
      continue;
    }
    drawFile(row, rows[index].top, painter);
    // A folder's files are closed by a line where they end, on this page or before the next folder.
    const bool last = index + 1 == rows.size() || content_.rows[static_cast<std::size_t>(rows[index + 1].row)].folder;
    if (last) painter.Line(area_.x, rows[index].top + line_, area_.Right(), rows[index].top + line_);
  }
  const ReportBox footer{area_.x, area_.Bottom() - line_, area_.width, line_};
  painter.Text(footer, std::to_string(page), ReportFont::Normal, ReportAlign::Center);
  painter.Text(footer, kFooterText, ReportFont::Normal, ReportAlign::Right);
}

void ReportJob::drawFolder(const ReportRow& row, int top, ReportPainter& painter) const {
  const int middle = area_.x + area_.width / 2;
  painter.Frame({area_.x, top, area_.width, line_});
  painter.Line(middle, top, middle, top + line_);
  painter.Path({area_.x + gap_, top, middle - area_.x - 2 * gap_, line_}, row.sourceFolder, ReportFont::Folder);
  painter.Path({middle + gap_, top, area_.Right() - middle - 2 * gap_, line_}, row.targetFolder, ReportFont::Folder);
}

ReportJob::Side ReportJob::sideFrom(int left, int right) const {
  Side side;
  side.date = left + gap_;
  side.time = side.date + dateTimeWidth_ / 2;
  side.size = side.time + dateTimeWidth_ / 2;
  side.name = side.size + sizeWidth_ + gap_;
  side.end = std::max(side.name, right - gap_);
  return side;
}

void ReportJob::drawFile(const ReportRow& row, int top, ReportPainter& painter) const {
  const int actionLeft = area_.x + (area_.width - actionWidth_) / 2;
  const int actionRight = actionLeft + actionWidth_;
  for (const int x : {area_.x, actionLeft, actionRight, area_.Right()}) painter.Line(x, top, x, top + line_);
  drawSide(row.source, sideFrom(area_.x, actionLeft), top, painter);
  painter.Text({actionLeft, top, actionWidth_, line_}, row.action, ReportFont::Normal, ReportAlign::Center);
  drawSide(row.target, sideFrom(actionRight, area_.Right()), top, painter);
}

void ReportJob::drawSide(const ReportSide& side, const Side& columns, int top, ReportPainter& painter) const {
  if (!side.size.empty()) {
    painter.Text({columns.date, top, columns.time - columns.date, line_}, side.date, ReportFont::Normal, ReportAlign::Right);
    painter.Text({columns.time, top, columns.size - columns.time, line_}, side.time, ReportFont::Normal, ReportAlign::Right);
    painter.Text({columns.size, top, sizeWidth_, line_}, side.size, ReportFont::Normal, ReportAlign::Right);
  }
  if (!side.name.empty()) {
    // A name without a size (a folder row of its own) starts where the side starts.
    const int left = side.size.empty() ? columns.date : columns.name;
    painter.Path({left, top, columns.end - left, line_}, side.name, ReportFont::Normal);
  }
}

}  // namespace ui
