// The window's keys come from the key map: built-in keys on the actions, the user's customization
// text applied, Ctrl+1 to Ctrl+9 for the user tools, and the key list that shows them.
#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "ui/builtin_shortcuts.h"
#include "ui/qt/dialogs/key_list_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/result_view.h"
#include "ui/qt/window_actions.h"

namespace {

using ui::qt::wincmd::kKeyList;
using ui::qt::wincmd::kPrintPreview;
using ui::qt::wincmd::kRescan;

QList<QKeySequence> keys(std::initializer_list<QKeyCombination> combinations) {
  QList<QKeySequence> sequences;
  for (const QKeyCombination combination : combinations) sequences.append(QKeySequence(combination));
  return sequences;
}

struct WindowKeys : ::testing::Test {
  config::CProfile profile;
  config::COptions options;
  std::unique_ptr<ui::qt::MainWindow> window;

  void open() {
    window = std::make_unique<ui::qt::MainWindow>(options, profile);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  QAction* action(int id) const { return window->Actions().Get(id); }
  QAction* action(ui::Command id) const { return window->Actions().Get(id); }
};

}  // namespace

TEST_F(WindowKeys, BuiltInKeysReachTheActionsListKeysActOnTheListOnly) {
  open();
  EXPECT_EQ(action(kPrintPreview)->shortcuts(), keys({Qt::CTRL | Qt::SHIFT | Qt::Key_P}));
  EXPECT_EQ(action(ui::Command::SelectByMask)->shortcuts(), keys({Qt::KeypadModifier | Qt::Key_Plus}));
  EXPECT_EQ(action(ui::Command::SelectAll)->shortcuts(), keys({Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus}));
  EXPECT_EQ(action(ui::Command::Reverse)->shortcuts(), keys({Qt::ALT | Qt::Key_Left, Qt::ALT | Qt::Key_Right}));
  EXPECT_EQ(action(kRescan)->shortcuts(), keys({Qt::Key_F5}));
  EXPECT_EQ(action(ui::qt::wincmd::kCompare)->shortcuts(), keys({Qt::Key_Return}));
  EXPECT_TRUE(action(ui::qt::wincmd::kExit)->shortcuts().isEmpty());

  // Space belongs to the list; Ctrl+Space and F5 to the whole window.
  EXPECT_EQ(action(ui::Command::ToggleSelection)->parent(), &window->View());
  EXPECT_EQ(action(ui::Command::DoItNow)->parent(), window.get());
  EXPECT_EQ(action(kRescan)->parent(), window.get());
  for (const int id : {static_cast<int>(ui::Command::ToggleSelection), static_cast<int>(ui::Command::DoItNow), kRescan}) {
    EXPECT_EQ(action(id)->shortcutContext(), Qt::WidgetWithChildrenShortcut) << id;
  }
}

TEST_F(WindowKeys, CustomizationTextGivesRescanCtrlRAndTakesF5Away) {
  options.shortcutText = "4,80A4,1080052_80A4_74";
  open();
  EXPECT_EQ(action(kRescan)->shortcuts(), keys({Qt::CTRL | Qt::Key_R}));
  QSignalSpy triggered(&window->Actions(), &ui::qt::WindowActions::triggered);
  window->View().setFocus();
  QTest::keyClick(&window->View(), Qt::Key_F5);
  EXPECT_TRUE(triggered.isEmpty()) << "F5 is taken away";
  QTest::keyClick(&window->View(), Qt::Key_R, Qt::ControlModifier);
  ASSERT_EQ(triggered.size(), 1);
  EXPECT_EQ(triggered.front().front().toInt(), kRescan);
}

TEST_F(WindowKeys, AKeyGivenToAnotherCommandActsForThatCommandOnly) {
  options.shortcutText = "2,80A4,10C0050";  // Rescan: Ctrl+Shift+P, Print Preview's key
  open();
  QSignalSpy triggered(&window->Actions(), &ui::qt::WindowActions::triggered);
  window->View().setFocus();
  QTest::keyClick(&window->View(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(triggered.size(), 1) << "not two commands on one key, which runs neither";
  EXPECT_EQ(triggered.front().front().toInt(), kRescan);
  EXPECT_TRUE(action(kPrintPreview)->shortcuts().isEmpty());
}

TEST_F(WindowKeys, CtrlDigitsTriggerTheUserToolCommands) {
  open();
  QSignalSpy triggered(&window->Actions(), &ui::qt::WindowActions::triggered);
  window->View().setFocus();
  QTest::keyClick(&window->View(), Qt::Key_1, Qt::ControlModifier);
  QTest::keyClick(&window->View(), Qt::Key_8, Qt::ControlModifier);
  QTest::keyClick(&window->View(), Qt::Key_9, Qt::ControlModifier);
  ASSERT_EQ(triggered.size(), 3);
  EXPECT_EQ(triggered[0].front().toInt(), ui::kFirstUserTool);
  EXPECT_EQ(triggered[1].front().toInt(), ui::kFirstUserTool + 7);
  EXPECT_EQ(triggered[2].front().toInt(), 33941);
}

TEST_F(WindowKeys, KeyListShowsEveryKeySortsByHeaderAndKeepsItsPlace) {
  options.userTools.push_back({"/usr/bin/meld", "%1 %2", "", "Meld", 0});
  open();
  action(kKeyList)->trigger();
  auto* dialog = window->findChild<ui::qt::KeyListDialog*>();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
  auto* table = dialog->findChild<QTableWidget*>("keyList");
  auto row = [table](int r) {
    return table->item(r, 0)->text() + " | " + table->item(r, 1)->text() + " | " + table->item(r, 2)->text();
  };
  ASSERT_GT(table->rowCount(), 20);
  EXPECT_EQ(row(0), "F1 | Help/Help | Help");
  EXPECT_EQ(row(1), "F2 | File/Select folders... | Select folders");
  EXPECT_EQ(row(2), "F5 | View/Rescan | Rescan");
  std::vector<QString> rows;
  for (int r = 0; r < table->rowCount(); ++r) rows.push_back(row(r));
  // User tool 1 is described by its tool; tools 2 to 9 do not exist and are not listed.
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Ctrl+1 | List/User Tool 1 | Meld"), rows.end());
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const QString& r) { return r.contains("User Tool"); }), 1);

  dialog->resize(800, 500);
  const int width = table->viewport()->width();
  EXPECT_EQ(table->columnWidth(0), std::max(80, width / 4));
  EXPECT_EQ(table->columnWidth(1), std::max(140, width / 4));

  table->horizontalHeader()->sectionClicked(1);
  EXPECT_EQ(table->item(0, 1)->text(), "File/Print Preview");
  table->horizontalHeader()->sectionClicked(1);
  EXPECT_EQ(table->item(0, 1)->text().left(5), "View/") << "a second click reverses";

  dialog->move(40, 30);
  dialog->reject();
  EXPECT_NE(profile.ToText().find("[KeyLister]"), std::string::npos);
}
