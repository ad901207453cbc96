#include "ui/row_text.h"

#include <gtest/gtest.h>

#include "tests/support/temp_tree.h"
#include "tests/ui/result_fixture.h"

using testsupport::ResultFixture;
namespace action = engine::action;
namespace presence = engine::presence;
namespace icon = ui::icon;

TEST(ResultText, SizesHaveDotsBetweenGroupsOfThreeAndZeroLeavesTheCellEmpty) {
  EXPECT_EQ(ui::FormatSize(1234567), "1.234.567");
  EXPECT_EQ(ui::FormatSize(1000), "1.000");
  EXPECT_EQ(ui::FormatSize(999), "999");
  EXPECT_EQ(ui::FormatSize(0), "");
  EXPECT_EQ(ui::FormatSize(1000001), "1.000.001");
  EXPECT_EQ(ui::FormatSize(18446744073709551615ULL), "18.446.744.073.709.551.615");
}

TEST(ResultText, DatesAndTimesInTheUsersFormatsAfterConversionToLocalTime) {
  const testsupport::ScopedTimeZone berlin("Europe/Berlin");
  ResultFixture f;
  const int top = f.comparison.AddFolder(f.comparison.AddPair(false), "", -1);
  f.comparison.AddFile(top, {.name = "late.txt", .presence = presence::kSource,
                             .sourceTime = testsupport::utcTime(2024, 7, 1, 22, 30, 5), .sourceSize = 1234567});
  f.open();
  const ui::RowView row = f.list().Row(1);
  EXPECT_EQ(row.source.name, "late.txt");
  EXPECT_EQ(row.source.date, "02.07.2024");
  EXPECT_EQ(row.source.time, "00:30:05");
  EXPECT_EQ(row.source.size, "1.234.567");
  EXPECT_EQ(row.target.name + row.target.date + row.target.time + row.target.size, "") << "not on that side";
  const ui::DateTimeFormat american{"M/d/yy", "%I:%M %p"};
  const platform::CalendarTime local = platform::localFromFileTime(testsupport::utcTime(2024, 7, 1, 22, 30, 5));
  EXPECT_EQ(american.Date(local), "7/2/24");
  EXPECT_EQ(american.Time(local), "12:30 AM");
  const ui::WidthSamples widths = ui::WidthSamplesFor(testsupport::kTestFormat);
  EXPECT_EQ(widths.date + " " + widths.time + " " + widths.size, "22.12.1999 22:33:33 9.999.999");
}

TEST(ResultText, IconsByMarkActionAndLockAndFolderHeadersWithTheirCounts) {
  ResultFixture f;
  const int pair = f.comparison.AddPair(false);
  const int top = f.comparison.AddFolder(pair, "", -1);
  const int docs = f.comparison.AddFolder(pair, "docs/old", top, presence::kSource);
  f.comparison.AddFile(docs, {.name = "locked", .action = action::kCopyToTarget, .directionLock = presence::kTarget});
  f.comparison.AddFile(docs, {.name = "unmarked", .action = action::kCopyToSource, .marked = false});
  f.comparison.AddFile(docs, {.name = "conflict", .action = action::kConflict});
  f.comparison.AddFile(docs, {.name = "same", .action = action::kNone});
  f.comparison.AddFile(docs, {.name = "sent", .action = action::kCopyToTarget});
  f.comparison.AddFile(docs, {.name = "renamed", .action = action::kCopyToTarget});
  f.item(f.comparison.Order().back()).targetName = "RENAMED";
  f.comparison.AddFolderRow(pair, "new", top, presence::kSource, action::kCopyToTarget);
  ui::ViewState state;
  state.showSameFiles = true;
  state.sortKey = ui::SortKey::Name;
  f.open(state);
  ASSERT_EQ(f.rows(), "docs/old/\n  conflict\n  locked\n  renamed\n  same\n  sent\n  unmarked\n[new]\n");
  auto icons = [&](int row) { return std::pair{f.list().Row(row).markIcon, f.list().Row(row).actionIcon}; };
  EXPECT_EQ(icons(1), std::pair(icon::kSelected, icon::kConflict));
  EXPECT_EQ(icons(2), std::pair(icon::kForbidden, icon::kToTarget)) << "a lock that forbids the copy";
  EXPECT_EQ(f.list().Row(3).target.name, "RENAMED");
  EXPECT_EQ(icons(4), std::pair(icon::kNone, icon::kSame));
  EXPECT_EQ(icons(5), std::pair(icon::kSelected, icon::kToTargetSelected));
  EXPECT_EQ(icons(6), std::pair(icon::kUnselected, icon::kToSource));
  EXPECT_EQ(icons(7), std::pair(icon::kFolderRowSelected, icon::kToTargetSelected));
  const ui::RowView header = f.list().Row(0);
  EXPECT_EQ(header.kind, ui::RowKind::FolderHeader);
  EXPECT_EQ(header.folderPath, "docs/old");
  EXPECT_EQ(header.expandIcon, icon::kExpanded);
  EXPECT_EQ(header.toTarget, 2u) << "the locked copy does not run";
  EXPECT_EQ(header.toSource, 0u) << "the unmarked copy does not run";
  EXPECT_TRUE(header.targetMissing);
  EXPECT_FALSE(header.sourceMissing);
}
