#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "tests/ui_qt/key_clashes.h"
#include "ui/qt/dialogs/start_dialog.h"

using ui::qt::PathState;

namespace {

// Paths beginning with "/missing" are missing and made when asked; "/bad" is unusable.
struct FakeDisk {
  std::vector<std::string> made;
  ui::qt::PathRules rules() {
    return {[](const std::string& path, std::string& message) {
              if (path.starts_with("/bad")) {
                message = "unusable: " + path;
                return PathState::Unusable;
              }
              return path.starts_with("/missing") ? PathState::Missing : PathState::Usable;
            },
            [this](const std::string& path, std::string&) {
              made.push_back(path);
              return true;
            }};
  }
};

// Presses `button` of the next message box the dialog shows (it shows them modally).
void answerNextBox(QMessageBox::StandardButton button) {
  QTimer::singleShot(0, [button] {
    (void)QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; }, 5000);
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != nullptr) box->button(button)->click();
  });
}

void setPaths(ui::qt::StartDialog& dialog, const char* source, const char* target) {
  dialog.findChild<QComboBox*>("sourceBox")->setEditText(source);
  dialog.findChild<QComboBox*>("targetBox")->setEditText(target);
}

ui::qt::StartChoices choices() {
  ui::qt::StartChoices in;
  in.options.currentSession.Src = "/home/a";
  in.options.currentSession.Dst = "/home/b";
  config::CSession docs;
  docs.Name = "Docs";
  docs.Src = "/docs";
  docs.Dst = "/backup/docs";
  in.options.sessions = {docs};
  in.options.projects = {config::CProject{"Nightly", {"Docs", "Nobody"}}};
  return in;
}

}  // namespace

TEST(StartDialog, PreviewChecksBothPathsOffersToMakeAMissingFolderAndBuildsTheRunList) {
  FakeDisk disk;
  ui::qt::StartDialog dialog(choices(), disk.rules());
  dialog.show();
  EXPECT_EQ(dialog.findChild<QComboBox*>("sourceBox")->currentText(), "/home/a") << "opens on the last-used pair";
  QSignalSpy accepted(&dialog, &QDialog::accepted);

  setPaths(dialog, "/home/a", "/bad/place");
  answerNextBox(QMessageBox::Ok);
  dialog.accept();
  EXPECT_EQ(accepted.count(), 0) << "an unusable target keeps the dialog open";

  setPaths(dialog, "/home/a", "/missing/b");
  answerNextBox(QMessageBox::No);
  dialog.accept();
  EXPECT_EQ(accepted.count(), 0);
  EXPECT_TRUE(disk.made.empty());

  answerNextBox(QMessageBox::Yes);
  dialog.accept();
  ASSERT_EQ(accepted.count(), 1);
  EXPECT_EQ(disk.made, std::vector<std::string>{"/missing/b"});
  const config::COptions& out = dialog.Choices().options;
  ASSERT_EQ(out.runList.size(), 1u);
  EXPECT_EQ(out.runList[0].Dst, "/missing/b");
  EXPECT_EQ(out.currentSession.Dst, "/missing/b");
  EXPECT_EQ(out.flags & config::optflag::kLastStartWasProject, 0u);
}

TEST(StartDialog, TheProjectsPageRunsTheChosenProjectsExistingSessions) {
  FakeDisk disk;
  ui::qt::StartDialog dialog(choices(), disk.rules());
  dialog.show();
  dialog.findChild<QTabWidget*>("pages")->setCurrentIndex(1);
  auto* tree = dialog.findChild<QTreeWidget*>("sessionTree");
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  EXPECT_EQ(tree->currentItem()->text(0), "Nightly");
  dialog.accept();
  const config::COptions& out = dialog.Choices().options;
  ASSERT_EQ(out.runList.size(), 1u) << "the name no session has is left out";
  EXPECT_EQ(out.runList[0].Name, "Docs");
  EXPECT_NE(out.flags & config::optflag::kLastStartWasProject, 0u);
}

TEST(StartDialog, ChoosingASessionShowsItsFieldsAndAnEditIsKeptOnlyWhenTheUserSaysSo) {
  FakeDisk disk;
  ui::qt::StartDialog dialog(choices(), disk.rules());
  dialog.show();
  auto* tree = dialog.findChild<QTreeWidget*>("sessionTree");
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_EQ(tree->topLevelItem(0)->text(0), "<< new >>");
  tree->setCurrentItem(tree->topLevelItem(1));
  EXPECT_EQ(dialog.findChild<QComboBox*>("sourceBox")->currentText(), "/docs");
  setPaths(dialog, "/docs2", "/backup/docs");
  answerNextBox(QMessageBox::No);
  tree->setCurrentItem(tree->topLevelItem(0));
  EXPECT_EQ(dialog.Choices().options.sessions[0].Src, "/docs");
  EXPECT_EQ(dialog.findChild<QComboBox*>("sourceBox")->currentText(), "/home/a") << "<< new >> kept its fields";
  tree->setCurrentItem(tree->topLevelItem(1));
  setPaths(dialog, "/docs3", "/backup/docs");
  answerNextBox(QMessageBox::Yes);
  tree->setCurrentItem(tree->topLevelItem(0));
  EXPECT_EQ(dialog.Choices().options.sessions[0].Src, "/docs3");
}

TEST(StartDialog, ARenamedSessionLeftUnchangedAsksNothing) {
  FakeDisk disk;
  ui::qt::StartDialog dialog(choices(), disk.rules());
  dialog.show();
  auto* tree = dialog.findChild<QTreeWidget*>("sessionTree");
  tree->setCurrentItem(tree->topLevelItem(1));
  QTimer::singleShot(0, [] {
    (void)QTest::qWaitFor([] { return qobject_cast<QInputDialog*>(QApplication::activeModalWidget()) != nullptr; }, 5000);
    auto* ask = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (ask == nullptr) return;
    ask->setTextValue("Papers");
    ask->accept();
  });
  dialog.findChild<QPushButton*>("rename")->click();
  EXPECT_EQ(tree->topLevelItem(1)->text(0), "Papers");
  bool asked = false;
  QTimer::singleShot(0, [&asked] {
    if (QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; }, 500)) {
      asked = true;
      qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->button(QMessageBox::No)->click();
    }
  });
  tree->setCurrentItem(tree->topLevelItem(0));
  QTest::qWait(600);
  EXPECT_FALSE(asked) << "nothing but the name changed, and the rename is kept already";
  EXPECT_EQ(dialog.Choices().options.sessions[0].Name, "Papers");
}

namespace {

// Shows Docs, then adds a session named `name` through the Add button.
void addSessionAfterDocs(ui::qt::StartDialog& dialog, const char* name) {
  auto* tree = dialog.findChild<QTreeWidget*>("sessionTree");
  tree->setCurrentItem(tree->topLevelItem(1));
  QTimer::singleShot(0, [name] {
    (void)QTest::qWaitFor([] { return qobject_cast<QInputDialog*>(QApplication::activeModalWidget()) != nullptr; }, 5000);
    auto* ask = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (ask == nullptr) return;
    ask->setTextValue(name);
    ask->accept();
  });
  dialog.findChild<QPushButton*>("add")->click();
}

}  // namespace

TEST(StartDialog, AnAddedSessionLeftUnchangedAsksNothing) {
  FakeDisk disk;
  ui::qt::StartDialog dialog(choices(), disk.rules());
  dialog.show();
  addSessionAfterDocs(dialog, "Second");
  auto* tree = dialog.findChild<QTreeWidget*>("sessionTree");
  ASSERT_EQ(tree->topLevelItem(2)->text(0), "Second");
  bool asked = false;
  QTimer::singleShot(0, [&asked] {
    if (QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; }, 500)) {
      asked = true;
      qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->button(QMessageBox::No)->click();
    }
  });
  tree->setCurrentItem(tree->topLevelItem(0));
  QTest::qWait(600);
  EXPECT_FALSE(asked) << "the session was just added and nothing was edited";
}

TEST(StartDialog, AnEditOfAnAddedSessionKeptOnLeavingKeepsItsName) {
  FakeDisk disk;
  ui::qt::StartDialog dialog(choices(), disk.rules());
  dialog.show();
  addSessionAfterDocs(dialog, "Second");
  setPaths(dialog, "/second", "/backup/second");
  answerNextBox(QMessageBox::Yes);
  auto* tree = dialog.findChild<QTreeWidget*>("sessionTree");
  tree->setCurrentItem(tree->topLevelItem(0));
  const auto& sessions = dialog.Choices().options.sessions;
  ASSERT_EQ(sessions.size(), 2u);
  EXPECT_EQ(sessions[1].Src, "/second");
  EXPECT_EQ(sessions[1].Name, "Second") << "not the name of the session shown before Add";
  EXPECT_EQ(sessions[0].Name, "Docs");
}

TEST(StartDialog, EveryButtonAndFieldLabelHasAKeyOfItsOwn) {
  FakeDisk disk;
  ui::qt::StartDialog dialog(choices(), disk.rules());
  EXPECT_EQ(testsupport::KeyClashes(dialog), std::vector<std::string>{});
  EXPECT_TRUE(dialog.findChild<QPushButton*>("preview")->text().contains('&'));
}
