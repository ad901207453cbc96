#include "ui/qt/row_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "ui/list_totals.h"
#include "ui/row_text.h"

namespace ui::qt {
namespace {

constexpr int kSize = 16;
const QColor kGreen(30, 140, 50);
const QColor kBlue(40, 90, 200);
const QColor kRed(200, 40, 40);
const QColor kOrange(230, 130, 0);
const QColor kGrey(150, 150, 150);

QPixmap blank() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// An arrow across the icon, pointing right (to the target) or left (to the source).
void arrow(QPainter& painter, bool right, const QColor& color, double inset = 0) {
  const double y = kSize / 2.0;
  QPolygonF shape;
  if (right) {
    shape << QPointF(1 + inset, y - 2) << QPointF(8, y - 2) << QPointF(8, y - 6 + inset) << QPointF(15 - inset, y)
          << QPointF(8, y + 6 - inset) << QPointF(8, y + 2) << QPointF(1 + inset, y + 2);
  } else {
    shape << QPointF(15 - inset, y - 2) << QPointF(8, y - 2) << QPointF(8, y - 6 + inset) << QPointF(1 + inset, y)
          << QPointF(8, y + 6 - inset) << QPointF(8, y + 2) << QPointF(15 - inset, y + 2);
  }
  painter.setPen(QPen(color.darker(130), 1));
  painter.setBrush(color);
  painter.drawPolygon(shape);
}

void box(QPainter& painter, const QColor& frame) {
  painter.setPen(QPen(frame, 1));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(2.5, 2.5, 11, 11));
}

void tick(QPainter& painter, const QColor& color) {
  painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolyline(QPolygonF({QPointF(4.5, 8), QPointF(7, 10.5), QPointF(11.5, 5)}));
}

void cross(QPainter& painter, const QColor& color, double inset) {
  painter.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(inset, inset), QPointF(kSize - inset, kSize - inset));
  painter.drawLine(QPointF(kSize - inset, inset), QPointF(inset, kSize - inset));
}

void folder(QPainter& painter, const QColor& color) {
  painter.setPen(QPen(color.darker(150), 1));
  painter.setBrush(color);
  QPainterPath path;
  path.moveTo(1.5, 4.5);
  path.lineTo(6, 4.5);
  path.lineTo(7.5, 6);
  path.lineTo(14.5, 6);
  path.lineTo(14.5, 13.5);
  path.lineTo(1.5, 13.5);
  path.closeSubpath();
  painter.drawPath(path);
}

void expandBox(QPainter& painter, bool expanded) {
  painter.setPen(QPen(QColor(110, 110, 110), 1));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(3.5, 3.5, 9, 9));
  painter.setPen(QPen(Qt::black, 1));
  painter.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
  if (!expanded) painter.drawLine(QPointF(8, 5.5), QPointF(8, 10.5));
}

QPixmap draw(int number) {
  QPixmap pixmap = blank();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  switch (number) {
    case icon::kToTargetSelected: arrow(painter, true, kGreen); break;
    case icon::kToSourceSelected: arrow(painter, false, kBlue); break;
    case icon::kToTarget: arrow(painter, true, kGreen.lighter(170)); break;
    case icon::kToSource: arrow(painter, false, kBlue.lighter(170)); break;
    case icon::kDelete: cross(painter, kRed, 3.5); break;
    case icon::kFolderRow: folder(painter, QColor(240, 210, 110)); break;
    case icon::kFolderRowSelected:
      folder(painter, QColor(240, 210, 110));
      tick(painter, kGreen.darker(120));
      break;
    case icon::kUnselected: box(painter, QColor(110, 110, 110)); break;
    case icon::kSelected:
      box(painter, QColor(60, 60, 60));
      tick(painter, Qt::black);
      break;
    case icon::kForbidden:
      box(painter, kGrey);
      cross(painter, kGrey, 5);
      break;
    case icon::kExpanded: expandBox(painter, true); break;
    case icon::kCollapsed: expandBox(painter, false); break;
    case icon::kSame:
      painter.setPen(QPen(kGrey, 2));
      painter.drawLine(QPointF(4, 6), QPointF(12, 6));
      painter.drawLine(QPointF(4, 10), QPointF(12, 10));
      break;
    case icon::kFolderToTarget: arrow(painter, true, kGreen, 2); break;
    case icon::kFolderToSource: arrow(painter, false, kBlue, 2); break;
    case icon::kConflict:
      painter.setPen(QPen(kOrange.darker(140), 1));
      painter.setBrush(kOrange);
      painter.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(15, 14.5), QPointF(1, 14.5)}));
      painter.setPen(QPen(Qt::black, 2));
      painter.drawLine(QPointF(8, 6), QPointF(8, 10));
      painter.drawPoint(QPointF(8, 12.5));
      break;
    case RowIcons::kAllFiles:
      painter.setPen(QPen(QColor(90, 90, 90), 1));
      painter.setBrush(Qt::white);
      painter.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(10, 1.5), QPointF(12.5, 4), QPointF(12.5, 14.5),
                                     QPointF(3.5, 14.5)}));
      painter.drawLine(QPointF(5.5, 7), QPointF(10.5, 7));
      painter.drawLine(QPointF(5.5, 9.5), QPointF(10.5, 9.5));
      painter.drawLine(QPointF(5.5, 12), QPointF(10.5, 12));
      break;
    default: return QPixmap();
  }
  return pixmap;
}

}  // namespace

RowIcons::RowIcons() {
  for (int number = 0; number <= kCount; ++number) pixmaps_[static_cast<std::size_t>(number)] = draw(number);
}

const QPixmap& RowIcons::Pixmap(int number) const {
  if (number < 0 || number > kCount) return none_;
  return pixmaps_[static_cast<std::size_t>(number)];
}

const QPixmap& RowIcons::RecordPixmap(int recordIndex) const {
  switch (recordIndex) {
    case record::kConflict: return Pixmap(icon::kConflict);
    case record::kToTarget: return Pixmap(icon::kToTargetSelected);
    case record::kToSource: return Pixmap(icon::kToSourceSelected);
    case record::kDelete: return Pixmap(icon::kDelete);
    case record::kSelected: return Pixmap(icon::kSelected);
    default: return Pixmap(kAllFiles);
  }
}

const RowIcons& RowIcons::Get() {
  static const RowIcons icons;
  return icons;
}

}  // namespace ui::qt
