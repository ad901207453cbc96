// Every text of the new dialogs goes through the dictionary: with a dictionary that marks each
// phrase of the window's sources, a caption, box, button or list entry without the mark bypassed it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QTableWidget>

#include "platform/file_system.h"
#include "platform/path.h"
#include "tests/ui_qt/key_clashes.h"
#include "ui/qt/dialogs/confirm_dialog.h"
#include "ui/qt/dialogs/copy_to_dialog.h"
#include "ui/qt/dialogs/ftp_proxy_editor.h"
#include "ui/qt/dialogs/ftp_select_dialog.h"
#include "ui/qt/dialogs/ftp_server_editor.h"
#include "ui/qt/dialogs/key_list_dialog.h"
#include "ui/qt/dialogs/properties_dialog.h"
#include "ui/qt/dialogs/tools_dialog.h"
#include "ui/qt/options/options_dialog.h"
#include "ui/translator.h"

namespace {

const QString kOpen = QStringLiteral("⟦");

// Each "${phrase}" of the window's sources, a literal split over lines joined first.
std::string markingDictionary() {
  std::string dictionary = "Vorlexa test\n[Test]\n[]\n[]\n";
  const QRegularExpression splitLiteral(QStringLiteral("\"\\s*\\n\\s*\""));
  const QRegularExpression phrase(QStringLiteral("\\$\\{([^}\"\\n]*)\\}"));
  for (const char* folder : {"ui"}) {
    for (const std::string& path : platform::filesBelow(platform::joinPath(VELKOR_SOURCE_DIR, folder))) {
      if (!path.ends_with(".cpp") && !path.ends_with(".h")) continue;
      QString source = QString::fromStdString(platform::readWholeFile(path).value_or(""));
      source.replace(splitLiteral, QString());
      for (const QRegularExpressionMatch& match : phrase.globalMatch(source)) {
        const std::string text = match.captured(1).toStdString();
        // A line the dictionary reads otherwise (empty, a comment, a section, an escape) is no phrase.
        if (text.empty() || text.find_first_of("\\;[ ") == 0 || text.find('\\') != std::string::npos) continue;
        dictionary += text + "\n⟦" + text + "⟧\n";
      }
    }
  }
  return dictionary;
}

struct Marked : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(ui::GlobalTranslator().LoadDictionaryText(markingDictionary(), "test.dic")); }
  void TearDown() override { ui::GlobalTranslator().Clear(); }

  // The texts of `dialog` that should have been translated and were not.
  static std::vector<std::string> unmarked(QWidget& dialog) {
    std::vector<std::string> found;
    auto check = [&](const QString& text, const QString& where) {
      if (!text.trimmed().isEmpty() && !text.contains(kOpen)) found.push_back((where + ": " + text).toStdString());
    };
    check(dialog.windowTitle(), "title");
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      // Labels with a name show values (paths, sizes, samples), not texts of ours.
      if (label->objectName().isEmpty()) check(label->text(), "label");
    }
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
      // Qt's own buttons are translated by the funnel installed in the program, not here.
      if (qobject_cast<QDialogButtonBox*>(button->parentWidget()) != nullptr || button->text() == ". . .") continue;
      check(button->text(), button->objectName());
    }
    if (auto* pages = dialog.findChild<QListWidget*>("pageList")) {
      for (int row = 0; row < pages->count(); ++row) check(pages->item(row)->text(), "page");
    }
    // The first proxy entry is ours; the others are the proxies' addresses.
    if (auto* proxies = dialog.findChild<QComboBox*>("proxyList")) check(proxies->itemText(0), "proxy");
    for (QComboBox* box : dialog.findChildren<QComboBox*>()) {
      if (box->objectName() != "copyToAction") continue;
      for (int index = 0; index < box->count(); ++index) check(box->itemText(index), "action");
    }
    for (QTableWidget* table : dialog.findChildren<QTableWidget*>()) {
      for (int column = 0; column < table->columnCount(); ++column) check(table->horizontalHeaderItem(column)->text(), "column");
    }
    return found;
  }
};

}  // namespace

TEST_F(Marked, OptionsPropertiesCopyToAndKeyListShowNoTextPastTheDictionary) {
  config::COptions options;
  options.archiverDescriptionPath = "/usr/bin/orvandi3.arc";
  ui::qt::OptionsDialog optionsDialog(options, {});
  EXPECT_EQ(unmarked(optionsDialog), std::vector<std::string>{});

  ui::ItemProperties item;
  item.relativePath = "a.txt";
  item.source.present = true;
  item.source.path = "/src/a.txt";
  ui::qt::PropertiesDialog properties(item, ui::DateTimeFormat::User());
  EXPECT_EQ(unmarked(properties), std::vector<std::string>{});

  ui::qt::CopyToChoices choices;
  choices.hasNewFiles = true;
  choices.newFilesStrips = {"/src/"};
  ui::qt::CopyToDialog copyTo(choices);
  EXPECT_EQ(unmarked(copyTo), std::vector<std::string>{});

  ui::qt::KeyListDialog keyList({});
  EXPECT_EQ(unmarked(keyList), std::vector<std::string>{});
}

TEST_F(Marked, FtpDialogsShowNoTextPastTheDictionary) {
  ui::qt::FtpSelectDialog select({{config::FtpServer{}}, {}});
  EXPECT_EQ(unmarked(select), std::vector<std::string>{});
  ui::qt::FtpServerEditor editor({}, {config::FtpProxy{}}, {});
  EXPECT_EQ(unmarked(editor), std::vector<std::string>{});
  ui::qt::FtpProxyEditor proxy({});
  EXPECT_EQ(unmarked(proxy), std::vector<std::string>{});
}

TEST(DialogKeys, EveryButtonAndFieldLabelOfTheDialogsHasAKeyOfItsOwn) {
  config::COptions options;
  ui::qt::OptionsDialog optionsDialog(options, {});
  EXPECT_EQ(testsupport::KeyClashes(optionsDialog), std::vector<std::string>{});
  ui::qt::CopyToChoices choices;
  choices.hasNewFiles = true;
  ui::qt::CopyToDialog copyTo(choices);
  EXPECT_EQ(testsupport::KeyClashes(copyTo), std::vector<std::string>{});
  ui::qt::FtpSelectDialog select({{config::FtpServer{}}, {}});
  EXPECT_EQ(testsupport::KeyClashes(select), std::vector<std::string>{});
  ui::qt::FtpServerEditor editor({}, {config::FtpProxy{}}, {});
  EXPECT_EQ(testsupport::KeyClashes(editor), std::vector<std::string>{});
  ui::qt::FtpProxyEditor proxy({});
  EXPECT_EQ(testsupport::KeyClashes(proxy), std::vector<std::string>{});
  ui::qt::ToolsDialog tools({config::UserTool{}}, 0);
  EXPECT_EQ(testsupport::KeyClashes(tools), std::vector<std::string>{});
  ui::qt::ConfirmDialog overwrite({"/dst/a.txt", "/src/a.txt", engine::confirm::kOverwrite});
  EXPECT_EQ(testsupport::KeyClashes(overwrite), std::vector<std::string>{});
}
