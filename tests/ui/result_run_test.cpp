#include "ui/run_plan.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/syncrun.h"
#include "tests/support/memory_store.h"
#include "tests/ui/result_fixture.h"

using testsupport::MemoryStore;
using testsupport::ResultFixture;
using ui::Command;
namespace action = engine::action;
namespace presence = engine::presence;
namespace record = ui::record;

namespace {

// Hands the run's reports to the list as the window does, and notes what the run did.
struct RunRecorder : engine::RunObserver {
  ui::ResultList* list = nullptr;
  int startingAction = 0;
  std::map<int, int> doneByAction;
  std::vector<std::string> currentDuringRun;
  std::vector<std::uint32_t> selectedAfterEach;
  int Confirm(const engine::ConfirmRequest&) override { return engine::confirm::kYesOnce; }
  void ItemStarting(const engine::CompareItem& item) override {
    startingAction = item.action;
    list->RunItemStarting(item);
    currentDuringRun.push_back(list->Row(list->CurrentRow()).source.name + list->Row(list->CurrentRow()).target.name);
  }
  void ItemDone(const engine::CompareItem& item) override {
    ++doneByAction[startingAction];
    list->RunItemDone(item);
    selectedAfterEach.push_back(list->Totals().Count(record::kSelected));
  }
  void RunFinished(const engine::RunTotals&) override { list->RunEnded(); }
};

// A comparison of two memory stores with a model whose runs are carried out at once.
struct MemoryResult {
  engine::EngineSettings settings;
  RunRecorder recorder;
  MemoryStore* source = nullptr;
  MemoryStore* target = nullptr;
  std::unique_ptr<engine::SyncEngine> engine;
  std::unique_ptr<ui::ResultModel> model;
  ResultFixture* names = nullptr;

  void compare(const std::function<void(MemoryStore&, MemoryStore&)>& fill) {
    engine = std::make_unique<engine::SyncEngine>(settings, engine::StoreContext{}, recorder);
    auto src = std::make_unique<MemoryStore>(engine::StoreContext{}, "/src");
    auto dst = std::make_unique<MemoryStore>(engine::StoreContext{}, "/dst");
    source = src.get();
    target = dst.get();
    fill(*source, *target);
    engine::SessionSpec session;
    session.source = "/src";
    session.target = "/dst";
    session.flags = engine::sessionflag::kSubfolders;
    ASSERT_TRUE(engine->CompareStores(session, recorder, std::move(src), std::move(dst)));
    ui::ViewState state;
    state.sortKey = ui::SortKey::Name;
    model = std::make_unique<ui::ResultModel>(
        *engine, state, [this](std::vector<int> items) { engine->RunSynchronization(items); }, testsupport::kTestFormat);
    recorder.list = &model->List();
  }
  bool goTo(const std::string& name) {
    ui::ResultList& list = model->List();
    for (int row = 0; row < list.RowCount(); ++row) {
      const ui::RowView view = list.Row(row);
      if (view.folderPath == name || view.source.name == name || view.target.name == name) {
        list.SetCurrentRow(row);
        return true;
      }
    }
    return false;
  }
  std::uint32_t count(int recordIndex) { return model->List().Totals().Count(recordIndex); }
};

constexpr engine::FileTime kHour = 3600 * platform::kTicksPerSecond;

void layout(MemoryStore& source, MemoryStore& target) {
  for (const char* name : {"new1", "new2", "new3"}) source.Put(name, "new", kHour);
  source.Put("changed", "newer", 9 * kHour);
  target.Put("changed", "older", kHour);
  target.Put("old", "only in the target", kHour);
  target.Put("gone", "only in the target", kHour);
  // Equal times, different content: changed on both sides.
  source.Put("clash", "source side", kHour);
  target.Put("clash", "target side!", kHour);
}

}  // namespace

TEST(ResultRun, TheRunDoesExactlyWhatTheTotalsSaid) {
  MemoryResult r;
  r.compare(layout);
  ui::ResultModel& model = *r.model;
  ASSERT_TRUE(r.goTo("new2"));
  model.Execute(Command::ToggleSelection);
  ASSERT_TRUE(r.goTo("gone"));
  model.Execute(Command::Delete);
  model.Execute(Command::ToTargetOnly);
  ASSERT_TRUE(r.goTo("new3"));
  const std::uint32_t conflicts = r.count(record::kConflict);
  const std::uint32_t toTarget = r.count(record::kToTarget);
  const std::uint32_t toSource = r.count(record::kToSource);
  const std::uint32_t deletions = r.count(record::kDelete);
  const std::uint32_t selected = r.count(record::kSelected);
  EXPECT_EQ(conflicts, 1u);
  EXPECT_EQ(toTarget, 3u);
  EXPECT_EQ(toSource, 1u);
  EXPECT_EQ(deletions, 1u);
  EXPECT_EQ(r.model->List().Totals().HiddenSelected(), 3u);

  ASSERT_TRUE(model.Execute(Command::CopyFiles));
  EXPECT_EQ(r.recorder.doneByAction, (std::map<int, int>{{action::kDelete, 1}, {action::kCopyToSource, 1},
                                                         {action::kCopyToTarget, 3}, {action::kConflict, 1}}));
  EXPECT_EQ(r.recorder.doneByAction.size(), 4u);
  int done = 0;
  for (const auto& [act, n] : r.recorder.doneByAction) done += n;
  EXPECT_EQ(static_cast<std::uint32_t>(done), selected);
  EXPECT_EQ(r.recorder.selectedAfterEach, (std::vector<std::uint32_t>{5, 4, 3, 2, 1, 0})) << "the totals follow the run";
  EXPECT_EQ(r.target->Get("clash")->content, "source side") << "a conflict left selected runs";
  EXPECT_FALSE(r.target->Has("new2"));
  EXPECT_FALSE(r.target->Has("gone"));
  EXPECT_EQ(r.source->Get("old")->content, "only in the target");

  EXPECT_EQ(r.model->List().Mode(), ui::ListMode::Idle);
  EXPECT_EQ(r.count(record::kSelected), 0u);
  EXPECT_EQ(r.count(record::kToTarget), 0u) << "the unmarked copy does not count";
  EXPECT_EQ(r.model->List().Row(r.model->List().CurrentRow()).source.name, "new3") << "back where it was";
  EXPECT_EQ(r.recorder.currentDuringRun.size(), 6u);
  EXPECT_EQ(r.recorder.currentDuringRun.front(), "changedchanged") << "the current row follows the file in progress";
}

TEST(ResultRun, DoItNowRunsTheCollectedRowsAndAConflictOnlyWhenItIsLeftSelected) {
  MemoryResult r;
  r.compare([](MemoryStore& source, MemoryStore& target) {
    source.Put("a/x", "new", 100);
    source.Put("b/y", "new", 100);
    source.Put("b/kept", "source side", 100);
    target.Put("b/kept", "target side!", 100);
    source.Put("b/sent", "source side", 100);
    target.Put("b/sent", "target side!", 100);
  });
  ui::ResultModel& model = *r.model;
  ASSERT_TRUE(r.goTo("kept"));
  model.Execute(Command::ToggleSelection);
  EXPECT_FALSE(model.Execute(Command::DoItNow)) << "an unselected row runs nothing";
  ASSERT_TRUE(r.goTo("b"));
  EXPECT_TRUE(model.Execute(Command::DoItNow));
  EXPECT_EQ(r.target->Get("b/sent")->content, "source side");
  EXPECT_EQ(r.target->Get("b/kept")->content, "target side!");
  EXPECT_TRUE(r.target->Has("b/y"));
  EXPECT_FALSE(r.target->Has("a/x")) << "another folder's row";
  EXPECT_EQ(r.count(record::kSelected), 1u);
  model.Execute(Command::SourceAndTargetOnly);
  model.Execute(Command::ToSourceOnly);
  ASSERT_EQ(r.model->List().RowCount(), 0);
  EXPECT_TRUE(model.Execute(Command::CopyFiles)) << "what the view hides runs all the same";
  EXPECT_TRUE(r.target->Has("a/x"));
}

TEST(ResultRun, ACollapsedFolderRunsAsAWholeOnlyWithItsOption) {
  for (const bool syncCollapsed : {true, false}) {
    MemoryResult r;
    if (!syncCollapsed) r.settings.flags &= ~engine::option::kSyncCollapsedFolders;
    r.compare([](MemoryStore& source, MemoryStore&) {
      for (const char* name : {"a/1", "a/2", "a/3", "b/4"}) source.Put(name, "new", 100);
    });
    ui::ResultModel& model = *r.model;
    ASSERT_TRUE(r.goTo("3"));
    model.Execute(Command::ToggleSelection);
    ASSERT_TRUE(r.goTo("a"));
    r.model->List().ToggleFolder(r.model->List().CurrentRow());
    EXPECT_EQ(model.Execute(Command::DoItNow), syncCollapsed);
    EXPECT_EQ(r.target->Has("a/1") && r.target->Has("a/2"), syncCollapsed);
    EXPECT_FALSE(r.target->Has("a/3"));
    EXPECT_EQ(r.count(record::kSelected), 1u) << "b/4";
    EXPECT_TRUE(model.Execute(Command::CopyFiles));
    EXPECT_TRUE(r.target->Has("b/4"));
    EXPECT_EQ(r.target->Has("a/1"), syncCollapsed);
  }
}

TEST(ResultRun, FileListsNameWhatTheRunReadsAndWhatItOverwritesOrDeletes) {
  ResultFixture f;
  const int top = f.comparison.AddFolder(f.comparison.AddPair(false), "", -1);
  f.comparison.AddFile(top, {.name = "a", .presence = presence::kSource});
  f.comparison.AddFile(top, {.name = "b"});
  f.comparison.AddFile(top, {.name = "c", .action = action::kCopyToSource});
  f.comparison.AddFile(top, {.name = "d", .action = action::kDelete});
  f.comparison.AddFile(top, {.name = "e", .action = action::kDelete, .presence = presence::kTarget});
  f.comparison.AddFile(top, {.name = "f", .action = action::kConflict});
  f.comparison.AddFile(top, {.name = "g", .marked = false});
  f.comparison.AddFile(top, {.name = "h", .action = action::kCopyToSource, .presence = presence::kTarget});
  f.comparison.AddFile(top, {.name = "i"});
  f.item(f.comparison.Order().back()).targetName = "I";
  auto paths = [](const std::vector<ui::PlannedFile>& files) {
    std::string text;
    for (const ui::PlannedFile& file : files) text += file.path + (file.sourceSide ? "<" : ">") + " ";
    return text;
  };
  EXPECT_EQ(paths(ui::NewFiles(f.comparison)), "/src/a< /src/b< /dst/c> /src/f< /dst/h> /src/i< ");
  EXPECT_EQ(paths(ui::BackupFiles(f.comparison)), "/dst/b> /src/c< /src/d< /dst/d> /dst/e> /dst/f> /dst/I> ");
}

TEST(ResultRun, WhileARunGoesOnOnlyTheViewChanges) {
  ResultFixture f;
  const int top = f.comparison.AddFolder(f.comparison.AddPair(false), "", -1);
  f.comparison.AddFile(top, {.name = "a"});
  f.comparison.AddFile(top, {.name = "b", .action = action::kCopyToSource});
  ui::ResultModel& model = f.open();
  ASSERT_TRUE(f.goTo("a"));
  ASSERT_TRUE(model.Execute(Command::DoItNow));
  EXPECT_EQ(f.handedToRun, (std::vector<std::vector<int>>{{1}}));
  EXPECT_FALSE(model.Execute(Command::DoItNow));
  EXPECT_FALSE(model.Execute(Command::SelectNone));
  EXPECT_FALSE(model.Execute(Command::Reverse));
  EXPECT_FALSE(model.Execute(Command::ToggleFolders));
  EXPECT_EQ(f.list().ToggleFolder(0), 0);
  EXPECT_EQ(f.count(record::kSelected), 2u);
  EXPECT_TRUE(model.Execute(Command::ToSourceOnly));
  EXPECT_EQ(f.rows(), "/\n  b\n");
  f.list().RunEnded();
  EXPECT_TRUE(model.Execute(Command::SelectNone));
  EXPECT_EQ(f.count(record::kSelected), 1u) << "the row shown is unmarked, the hidden one is not";
}
