// User tools in the window: where they appear, what a started tool is given, and the tools
// dialog that keeps them.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <sys/stat.h>

#include "tests/ui_qt/key_clashes.h"
#include "tests/ui_qt/window_on_folders.h"
#include "ui/qt/dialogs/tools_dialog.h"
#include "ui/qt/tool_runner.h"
#include "ui/qt/window_actions.h"
#include "ui/user_tools.h"

namespace {

using ui::qt::wincmd::kCompare;
using ui::qt::wincmd::kOpen;

config::UserTool tool(const std::string& name, const std::string& app, const std::string& params, int flags = 0) {
  config::UserTool made;
  made.Name = name;
  made.App = app;
  made.Params = params;
  made.Flags = flags;
  return made;
}

QStringList texts(const QList<QAction*>& actions) {
  QStringList shown;
  for (const QAction* action : actions) shown << (action->isSeparator() ? QStringLiteral("-") : action->text().remove('&'));
  return shown;
}

struct ToolsInWindow : testsupport::WindowOnFolders {
  // A stand-in tool that writes down its folder and arguments, one a line.
  std::string recorder() {
    const std::string script = folders.tree.write(
        "bin/recorder", "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } >\"$(dirname \"$0\")/seen.tmp\"\n"
                        "mv \"$(dirname \"$0\")/seen.tmp\" \"$(dirname \"$0\")/seen\"\n");
    ::chmod(script.c_str(), 0755);
    return script;
  }
  std::string seen() {
    if (!QTest::qWaitFor([this] { return folders.tree.exists("bin/seen"); }, 10000)) return "(nothing started)";
    return folders.tree.read("bin/seen");
  }
  QMenu* toolsMenu() {
    for (QAction* title : window->menuBar()->actions()) {
      if (title->menu() != nullptr && title->menu()->actions().contains(window->Actions().Get(kOpen))) return title->menu();
    }
    return nullptr;
  }
  template <typename Box>
  Box* waitFor(const char* name) {
    Box* found = nullptr;
    const bool shown =
        QTest::qWaitFor([&] { return (found = window->findChild<Box*>(name)) != nullptr && found->isVisible(); }, 5000);
    return shown ? found : nullptr;
  }
};

}  // namespace

TEST_F(ToolsInWindow, ToolsStandBeforeOpenAndInTheFileMenuWithoutTheComparisonTool) {
  folders.options.userTools = {tool("Edit", "gedit", ""), tool("", "nameless", ""), tool("Diff", "meld", "", 0x10000)};
  QMenu* menu = toolsMenu();
  ASSERT_NE(menu, nullptr);
  emit menu->aboutToShow();
  EXPECT_EQ(texts(menu->actions()).mid(0, 4), (QStringList{"Edit", "Diff", "-", "Open"}));
  folders.options.userTools.pop_back();
  emit menu->aboutToShow();
  EXPECT_EQ(texts(menu->actions()).mid(0, 3), (QStringList{"Edit", "-", "Open"})) << "rebuilt each time it opens";

  folders.options.userTools = {tool("Diff", "meld", "", 0x10000), tool("Edit", "gedit", "")};
  goTo("a.txt");
  window->Actions().Get(ui::qt::wincmd::kShowMenu)->trigger();
  QMenu* files = window->findChild<QMenu*>("contextMenu");
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(texts(files->actions()).mid(0, 3), (QStringList{"Edit", "-", "Compare files"}));
  delete files;
  folders.options.userTools = {tool("Diff", "meld", "", 0x10000)};
  window->Actions().Get(ui::qt::wincmd::kShowMenu)->trigger();
  files = window->findChild<QMenu*>("contextMenu");
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(texts(files->actions()).front(), "Compare files") << "no tool but the comparison tool: no separator";
}

TEST_F(ToolsInWindow, AToolGetsTheRowsFilesAsWholeArgumentsInItsStartFolder) {
  folders.tree.writeWithTime("src/with blank.txt", "x", testsupport::kNewTime);
  window->Actions().Get(ui::qt::wincmd::kRescan)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Work().Busy(); }, 20000));
  const std::string start = folders.tree.folder("start");
  folders.options.userTools = {tool("Record", recorder(), "{$SourcePath} --other={$TargetPath} %Y")};
  folders.options.userTools[0].StartAt = start;
  goTo("with blank.txt");
  window->Actions().Get(ui::qt::wincmd::kShowMenu)->trigger();
  window->findChild<QMenu*>("contextMenu")->findChild<QAction*>("tool0")->trigger();
  const std::string year = QDate::currentDate().toString("yy").toStdString();
  EXPECT_EQ(seen(), start + "\n" + folders.tree.path("src/with blank.txt") + "\n--other=" +
                        folders.tree.path("dst/with blank.txt") + "\n" + year + "\n");
}

TEST_F(ToolsInWindow, AMissingProgramOffersTheToolsDialogOnThatTool) {
  folders.options.userTools = {tool("First", "/bin/true", ""), tool("Gone", "velkor-no-such-tool", "")};
  goTo("a.txt");
  emit window->Actions().triggered(ui::kFirstToolCommand + 1);
  auto* question = waitFor<QMessageBox>("toolQuestion");
  ASSERT_NE(question, nullptr);
  EXPECT_TRUE(question->text().contains("velkor-no-such-tool")) << question->text().toStdString();
  question->button(QMessageBox::Yes)->click();
  auto* dialog = waitFor<ui::qt::ToolsDialog>("toolsDialog");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->findChild<QLineEdit*>("name")->text(), "Gone");
}

TEST_F(ToolsInWindow, CompareWithoutAnyComparisonProgramOffersToSetOneUp) {
  testsupport::ScopedEnvironment path("PATH", folders.tree.folder("empty bin"));
  goTo("a.txt");
  window->Actions().Get(kCompare)->trigger();
  auto* question = waitFor<QMessageBox>("toolQuestion");
  ASSERT_NE(question, nullptr);
  EXPECT_TRUE(question->text().contains("not configured")) << question->text().toStdString();
  question->button(QMessageBox::No)->click();

  goTo("only.txt");
  window->Actions().Get(kCompare)->trigger();
  QTest::qWait(100);
  EXPECT_EQ(window->findChild<QMessageBox*>("toolQuestion"), nullptr) << "a file on one side is not compared";
}

TEST_F(ToolsInWindow, TheComparisonToolComparesBothSidesWhenItHasNoParameters) {
  folders.options.userTools = {tool("Diff", recorder(), "", 0x10000)};
  goTo("a.txt");
  window->Actions().Get(kCompare)->trigger();
  EXPECT_EQ(seen(), QDir::currentPath().toStdString() + "\n" + folders.tree.path("src/a.txt") + "\n" +
                        folders.tree.path("dst/a.txt") + "\n");
}

TEST(ToolsDialog, EditsChangeTheCurrentToolAndOneToolAtMostCompares) {
  ui::qt::ToolsDialog dialog({tool("One", "/bin/one", "", 0x10003), tool("Two", "/bin/two", "")}, 1);
  EXPECT_EQ(testsupport::KeyClashes(dialog), std::vector<std::string>{});
  auto* list = dialog.findChild<QListWidget*>("toolList");
  EXPECT_EQ(list->currentRow(), 1);
  QTest::keyClicks(dialog.findChild<QLineEdit*>("name"), "!");
  EXPECT_EQ(list->item(1)->text(), "Two!") << "typing a name renames its entry at once";
  dialog.findChild<QCheckBox*>("comparison")->setChecked(true);
  EXPECT_EQ(dialog.Tools()[0].Flags, 3) << "the other tool no longer compares; its own bits stay";
  EXPECT_EQ(dialog.Tools()[1].Flags, 0x10000);

  dialog.findChild<QPushButton*>("up")->click();
  EXPECT_EQ(dialog.Tools()[0].Name, "Two!");
  EXPECT_EQ(list->currentRow(), 0);

  dialog.AddTool("/usr/bin/gedit");
  EXPECT_EQ(dialog.Tools().back().Name, "gedit");
  EXPECT_EQ(dialog.Tools().back().Params, "{$SourceFolder}");
  EXPECT_EQ(list->currentRow(), 2);

  dialog.findChild<QPushButton*>("delete")->click();
  auto* question = dialog.findChild<QMessageBox*>("deleteTool");
  ASSERT_NE(question, nullptr);
  question->button(QMessageBox::Yes)->click();
  ASSERT_EQ(dialog.Tools().size(), 2u);
  EXPECT_EQ(list->currentRow(), 1) << "the new last one";
}

TEST(ToolsOpen, TheDesktopIsHandedTheFileByItsOwnBytes) {
  const struct {
    std::string path;
    const char* url;
  } cases[] = {
      {"/tmp/plain.txt", "file:///tmp/plain.txt"},
      {"/tmp/with blank %D.txt", "file:///tmp/with%20blank%20%25D.txt"},
      {"/tmp/caf\xE9.txt", "file:///tmp/caf%E9.txt"},  // not UTF-8: never another file's name
      {"/tmp/caf\xC3\xA9.txt", "file:///tmp/caf%C3%A9.txt"},
  };
  for (const auto& c : cases) {
    const QUrl url = ui::qt::FileUrlOf(c.path);
    EXPECT_EQ(url.toEncoded().toStdString(), c.url);
    EXPECT_TRUE(url.isLocalFile());
  }
}
