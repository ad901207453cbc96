#include "ui/row_order.h"

#include <gtest/gtest.h>

#include "platform/case_fold.h"
#include "tests/ui/result_fixture.h"

using testsupport::FileSpec;
using testsupport::ResultFixture;
using ui::Command;
namespace action = engine::action;
namespace presence = engine::presence;

namespace {

int signOf(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// One folder of files, shown with same files.
ui::ResultModel& openFolder(ResultFixture& f, const std::vector<FileSpec>& files) {
  const int top = f.comparison.AddFolder(f.comparison.AddPair(false), "", -1);
  for (const FileSpec& file : files) f.comparison.AddFile(top, file);
  ui::ViewState state;
  state.showSameFiles = true;
  return f.open(state);
}

}  // namespace

TEST(ResultOrder, EveryKeyIsAStrictTotalOrderOnAwkwardNames) {
  ResultFixture f;
  std::vector<FileSpec> files;
  const char* const names[] = {"a",      "A",  "b.txt",     "B.TXT",     "c.doc",    "noext",
                               ".hidden", "x.", "Ärger.txt", "ärger.txt", "z.tar.gz", "a"};
  const int presences[] = {presence::kSource, presence::kTarget, presence::kBoth};
  int n = 0;
  for (const char* name : names) {
    ++n;
    files.push_back({.name = name, .action = n % 5, .presence = presences[n % 3],
                     .sourceTime = static_cast<engine::FileTime>(n % 3), .targetTime = static_cast<engine::FileTime>(n % 2)});
  }
  openFolder(f, files);
  const int count = static_cast<int>(files.size());
  for (const ui::SortKey key : {ui::SortKey::Name, ui::SortKey::Date, ui::SortKey::Type, ui::SortKey::Direction}) {
    const ui::RowOrder less(f.comparison.Items(), key);
    for (int a = 1; a <= count; ++a) {
      EXPECT_FALSE(less(a, a));
      for (int b = 1; b <= count; ++b) {
        EXPECT_TRUE(a == b || less(a, b) != less(b, a)) << static_cast<int>(key) << " " << a << " " << b;
        for (int c = 1; c <= count; ++c) {
          EXPECT_TRUE(!less(a, b) || !less(b, c) || less(a, c)) << static_cast<int>(key) << " " << a << b << c;
        }
      }
    }
  }
}

TEST(ResultOrder, EachKeyOrdersTheFilesOfAFolder) {
  ResultFixture f;
  ui::ResultModel& model = openFolder(f, {
      {.name = "b", .action = action::kCopyToTarget, .presence = presence::kBoth, .sourceTime = 5},
      {.name = "A.TXT", .action = action::kCopyToTarget, .presence = presence::kSource, .sourceTime = 5},
      {.name = "c.doc", .action = action::kCopyToSource, .presence = presence::kBoth, .sourceTime = 1, .targetTime = 9},
      {.name = "a.txt", .action = action::kCopyToSource, .presence = presence::kTarget, .targetTime = 1},
      {.name = "Zeta", .action = action::kConflict},
      {.name = "alpha", .action = action::kDelete, .presence = presence::kSource},
  });
  model.Execute(Command::NameSorting);
  EXPECT_EQ(f.rows(), "/\n  A.TXT\n  a.txt\n  alpha\n  b\n  c.doc\n  Zeta\n");
  model.Execute(Command::DateSorting);
  EXPECT_EQ(f.rows(), "/\n  c.doc\n  A.TXT\n  b\n  a.txt\n  alpha\n  Zeta\n") << "newest first, equal times by name";
  model.Execute(Command::TypeSorting);
  EXPECT_EQ(f.rows(), "/\n  alpha\n  b\n  Zeta\n  c.doc\n  A.TXT\n  a.txt\n") << "no extension first";
  model.Execute(Command::DirectionSorting);
  EXPECT_EQ(f.rows(), "/\n  Zeta\n  A.TXT\n  b\n  c.doc\n  a.txt\n  alpha\n")
      << "both sides after one side among copies to the target, before it otherwise";
  EXPECT_TRUE(model.IsChecked(Command::DirectionSorting));
  EXPECT_FALSE(model.IsChecked(Command::NameSorting));
}

TEST(ResultOrder, NamesCompareAsTheirCaseKeysAndStoredKeysOutsideTheRangeAreDirection) {
  const char* const names[] = {"", "a", "B", "ab", "aB", "Ä", "ä", "äb", "z", "Zz", "\xff", "a\xc3"};
  for (const char* a : names) {
    for (const char* b : names) {
      EXPECT_EQ(signOf(ui::CompareNamesNoCase(a, b)), signOf(platform::compareNoCase(a, b))) << a << " " << b;
    }
  }
  EXPECT_EQ(ui::SortKeyFromStored(1), ui::SortKey::Date);
  for (const int stored : {-1, 4, 99}) EXPECT_EQ(ui::SortKeyFromStored(stored), ui::SortKey::Direction);
}
