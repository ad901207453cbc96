#pragma once
// The report drawn with a QPainter on a printer (or the print preview) in the job's fonts.
#include <QPen>

#include "ui/qt/print/device_metrics.h"
#include "ui/report_painter.h"

class QPainter;

namespace ui::qt {

class QtReportPainter : public ReportPainter {
 public:
  // `painter` is active on the metrics' device; both outlive this object.
  QtReportPainter(QPainter& painter, const DeviceMetrics& metrics);

  void Text(const ReportBox& box, std::string_view text, ReportFont font, ReportAlign align) override;
  void Path(const ReportBox& box, std::string_view path, ReportFont font) override;
  void Frame(const ReportBox& box) override;
  void Line(int x1, int y1, int x2, int y2) override;

 private:
  [[nodiscard]] const QFont& fontOf(ReportFont font) const;

  QPainter& painter_;
  const DeviceMetrics& metrics_;
  QPen pen_;
};

}  // namespace ui::qt
