// The main window as the user drives it: keys on the list, the panes that count what the run
// will do, the busy state, and what the window keeps for its next start.
#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QPointer>
#include <QTest>
#include <future>

#include "tests/ui_qt/window_on_folders.h"
#include "ui/qt/main_window.h"
#include "ui/qt/result_view.h"
#include "ui/qt/status_panes.h"
#include "ui/qt/window_actions.h"

namespace {

using ui::qt::wincmd::kCopyTo;
using ui::qt::wincmd::kHelp;
using ui::qt::wincmd::kOptions;
using ui::qt::wincmd::kProperties;
using ui::qt::wincmd::kRescan;
using ui::qt::wincmd::kSelectFolders;
using testsupport::WindowOnFolders;

}  // namespace

TEST_F(WindowOnFolders, KeysOnTheListChangeThePlanAndThePanesCountIt) {
  // a.txt, only.txt, sub/deep.txt, sub/two.txt to the target; gone.txt to the source.
  EXPECT_EQ(panes(), "0 4 1 0 5 5");
  goTo("a.txt");
  QTest::keyClick(&window->View(), Qt::Key_Space);
  EXPECT_EQ(panes(), "0 3 1 0 4 5") << "Space: a.txt is no longer carried out";
  QTest::keyClick(&window->View(), Qt::Key_Space);
  goTo("only.txt");
  QTest::keyClick(&window->View(), Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(panes(), "0 3 1 1 5 5") << "Alt+Left on a file only in the source: deleted instead of copied";
  goTo("gone.txt");
  QTest::keyClick(&window->View(), Qt::Key_Delete);
  EXPECT_EQ(panes(), "0 3 0 2 5 5") << "Delete: gone.txt is deleted instead of copied back";
}

TEST_F(WindowOnFolders, WhileTheWorkerRunsOnlyLookingStaysLive) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  ASSERT_TRUE(window->Work().StartTask([released] { released.wait(); }));
  QTest::qWait(50);
  ui::qt::WindowActions& actions = window->Actions();
  for (const int id : {kSelectFolders, kRescan, kOptions, kCopyTo, kProperties, static_cast<int>(ui::Command::DoItNow),
                       static_cast<int>(ui::Command::ToggleSelection), static_cast<int>(ui::Command::SelectAll)}) {
    EXPECT_FALSE(actions.Get(id)->isEnabled()) << id;
  }
  EXPECT_TRUE(actions.Get(kHelp)->isEnabled());
  EXPECT_TRUE(actions.Get(ui::Command::NextFolder)->isEnabled()) << "moving between folders only looks";
  goTo("a.txt");
  QTest::keyClick(&window->View(), Qt::Key_Space);
  EXPECT_EQ(panes(), "0 4 1 0 5 5") << "no mark changes while the worker runs";
  release.set_value();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Work().Busy(); }, 20000));
  EXPECT_TRUE(actions.Get(kOptions)->isEnabled());
  EXPECT_TRUE(actions.Get(ui::Command::DoItNow)->isEnabled());
}

TEST_F(WindowOnFolders, TheNextWindowOpensWithTheColumnWidthsLeftAndTheListFont) {
  window->View().setColumnWidth(ui::qt::ResultTableModel::kSourceColumn, 333);
  folders.options.listFont.faceName = "DejaVu Sans Mono";
  folders.options.listFont.height = -17;
  QPointer<ui::qt::MainWindow> first(window.release());
  first->setAttribute(Qt::WA_DeleteOnClose);
  first->close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 20000));

  ui::qt::MainWindow next(folders.options, profile);
  EXPECT_EQ(next.View().columnWidth(ui::qt::ResultTableModel::kSourceColumn), 333);
  EXPECT_EQ(next.View().font().pixelSize(), 17);
  EXPECT_EQ(next.View().font().family(), "DejaVu Sans Mono");
}

TEST_F(WindowOnFolders, TheMouseMarksARowFoldsAFolderAndTheMarkHeaderTogglesAll) {
  ui::qt::ResultView& view = window->View();
  auto rowOf = [this](const std::string& name) {
    ui::ResultList& list = window->Work().Model().List();
    for (int row = 0; row < list.RowCount(); ++row) {
      const ui::RowView shown = list.Row(row);
      if (shown.source.name == name || shown.target.name == name || shown.folderPath == name) return row;
    }
    return -1;
  };
  auto centre = [&](int row, int column) { return view.visualRect(window->Work().Table().index(row, column)).center(); };
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(rowOf("only.txt"), ui::qt::ResultTableModel::kMarkColumn));
  EXPECT_EQ(panes(), "0 3 1 0 4 5") << "a click on the mark column unmarks that row only";

  const int rowsBefore = window->Work().Model().List().RowCount();
  const QRect sub = view.visualRect(window->Work().Table().index(rowOf("sub"), ui::qt::ResultTableModel::kSourceColumn));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(sub.left() + 8, sub.center().y()));
  EXPECT_EQ(window->Work().Model().List().RowCount(), rowsBefore - 2) << "the fold box hides the folder's two files";

  QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(view.columnViewportPosition(ui::qt::ResultTableModel::kMarkColumn) + 5, 5));
  EXPECT_EQ(panes(), "0 4 1 0 5 5") << "the mark header marks every row, as the first (only.txt) was unmarked";
}
