#pragma once
// The result list's view: fixed row heights, four columns, and the list's mouse and keys (a click
// on the mark column toggles marks, on a folder header's box folds it; a double click folds a
// folder or compares a file; Delete deletes and moves down). It keeps the plain model's current row
// and list selection in step with its own, and asks the window for commands by id.
#include <QTableView>

#include "ui/list_commands.h"

namespace ui::qt {

class ResultTableModel;
class RowDelegate;

class ResultView : public QTableView {
  Q_OBJECT

 public:
  ResultView(ResultTableModel& model, RowDelegate& delegate, QWidget* parent = nullptr);
  // Column widths as saved ({} or a wrong count: the defaults).
  void SetColumnWidths(const std::vector<int>& widths);
  [[nodiscard]] std::vector<int> ColumnWidths() const;
  // Draws the list in `font`; every row keeps the height of one line of it.
  void SetListFont(const QFont& font);

 signals:
  void commandRequested(ui::Command command);
  void smartToggleRequested();
  void folderToggleRequested(int row);
  void compareRequested(int row);
  void contextMenuRequested(const QPoint& globalPosition);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void syncSelection();
  void showModelCurrent(int row);
  void restoreFromModel();
  [[nodiscard]] bool isFolderHeader(int row) const;

  ResultTableModel& model_;
  qint64 lastFoldClick_ = 0;
};

}  // namespace ui::qt
