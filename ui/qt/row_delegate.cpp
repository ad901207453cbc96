#include "ui/qt/row_delegate.h"

#include <QApplication>
#include <QPainter>

#include "ui/qt/result_table_model.h"
#include "ui/qt/row_icons.h"

namespace ui::qt {
namespace {

constexpr int kGap = 8;
constexpr int kIcon = 16;
const QColor kToTargetCount(0, 130, 0);
const QColor kToSourceCount(0, 0, 200);

struct Columns {
  int date;
  int time;
  int size;
};

Columns measure(const QFontMetrics& metrics, const WidthSamples& samples) {
  return {metrics.horizontalAdvance(QString::fromStdString(samples.date)) + kGap,
          metrics.horizontalAdvance(QString::fromStdString(samples.time)) + kGap,
          // Room for sizes past the sample's millions.
          metrics.horizontalAdvance(QString::fromStdString(samples.size + ".999")) + kGap};
}

}  // namespace

RowDelegate::RowDelegate(const DateTimeFormat& format, QObject* parent)
    : QStyledItemDelegate(parent), samples_(WidthSamplesFor(format)) {}

int RowDelegate::DetailsWidth(const QFontMetrics& metrics) const {
  const Columns columns = measure(metrics, samples_);
  return columns.date + columns.time + columns.size;
}

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const int column = index.column();
  if (column != ResultTableModel::kSourceColumn && column != ResultTableModel::kTargetColumn) {
    QStyleOptionViewItem centred = option;
    centred.decorationAlignment = Qt::AlignCenter;
    centred.displayAlignment = Qt::AlignCenter;
    QStyledItemDelegate::paint(painter, centred, index);
    return;
  }
  if (index.data(ResultTableModel::KindRole).toInt() == static_cast<int>(RowKind::FolderHeader)) {
    paintHeader(painter, option, index);
  } else {
    paintSide(painter, option, index);
  }
}

void RowDelegate::paintSide(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem base = option;
  initStyleOption(&base, index);
  base.text.clear();
  QStyle* style = base.widget != nullptr ? base.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &base, painter, base.widget);

  const bool selected = (option.state & QStyle::State_Selected) != 0;
  QColor text = selected ? option.palette.color(QPalette::HighlightedText) : option.palette.color(QPalette::Text);
  if (const QVariant foreground = index.data(Qt::ForegroundRole); foreground.isValid() && !selected) {
    text = foreground.value<QColor>();
  }
  painter->save();
  painter->setPen(text);
  const QFontMetrics metrics(option.font);
  const Columns columns = measure(metrics, samples_);
  QRect area = option.rect.adjusted(4, 0, -4, 0);
  const int details = columns.date + columns.time + columns.size;
  // Narrow columns give up the details before the name.
  const bool showDetails = area.width() > details + 60;
  QRect name = area;
  if (showDetails) name.setRight(area.right() - details);
  painter->drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                    metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, name.width()));
  if (showDetails) {
    int x = area.right() - details;
    painter->drawText(QRect(x, area.top(), columns.date, area.height()), Qt::AlignRight | Qt::AlignVCenter,
                      index.data(ResultTableModel::DateRole).toString());
    x += columns.date;
    painter->drawText(QRect(x, area.top(), columns.time, area.height()), Qt::AlignRight | Qt::AlignVCenter,
                      index.data(ResultTableModel::TimeRole).toString());
    x += columns.time;
    painter->drawText(QRect(x, area.top(), columns.size, area.height()), Qt::AlignRight | Qt::AlignVCenter,
                      index.data(ResultTableModel::SizeRole).toString());
  }
  painter->restore();
}

void RowDelegate::paintHeader(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem base = option;
  initStyleOption(&base, index);
  base.text.clear();
  base.icon = QIcon();
  base.features &= ~QStyleOptionViewItem::HasDecoration;
  QStyle* style = base.widget != nullptr ? base.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &base, painter, base.widget);

  const bool source = index.column() == ResultTableModel::kSourceColumn;
  const bool selected = (option.state & QStyle::State_Selected) != 0;
  painter->save();
  QRect area = option.rect.adjusted(2, 0, -4, 0);
  const RowIcons& icons = RowIcons::Get();
  const qulonglong count = index.data(ResultTableModel::CountRole).toULongLong();
  QFont font = option.font;
  // Header rows are bold in the list's own font, whatever font the model's default is.
  if (const QVariant bold = index.data(Qt::FontRole); bold.isValid()) font.setBold(bold.value<QFont>().bold());
  painter->setFont(font);
  const QFontMetrics metrics(font);
  const QString countText = count == 0 ? QString() : QString::number(count);
  const int countWidth = count == 0 ? 0 : metrics.horizontalAdvance(countText) + kIcon + 6;
  const int iconTop = area.top() + (area.height() - kIcon) / 2;
  if (source) {
    const QVariant expand = index.data(Qt::DecorationRole);
    if (expand.isValid()) painter->drawPixmap(area.left(), iconTop, expand.value<QPixmap>());
    QColor text = selected ? option.palette.color(QPalette::HighlightedText) : option.palette.color(QPalette::Text);
    if (const QVariant foreground = index.data(Qt::ForegroundRole); foreground.isValid() && !selected) {
      text = foreground.value<QColor>();
    }
    painter->setPen(text);
    QRect path = area.adjusted(kIcon + 4, 0, -countWidth - 4, 0);
    painter->drawText(path, Qt::AlignLeft | Qt::AlignVCenter,
                      metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, path.width()));
    if (count != 0) {
      // Right-aligned in green: the folder's files to copy to the target.
      const int x = area.right() - countWidth;
      painter->setPen(kToTargetCount);
      painter->drawText(QRect(x, area.top(), countWidth - kIcon - 2, area.height()), Qt::AlignRight | Qt::AlignVCenter, countText);
      painter->drawPixmap(area.right() - kIcon, iconTop, icons.Pixmap(icon::kFolderToTarget));
    }
  } else if (count != 0) {
    // At the start of the target side in blue: the folder's files to copy to the source.
    painter->drawPixmap(area.left(), iconTop, icons.Pixmap(icon::kFolderToSource));
    painter->setPen(kToSourceCount);
    painter->drawText(QRect(area.left() + kIcon + 4, area.top(), countWidth, area.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      countText);
  }
  painter->restore();
}

}  // namespace ui::qt
