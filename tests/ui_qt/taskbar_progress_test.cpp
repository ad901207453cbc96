// The taskbar's progress signal: the shape docks and panels read.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QVariantMap>

#include "ui/qt/taskbar_progress.h"

TEST(TaskbarProgress, TheSignalNamesOurDesktopFileAndCarriesTheBoundedFraction) {
  const QDBusMessage message = ui::qt::LauncherEntryUpdate(1.7, true);
  EXPECT_EQ(message.type(), QDBusMessage::SignalMessage);
  EXPECT_EQ(message.interface(), "com.canonical.Unity.LauncherEntry");
  EXPECT_EQ(message.member(), "Update");
  ASSERT_EQ(message.arguments().size(), 2);
  EXPECT_EQ(message.arguments()[0].toString(), "application://velkor.desktop");
  const QVariantMap properties = message.arguments()[1].toMap();
  EXPECT_EQ(properties.value("progress").toDouble(), 1.0);
  EXPECT_TRUE(properties.value("progress-visible").toBool());
  EXPECT_FALSE(ui::qt::LauncherEntryUpdate(0.5, false).arguments()[1].toMap().value("progress-visible").toBool());
}

TEST(TaskbarProgress, WithoutASessionBusNothingBreaks) {
  ui::qt::TaskbarProgress taskbar;
  taskbar.Show(0.25);
  taskbar.Show(0.251);
  taskbar.Hide();
  SUCCEED();
}
