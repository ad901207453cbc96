#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "tests/ui_qt/window_fixture.h"
#include "ui/qt/dialogs/confirm_dialog.h"
#include "ui/qt/dialogs/copy_to_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/window_actions.h"

namespace {

// The window after comparing src (letters/anna.txt, letters/bank.txt: new) with dst (empty).
struct CopyToFromWindow : ::testing::Test {
  testsupport::TempTree tree;
  config::CProfile profile;
  config::COptions options;
  std::unique_ptr<ui::qt::MainWindow> window;

  void SetUp() override {
    tree.write("src/letters/anna.txt", "dear Anna");
    tree.write("src/letters/bank.txt", "to the bank");
    tree.folder("dst");
    config::CSession pair;
    pair.Src = tree.path("src");
    pair.Dst = tree.path("dst");
    pair.SFlags = config::sflag::kSubfolders;
    options.runList = {pair};
    window = std::make_unique<ui::qt::MainWindow>(options, profile);
    window->show();
    window->Begin(true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Work().Busy(); }, 20000));
  }
  ui::qt::CopyToDialog* openDialog() {
    window->Actions().Get(ui::qt::wincmd::kCopyTo)->trigger();
    return window->findChild<ui::qt::CopyToDialog*>();
  }
  // OK on the dialog with `target`, then waits for the copy to end.
  bool copyTo(ui::qt::CopyToDialog& dialog, const std::string& target) {
    dialog.findChild<QComboBox*>("copyToTarget")->setEditText(QString::fromStdString(target));
    dialog.accept();
    return QTest::qWaitFor([this] { return !window->Work().Busy(); }, 20000);
  }
};

}  // namespace

TEST_F(CopyToFromWindow, TheNewFilesGoBelowTheTargetWithoutTheCommonFolder) {
  ui::qt::CopyToDialog* dialog = openDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->findChild<QRadioButton*>("newFiles")->isChecked());
  EXPECT_FALSE(dialog->findChild<QRadioButton*>("backupFiles")->isEnabled()) << "nothing is overwritten or deleted";
  auto* strip = dialog->findChild<QComboBox*>("stripFromPath");
  EXPECT_EQ(strip->currentText().toStdString(), tree.path("src/letters") + "/");
  ASSERT_TRUE(copyTo(*dialog, tree.path("out")));
  EXPECT_EQ(tree.read("out/anna.txt"), "dear Anna");
  EXPECT_EQ(tree.read("out/bank.txt"), "to the bank");
  EXPECT_TRUE(tree.exists("src/letters/anna.txt")) << "copied, not moved";
  auto* result = window->findChild<QMessageBox*>("copyToResult");
  ASSERT_NE(result, nullptr);
  EXPECT_TRUE(result->text().contains("2")) << result->text().toStdString();
  config::ComboHistory targets("CopyToCmb");
  targets.Load(profile);
  EXPECT_EQ(targets.Entries().front(), tree.path("out")) << "the target is remembered";
}

TEST_F(CopyToFromWindow, AnExistingDestinationIsAskedAboutInTheWindowAndKeptOnSkip) {
  tree.write("out/anna.txt", "mine, keep it");
  ui::qt::CopyToDialog* dialog = openDialog();
  ASSERT_NE(dialog, nullptr);
  dialog->findChild<QComboBox*>("copyToTarget")->setEditText(QString::fromStdString(tree.path("out")));
  dialog->accept();
  ui::qt::ConfirmDialog* question = nullptr;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (question = window->findChild<ui::qt::ConfirmDialog*>()) != nullptr; }, 20000));
  QTest::mouseClick(question->findChild<QPushButton*>("skip"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Work().Busy(); }, 20000));
  EXPECT_EQ(tree.read("out/anna.txt"), "mine, keep it");
}

TEST_F(CopyToFromWindow, AnEmptyTargetKeepsTheDialogOpen) {
  ui::qt::CopyToDialog* dialog = openDialog();
  ASSERT_NE(dialog, nullptr);
  dialog->findChild<QComboBox*>("copyToTarget")->setEditText("   ");
  dialog->accept();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(window->Work().Busy());
}
