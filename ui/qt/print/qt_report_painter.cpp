#include "ui/qt/print/qt_report_painter.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

namespace ui::qt {
namespace {

QRect rectOf(const ReportBox& box) { return {box.x, box.y, box.width, box.height}; }

QString textOf(std::string_view text, ReportFont font) {
  const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return font == ReportFont::Folder ? decoded.toUpper() : decoded;
}

Qt::Alignment alignmentOf(ReportAlign align) {
  switch (align) {
    case ReportAlign::Center: return Qt::AlignHCenter;
    case ReportAlign::Right: return Qt::AlignRight;
    case ReportAlign::Left: break;
  }
  return Qt::AlignLeft;
}

// Hairlines vanish on a fine printer: a quarter of a point, at least one dot.
constexpr qreal kLinesPerInch = 288;

}  // namespace

QtReportPainter::QtReportPainter(QPainter& painter, const DeviceMetrics& metrics)
    : painter_(painter), metrics_(metrics), pen_(Qt::black) {
  pen_.setWidthF(std::max<qreal>(1, metrics.Device().logicalDpiY() / kLinesPerInch));
}

const QFont& QtReportPainter::fontOf(ReportFont font) const {
  return font == ReportFont::Folder ? metrics_.Bold() : metrics_.Normal();
}

void QtReportPainter::Text(const ReportBox& box, std::string_view text, ReportFont font, ReportAlign align) {
  painter_.setFont(fontOf(font));
  painter_.setPen(pen_);
  painter_.drawText(rectOf(box), static_cast<int>(alignmentOf(align) | Qt::AlignVCenter | Qt::TextSingleLine),
                    textOf(text, font));
}

void QtReportPainter::Path(const ReportBox& box, std::string_view path, ReportFont font) {
  const QFontMetrics metrics(fontOf(font), &metrics_.Device());
  const QString shortened = metrics.elidedText(textOf(path, font), Qt::ElideMiddle, std::max(0, box.width));
  painter_.setFont(fontOf(font));
  painter_.setPen(pen_);
  painter_.drawText(rectOf(box), static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine), shortened);
}

void QtReportPainter::Frame(const ReportBox& box) {
  painter_.setPen(pen_);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(rectOf(box));
}

void QtReportPainter::Line(int x1, int y1, int x2, int y2) {
  painter_.setPen(pen_);
  painter_.drawLine(x1, y1, x2, y2);
}

}  // namespace ui::qt
