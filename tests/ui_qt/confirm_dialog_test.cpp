#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "ui/confirm_answer.h"
#include "ui/qt/dialogs/confirm_dialog.h"

namespace confirm = engine::confirm;

TEST(ConfirmDialog, EveryButtonAndBoxGivesTheAnswerOfTheTable) {
  const std::uint32_t kind = confirm::kOverwrite | confirm::kToTargetSide;
  struct Case {
    const char* button;
    const char* box;
    int answer;
  };
  const Case cases[] = {
      {"overwrite", nullptr, confirm::kYesOnce},
      {"overwrite", "applyForAll", static_cast<int>(confirm::kOverwrite | confirm::kDirections)},
      {"overwrite", "applyForAction", static_cast<int>(kind)},
      {"skip", nullptr, confirm::kSkipOnce},
      {"skip", "applyForAll", confirm::kSkipAll},
      {"skip", "applyForAction", confirm::kSkipThisAction},
      {"cancel", nullptr, confirm::kCancel},
      {"cancel", "applyForAll", confirm::kCancel},
  };
  for (const Case& c : cases) {
    ui::qt::ConfirmDialog dialog({"/dst/a.txt", "/src/a.txt", kind});
    dialog.open();
    QSignalSpy answered(&dialog, &ui::qt::ConfirmDialog::answered);
    if (c.box != nullptr) QTest::mouseClick(dialog.findChild<QCheckBox*>(c.box), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>(c.button), Qt::LeftButton);
    ASSERT_EQ(answered.count(), 1) << c.button;
    EXPECT_EQ(answered.front().front().toInt(), c.answer) << c.button << " " << (c.box ? c.box : "");
    EXPECT_FALSE(dialog.isVisible());
  }
}

TEST(ConfirmDialog, TheBoxesExcludeEachOtherAndEscapeCancelsTheRun) {
  ui::qt::ConfirmDialog dialog({"/dst/a.txt", "/src/a.txt", confirm::kOverwrite | confirm::kToSourceSide});
  dialog.open();
  auto* all = dialog.findChild<QCheckBox*>("applyForAll");
  auto* action = dialog.findChild<QCheckBox*>("applyForAction");
  all->setChecked(true);
  action->setChecked(true);
  EXPECT_FALSE(all->isChecked());
  QSignalSpy answered(&dialog, &ui::qt::ConfirmDialog::answered);
  QTest::keyClick(&dialog, Qt::Key_Escape);
  ASSERT_EQ(answered.count(), 1);
  EXPECT_EQ(answered.front().front().toInt(), confirm::kCancel);
}

TEST(ConfirmDialog, DeletionsAskYesOrNoWithTheirOwnTitleAndReadOnlyFilesAreNamedSo) {
  ui::qt::ConfirmDialog deletion({"/dst/a.txt", "", confirm::kDelete | confirm::kToSourceSide});
  EXPECT_EQ(deletion.windowTitle(), "Deleting file!");
  EXPECT_EQ(deletion.findChild<QPushButton*>("overwrite")->text().remove('&'), "Yes");
  EXPECT_EQ(deletion.findChild<QPushButton*>("skip")->text().remove('&'), "No");
  EXPECT_EQ(deletion.findChild<QLabel*>("newPath"), nullptr);
  ui::qt::ConfirmDialog readOnly({"/dst/a.txt", "/src/a.txt", confirm::kOverwriteReadOnly | confirm::kToTargetSide});
  EXPECT_EQ(readOnly.windowTitle(), "Overwriting RO file!");
  EXPECT_EQ(readOnly.findChild<QLabel*>("message")->text(), "READ-ONLY file overwrite! Are you sure?");
  ui::qt::ConfirmDialog plain({"/dst/a.txt", "/src/a.txt", confirm::kOverwrite | confirm::kToTargetSide});
  EXPECT_EQ(plain.windowTitle(), "File overwrite!");
}
