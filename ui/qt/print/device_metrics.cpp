#include "ui/qt/print/device_metrics.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QWidget>
#include <cmath>

#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

QFont scaled(const ScreenFont& screen, const QPaintDevice& device) {
  QFont font(screen.font, &device);
  const qreal ratioY = device.logicalDpiY() / screen.dpiY;
  const qreal ratioX = device.logicalDpiX() / screen.dpiX;
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(QFontInfo(screen.font).pixelSize() * ratioY))));
  // A printer whose dots are not square widens or narrows the letters as it does the page.
  if (std::abs(ratioX - ratioY) > 0.01) font.setStretch(static_cast<int>(std::lround(100 * ratioX / ratioY)));
  return font;
}

}  // namespace

ScreenFont ScreenFontOf(const QWidget& widget) {
  return {widget.font(), static_cast<qreal>(widget.logicalDpiX()), static_cast<qreal>(widget.logicalDpiY())};
}

DeviceMetrics::DeviceMetrics(const ScreenFont& screen, const QPaintDevice& device)
    : device_(device), normal_(scaled(screen, device)), bold_(normal_) {
  bold_.setWeight(QFont::Bold);
}

int DeviceMetrics::TextWidth(std::string_view text) const {
  return QFontMetrics(normal_, &device_).horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

int DeviceMetrics::LineHeight() const { return QFontMetrics(normal_, &device_).lineSpacing(); }

int DeviceMetrics::AverageCharWidth() const { return QFontMetrics(normal_, &device_).averageCharWidth(); }

}  // namespace ui::qt
