#include "ui/qt/print/print_report.h"

#include <QPainter>
#include <QPrinter>

#include "ui/qt/print/qt_report_painter.h"
#include "ui/report_job.h"

namespace ui::qt {
namespace {

// The painter's origin is the printable area's top-left corner.
ReportBox printableArea(const QPrinter& printer) { return {0, 0, printer.width(), printer.height()}; }

}  // namespace

int PrintReport(QPrinter& printer, const ReportContent& content, const ScreenFont& screen, int first, int last) {
  const DeviceMetrics metrics(screen, printer);
  ReportJob job(content, metrics, printableArea(printer));
  const int from = std::max(1, first);
  if (!job.HasPage(from)) return 0;
  QPainter painter;
  if (!painter.begin(&printer)) return 0;
  QtReportPainter canvas(painter, metrics);
  int printed = 0;
  for (int page = from; (last == 0 || page <= last) && job.HasPage(page); ++page) {
    if (printed > 0) printer.newPage();
    job.DrawPage(page, canvas);
    ++printed;
  }
  painter.end();
  return printed;
}

int ReportPageCount(QPrinter& printer, const ReportContent& content, const ScreenFont& screen) {
  const DeviceMetrics metrics(screen, printer);
  return ReportJob(content, metrics, printableArea(printer)).PageCount();
}

}  // namespace ui::qt
