#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "tests/support/temp_tree.h"
#include "ui/qt/dialogs/start_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/options/options_dialog.h"
#include "ui/qt/window_actions.h"
#include "ui/qt/work_controller.h"

namespace {

namespace option = engine::option;

// Options far from the defaults on every page.
config::COptions unusualOptions() {
  config::COptions options;
  options.flags = (option::kDefaultFlags | option::kUseHistory | option::kArchiveIgnoreSeconds) & ~option::kDeleteToTrash;
  options.ntfsHours = 2;
  options.backupPath = "/srv/backups";
  options.filters = {{"Letters", "*.txt *.odt", "", 1}, {"Pictures", "*.png", "kept", 3}};
  options.currentFilter = 1;
  options.listFont.faceName = "DejaVu Sans";
  options.listFont.height = -15;
  options.listFont.weight = 700;
  options.language = "Deutsch.dic";
  options.pathVariables.AddUserVariable({"WORK", "/home/me/work"});
  options.archiverDescriptionPath = "/usr/local/bin/orvandi3.arc";
  options.optionsPage = 4;
  return options;
}

std::string savedText(config::COptions options) {
  config::CProfile profile;
  options.Save(profile);
  return profile.ToText();
}

struct Dialog {
  explicit Dialog(const config::COptions& options) : dialog(options, environment()) { dialog.show(); }
  ui::qt::OptionsEnvironment environment() {
    ui::qt::OptionsEnvironment made;
    made.dictionaries = {{"Deutsch", "deutsch.dic", "", ""}, {"Nederlands", "nederlands.dic", "", ""}};
    made.openInEditor = [this](const std::string& file, std::string&) {
      edited.push_back(file);
      return true;
    };
    return made;
  }
  template <typename Widget>
  Widget* get(const char* name) {
    auto* widget = dialog.findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  std::vector<std::string> edited;
  ui::qt::OptionsDialog dialog;
};

}  // namespace

TEST(OptionsDialog, OkWithoutChangesWritesTheConfigurationAsItWas) {
  const config::COptions options = unusualOptions();
  Dialog shown(options);
  EXPECT_EQ(shown.get<QListWidget>("pageList")->currentRow(), 4) << "opens on the page last closed with OK";
  config::COptions after = options;
  shown.dialog.SaveInto(after);
  EXPECT_EQ(savedText(after), savedText(options));
  EXPECT_FALSE(after.filtersChanged) << "unchanged filters are not written again";
}

TEST(OptionsDialog, EveryPageWritesWhatItShows) {
  const config::COptions options = unusualOptions();
  Dialog shown(options);
  // Settings: what was loaded is shown.
  EXPECT_TRUE(shown.get<QCheckBox>("useHistory")->isChecked());
  EXPECT_FALSE(shown.get<QCheckBox>("deleteToTrash")->isChecked());
  EXPECT_EQ(shown.get<QSpinBox>("daylightHours")->value(), 2);
  EXPECT_EQ(shown.get<QLineEdit>("backupFolder")->text(), "/srv/backups");
  shown.get<QCheckBox>("useHistory")->click();
  shown.get<QCheckBox>("deleteToTrash")->click();
  shown.get<QSpinBox>("daylightHours")->setValue(3);
  shown.get<QLineEdit>("backupFolder")->setText("relative/folder");
  // File Filters: the second filter is current; rename the first.
  auto* filters = shown.get<QListWidget>("filterList");
  EXPECT_EQ(filters->currentRow(), 1);
  EXPECT_EQ(shown.get<QLineEdit>("filterMasks")->text(), "*.png");
  filters->setCurrentRow(0);
  shown.get<QLineEdit>("filterName")->selectAll();
  QTest::keyClicks(shown.get<QLineEdit>("filterName"), "Mail");
  // Language: the dictionary written "Deutsch.dic" is the one chosen; take the other.
  auto* languages = shown.get<QListWidget>("languageList");
  EXPECT_TRUE(languages->currentItem()->text().contains("Deutsch"));
  languages->setCurrentRow(2);
  // Archives: the description file, and its seconds flag.
  EXPECT_EQ(shown.get<QLineEdit>("descriptionPath")->text(), "/usr/local/bin/orvandi3.arc");
  EXPECT_TRUE(shown.get<QCheckBox>("ignoreSeconds")->isChecked());
  shown.get<QCheckBox>("ignoreSeconds")->click();
  // Vars: the user's variable after the built-ins; change its path.
  auto* variables = shown.get<QTableWidget>("variableTable");
  const int last = variables->rowCount() - 1;
  ASSERT_EQ(variables->item(last, 0)->text(), "WORK");
  variables->item(last, 1)->setText("/data/work");
  shown.get<QListWidget>("pageList")->setCurrentRow(5);

  config::COptions after = options;
  shown.dialog.SaveInto(after);
  config::CProfile profile;
  after.Save(profile);
  config::COptions loaded;
  loaded.Load(profile);
  EXPECT_EQ(loaded.flags & (option::kUseHistory | option::kDeleteToTrash | option::kArchiveIgnoreSeconds),
            option::kDeleteToTrash);
  EXPECT_EQ(loaded.ntfsHours, 3);
  EXPECT_EQ(loaded.backupPath, config::EffectiveBackupPath("")) << "a relative folder is never used";
  ASSERT_EQ(loaded.filters.size(), 2u);
  EXPECT_EQ(loaded.filters[0].name, "Mail");
  EXPECT_EQ(loaded.filters[1].secondText, "kept") << "what the page does not show stays";
  EXPECT_EQ(loaded.language, "nederlands.dic");
  EXPECT_EQ(loaded.pathVariables.All().back(), (config::PathVariable{"WORK", "/data/work"}));
  EXPECT_EQ(loaded.optionsPage, 5);
  EXPECT_EQ(loaded.listFont, options.listFont) << "the font page was not touched";
}

TEST(OptionsDialog, EditOpensTheDescriptionFileAndIsOffWhenNoneWasFound) {
  Dialog shown(unusualOptions());
  shown.get<QPushButton>("editDescription")->click();
  EXPECT_EQ(shown.edited, std::vector<std::string>{"/usr/local/bin/orvandi3.arc"});

  config::COptions none;
  Dialog without(none);
  EXPECT_FALSE(without.get<QPushButton>("editDescription")->isEnabled());
}

TEST(OptionsDialog, OkInTheWindowReachesTheConfigurationAndTheNextComparison) {
  config::CProfile profile;
  config::COptions options;
  ui::qt::MainWindow window(options, profile);
  window.show();
  window.Actions().Get(ui::qt::wincmd::kOptions)->trigger();
  auto* dialog = window.findChild<ui::qt::OptionsDialog*>();
  ASSERT_NE(dialog, nullptr);
  auto* history = dialog->findChild<QCheckBox*>("useHistory");
  ASSERT_FALSE(history->isChecked());
  history->click();
  dialog->accept();
  EXPECT_NE(options.flags & option::kUseHistory, 0u);
  EXPECT_NE(profile.GetInt("Options", "Flags", 0) & static_cast<int>(option::kUseHistory), 0);
  EXPECT_TRUE(window.Work().Engine().Settings().has(option::kUseHistory));
}

TEST(OptionsDialog, AChangedFontKeepsTheRecordsOtherFields) {
  config::COptions options = unusualOptions();
  options.listFont.charSet = 238;
  Dialog shown(options);
  EXPECT_EQ(shown.get<QSpinBox>("fontPixels")->value(), 15);
  EXPECT_TRUE(shown.get<QCheckBox>("fontBold")->isChecked());
  shown.get<QSpinBox>("fontPixels")->setValue(20);
  shown.get<QCheckBox>("fontBold")->click();
  config::COptions after = options;
  shown.dialog.SaveInto(after);
  EXPECT_EQ(after.listFont.height, -20);
  EXPECT_EQ(after.listFont.weight, 400);
  EXPECT_EQ(after.listFont.charSet, 238);
}

TEST(OptionsDialog, OptionsChangedFromTheStartDialogSurviveItsOk) {
  testsupport::TempTree tree;
  tree.folder("src");
  tree.folder("dst");
  config::CProfile profile;
  config::COptions options;
  options.currentSession.Src = tree.path("src");
  options.currentSession.Dst = tree.path("dst");
  ui::qt::MainWindow window(options, profile);
  window.show();
  window.OpenStartDialog();
  auto* start = window.findChild<ui::qt::StartDialog*>();
  ASSERT_NE(start, nullptr);
  start->findChild<QPushButton*>("options")->click();
  auto* dialog = start->findChild<ui::qt::OptionsDialog*>();
  ASSERT_NE(dialog, nullptr);
  dialog->findChild<QCheckBox*>("useHistory")->click();
  dialog->accept();
  start->accept();
  EXPECT_NE(options.flags & option::kUseHistory, 0u) << "the start dialog's older copy did not write it back";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Work().Busy(); }, 20000));
  EXPECT_TRUE(window.Work().Engine().Settings().has(option::kUseHistory)) << "the comparison used it";
}

TEST(OptionsDialog, FiltersAndVariablesAreAddedDeletedAndUndoneAndBuiltInsStay) {
  const config::COptions options = unusualOptions();
  Dialog shown(options);
  auto* filters = shown.get<QListWidget>("filterList");
  shown.get<QPushButton>("addFilter")->click();
  EXPECT_EQ(filters->count(), 3);
  QTest::keyClicks(shown.get<QLineEdit>("filterName"), "Music");
  EXPECT_EQ(filters->item(2)->text(), "Music") << "the list shows the name as it is typed";
  filters->setCurrentRow(0);
  shown.get<QPushButton>("deleteFilter")->click();
  config::COptions after = options;
  shown.dialog.SaveInto(after);
  ASSERT_EQ(after.filters.size(), 2u);
  EXPECT_EQ(after.filters[0].name, "Pictures");
  EXPECT_EQ(after.filters[1].name, "Music");
  EXPECT_TRUE(after.filtersChanged);

  shown.get<QPushButton>("undoFilters")->click();
  after = options;
  shown.dialog.SaveInto(after);
  EXPECT_EQ(after.filters, options.filters) << "Undo changes: the filters as the dialog opened";

  auto* variables = shown.get<QTableWidget>("variableTable");
  const int builtIns = options.pathVariables.BuiltInCount();
  if (builtIns > 0) {
    variables->setCurrentCell(0, 0);
    shown.get<QPushButton>("deleteVariable")->click();
    EXPECT_EQ(variables->rowCount(), builtIns + 1) << "a built-in variable is never deleted";
  }
  shown.get<QPushButton>("addVariable")->click();
  variables->item(builtIns + 1, 0)->setText("MUSIC");
  variables->item(builtIns + 1, 1)->setText("/srv/music");
  variables->setCurrentCell(builtIns, 0);
  shown.get<QPushButton>("deleteVariable")->click();
  after = options;
  shown.dialog.SaveInto(after);
  ASSERT_EQ(after.pathVariables.All().size(), static_cast<std::size_t>(builtIns) + 1);
  EXPECT_EQ(after.pathVariables.All().back(), (config::PathVariable{"MUSIC", "/srv/music"}));
}
