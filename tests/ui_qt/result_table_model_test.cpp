#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "tests/ui_qt/window_fixture.h"
#include "ui/list_totals.h"
#include "ui/qt/result_table_model.h"

using testsupport::WindowFixture;
using ui::Command;
using ui::qt::ResultTableModel;
namespace record = ui::record;

namespace {

// The rows as the view sees them: "name/" for a folder header, "  name" for a file.
std::string shownRows(ResultTableModel& table) {
  std::string text;
  for (int row = 0; row < table.rowCount(); ++row) {
    const QModelIndex source = table.index(row, ResultTableModel::kSourceColumn);
    const QModelIndex target = table.index(row, ResultTableModel::kTargetColumn);
    const bool header = source.data(ResultTableModel::KindRole).toInt() == static_cast<int>(ui::RowKind::FolderHeader);
    const QString name = source.data().toString().isEmpty() ? target.data().toString() : source.data().toString();
    text += (header ? name.toStdString() + "/" : "  " + name.toStdString()) + "\n";
  }
  return text;
}

// The window on the fixture's folders, the list sorted by name.
ui::qt::WorkController& openSortedByName(WindowFixture& fixture) {
  fixture.layOut();
  ui::ViewState view;
  view.sortKey = ui::SortKey::Name;
  return fixture.open(view);
}

}  // namespace

TEST(ResultTableModel, AComparisonFillsTheListAndEveryChangeKeepsTheModelConsistent) {
  WindowFixture fixture;
  ui::qt::WorkController& work = openSortedByName(fixture);
  ResultTableModel& table = work.Table();
  // The tester checks every signal the adapter sends against what it answers.
  QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QSignalSpy inserted(&table, &ResultTableModel::rowsInserted);
  ASSERT_TRUE(fixture.compare());
  EXPECT_EQ(shownRows(table), "//\n  a.txt\n  gone.txt\n  only.txt\nsub/\n  deep.txt\n  two.txt\n");
  EXPECT_EQ(table.rowCount(), work.Model().List().RowCount());

  // A file's cells: mark and action icons, both sides' texts, an absent side empty.
  ASSERT_TRUE(fixture.goTo("only.txt"));
  const int row = work.Model().List().CurrentRow();
  EXPECT_TRUE(table.index(row, ResultTableModel::kMarkColumn).data(Qt::DecorationRole).isValid());
  EXPECT_TRUE(table.index(row, ResultTableModel::kActionColumn).data(Qt::DecorationRole).isValid());
  EXPECT_EQ(table.index(row, ResultTableModel::kSourceColumn).data(ResultTableModel::SizeRole).toString(), "14");
  EXPECT_EQ(table.index(row, ResultTableModel::kTargetColumn).data().toString(), "");

  // Sorting moves rows within their folders; filtering rebuilds; folding removes and restores.
  EXPECT_TRUE(table.Execute(Command::DateSorting));
  EXPECT_TRUE(table.Execute(Command::NameSorting));
  EXPECT_TRUE(table.Execute(Command::SourceOnly));
  EXPECT_EQ(shownRows(table), "//\n  only.txt\nsub/\n  deep.txt\n  two.txt\n");
  EXPECT_TRUE(table.Execute(Command::ShowAll));
  EXPECT_TRUE(table.ToggleFolder(4));
  EXPECT_EQ(shownRows(table), "//\n  a.txt\n  gone.txt\n  only.txt\nsub/\n");
  EXPECT_TRUE(table.ToggleFolder(4));
  EXPECT_EQ(table.rowCount(), 7);
  EXPECT_TRUE(table.Execute(Command::ToggleFolders));
  EXPECT_EQ(shownRows(table), "//\nsub/\n");
  EXPECT_TRUE(table.Execute(Command::ToggleFolders));
  EXPECT_EQ(table.rowCount(), 7);
}

TEST(ResultTableModel, MarkCommandsAnnounceOnlyTheRowsTheyChangedAndTheTotalsFollow) {
  WindowFixture fixture;
  ui::qt::WorkController& work = openSortedByName(fixture);
  ResultTableModel& table = work.Table();
  ASSERT_TRUE(fixture.compare());
  const std::uint32_t selected = work.Model().List().Totals().Count(record::kSelected);
  ASSERT_EQ(selected, 5u);

  QSignalSpy changed(&table, &ResultTableModel::dataChanged);
  ASSERT_TRUE(fixture.goTo("deep.txt"));
  EXPECT_TRUE(table.Execute(Command::ToggleSelection));
  // The file's row and its folder's header above it (whose count changed) as one run, never
  // the whole list.
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.front()[0].toModelIndex().row(), 4);
  EXPECT_EQ(changed.front()[1].toModelIndex().row(), 5);
  EXPECT_EQ(work.Model().List().Totals().Count(record::kSelected), selected - 1);

  changed.clear();
  EXPECT_TRUE(table.Execute(Command::SelectAll));
  ASSERT_EQ(changed.count(), 1) << "the file again, and its header";
  EXPECT_EQ(changed.front()[0].toModelIndex().row(), 4);
  EXPECT_EQ(work.Model().List().Totals().Count(record::kSelected), selected);
}

TEST(ResultTableModel, TheRunDoesWhatTheListShowsAfterMarksAndActionsWereChanged) {
  WindowFixture fixture;
  ui::qt::WorkController& work = openSortedByName(fixture);
  ASSERT_TRUE(fixture.compare());
  ResultTableModel& table = work.Table();
  // only.txt is not copied; gone.txt, planned as a copy to the source, is deleted instead.
  ASSERT_TRUE(fixture.goTo("only.txt"));
  ASSERT_TRUE(table.Execute(Command::Select));
  ASSERT_TRUE(fixture.goTo("gone.txt"));
  ASSERT_TRUE(table.Execute(Command::Delete));
  QSignalSpy finished(&work, &ui::qt::WorkController::runFinished);
  ASSERT_TRUE(table.Execute(Command::CopyFiles));
  EXPECT_TRUE(work.Busy());
  ASSERT_TRUE(fixture.waitIdle());
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(fixture.tree.read("dst/a.txt"), "source a");
  EXPECT_FALSE(fixture.tree.exists("dst/only.txt"));
  EXPECT_FALSE(fixture.tree.exists("dst/gone.txt"));
  EXPECT_FALSE(fixture.tree.exists("src/gone.txt"));
  EXPECT_EQ(fixture.tree.read("dst/sub/deep.txt"), "deep");
  // What was done shows as done; the file left out keeps its action and loses only its mark.
  EXPECT_EQ(work.Model().List().Totals().Count(record::kSelected), 0u);
  EXPECT_EQ(work.Model().List().Totals().Count(record::kToTarget), 0u);
}

TEST(ResultTableModel, WhileAWorkerRunsNoCommandStartsAnotherAndCommandsThatEditAreRefused) {
  WindowFixture fixture;
  fixture.layOut();
  ui::qt::WorkController& work = fixture.open();
  ASSERT_TRUE(work.StartComparison(fixture.session()));
  EXPECT_TRUE(work.Busy());
  EXPECT_FALSE(work.StartComparison(fixture.session()));
  EXPECT_FALSE(work.StartRun({}));
  ASSERT_TRUE(fixture.waitIdle());
  EXPECT_FALSE(work.Busy());
}
