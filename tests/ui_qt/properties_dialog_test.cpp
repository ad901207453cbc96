#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QLabel>
#include <QTest>

#include "platform/file_system.h"
#include "tests/ui_qt/window_fixture.h"
#include "ui/qt/dialogs/properties_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/window_actions.h"

namespace {

struct PropertiesOfRow : ::testing::Test {
  testsupport::TempTree tree;
  config::CProfile profile;
  config::COptions options;
  std::unique_ptr<ui::qt::MainWindow> window;

  void SetUp() override {
    tree.writeWithTime("src/a.txt", "source side", testsupport::kNewTime);
    tree.writeWithTime("dst/a.txt", "the longer target side", testsupport::kOldTime);
    tree.writeWithTime("src/only.txt", "only here", testsupport::kOldTime);
    ASSERT_EQ(chmod(tree.path("src/a.txt").c_str(), 0640), 0);
    ASSERT_EQ(chmod(tree.path("dst/a.txt").c_str(), 0604), 0);
    config::CSession pair;
    pair.Src = tree.path("src");
    pair.Dst = tree.path("dst");
    options.runList = {pair};
    window = std::make_unique<ui::qt::MainWindow>(options, profile);
    window->show();
    window->Begin(true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Work().Busy(); }, 20000));
  }
  // Opens Properties on the row of `name` and returns the text of each value label by name.
  std::map<std::string, std::string> propertiesOf(const std::string& name) {
    ui::ResultList& list = window->Work().Model().List();
    for (int row = 0; row < list.RowCount(); ++row) {
      if (list.Row(row).source.name == name || list.Row(row).target.name == name) {
        window->Work().Table().SetViewSelection(row, {row});
      }
    }
    window->Actions().Get(ui::qt::wincmd::kProperties)->trigger();
    auto* dialog = window->findChild<ui::qt::PropertiesDialog*>();
    if (dialog == nullptr) return {};
    std::map<std::string, std::string> values;
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
      if (!label->objectName().isEmpty()) values[label->objectName().toStdString()] = label->text().toStdString();
    }
    delete dialog;
    return values;
  }
};

}  // namespace

TEST_F(PropertiesOfRow, EachSideShowsItsOwnFile) {
  std::map<std::string, std::string> values = propertiesOf("a.txt");
  ASSERT_FALSE(values.empty()) << "the dialog opened";
  EXPECT_EQ(values["sourcePath"], tree.path("src/a.txt"));
  EXPECT_EQ(values["targetPath"], tree.path("dst/a.txt"));
  EXPECT_EQ(values["sourceSize"], "11 bytes");
  EXPECT_EQ(values["targetSize"], "22 bytes");
  EXPECT_EQ(values["sourcePermissions"], "rw-r----- (0640)");
  EXPECT_EQ(values["targetPermissions"], "rw----r-- (0604)");
  EXPECT_NE(values["sourceModified"], values["targetModified"]);
  EXPECT_FALSE(values["sourceOwner"].empty());
}

TEST_F(PropertiesOfRow, ASideWithoutTheFileSaysSoAndShowsNothingElse) {
  std::map<std::string, std::string> values = propertiesOf("only.txt");
  ASSERT_FALSE(values.empty());
  EXPECT_EQ(values["sourcePath"], tree.path("src/only.txt"));
  EXPECT_EQ(values["targetPath"], "(not on this side)");
  EXPECT_EQ(values["targetSize"], "");
  EXPECT_EQ(values["targetPermissions"], "");
}

TEST_F(PropertiesOfRow, AFileGoneSinceTheComparisonIsSaidInsteadOfOldValues) {
  ASSERT_TRUE(platform::deleteFile(tree.path("dst/a.txt")));
  std::map<std::string, std::string> values = propertiesOf("a.txt");
  EXPECT_NE(values["targetPath"].find(tree.path("dst/a.txt") + "\n("), std::string::npos) << values["targetPath"];
  EXPECT_EQ(values["targetPermissions"], "");
  EXPECT_EQ(values["sourceSize"], "11 bytes");
}
