#pragma once
// How the report measures text on the device it is printed on; the layout asks nothing else of
// the device, so it is laid out the same way with or without a printer.
#include <string_view>

namespace ui {

class ReportMetrics {
 public:
  virtual ~ReportMetrics() = default;
  // The width of one line of `text` in the report's normal font, in device units.
  [[nodiscard]] virtual int TextWidth(std::string_view text) const = 0;
  // The font's height plus its external leading.
  [[nodiscard]] virtual int LineHeight() const = 0;
  [[nodiscard]] virtual int AverageCharWidth() const = 0;
};

}  // namespace ui
