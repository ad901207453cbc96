#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include "tests/support/temp_tree.h"
#include "ui/qt/dialogs/start_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/window_actions.h"
#include "ui/qt/work_controller.h"
#include "ui/translator.h"

namespace {

config::CSession pairOf(const std::string& source, const std::string& target) {
  config::CSession session;
  session.Src = source;
  session.Dst = target;
  session.SFlags = config::sflag::kSubfolders;
  return session;
}

// A dictionary that marks what it translates, so an untranslated menu shows.
void useMarkingDictionary() {
  std::string dictionary = "Vorlexa test\n[Test]\n[]\n[]\n";
  for (const char* phrase : {"File", "View", "Rescan"}) dictionary += std::string(phrase) + "\n<" + phrase + ">\n";
  ASSERT_TRUE(ui::GlobalTranslator().LoadDictionaryText(dictionary, "test.dic"));
}

}  // namespace

TEST(WindowStart, ScanAtStartComparesTheRunListWithoutTheStartDialogWithTranslatedMenusAndKeys) {
  testsupport::TempTree tree;
  tree.write("src/letters/new.txt", "only in the source");
  tree.write("dst/old.txt", "only in the target");
  useMarkingDictionary();
  config::CProfile profile;
  config::COptions options;
  options.runList = {pairOf(tree.path("src"), tree.path("dst"))};
  {
    ui::qt::MainWindow window(options, profile);
    window.show();
    window.Begin(true);
    EXPECT_TRUE(window.Work().Busy()) << "the scan starts at once";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Work().Busy(); }, 20000));
    EXPECT_EQ(window.findChild<ui::qt::StartDialog*>(), nullptr);
    EXPECT_GE(window.Work().Model().List().RowCount(), 3) << "a folder row and both files";
    EXPECT_EQ(window.menuBar()->actions().front()->text().remove('&'), "<File>");
    QAction* rescan = window.Actions().Get(ui::qt::wincmd::kRescan);
    EXPECT_EQ(rescan->text().remove('&'), "<Rescan>");
    EXPECT_EQ(rescan->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(rescan->isEnabled());
  }
  ui::GlobalTranslator().Clear();
}

TEST(WindowStart, ARunListThatCannotBeScannedOpensTheStartDialogAndSaysWhy) {
  config::CProfile profile;
  config::COptions options;
  options.runList = {pairOf("relative/source", "/tmp")};
  ui::qt::MainWindow window(options, profile);
  window.show();
  window.Begin(true);
  EXPECT_FALSE(window.Work().Busy());
  EXPECT_NE(window.findChild<ui::qt::StartDialog*>(), nullptr);
  EXPECT_TRUE(window.statusBar()->currentMessage().contains("relative/source")) << window.statusBar()->currentMessage().toStdString();
}

TEST(WindowStart, WithoutScanTheStartDialogOpensAndNothingIsCompared) {
  testsupport::TempTree tree;
  config::CProfile profile;
  config::COptions options;
  options.runList = {pairOf(tree.path("src"), tree.path("dst"))};
  ui::qt::MainWindow window(options, profile);
  window.show();
  window.Begin(false);
  EXPECT_FALSE(window.Work().Busy());
  EXPECT_NE(window.findChild<ui::qt::StartDialog*>(), nullptr);
}
