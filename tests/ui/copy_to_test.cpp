#include "ui/copy_to.h"

#include <gtest/gtest.h>

#include <deque>
#include <unistd.h>

#include "config/profile.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "tests/support/memory_store.h"
#include "tests/support/temp_tree.h"

using ui::CopyToAction;
using ui::CopyToList;
using ui::PlannedFile;
namespace confirm = engine::confirm;

namespace {

std::vector<PlannedFile> files(std::initializer_list<const char*> paths) {
  std::vector<PlannedFile> list;
  for (const char* path : paths) list.push_back({0, true, path});
  return list;
}

struct Recorder : ui::CopyToObserver {
  std::deque<int> answers;
  int asked = 0;
  std::vector<std::string> skipped;
  std::vector<std::string> failed;
  bool goOn = true;
  int ConfirmOverwrite(const engine::ConfirmRequest&) override {
    ++asked;
    if (answers.empty()) return confirm::kSkipOnce;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void FileSkipped(const std::string& path, const std::string& reason) override {
    skipped.push_back(platform::fileNameOf(path) + ": " + reason);
  }
  bool FileFailed(const std::string& path, const std::string& reason) override {
    failed.push_back(platform::fileNameOf(path) + ": " + reason);
    return goOn;
  }
};

// A comparison of two local folders: files only in the source go to the target.
struct CopyToDisk : ::testing::Test {
  testsupport::TempTree tree;
  engine::EngineSettings settings;
  engine::CompareEngine engine{settings, engine::StoreContext{}};
  engine::CompareObserver quiet;
  Recorder recorder;

  void compare(const std::string& source = "src", const std::string& target = "dst") {
    engine::SessionSpec session;
    session.source = tree.folder(source);
    session.target = tree.folder(target);
    session.flags = engine::sessionflag::kSubfolders;
    ASSERT_TRUE(engine.RunComparison(session, quiet)) << engine.LastError();
  }
  ui::CopyToResult copy(CopyToAction action = CopyToAction::Copy, std::string strip = "",
                        CopyToList list = CopyToList::NewFiles) {
    if (strip.empty()) strip = tree.path("src") + "/";
    return ui::CopyTo(engine, {list, tree.path("out"), strip, action}, recorder);
  }
  std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    auto search = platform::DirectorySearch::open(tree.path(folder));
    platform::FindData entry;
    while (search && search->next(entry)) {
      if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

}  // namespace

TEST(CopyTo, StripChoicesAreTheFoldersThatHoldEveryFileAndLetterCaseCounts) {
  EXPECT_EQ(ui::StripChoices(files({"/T/src/a/x.txt", "/T/src/b/y.txt"})), (std::vector<std::string>{"/T/src/", "/T/"}));
  EXPECT_EQ(ui::StripChoices(files({"/T/src/A/x.txt", "/T/src/a/y.txt"})), (std::vector<std::string>{"/T/src/", "/T/"}));
  EXPECT_EQ(ui::StripChoices(files({"/T/a/b/c.txt"})), (std::vector<std::string>{"/T/a/b/", "/T/a/", "/T/"}));
  EXPECT_TRUE(ui::StripChoices(files({"/x/a.txt", "/y/b.txt"})).empty());
  EXPECT_TRUE(ui::StripChoices(files({"/T/srcA/x.txt", "/T/src/y.txt"})) == std::vector<std::string>{"/T/"})
      << "a folder is a whole name, not a prefix of one";

  std::string error;
  auto plan = ui::PlanCopyTo(files({"/T/src/a/x.txt", "/T/src/b/y.txt"}), "/T/src/", error);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->entries[0].destination + " " + plan->entries[1].destination, "a/x.txt b/y.txt");
  plan = ui::PlanCopyTo(files({"/x/a.txt", "/y/b.txt"}), "", error);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->entries[0].destination + " " + plan->entries[1].destination, "x/a.txt y/b.txt")
      << "without a common folder the whole path is kept";
  EXPECT_FALSE(ui::PlanCopyTo(files({"/T/src/a/x.txt", "/T/src/b/y.txt"}), "/T/src/a/", error));
  EXPECT_FALSE(ui::PlanCopyTo(files({"/T/Src/a.txt"}), "/T/src/", error));
  EXPECT_NE(error.find("/T/Src/a.txt"), std::string::npos);
  plan = ui::PlanCopyTo(files({"/T/a.txt", "/T/b.txt", "/T/a.txt"}), "/T", error);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->entries.size(), 1u);
  EXPECT_EQ(plan->refused.size(), 2u) << "both files that would arrive at one place";
}

TEST_F(CopyToDisk, FilesArriveBelowTheTargetWithTheirFoldersBelowTheChosenCommonFolder) {
  tree.writeWithTime("src/a/x.txt", "x", testsupport::utcTime(2020, 1, 2, 3, 4, 5));
  tree.write("src/b/y.txt", "y");
  compare();
  const std::string blanks = "  ";
  const ui::CopyToResult result =
      ui::CopyTo(engine, {CopyToList::NewFiles, blanks + tree.path("out") + blanks, tree.path("src") + "/"}, recorder);
  EXPECT_EQ(result.refused, "");
  EXPECT_EQ(tree.read("out/a/x.txt"), "x");
  EXPECT_EQ(tree.read("out/b/y.txt"), "y");
  EXPECT_EQ(platform::getLastWriteTime(tree.path("out/a/x.txt")), testsupport::utcTime(2020, 1, 2, 3, 4, 5));
  EXPECT_TRUE(tree.exists("src/a/x.txt"));
  EXPECT_EQ(ui::CopyToSummary(result), "Total files copied: 2, skipped: 0, failed: 0");

  const ui::CopyToResult whole = ui::CopyTo(engine, {CopyToList::NewFiles, tree.path("full"), ""}, recorder);
  EXPECT_EQ(whole.copied, 2u);
  EXPECT_EQ(tree.read("full" + tree.path("src/a/x.txt")), "x");
}

TEST_F(CopyToDisk, AFileIsNeverCopiedOntoItself) {
  tree.write("src/a/x.txt", "precious");
  compare();
  ASSERT_EQ(symlink(tree.path("src").c_str(), tree.path("link-to-src").c_str()), 0);
  for (const char* target : {"src", "link-to-src"}) {
    recorder.skipped.clear();
    const ui::CopyToResult result =
        ui::CopyTo(engine, {CopyToList::NewFiles, tree.path(target), tree.path("src") + "/"}, recorder);
    EXPECT_EQ(result.skipped, 1u) << target;
    EXPECT_EQ(result.copied, 0u) << target;
    EXPECT_EQ(recorder.skipped, (std::vector<std::string>{"x.txt: the destination is the file itself"}));
    EXPECT_EQ(recorder.asked, 0);
  }
  EXPECT_EQ(tree.read("src/a/x.txt"), "precious");
  EXPECT_EQ(entries("src/a"), (std::vector<std::string>{"x.txt"}));
}

TEST_F(CopyToDisk, AnExistingDestinationIsReplacedOnlyWhenTheUserAgreesAndASkipNeverWritesIt) {
  struct Case {
    std::deque<int> answers;
    int asked;
    int replaced;
    bool cancelled;
  };
  const Case cases[] = {
      {{confirm::kSkipOnce, confirm::kSkipOnce}, 2, 0, false},
      {{confirm::kSkipAll}, 1, 0, false},
      {{confirm::kSkipThisAction}, 1, 0, false},
      {{confirm::kYesOnce, confirm::kSkipOnce}, 2, 1, false},
      {{static_cast<int>(confirm::kOverwrite | confirm::kDirections)}, 1, 2, false},
      {{static_cast<int>(confirm::kOverwrite)}, 1, 2, false},
      {{confirm::kCancel}, 1, 0, true},
  };
  tree.write("src/a/x.txt", "new");
  tree.write("src/b/y.txt", "new");
  compare();
  for (const Case& c : cases) {
    tree.write("out/a/x.txt", "old");
    tree.write("out/b/y.txt", "old");
    recorder.answers = c.answers;
    recorder.asked = 0;
    const ui::CopyToResult result = copy();
    const int replaced = (tree.read("out/a/x.txt") == "new" ? 1 : 0) + (tree.read("out/b/y.txt") == "new" ? 1 : 0);
    EXPECT_EQ(recorder.asked, c.asked) << c.answers.front();
    EXPECT_EQ(replaced, c.replaced) << c.answers.front();
    EXPECT_EQ(result.cancelled, c.cancelled) << c.answers.front();
    EXPECT_EQ(result.copied + result.skipped, c.cancelled ? 0u : 2u) << c.answers.front();
    EXPECT_EQ(entries("out/a"), (std::vector<std::string>{"x.txt"})) << "nothing left beside it";
  }
}

TEST_F(CopyToDisk, MoveRemovesASourceOnlyAfterItsCopyIsInPlace) {
  tree.write("src/a/x.txt", std::string(100000, 'x'));
  tree.write("src/b/y.txt", "y");
  compare();
  platform::injectCopyWriteFault(0);
  const ui::CopyToResult failing = copy(CopyToAction::Move);
  platform::injectCopyWriteFault(std::nullopt);
  EXPECT_EQ(failing.failed, 2u);
  EXPECT_TRUE(tree.exists("src/a/x.txt") && tree.exists("src/b/y.txt"));
  EXPECT_FALSE(tree.exists("out/a/x.txt") || tree.exists("out/b/y.txt"));

  const ui::CopyToResult moved = copy(CopyToAction::Move);
  EXPECT_EQ(moved.copied, 2u);
  EXPECT_EQ(tree.read("out/a/x.txt"), std::string(100000, 'x'));
  EXPECT_FALSE(tree.exists("src/a/x.txt") || tree.exists("src/b/y.txt"));
}

TEST_F(CopyToDisk, CreateTreeMakesTheFoldersOnly) {
  tree.write("src/a/x.txt", "x");
  tree.write("src/b/c/y.txt", "y");
  compare();
  const ui::CopyToResult result = copy(CopyToAction::CreateTree);
  EXPECT_EQ(result.copied + result.failed + result.skipped, 0u);
  EXPECT_EQ(entries("out"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(entries("out/a").empty());
  EXPECT_EQ(entries("out/b"), (std::vector<std::string>{"c"}));
}

TEST_F(CopyToDisk, NothingIsWrittenForATargetOrStripThatCannotBeUsedOrForCollidingFiles) {
  tree.write("src/a/x.txt", "x");
  compare();
  EXPECT_NE(ui::CopyTo(engine, {CopyToList::NewFiles, "   ", ""}, recorder).refused, "");
  EXPECT_NE(ui::CopyTo(engine, {CopyToList::NewFiles, "relative/out", ""}, recorder).refused, "");
  EXPECT_NE(copy(CopyToAction::Copy, tree.path("src/b/")).refused, "");
  EXPECT_FALSE(tree.exists("out"));
  // A second session with the same source lists the same file again.
  compare("src", "dst2");
  const ui::CopyToResult result = copy();
  EXPECT_EQ(result.failed, 2u);
  EXPECT_EQ(recorder.failed.size(), 2u);
  EXPECT_NE(recorder.failed.front().find("another file would arrive at the same place"), std::string::npos);
  EXPECT_FALSE(tree.exists("out/a/x.txt"));
}

TEST_F(CopyToDisk, BackupFilesAreCopiedFromTheSideTheRunWouldOverwrite) {
  tree.writeWithTime("src/doc.txt", "newer", testsupport::utcTime(2024, 1, 1, 0, 0, 0));
  tree.writeWithTime("dst/doc.txt", "older", testsupport::utcTime(2020, 1, 1, 0, 0, 0));
  compare();
  const ui::CopyToResult result = copy(CopyToAction::Copy, tree.path("dst") + "/", CopyToList::BackupFiles);
  EXPECT_EQ(result.copied, 1u);
  EXPECT_EQ(tree.read("out/doc.txt"), "older");
}

TEST(CopyTo, FilesOfStoresThatAreNoLocalFolderAreLeftOutAndAFailureMayEndTheJob) {
  engine::CompareEngine engine(engine::EngineSettings{}, engine::StoreContext{});
  auto source = std::make_unique<testsupport::MemoryStore>(engine::StoreContext{}, "/src");
  source->Put("a.txt", "a", 1);
  source->Put("b.txt", "b", 1);
  ASSERT_TRUE(testsupport::CompareWithEmptyTarget(engine, std::move(source)));
  testsupport::TempTree tree;
  Recorder recorder;
  recorder.goOn = false;
  const ui::CopyToResult result = ui::CopyTo(engine, {CopyToList::NewFiles, tree.path("out"), "/src/"}, recorder);
  EXPECT_EQ(result.failed, 1u);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(recorder.failed, (std::vector<std::string>{"a.txt: not a file of a local folder"}));
}

TEST(CopyTo, TargetsAreRememberedUnderCopyToCmb) {
  config::CProfile profile;
  config::ComboHistory targets = ui::CopyToTargets();
  targets.Confirm("/media/stick");
  targets.Save(profile);
  EXPECT_EQ(profile.GetText("Combos", "Combo_CopyToCmb0", ""), "&</media/stick>");
  config::ComboHistory reread = ui::CopyToTargets();
  reread.Load(profile);
  EXPECT_EQ(reread.Entries(), (std::vector<std::string>{"/media/stick"}));
}
