#include "ui/result_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/memory_store.h"
#include "tests/ui/result_fixture.h"

using testsupport::FileSpec;
using testsupport::ResultFixture;
using ui::Command;
namespace action = engine::action;
namespace presence = engine::presence;
namespace record = ui::record;

namespace {

// "/": a.txt copied to the target, b.txt to the source, c.txt the same, d.txt deleted, e.txt a
// conflict; "same/": only a same file; "[gone]": a folder row of its own, only in the source.
void fillSmall(testsupport::GeneratedComparison& comparison) {
  const int pair = comparison.AddPair(false);
  const int top = comparison.AddFolder(pair, "", -1);
  comparison.AddFile(top, {.name = "a.txt", .action = action::kCopyToTarget, .presence = presence::kSource});
  comparison.AddFile(top, {.name = "b.txt", .action = action::kCopyToSource, .presence = presence::kTarget});
  comparison.AddFile(top, {.name = "c.txt", .action = action::kNone});
  comparison.AddFile(top, {.name = "d.txt", .action = action::kDelete});
  comparison.AddFile(top, {.name = "e.txt", .action = action::kConflict});
  const int same = comparison.AddFolder(pair, "same", top);
  comparison.AddFile(same, {.name = "s.txt", .action = action::kNone});
  comparison.AddFolderRow(pair, "gone", top, presence::kSource, action::kCopyToTarget);
}

const char* const kAllRows = "/\n  e.txt\n  a.txt\n  b.txt\n  d.txt\n[gone]\n";

}  // namespace

TEST(ResultList, FiltersOfOneGroupExcludeEachOtherAndShowAllClearsThem) {
  ResultFixture f;
  fillSmall(f.comparison);
  ui::ResultModel& model = f.open();
  EXPECT_EQ(f.rows(), kAllRows);
  EXPECT_TRUE(model.IsChecked(Command::ShowAll));
  EXPECT_FALSE(model.Execute(Command::ShowAll));
  EXPECT_EQ(f.rows(), kAllRows);

  model.Execute(Command::SourceOnly);
  model.Execute(Command::SelectedOnly);
  EXPECT_EQ(f.rows(), "/\n  a.txt\n[gone]\n");
  EXPECT_FALSE(model.IsChecked(Command::ShowAll));
  EXPECT_TRUE(model.Execute(Command::ShowAll));
  EXPECT_EQ(f.rows(), kAllRows);
  EXPECT_TRUE(model.IsChecked(Command::ShowAll));

  model.Execute(Command::SourceOnly);
  model.Execute(Command::TargetOnly);
  EXPECT_FALSE(model.IsChecked(Command::SourceOnly));
  EXPECT_TRUE(model.IsChecked(Command::TargetOnly));
  EXPECT_EQ(f.rows(), "/\n  b.txt\n");
  model.Execute(Command::TargetOnly);
  EXPECT_EQ(f.rows(), kAllRows);

  model.Execute(Command::ConflictsOnly);
  EXPECT_EQ(f.rows(), "/\n  e.txt\n");
  model.Execute(Command::DeletedOnly);
  EXPECT_EQ(f.rows(), "/\n  d.txt\n");
}

TEST(ResultList, SelectedOnlyWithToTargetOnlyShowsTheSelectedCopiesToTheTarget) {
  ResultFixture f;
  fillSmall(f.comparison);
  const int more = f.comparison.AddFolder(0, "more", 0);
  f.comparison.AddFile(more, {.name = "kept.txt", .action = action::kCopyToTarget, .marked = false});
  f.comparison.AddFile(more, {.name = "sent.txt", .action = action::kCopyToTarget});
  f.comparison.AddFile(more, {.name = "back.txt", .action = action::kCopyToSource});
  ui::ResultModel& model = f.open();
  model.Execute(Command::SelectedOnly);
  model.Execute(Command::ToTargetOnly);
  EXPECT_EQ(f.rows(), "/\n  a.txt\n[gone]\nmore/\n  sent.txt\n");
}

TEST(ResultList, SameFilesStayHiddenUnderEveryFilterUntilShowSameFilesIsOn) {
  ResultFixture f;
  fillSmall(f.comparison);
  f.open();
  for (const ui::FilterInfo& filter : ui::Filters()) {
    f.list().ToggleFilter(filter.slot);
    EXPECT_EQ(f.rows().find("c.txt"), std::string::npos) << filter.menuText;
    EXPECT_EQ(f.rows().find("same/"), std::string::npos) << filter.menuText;
    f.list().ToggleFilter(ui::FilterSlot::ShowAll);
  }
  f.list().SetShowSameFiles(true);
  f.list().ToggleFilter(ui::FilterSlot::SameOnly);
  EXPECT_EQ(f.rows(), "/\n  c.txt\nsame/\n  s.txt\n");
}

TEST(ResultList, ANewComparisonClearsTheFiltersButKeepsTheSortKeyAndShowSameFiles) {
  ResultFixture f;
  fillSmall(f.comparison);
  ui::ResultModel& model = f.open();
  model.Execute(Command::ShowSameFiles);
  model.Execute(Command::NameSorting);
  model.Execute(Command::SourceOnly);
  f.list().ComparisonStarted();
  EXPECT_TRUE(model.IsChecked(Command::ShowAll));
  EXPECT_FALSE(model.IsEnabled(Command::ShowSameFiles));
  f.list().ComparisonEnded();
  EXPECT_TRUE(model.IsChecked(Command::ShowSameFiles));
  EXPECT_TRUE(model.IsChecked(Command::NameSorting));
  EXPECT_EQ(f.rows(), "/\n  a.txt\n  b.txt\n  c.txt\n  d.txt\n  e.txt\nsame/\n  s.txt\n[gone]\n");
}

TEST(ResultList, TheCurrentRowStaysOnItsItemAcrossRebuildsOrGoesToTheFirstRow) {
  ResultFixture f;
  fillSmall(f.comparison);
  ui::ResultModel& model = f.open();
  auto currentName = [&] { return f.item(f.list().ItemOfRow(f.list().CurrentRow())).name; };
  ASSERT_TRUE(f.goTo("b.txt"));
  model.Execute(Command::NameSorting);
  EXPECT_EQ(currentName(), "b.txt");
  model.Execute(Command::TargetOnly);
  EXPECT_EQ(currentName(), "b.txt");
  EXPECT_EQ(f.list().CurrentRow(), 1);
  model.Execute(Command::SourceOnly);
  EXPECT_EQ(f.list().CurrentRow(), 0);
}

TEST(ResultList, CollapsingAFolderRemovesItsRowsAndItsFilesLeaveTheRunUnlessCollapsedFoldersAreSynchronized) {
  for (const bool syncCollapsed : {false, true}) {
    engine::EngineSettings settings;
    settings.flags = syncCollapsed ? settings.flags | engine::option::kSyncCollapsedFolders
                                   : settings.flags & ~engine::option::kSyncCollapsedFolders;
    ResultFixture f(settings);
    fillSmall(f.comparison);
    f.open();
    ASSERT_TRUE(f.goTo("d.txt"));
    EXPECT_EQ(f.count(record::kSelected), 4u);
    EXPECT_EQ(ui::FolderCount(f.item(0), record::kToTarget), 1u);

    EXPECT_EQ(f.list().ToggleFolder(0), -4);
    EXPECT_EQ(f.rows(), "/\n[gone]\n");
    EXPECT_EQ(f.list().CurrentRow(), 0) << "the folder's row stands for its file";
    EXPECT_EQ(f.list().Row(0).expandIcon, ui::icon::kCollapsed);
    EXPECT_EQ(f.count(record::kSelected), syncCollapsed ? 4u : 0u);
    EXPECT_EQ(ui::FolderCount(f.item(0), record::kToTarget), syncCollapsed ? 1u : 0u);
    EXPECT_EQ(f.count(record::kShown), 5u) << "collapsing hides nothing from the view's count";

    EXPECT_EQ(f.list().ToggleFolder(0), 4);
    EXPECT_EQ(f.rows(), kAllRows);
    EXPECT_EQ(f.count(record::kSelected), 4u);
    EXPECT_EQ(f.list().ToggleFolder(1), 0) << "a file row does not fold";
  }
}

namespace {

// Hands a comparison's reports to the list, as the window does, and notes the rows after each folder.
struct Forwarder : engine::CompareObserver {
  ResultFixture* fixture = nullptr;
  std::vector<std::string> rowsAfterFolders;
  std::vector<bool> currentAtEnd;
  void ComparisonStarted() override { fixture->list().ComparisonStarted(); }
  void FolderPassed(const std::string&, int) override {
    fixture->list().FolderPassed();
    rowsAfterFolders.push_back(fixture->rows());
    currentAtEnd.push_back(fixture->list().CurrentRow() == fixture->list().RowCount() - 1);
  }
  void ComparisonFinished(bool) override { fixture->list().ComparisonEnded(); }
};

}  // namespace

TEST(ResultList, FollowsAComparisonFolderByFolderAndShowsFolderRowsOnceTheyAreSettled) {
  engine::EngineSettings settings;
  settings.flags |= engine::option::kHandleEmptyFolders;
  ResultFixture f(settings);
  f.open();
  auto source = std::make_unique<testsupport::MemoryStore>(engine::StoreContext{}, "/src");
  auto target = std::make_unique<testsupport::MemoryStore>(engine::StoreContext{}, "/dst");
  source->Put("a/x.txt", "1", 1);
  source->Put("b/y.txt", "1", 1);
  source->AddFolder("b/empty");
  Forwarder forwarder;
  forwarder.fixture = &f;
  engine::SessionSpec session;
  session.source = "/src";
  session.target = "/dst";
  session.flags = engine::sessionflag::kSubfolders;
  ASSERT_TRUE(f.comparison.CompareStores(session, forwarder, std::move(source), std::move(target)));
  // "a" and "b" are folder rows until their files are found: never shown as such.
  EXPECT_EQ(forwarder.rowsAfterFolders,
            (std::vector<std::string>{"", "a/\n  x.txt\n", "a/\n  x.txt\nb/\n  y.txt\n", "a/\n  x.txt\nb/\n  y.txt\n"}));
  EXPECT_EQ(forwarder.currentAtEnd, (std::vector<bool>{true, true, true, true}));
  EXPECT_EQ(f.rows(), "a/\n  x.txt\nb/\n  y.txt\n[b/empty]\n");
  EXPECT_EQ(f.count(record::kSelected), 3u);
}

TEST(ResultList, RebuildsWhileTheComparisonStillAddsFoldersAreSafe) {
  ResultFixture f;
  f.open();
  auto source = std::make_unique<testsupport::MemoryStore>(engine::StoreContext{}, "/src");
  auto target = std::make_unique<testsupport::MemoryStore>(engine::StoreContext{}, "/dst");
  for (int folder = 0; folder < 100; ++folder) {
    for (int file = 0; file < 10; ++file) source->Put("f" + std::to_string(folder) + "/" + std::to_string(file), "x", 1);
  }
  engine::SessionSpec session;
  session.source = "/src";
  session.target = "/dst";
  session.flags = engine::sessionflag::kSubfolders;
  engine::CompareObserver quiet;
  std::atomic<bool> done{false};
  std::jthread comparing([&] {
    EXPECT_TRUE(f.comparison.CompareStores(session, quiet, std::move(source), std::move(target)));
    done = true;
  });
  int rebuilds = 0;
  while (!done) {
    f.list().ToggleFilter(ui::FilterSlot::SourceOnly);
    for (int row = 0; row < f.list().RowCount(); row += 97) (void)f.list().Row(row);
    ++rebuilds;
    std::this_thread::yield();
  }
  comparing.join();
  f.list().ComparisonEnded();
  EXPECT_GT(rebuilds, 0);
  EXPECT_EQ(f.list().RowCount(), 100 * 11);
  EXPECT_EQ(f.count(record::kToTarget), 1000u);
}
