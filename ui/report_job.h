#pragma once
// One printing of the report: the pages laid out on one device's printable area. Page N starts
// at the row where page N-1 ended, so asking for a page lays out every page before it first;
// laying out draws nothing, so pages can be counted before the first one is printed.
#include <functional>
#include <string>
#include <vector>

#include "ui/report_content.h"
#include "ui/report_metrics.h"
#include "ui/report_painter.h"

namespace ui {

class ReportJob {
 public:
  // A row of a page and the top of its line.
  struct Placed {
    int row = 0;
    int top = 0;
  };

  // `content` and `metrics` outlive the job; `printable` is the page's printable area.
  ReportJob(const ReportContent& content, const ReportMetrics& metrics, ReportBox printable);

  // True when page `page` (from 1) has rows: a list without rows has no page 1.
  [[nodiscard]] bool HasPage(int page);
  [[nodiscard]] int PageCount();
  // The rows page `page` prints, top to bottom; empty for a page past the end.
  [[nodiscard]] std::vector<Placed> RowsOf(int page);
  // Draws the header, the rows and the footer of a page that exists.
  void DrawPage(int page, ReportPainter& painter);

  // Where the rows may go: below the header of the page, and above the footer.
  [[nodiscard]] int RowsTop(int page) const;
  [[nodiscard]] int RowsBottom() const;
  [[nodiscard]] ReportBox Area() const { return area_; }
  // The header's lines on a page (the first has four lines more than the others).
  [[nodiscard]] std::vector<std::string> HeaderLines(int page) const;

 private:
  // Where the cells of one side of a file row begin, left to right, and where the side ends.
  struct Side {
    int date = 0;
    int time = 0;
    int size = 0;
    int name = 0;
    int end = 0;
  };
  // Places the rows of a page from its start row; the row the next page starts at.
  int walk(int page, const std::function<void(int row, int top)>& place);
  // Makes the start rows of pages 1 to `page` known.
  void layOutUpTo(int page);
  [[nodiscard]] Side sideFrom(int left, int right) const;
  void drawFolder(const ReportRow& row, int top, ReportPainter& painter) const;
  void drawFile(const ReportRow& row, int top, ReportPainter& painter) const;
  void drawSide(const ReportSide& side, const Side& columns, int top, ReportPainter& painter) const;

  const ReportContent& content_;
  ReportBox area_;
  int line_;
  int gap_;
  int dateTimeWidth_;
  int sizeWidth_;
  int actionWidth_;
  // Entry N-1 is the first row of page N.
  std::vector<int> pageStarts_{0};
};

// "Total: 12;  >> 3;   << 1;   " with a part for each direction only when its count is not 0.
[[nodiscard]] std::string TotalsLine(const ReportTotals& totals);

}  // namespace ui
