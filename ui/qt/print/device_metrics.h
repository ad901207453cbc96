#pragma once
// The report's fonts on a printer: the result list's screen font grown by the ratio of the
// printer's to the screen's pixels per inch, so the printed rows look as the list does on screen.
#include <QFont>

#include "ui/report_metrics.h"

class QPaintDevice;
class QWidget;

namespace ui::qt {

// A font as a screen shows it, with that screen's pixels per inch.
struct ScreenFont {
  QFont font;
  qreal dpiX = 96;
  qreal dpiY = 96;
};
// The font `widget` draws with, on the screen it is on.
[[nodiscard]] ScreenFont ScreenFontOf(const QWidget& widget);

class DeviceMetrics : public ReportMetrics {
 public:
  // `device` outlives the metrics.
  DeviceMetrics(const ScreenFont& screen, const QPaintDevice& device);

  [[nodiscard]] int TextWidth(std::string_view text) const override;
  [[nodiscard]] int LineHeight() const override;
  [[nodiscard]] int AverageCharWidth() const override;

  [[nodiscard]] const QFont& Normal() const { return normal_; }
  [[nodiscard]] const QFont& Bold() const { return bold_; }
  [[nodiscard]] const QPaintDevice& Device() const { return device_; }

 private:
  const QPaintDevice& device_;
  QFont normal_;
  QFont bold_;
};

}  // namespace ui::qt
