#pragma once
// The result list as a Qt table: a thin adapter over the plain model (ui::ResultModel), which
// builds, sorts, filters and counts the rows. data() only looks rows up; every change is
// announced with the cheapest signal that is still correct: rows a comparison adds with one
// insert per timer tick, marks and actions with one dataChanged per run of changed rows, a
// re-sort as a layout change, a filter or a new comparison as a reset. Window thread only.
#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "ui/result_model.h"

namespace ui::qt {

class ResultTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kMarkColumn = 0, kSourceColumn = 1, kActionColumn = 2, kTargetColumn = 3, kColumns = 4 };
  // Text parts of a side cell besides the name (DisplayRole), and a header row's counts.
  enum Role { KindRole = Qt::UserRole + 1, DateRole, TimeRole, SizeRole, CountRole };

  explicit ResultTableModel(ResultModel& model, QObject* parent = nullptr);

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  [[nodiscard]] ResultModel& Model() { return model_; }
  [[nodiscard]] ResultList& List() { return model_.List(); }

  // The list's commands; false when they did nothing.
  bool Execute(Command command);
  bool SelectByMask(const std::string& masks, bool select);
  bool SmartToggleAll();
  bool ToggleFolder(int row);
  // The rows selected in the view and its current row, as the commands see them.
  void SetViewSelection(int currentRow, const std::vector<int>& rows);

  // A comparison is about to start: no rows until it reports.
  void ClearForComparison();
  void ComparisonStarted();
  // Shows the rows of the folders the comparison passed since the last call.
  void ShowNewRows();
  void ComparisonEnded();
  // The run's reports. Items never move while a run goes on.
  void RunItemStarting(const engine::CompareItem* item);
  void RunItemDone(const engine::CompareItem* item);
  void RunEnded();

 signals:
  void totalsChanged();
  // The plain model moved its current row (a run reached a file, a folder command).
  void currentRowMoved(int row);
  // The rows were built anew: the view puts its current row and selection back.
  void rowsRebuilt();

 private:
  [[nodiscard]] const RowView& rowView(int row) const;
  // What a row shows that a mark or action command can change.
  [[nodiscard]] std::vector<std::uint64_t> rowSignatures();
  // One dataChanged per run of rows whose signature differs.
  void announceChanges(const std::vector<std::uint64_t>& before);
  void announceRowOfItem(const engine::CompareItem* item);
  void afterCommand(int currentBefore);
  void rebuildAround(const std::function<void()>& change);

  ResultModel& model_;
  // The rows the view knows of: while a comparison runs, the plain model's rows may be ahead.
  int shown_ = 0;
  mutable int cachedRow_ = -1;
  mutable RowView cached_;
};

}  // namespace ui::qt
