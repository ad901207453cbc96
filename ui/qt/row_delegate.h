#pragma once
// Draws the side cells of the result list: a file's name, date, time and size in fixed sub-columns
// measured once on the widest values; a folder header's path with its green count of copies to
// the target, and its blue count of copies to the source.
#include <QStyledItemDelegate>

#include "ui/row_text.h"

namespace ui::qt {

class RowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  RowDelegate(const DateTimeFormat& format, QObject* parent = nullptr);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // Room for the date, time and size of a side: what a side column needs beyond the name.
  [[nodiscard]] int DetailsWidth(const QFontMetrics& metrics) const;

 private:
  void paintSide(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
  void paintHeader(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

  WidthSamples samples_;
};

}  // namespace ui::qt
