#include "ui/qt/result_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>

#include "ui/qt/result_table_model.h"
#include "ui/qt/row_delegate.h"

namespace ui::qt {
namespace {

constexpr int kIconColumnWidth = 26;
// The part of a folder header's source cell that folds it.
constexpr int kFoldBoxWidth = 18;

}  // namespace

ResultView::ResultView(ResultTableModel& model, RowDelegate& delegate, QWidget* parent)
    : QTableView(parent), model_(model) {
  setObjectName("resultList");
  setModel(&model);
  setItemDelegate(&delegate);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setShowGrid(false);
  setWordWrap(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Rows are never measured: every row has the height of one line.
  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 6);
  QHeaderView* columns = horizontalHeader();
  columns->setSectionsClickable(true);
  columns->setHighlightSections(false);
  columns->setStretchLastSection(true);
  columns->setSectionResizeMode(ResultTableModel::kMarkColumn, QHeaderView::Fixed);
  columns->setSectionResizeMode(ResultTableModel::kActionColumn, QHeaderView::Fixed);
  SetColumnWidths({});
  connect(columns, &QHeaderView::sectionClicked, this, [this](int section) {
    if (section == ResultTableModel::kMarkColumn) emit smartToggleRequested();
  });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ResultView::syncSelection);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &ResultView::syncSelection);
  connect(&model, &ResultTableModel::currentRowMoved, this, &ResultView::showModelCurrent);
  connect(&model, &ResultTableModel::rowsRebuilt, this, &ResultView::restoreFromModel);
}

void ResultView::SetColumnWidths(const std::vector<int>& widths) {
  if (widths.size() == ResultTableModel::kColumns) {
    for (int column = 0; column < ResultTableModel::kColumns; ++column) {
      if (widths[static_cast<std::size_t>(column)] > 0) setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
    }
    return;
  }
  auto* delegate = qobject_cast<RowDelegate*>(itemDelegate());
  const int side = 180 + (delegate != nullptr ? delegate->DetailsWidth(fontMetrics()) : 200);
  setColumnWidth(ResultTableModel::kMarkColumn, kIconColumnWidth);
  setColumnWidth(ResultTableModel::kSourceColumn, side);
  setColumnWidth(ResultTableModel::kActionColumn, kIconColumnWidth + 4);
  setColumnWidth(ResultTableModel::kTargetColumn, side);
}

void ResultView::SetListFont(const QFont& font) {
  setFont(font);
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
}

std::vector<int> ResultView::ColumnWidths() const {
  std::vector<int> widths;
  for (int column = 0; column < ResultTableModel::kColumns; ++column) widths.push_back(columnWidth(column));
  return widths;
}

bool ResultView::isFolderHeader(int row) const {
  return model_.index(row, 0).data(ResultTableModel::KindRole).toInt() == static_cast<int>(RowKind::FolderHeader);
}

void ResultView::syncSelection() {
  std::vector<int> rows;
  for (const QModelIndex& selected : selectionModel()->selectedRows()) rows.push_back(selected.row());
  model_.SetViewSelection(currentIndex().isValid() ? currentIndex().row() : -1, rows);
}

void ResultView::showModelCurrent(int row) {
  if (row < 0 || row >= model_.rowCount()) return;
  const QModelIndex target = model_.index(row, ResultTableModel::kSourceColumn);
  selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(target);
}

void ResultView::restoreFromModel() {
  ResultList& list = model_.List();
  const std::vector<int> rows = list.ListSelection();
  const int current = list.CurrentRow();
  QItemSelection selection;
  for (const int row : rows) {
    if (row < model_.rowCount()) selection.select(model_.index(row, 0), model_.index(row, ResultTableModel::kColumns - 1));
  }
  const QSignalBlocker quiet(selectionModel());
  if (current >= 0 && current < model_.rowCount()) {
    selectionModel()->setCurrentIndex(model_.index(current, ResultTableModel::kSourceColumn), QItemSelectionModel::NoUpdate);
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  viewport()->update();
}

void ResultView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() != Qt::LeftButton || !index.isValid()) {
    QTableView::mousePressEvent(event);
    return;
  }
  const int row = index.row();
  if (index.column() == ResultTableModel::kMarkColumn && event->modifiers() == Qt::NoModifier) {
    // The row joins the selection when it was not in it; then its marks (or the selection's) flip.
    if (!selectionModel()->isRowSelected(row, {})) {
      selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
      selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
    syncSelection();
    emit commandRequested(Command::ToggleSelection);
    return;
  }
  if (index.column() == ResultTableModel::kSourceColumn && isFolderHeader(row)) {
    const int x = event->position().toPoint().x() - visualRect(index).left();
    if (x >= 1 && x <= kFoldBoxWidth) {
      selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      const qint64 now = QDateTime::currentMSecsSinceEpoch();
      // The second click of a double click does not fold the folder back.
      if (now - lastFoldClick_ > QApplication::styleHints()->mouseDoubleClickInterval()) emit folderToggleRequested(row);
      lastFoldClick_ = now;
      return;
    }
  }
  QTableView::mousePressEvent(event);
}

void ResultView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() != Qt::LeftButton || !index.isValid() || index.column() == ResultTableModel::kMarkColumn) {
    if (index.isValid() && index.column() == ResultTableModel::kMarkColumn) {
      // A quick second click on the mark column is one more toggle.
      mousePressEvent(event);
      return;
    }
    QTableView::mouseDoubleClickEvent(event);
    return;
  }
  if (isFolderHeader(index.row())) {
    const int x = event->position().toPoint().x() - visualRect(index).left();
    if (index.column() != ResultTableModel::kSourceColumn || x > kFoldBoxWidth) emit folderToggleRequested(index.row());
  } else {
    emit compareRequested(index.row());
  }
}

void ResultView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
    const int row = currentIndex().row();
    emit commandRequested(Command::Delete);
    if (row + 1 < model_.rowCount()) {
      selectionModel()->setCurrentIndex(model_.index(row + 1, ResultTableModel::kSourceColumn),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    return;
  }
  QTableView::keyPressEvent(event);
}

void ResultView::contextMenuEvent(QContextMenuEvent* event) {
  const QModelIndex index = indexAt(event->pos());
  if (index.isValid() && !selectionModel()->isRowSelected(index.row(), {})) {
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  if (index.isValid()) emit contextMenuRequested(event->globalPos());
}

}  // namespace ui::qt
