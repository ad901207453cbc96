#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QTest>

#include "tests/support/temp_tree.h"
#include "ui/qt/main_window.h"
#include "ui/qt/status_panes.h"
#include "ui/qt/window_actions.h"
#include "ui/qt/work_controller.h"
#include "ui/translator.h"

namespace {

std::vector<std::string> menuTitles(QMenuBar& bar) {
  std::vector<std::string> titles;
  for (QAction* menu : bar.actions()) titles.push_back(menu->text().remove('&').toStdString());
  return titles;
}

}  // namespace

TEST(MainWindow, MenusInTheirOrderAndCommandsThatNeedAComparisonOrIdleWorkerAreOff) {
  testsupport::TempTree tree;
  config::CProfile profile;
  config::COptions options;
  ui::qt::MainWindow window(options, profile);
  window.show();
  EXPECT_EQ(window.windowTitle().toStdString(), "Velkor " VELKOR_VERSION);
  EXPECT_EQ(menuTitles(*window.menuBar()), (std::vector<std::string>{"File", "Filters", "View", "Tools", "Help", "Extra"}));
  ui::qt::WindowActions& actions = window.Actions();
  EXPECT_TRUE(actions.Get(ui::qt::wincmd::kSelectFolders)->isEnabled());
  EXPECT_FALSE(actions.Get(ui::Command::DoItNow)->isEnabled()) << "no comparison yet";
  EXPECT_FALSE(actions.Get(ui::qt::wincmd::kReport)->isEnabled());
  EXPECT_EQ(window.Panes().CountText(6), "0");
}

TEST(MainWindow, EveryTextOfTheWindowComesThroughTheDictionary) {
  // A dictionary that marks every phrase it translates: a text without the mark bypassed it.
  ui::Translator& translator = ui::GlobalTranslator();
  std::string dictionary = "Vorlexa test\n[Test]\n[]\n[]\n";
  for (const char* phrase : {"File", "Filters", "View", "Tools", "Help", "Extra", "Select folders", "Exit", "Rescan",
                             "Show all", "Do it now!", "Copy files", "Source", "Target", "Toolbar"}) {
    dictionary += std::string(phrase) + "\n<" + phrase + ">\n";
  }
  ASSERT_TRUE(translator.LoadDictionaryText(dictionary, "test.dic"));
  {
    config::CProfile profile;
    config::COptions options;
    ui::qt::MainWindow window(options, profile);
    std::vector<std::string> titles = menuTitles(*window.menuBar());
    for (const std::string& title : titles) EXPECT_EQ(title.front(), '<') << title;
    EXPECT_EQ(window.Actions().Get(ui::Command::DoItNow)->text().remove('&'), "<Do it now!>");
    EXPECT_EQ(window.Actions().Get(ui::qt::wincmd::kSelectFolders)->text().remove('&'), "<Select folders>...");
  }
  translator.Clear();
}

TEST(MainWindow, ClosingFinishesTheStoresFirstAndThenCloses) {
  config::CProfile profile;
  config::COptions options;
  auto* window = new ui::qt::MainWindow(options, profile);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
  QPointer<ui::qt::MainWindow> alive(window);
  window->close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 10000));
  config::WindowPlacement placement;
  EXPECT_TRUE(placement.Load(profile, "MainFrame")) << "the window's place is kept";
}
