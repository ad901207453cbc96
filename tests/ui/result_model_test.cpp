#include "ui/result_model.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/ui/result_fixture.h"
#include "ui/row_actions.h"

using testsupport::FileSpec;
using testsupport::ResultFixture;
using ui::Command;
namespace action = engine::action;
namespace presence = engine::presence;
namespace record = ui::record;

namespace {

bool marked(const engine::CompareItem& item) { return (item.flags & engine::itemflag::kSelected) != 0; }

// One folder "/" with the given files and a folder "more/" with two copies to the target.
ui::ResultModel& openTwoFolders(ResultFixture& f, const std::vector<FileSpec>& files, ui::ViewState state = {}) {
  const int pair = f.comparison.AddPair(false);
  const int top = f.comparison.AddFolder(pair, "", -1);
  for (const FileSpec& file : files) f.comparison.AddFile(top, file);
  const int more = f.comparison.AddFolder(pair, "more", top);
  f.comparison.AddFile(more, {.name = "m1.txt"});
  f.comparison.AddFile(more, {.name = "m2.txt"});
  state.sortKey = ui::SortKey::Name;
  return f.open(std::move(state));
}

}  // namespace

TEST(ResultModel, TogglingTheMarkOfASameFileChangesNoTotal) {
  ResultFixture f;
  ui::ViewState state;
  state.showSameFiles = true;
  ui::ResultModel& model = openTwoFolders(f, {{.name = "a.txt"}, {.name = "same.txt", .action = action::kNone}}, state);
  const engine::FolderCounters before = f.list().Totals().Records();
  ASSERT_TRUE(f.goTo("same.txt"));
  EXPECT_TRUE(model.Execute(Command::ToggleSelection));
  EXPECT_TRUE(marked(f.item(2)));
  EXPECT_EQ(f.list().Totals().Records(), before);
  ASSERT_TRUE(f.goTo("a.txt"));
  model.Execute(Command::ToggleSelection);
  EXPECT_EQ(f.count(record::kToTarget), 2u);
  EXPECT_EQ(f.count(record::kSelected), 2u);
  EXPECT_EQ(ui::FolderCount(f.item(0), record::kToTarget), 0u);
}

TEST(ResultModel, ReverseTurnsEveryActionAndTwiceRestoresACopyToTheTarget) {
  struct Case {
    int action;
    int presence;
    int planned;
    int reversed;
  };
  const Case cases[] = {
      {action::kDelete, presence::kSource, action::kDelete, action::kCopyToTarget},
      {action::kDelete, presence::kTarget, action::kDelete, action::kCopyToSource},
      {action::kDelete, presence::kBoth, action::kCopyToSource, action::kCopyToSource},
      {action::kCopyToSource, presence::kTarget, action::kCopyToSource, action::kDelete},
      {action::kCopyToSource, presence::kBoth, action::kConflict, action::kConflict},
      {action::kCopyToSource, presence::kBoth, action::kCopyToSource, action::kCopyToTarget},
      {action::kCopyToTarget, presence::kBoth, action::kCopyToTarget, action::kCopyToSource},
      {action::kCopyToTarget, presence::kSource, action::kCopyToTarget, action::kDelete},
      {action::kConflict, presence::kBoth, action::kConflict, action::kCopyToTarget},
      {action::kNone, presence::kBoth, action::kNone, action::kNone},
  };
  for (const Case& c : cases) {
    engine::CompareItem item;
    item.action = c.action;
    item.presence = c.presence;
    item.plannedAction = c.planned;
    EXPECT_EQ(ui::ActionAfter(ui::RowAction::Reverse, item), c.reversed) << c.action << " " << c.presence << " " << c.planned;
  }

  ResultFixture f;
  ui::ResultModel& model = openTwoFolders(f, {{.name = "new.txt", .presence = presence::kSource, .marked = false}});
  ASSERT_TRUE(f.goTo("new.txt"));
  model.Execute(Command::Reverse);
  EXPECT_EQ(f.item(1).action, action::kDelete);
  EXPECT_TRUE(marked(f.item(1))) << "a changed action is marked";
  EXPECT_EQ(f.count(record::kDelete), 1u);
  model.Execute(Command::Reverse);
  EXPECT_EQ(f.item(1).action, action::kCopyToTarget);
  EXPECT_EQ(f.count(record::kDelete), 0u);
  EXPECT_EQ(f.count(record::kToTarget), 3u);
}

TEST(ResultModel, AllAndDeleteCommandsOnOneRowAndOnAFolder) {
  ResultFixture f;
  ui::ResultModel& model = openTwoFolders(f, {{.name = "s.txt", .presence = presence::kSource},
                                              {.name = "t.txt", .action = action::kCopyToSource, .presence = presence::kTarget},
                                              {.name = "u.txt"}});
  ASSERT_TRUE(f.goTo("s.txt"));
  model.Execute(Command::AllToSource);
  EXPECT_EQ(f.item(1).action, action::kDelete) << "only in the source: All << deletes it";
  ASSERT_TRUE(f.goTo("t.txt"));
  model.Execute(Command::AllToTarget);
  EXPECT_EQ(f.item(2).action, action::kDelete) << "only in the target: All >> deletes it";
  ASSERT_TRUE(f.goTo("u.txt"));
  model.Execute(Command::Delete);
  EXPECT_EQ(f.item(3).action, action::kDelete);
  ASSERT_TRUE(f.goTo("more"));
  model.Execute(Command::AllToSource);
  EXPECT_EQ(f.item(5).action, action::kCopyToSource);
  EXPECT_EQ(f.item(6).action, action::kCopyToSource);
  EXPECT_EQ(f.count(record::kDelete), 3u);
  EXPECT_EQ(f.count(record::kToSource), 2u);
  EXPECT_EQ(ui::FolderCount(f.item(4), record::kToSource), 2u);

  model.Execute(Command::Select);
  EXPECT_FALSE(marked(f.item(5)) || marked(f.item(6))) << "every file was selected: Select clears";
  f.item(5).flags |= engine::itemflag::kSelected;
  f.list().RecountTotals();
  model.Execute(Command::Select);
  EXPECT_TRUE(marked(f.item(5)) && marked(f.item(6))) << "not every file was selected: Select sets";
}

TEST(ResultModel, ToggleSelectionOnAFolderHeaderFlipsItsFilesButNotWhileItIsCollapsed) {
  ResultFixture f;
  ui::ResultModel& model = openTwoFolders(f, {{.name = "a.txt"}});
  ASSERT_TRUE(f.goTo("more"));
  EXPECT_TRUE(model.Execute(Command::ToggleSelection));
  EXPECT_FALSE(marked(f.item(3)) || marked(f.item(4)));
  EXPECT_TRUE(marked(f.item(1))) << "other folders keep their marks";
  f.item(4).flags |= engine::itemflag::kSelected;
  f.list().RecountTotals();
  model.Execute(Command::ToggleSelection);
  EXPECT_TRUE(marked(f.item(3)) && marked(f.item(4))) << "all get the opposite of the first file's state";
  f.list().ToggleFolder(f.list().CurrentRow());
  EXPECT_FALSE(model.Execute(Command::ToggleSelection));
  EXPECT_TRUE(marked(f.item(3)) && marked(f.item(4)));
}

TEST(ResultModel, SeveralRowsSelectedInTheListActOnTheirFileRowsOnly) {
  ResultFixture f;
  ui::ViewState state;
  state.showSameFiles = true;
  ui::ResultModel& model = openTwoFolders(
      f, {{.name = "a.txt", .marked = false}, {.name = "b.txt"}, {.name = "c.txt", .action = action::kNone}}, state);
  ASSERT_EQ(f.rows(), "/\n  a.txt\n  b.txt\n  c.txt\nmore/\n  m1.txt\n  m2.txt\n");
  f.item(5).flags &= static_cast<std::uint16_t>(~engine::itemflag::kSelected);
  f.list().RecountTotals();
  f.list().SetListSelection({0, 1, 2, 4});
  model.Execute(Command::ToggleSelection);
  EXPECT_TRUE(marked(f.item(1)) && marked(f.item(2))) << "the opposite of the first file row's state";
  EXPECT_FALSE(marked(f.item(5))) << "a header in a larger selection is skipped";
  f.list().SetListSelection({1, 3});
  model.Execute(Command::AllToSource);
  EXPECT_EQ(f.item(1).action, action::kCopyToSource);
  EXPECT_EQ(f.item(3).action, action::kNone) << "rows whose action is 0 are not collected";
  f.list().SetListSelection({3, 3});
  ASSERT_TRUE(f.goTo("b.txt"));
  model.Execute(Command::Delete);
  EXPECT_EQ(f.item(2).action, action::kDelete) << "one row selected, even twice: the current row";
  f.list().SetListSelection({1, 2});
  f.list().ComparisonStarted();
  f.list().ComparisonEnded();
  EXPECT_TRUE(f.list().ListSelection().empty()) << "a new comparison forgets the list's selection";
}

TEST(ResultModel, RecursiveCommandsFollowParentLinksAndStopAtTheFirstFolderNotBelow) {
  ResultFixture f;
  const int pair = f.comparison.AddPair(false, "/src", "/dst");
  const int top = f.comparison.AddFolder(pair, "", -1);
  f.comparison.AddFile(top, {.name = "t.txt"});
  const int docs = f.comparison.AddFolder(pair, "Docs", top);
  f.comparison.AddFile(docs, {.name = "d.txt"});
  // Its path differs from its parent's in letter case; it is below all the same.
  const int sub = f.comparison.AddFolder(pair, "docs/Sub", docs);
  f.comparison.AddFile(sub, {.name = "s.txt"});
  f.comparison.AddFolderRow(pair, "docs/Sub/empty", sub, presence::kSource, action::kCopyToTarget);
  // Its path begins with "Docs" but it is not below.
  const int docs2 = f.comparison.AddFolder(pair, "Docs2", top);
  f.comparison.AddFile(docs2, {.name = "x.txt"});
  const int late = f.comparison.AddFolder(pair, "Docs/late", docs);
  f.comparison.AddFile(late, {.name = "l.txt"});
  // A second session nested in the first: its root lies inside the first session's folders.
  const int nested = f.comparison.AddFolder(f.comparison.AddPair(false, "/src/Docs", "/dst2"), "", -1);
  f.comparison.AddFile(nested, {.name = "n.txt"});
  ui::ResultModel& model = f.open();
  auto changed = [&] {
    std::string names;
    for (const int index : f.comparison.Order()) {
      if (ui::KindOf(f.item(index)) == ui::RowKind::FolderHeader) continue;
      if (f.item(index).action != action::kCopyToTarget) names += f.item(index).name + " ";
      f.item(index).action = f.item(index).plannedAction;
    }
    f.list().RecountTotals();
    return names;
  };
  ASSERT_TRUE(f.goTo("Docs"));
  model.Execute(Command::AllToSource);
  EXPECT_EQ(changed(), "d.txt ");
  ASSERT_TRUE(f.goTo("Docs"));
  model.Execute(Command::AllToSourceRecursive);
  EXPECT_EQ(changed(), "d.txt s.txt docs/Sub/empty ");
  ASSERT_TRUE(f.goTo(""));
  model.Execute(Command::DeleteRecursive);
  EXPECT_EQ(changed(), "t.txt d.txt s.txt docs/Sub/empty x.txt l.txt ") << "the nested session is not below";
}

TEST(ResultModel, OneWayPairsAreNeverOfferedAWriteIntoTheirSource) {
  ResultFixture f;
  const int top = f.comparison.AddFolder(f.comparison.AddPair(true), "", -1);
  f.comparison.AddFile(top, {.name = "new", .presence = presence::kSource});
  f.comparison.AddFile(top, {.name = "newer"});
  f.comparison.AddFile(top, {.name = "extra", .action = action::kDelete, .presence = presence::kTarget});
  ui::ResultModel& model = f.open({ui::SortKey::Name, false, {}});
  EXPECT_FALSE(model.IsEnabled(Command::AllToSource));
  EXPECT_FALSE(model.IsEnabled(Command::AllToSourceRecursive));
  ASSERT_TRUE(f.goTo(""));
  model.Execute(Command::Reverse);
  model.Execute(Command::Delete);
  EXPECT_EQ(f.item(1).action, action::kCopyToTarget) << "its deletion would be in the source";
  EXPECT_EQ(f.item(2).action, action::kCopyToTarget);
  EXPECT_EQ(f.item(3).action, action::kDelete) << "a deletion in the target is allowed";
  model.Execute(Command::AllToTarget);
  EXPECT_EQ(f.item(3).action, action::kDelete);
  EXPECT_EQ(f.count(record::kToSource), 0u);
}

TEST(ResultModel, MarkCommandsAndMasksWithQuotes) {
  ResultFixture f;
  ui::ResultModel& model =
      openTwoFolders(f, {{.name = "a b.txt"}, {.name = "c;d.txt"}, {.name = "e.doc"}, {.name = "F.TXT", .marked = false}});
  auto marks = [&] {
    std::string text;
    for (const int index : f.comparison.Order()) {
      if (!f.item(index).isFolder()) text += marked(f.item(index)) ? "1" : "0";
    }
    return text;
  };
  EXPECT_TRUE(model.Execute(Command::SelectNone));
  EXPECT_EQ(marks(), "000000");
  model.SelectByMask("\"a b.txt\" *.doc", true);
  EXPECT_EQ(marks(), "101000");
  model.SelectByMask("\"c;d.txt\",*.txt", true);
  EXPECT_EQ(marks(), "111111");
  model.SelectByMask("\"a b.txt\";m?.txt", false);
  EXPECT_EQ(marks(), "011100");
  model.Execute(Command::ReverseSelection);
  EXPECT_EQ(marks(), "100011");
  model.SelectByMask("", true);
  EXPECT_EQ(marks(), "111111") << "no masks is every file";
  model.SmartToggleAll();
  EXPECT_EQ(marks(), "000000") << "the first file row was selected";
  model.SmartToggleAll();
  EXPECT_EQ(marks(), "111111");
  EXPECT_EQ(f.count(record::kSelected), 6u);
}

TEST(ResultModel, RowsAndFoldersAreWalkedByTheirCommands) {
  ResultFixture f;
  ui::ResultModel& model = openTwoFolders(f, {{.name = "a.txt"}, {.name = "b.txt"}});
  ASSERT_TRUE(f.goTo("a.txt"));
  model.Execute(Command::ToggleSelectionAndMoveDown);
  EXPECT_FALSE(marked(f.item(1)));
  EXPECT_EQ(f.list().CurrentRow(), 2);
  EXPECT_TRUE(model.Execute(Command::NextFolder));
  EXPECT_EQ(f.list().CurrentRow(), 3);
  EXPECT_FALSE(model.Execute(Command::NextFolder));
  model.Execute(Command::ToggleSelectionAndMoveDown);
  EXPECT_TRUE(marked(f.item(4))) << "a header's mark is never flipped";
  EXPECT_TRUE(model.Execute(Command::PreviousFolder));
  EXPECT_TRUE(model.Execute(Command::PreviousFolder));
  EXPECT_EQ(f.list().CurrentRow(), 0);
  f.list().SetCurrentRow(f.list().RowCount() - 1);
  model.Execute(Command::ToggleSelectionAndMoveDown);
  EXPECT_EQ(f.list().CurrentRow(), f.list().RowCount() - 1) << "the last row stays current";
  model.Execute(Command::ToggleFolders);
  EXPECT_EQ(f.rows(), "/\nmore/\n");
  model.Execute(Command::ToggleFolders);
  EXPECT_EQ(f.rows(), "/\n  a.txt\n  b.txt\nmore/\n  m1.txt\n  m2.txt\n");
}

TEST(ResultModel, SelectedFilesAFilterHidesStillCountAndTheStatusSaysHowMany) {
  ResultFixture f;
  ui::ResultModel& model = openTwoFolders(f, {{.name = "a.txt"}, {.name = "b.txt", .action = action::kCopyToSource}});
  EXPECT_EQ(f.list().HiddenNote(), "");
  model.Execute(Command::ToSourceOnly);
  EXPECT_EQ(f.rows(), "/\n  b.txt\n");
  EXPECT_EQ(f.count(record::kSelected), 4u);
  EXPECT_EQ(f.count(record::kToTarget), 3u);
  EXPECT_EQ(f.count(record::kShown), 1u);
  EXPECT_EQ(f.list().Totals().HiddenSelected(), 3u);
  EXPECT_EQ(f.list().HiddenNote(), "Selected but hidden by the view: 3");
}

namespace {

struct Snapshot {
  engine::FolderCounters totals{};
  std::uint32_t hidden = 0;
  std::vector<engine::FolderCounters> folders;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(ResultFixture& f) {
  Snapshot s{f.list().Totals().Records(), f.list().Totals().HiddenSelected(), {}};
  for (const int index : f.comparison.Order()) {
    if (f.item(index).isFolder()) s.folders.push_back(f.item(index).folder->counters);
  }
  return s;
}

}  // namespace

TEST(ResultModel, TotalsEqualARecountAfterEveryOneOfThousandsOfRandomCommands) {
  const Command commands[] = {
      Command::ShowAll, Command::SelectedOnly, Command::SourceOnly, Command::TargetOnly, Command::SourceAndTargetOnly,
      Command::ToSourceOnly, Command::ToTargetOnly, Command::DeletedOnly, Command::ConflictsOnly, Command::ShowSameFiles,
      Command::NameSorting, Command::DateSorting, Command::TypeSorting, Command::DirectionSorting,
      Command::ToggleSelection, Command::ToggleSelectionAndMoveDown, Command::NextFolder, Command::PreviousFolder,
      Command::ReverseSelection, Command::SelectAll, Command::SelectNone, Command::ToggleFolders, Command::Select,
      Command::AllToTarget, Command::AllToSource, Command::Reverse, Command::Delete, Command::SelectRecursive,
      Command::DeleteRecursive, Command::AllToTargetRecursive, Command::AllToSourceRecursive};
  const char* const masks[] = {"*.txt", "\"report1.txt\" *.doc", "dir*", "", "IMG_?.jpg"};
  for (const bool syncCollapsed : {true, false}) {
    engine::EngineSettings settings;
    settings.flags |= engine::option::kHandleEmptyFolders;
    if (!syncCollapsed) settings.flags &= ~engine::option::kSyncCollapsedFolders;
    ResultFixture f(settings);
    testsupport::FillRandomly(f.comparison, {.folders = 40, .filesPerFolder = 5, .maxDepth = 4, .seed = syncCollapsed ? 3u : 4u});
    ui::ResultModel& model = f.open();
    std::mt19937 random(11);
    auto pick = [&](int count) { return count <= 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(count)); };
    for (int step = 0; step < 2500; ++step) {
      switch (pick(8)) {
        case 0: f.list().SetCurrentRow(pick(f.list().RowCount())); break;
        case 1: {
          const int rows = f.list().RowCount();
          f.list().SetListSelection({pick(rows), pick(rows), pick(rows)});
          break;
        }
        case 2: f.list().SetListSelection({}); break;
        case 3: f.list().ToggleFolder(pick(f.list().RowCount())); break;
        case 4: model.SelectByMask(masks[pick(5)], pick(2) == 0); break;
        default: model.Execute(commands[pick(std::size(commands))]); break;
      }
      const Snapshot kept = snapshot(f);
      f.list().RecountTotals();
      ASSERT_EQ(kept, snapshot(f)) << "step " << step;
      ASSERT_EQ(kept.totals[record::kSelected][record::kCountWord], ui::PlannedItems(f.comparison, {}).size()) << "step " << step;
      for (int row = 0; row < f.list().RowCount(); ++row) ASSERT_EQ(f.item(f.list().ItemOfRow(row)).row, row) << "step " << step;
    }
  }
}
