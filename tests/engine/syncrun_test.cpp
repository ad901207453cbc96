#include "engine/syncrun.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>

#include "engine/plan_text.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "platform/path.h"
#include "tests/support/memory_store.h"
#include "tests/support/temp_tree.h"

using engine::SessionSpec;
using engine::SyncEngine;
using testsupport::MemoryStore;
namespace confirm = engine::confirm;

namespace {

constexpr engine::FileTime kSecond = platform::kTicksPerSecond;
const engine::FileTime kNoon = testsupport::utcTime(2024, 3, 1, 12, 0, 0);

struct ScriptedObserver : engine::RunObserver {
  int Confirm(const engine::ConfirmRequest& request) override {
    asked.push_back(request.kind);
    if (answers.empty()) return confirm::kSkipOnce;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ItemFailed(const engine::CompareItem&, const std::string& path, const std::string& reason) override {
    failures.push_back(platform::fileNameOf(path) + ": " + reason);
  }
  void ProgressBytes(std::uint64_t done, std::uint64_t) override {
    if (cancelAt != 0 && done >= cancelAt && engine != nullptr) engine->Cancel();
  }
  void ItemStarting(const engine::CompareItem& item) override { started.push_back(item.relativePath()); }
  void ItemDone(const engine::CompareItem&) override {
    if (++doneCount == cancelAfterDone && engine != nullptr) engine->Cancel();
  }
  std::vector<std::string> started;
  int doneCount = 0;
  int cancelAfterDone = -1;
  std::deque<int> answers;
  std::vector<std::uint32_t> asked;
  std::vector<std::string> failures;
  std::uint64_t cancelAt = 0;
  SyncEngine* engine = nullptr;
};

// A run over memory stores: five files to overwrite on each side and five to delete on each.
struct MemoryRun : ::testing::Test {
  engine::EngineSettings settings;
  ScriptedObserver observer;
  MemoryStore* source = nullptr;
  MemoryStore* target = nullptr;
  std::unique_ptr<SyncEngine> engine;

  void compare(int todo, const std::function<void(MemoryStore&, MemoryStore&)>& fill) {
    engine = std::make_unique<SyncEngine>(settings, engine::StoreContext{}, observer);
    observer.engine = engine.get();
    auto src = std::make_unique<MemoryStore>(engine::StoreContext{}, "/src");
    auto dst = std::make_unique<MemoryStore>(engine::StoreContext{}, "/dst");
    source = src.get();
    target = dst.get();
    fill(*source, *target);
    SessionSpec session;
    session.source = "/src";
    session.target = "/dst";
    session.todo = todo;
    session.flags = engine::sessionflag::kSubfolders;
    ASSERT_TRUE(engine->CompareStores(session, observer, std::move(src), std::move(dst)));
  }
  void run() { engine->RunSynchronization({}); }
  std::string remaining() {
    std::ostringstream out;
    engine::WritePlan(out, *engine);
    return out.str();
  }
};

void overwritesBothWays(MemoryStore& source, MemoryStore& target) {
  source.Put("to-target-1", "new", kNoon + 100 * kSecond);
  target.Put("to-target-1", "old", kNoon);
  source.Put("to-target-2", "new", kNoon + 100 * kSecond);
  target.Put("to-target-2", "old", kNoon);
  source.Put("to-source-1", "old", kNoon);
  target.Put("to-source-1", "new", kNoon + 100 * kSecond);
  source.Put("to-source-2", "old", kNoon);
  target.Put("to-source-2", "new", kNoon + 100 * kSecond);
}

}  // namespace

TEST_F(MemoryRun, EveryAnswerOfTheConfirmationTable) {
  struct Case {
    std::deque<int> answers;
    int asked;       // questions that reached the user
    int overwritten;  // of the four files
    bool cancelled;
  };
  const Case cases[] = {
      {{confirm::kYesOnce, confirm::kYesOnce, confirm::kYesOnce, confirm::kYesOnce}, 4, 4, false},
      {{static_cast<int>(confirm::kOverwrite | confirm::kDirections)}, 1, 4, false},           // Overwrite + for all
      // Overwrite + for this action: the copies to the source are answered, those to the target asked.
      {{static_cast<int>(confirm::kOverwrite | confirm::kToSourceSide), confirm::kYesOnce, confirm::kYesOnce}, 3, 4, false},
      {{confirm::kSkipOnce, confirm::kSkipOnce, confirm::kSkipOnce, confirm::kSkipOnce}, 4, 0, false},
      {{confirm::kSkipAll}, 1, 0, false},
      // Skip + for this action: a remembered no answers every request it shares a bit with.
      {{confirm::kSkipThisAction, confirm::kYesOnce}, 1, 0, false},
      {{confirm::kCancel}, 1, 0, true},
  };
  for (const Case& c : cases) {
    compare(0, [](MemoryStore& s, MemoryStore& t) { overwritesBothWays(s, t); });
    observer.answers = c.answers;
    observer.asked.clear();
    run();
    int overwritten = 0;
    for (const char* name : {"to-target-1", "to-target-2"}) overwritten += target->Get(name)->content == "new" ? 1 : 0;
    for (const char* name : {"to-source-1", "to-source-2"}) overwritten += source->Get(name)->content == "new" ? 1 : 0;
    EXPECT_EQ(static_cast<int>(observer.asked.size()), c.asked) << "answers " << c.answers.front();
    EXPECT_EQ(overwritten, c.overwritten) << "answers " << c.answers.front();
    EXPECT_EQ(engine->Totals().cancelled, c.cancelled);
  }
}

TEST_F(MemoryRun, AgreeingToOverwritesNeverAgreesToDeletions) {
  compare(2, [](MemoryStore& s, MemoryStore& t) {
    s.Put("a", "new", kNoon + 100 * kSecond);
    t.Put("a", "old", kNoon);
    s.Put("b", "new", kNoon + 100 * kSecond);
    t.Put("b", "old", kNoon);
    t.Put("extra", "only in the target", kNoon);
  });
  observer.answers = {static_cast<int>(confirm::kOverwrite | confirm::kDirections), confirm::kSkipOnce};
  run();
  EXPECT_EQ(observer.asked, (std::vector<std::uint32_t>{confirm::kOverwrite | confirm::kToTargetSide,
                                                        confirm::kDelete | confirm::kToSourceSide}));
  EXPECT_TRUE(target->Has("extra"));
  EXPECT_EQ(target->Get("b")->content, "new");
}

TEST_F(MemoryRun, NoConfirmationsOptionAsksNothingAndDeletesBothSidesSourceFirst) {
  settings.flags |= engine::option::kNoConfirmations;
  compare(0, [](MemoryStore& s, MemoryStore& t) {
    s.Put("both", "x", kNoon);
    t.Put("both", "x", kNoon);
  });
  for (int index : engine->Order()) {
    auto& item = engine->Items().at(index);
    if (!item.isFolder()) {
      item.action = engine::action::kDelete;
      item.flags |= engine::itemflag::kSelected;
    }
  }
  run();
  EXPECT_TRUE(observer.asked.empty());
  EXPECT_FALSE(source->Has("both"));
  EXPECT_FALSE(target->Has("both"));
  EXPECT_EQ(engine->Totals().deleted, 2u);
}

TEST_F(MemoryRun, FilesChangedSinceTheComparisonAreSkipped) {
  settings.flags |= engine::option::kNoConfirmations;
  compare(2, [](MemoryStore& s, MemoryStore& t) {
    s.Put("edited", "new", kNoon + 100 * kSecond);
    t.Put("edited", "old", kNoon);
    t.Put("obsolete", "x", kNoon);
    s.Put("fresh", "x", kNoon);
  });
  target->Put("edited", "edited meanwhile", kNoon + 50 * kSecond);
  target->Put("obsolete", "now holds something else", kNoon + 60 * kSecond);
  target->Put("fresh", "appeared meanwhile", kNoon);
  run();
  EXPECT_EQ(target->Get("edited")->content, "edited meanwhile");
  EXPECT_EQ(target->Get("obsolete")->content, "now holds something else");
  EXPECT_EQ(target->Get("fresh")->content, "appeared meanwhile");
  EXPECT_EQ(observer.failures.size(), 3u);
  EXPECT_NE(observer.failures[0].find("changed since comparison"), std::string::npos);
  EXPECT_EQ(engine->Totals().failed, 3u);
}

TEST_F(MemoryRun, EitherTheTimeOrTheSizeAloneTellsThatAFileChangedSinceTheComparison) {
  settings.flags |= engine::option::kNoConfirmations;
  compare(2, [](MemoryStore& s, MemoryStore& t) {
    s.Put("touched", "new", kNoon + 100 * kSecond);
    t.Put("touched", "old", kNoon);
    s.Put("grown", "new", kNoon + 100 * kSecond);
    t.Put("grown", "old", kNoon);
    t.Put("obsolete", "xyz", kNoon);
  });
  target->Put("touched", "ol2", kNoon + 50 * kSecond);  // same size, another time
  target->Put("grown", "older", kNoon);                  // same time, another size
  target->Put("obsolete", "abc", kNoon + 60 * kSecond);  // same size, another time
  run();
  EXPECT_EQ(target->Get("touched")->content, "ol2");
  EXPECT_EQ(target->Get("grown")->content, "older");
  EXPECT_EQ(target->Get("obsolete")->content, "abc");
  EXPECT_EQ(engine->Totals().failed, 3u);
}

namespace {

// A store whose batch cannot be written at its end, like an archive on a full disk: every write
// of the batch is lost.
struct LosingStore : MemoryStore {
  using MemoryStore::MemoryStore;
  bool NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) override {
    written.push_back(path);
    return MemoryStore::NoteWrittenFile(path, localPath, keepExisting);
  }
  bool DeleteFile(const std::string& path) override {
    written.push_back(path);
    return MemoryStore::DeleteFile(path);
  }
  std::vector<std::string> TakeLostWrites() override { return std::move(written); }
  std::vector<std::string> written;
};

}  // namespace

TEST(LostWrites, ItemsWhoseWritesAreLostCountAsFailedAndAreNotRemembered) {
  engine::EngineSettings settings;
  settings.flags |= engine::option::kNoConfirmations | engine::option::kUseHistory;
  ScriptedObserver observer;
  SyncEngine engine(settings, engine::StoreContext{}, observer);
  auto source = std::make_unique<MemoryStore>(engine::StoreContext{}, "/src");
  auto target = std::make_unique<LosingStore>(engine::StoreContext{}, "/dst");
  source->Put("new.txt", "new", kNoon);
  target->Put("old.txt", "old", kNoon);
  LosingStore* losing = target.get();
  SessionSpec session;
  session.source = "/src";
  session.target = "/dst";
  session.todo = 2;
  ASSERT_TRUE(engine.CompareStores(session, observer, std::move(source), std::move(target)));
  engine.RunSynchronization({});
  EXPECT_EQ(engine.Totals().failed, 2u);
  EXPECT_EQ(engine.Totals().copiedToTarget, 0u);
  EXPECT_EQ(engine.Totals().deleted, 0u);
  std::ostringstream plan;
  engine::WritePlan(plan, engine);
  // Neither is taken for equal, so no history records them.
  EXPECT_EQ(plan.str(), "copy ->  source new.txt  [3 " + platform::formatCalendar(platform::localFromFileTime(kNoon)) +
                            "]  [-]\ndelete   target old.txt  [-]  [3 " +
                            platform::formatCalendar(platform::localFromFileTime(kNoon)) + "]\n");
  EXPECT_TRUE(losing->written.empty());
}

namespace {

struct DiskRun : ::testing::Test {
  testsupport::TempTree tree;
  engine::EngineSettings settings;
  ScriptedObserver observer;
  std::unique_ptr<SyncEngine> engine;
  SessionSpec session;

  void SetUp() override {
    settings.flags |= engine::option::kNoConfirmations;
    session.source = tree.folder("src");
    session.target = tree.folder("dst");
    session.flags = engine::sessionflag::kSubfolders;
  }
  bool compareAndRun() {
    engine = std::make_unique<SyncEngine>(settings, engine::StoreContext{}, observer);
    observer.engine = engine.get();
    if (!engine->StartCompare({session}, true)) return false;
    engine->StartSynchronize({}, true);
    return engine->StartFinish(true);
  }
};

}  // namespace

TEST_F(DiskRun, CancelInTheMiddleOfALargeFileKeepsTheOldDestinationAndTheAction) {
  tree.write("src/big.bin", std::string(6 << 20, 'n'));
  tree.writeWithTime("dst/big.bin", "old content", testsupport::utcTime(2000, 1, 1, 0, 0, 0));
  observer.cancelAt = 2 << 20;
  session.todo = 2;
  ASSERT_TRUE(compareAndRun());
  EXPECT_EQ(tree.read("dst/big.bin"), "old content");
  EXPECT_TRUE(engine->Totals().cancelled);
  EXPECT_EQ(engine->Totals().failed, 0u) << "a cancelled copy is no failure";
  const auto& item = engine->Items().at(engine->Order().back());
  EXPECT_EQ(item.action, engine::action::kCopyToTarget);
  EXPECT_EQ(platform::parentOf(tree.path("dst/big.bin")), tree.path("dst"));
  std::vector<std::string> names;
  auto search = platform::DirectorySearch::open(tree.path("dst"));
  platform::FindData entry;
  while (search->next(entry)) names.push_back(entry.name);
  EXPECT_EQ(names.size(), 3u) << "only ., .. and big.bin";
}

TEST_F(DiskRun, ReadOnlyTargetIsOverwrittenAndBackupsAreKept) {
  settings.flags |= engine::option::kMakeBackup;
  settings.backupPath = tree.path("backups");
  tree.write("src/a/doc.txt", "new");
  const std::string old = tree.writeWithTime("dst/a/doc.txt", "old", testsupport::utcTime(2000, 1, 1, 0, 0, 0));
  ASSERT_TRUE(platform::setAttributes(old, platform::attr::kReadOnly));
  tree.write("dst/a/extra.txt", "only in the target");
  session.todo = 2;
  ASSERT_TRUE(compareAndRun());
  EXPECT_EQ(tree.read("dst/a/doc.txt"), "new");
  EXPECT_FALSE(tree.exists("dst/a/extra.txt"));
  EXPECT_EQ(tree.read("backups/a/doc.txt"), "old");
  EXPECT_EQ(tree.read("backups/a/extra.txt"), "only in the target");
}

TEST_F(DiskRun, AFailedBackupSkipsTheItem) {
  settings.flags |= engine::option::kMakeBackup;
  tree.write("blocker", "a file where the backup folder would be");
  settings.backupPath = tree.path("blocker/backups");
  tree.write("src/doc.txt", "new");
  tree.writeWithTime("dst/doc.txt", "old", testsupport::utcTime(2000, 1, 1, 0, 0, 0));
  tree.write("dst/extra.txt", "keep me");
  session.todo = 2;
  ASSERT_TRUE(compareAndRun());
  EXPECT_EQ(tree.read("dst/doc.txt"), "old");
  EXPECT_EQ(tree.read("dst/extra.txt"), "keep me");
  EXPECT_EQ(engine->Totals().failed, 2u);
}

TEST_F(DiskRun, FolderRowDeletionKeepsFilesTheMasksLeaveOut) {
  settings.flags |= engine::option::kHandleEmptyFolders;
  tree.write("src/keep.txt", "1");
  tree.write("dst/old/notes.doc", "not a .txt file, never listed");
  tree.folder("dst/empty/deeper");
  session.files = "*.txt";
  session.todo = 2;
  ASSERT_TRUE(compareAndRun());
  EXPECT_EQ(tree.read("dst/old/notes.doc"), "not a .txt file, never listed");
  EXPECT_FALSE(tree.exists("dst/empty"));
  EXPECT_EQ(observer.failures.size(), 1u);
  EXPECT_EQ(tree.read("dst/keep.txt"), "1");
}

TEST_F(DiskRun, FoldersACopyMadeAreOnBothSidesAfterwards) {
  tree.write("src/new/deep/a.txt", "a");
  tree.write("dst/back/b.txt", "b");
  session.todo = 0;
  ASSERT_TRUE(compareAndRun());
  ASSERT_TRUE(tree.exists("dst/new/deep/a.txt"));
  ASSERT_TRUE(tree.exists("src/back/b.txt"));
  int folders = 0;
  for (int index = 0; index < engine->Items().Count(); ++index) {
    const engine::CompareItem& item = engine->Items().at(index);
    if (!item.isFolder()) continue;
    ++folders;
    EXPECT_EQ(item.presence, engine::presence::kBoth) << "folder '" << item.name << "'";
  }
  EXPECT_EQ(folders, 2) << "new/deep and back";
}

TEST_F(DiskRun, ACollapsedFolderRunsItsFilesAndLeavesFolderRowsBelowItToTheirOwnTurn) {
  settings.flags |= engine::option::kHandleEmptyFolders | engine::option::kSyncCollapsedFolders;
  tree.write("src/f/doc.txt", "new");
  tree.folder("dst/f/gone");
  session.todo = 2;
  engine = std::make_unique<SyncEngine>(settings, engine::StoreContext{}, observer);
  ASSERT_TRUE(engine->StartCompare({session}, true));
  for (const int index : engine->Order()) {
    engine::CompareItem& item = engine->Items().at(index);
    if (item.name == "f") item.flags |= engine::itemflag::kCollapsed;
  }
  engine->StartSynchronize({}, true);
  EXPECT_EQ(tree.read("dst/f/doc.txt"), "new");
  EXPECT_FALSE(tree.exists("dst/f/gone"));
  EXPECT_EQ(engine->Totals().foldersRemoved, 1u);
}

TEST_F(DiskRun, HistoryCarriesADeletionOverOnTheNextRun) {
  settings.flags |= engine::option::kUseHistory;
  tree.write("src/one.txt", "1");
  tree.write("src/two.txt", "2");
  tree.write("dst/two.txt", "2");
  ASSERT_TRUE(platform::setLastWriteTime(tree.path("dst/two.txt"), *platform::getLastWriteTime(tree.path("src/two.txt"))));
  session.todo = 0;
  ASSERT_TRUE(compareAndRun());
  EXPECT_EQ(tree.read("dst/one.txt"), "1");
  EXPECT_NE(tree.read("dst/synch.log").find("two.txt"), std::string::npos) << "equal files are remembered too";
  ASSERT_TRUE(platform::deleteFile(tree.path("dst/two.txt")));
  ASSERT_TRUE(compareAndRun());
  EXPECT_FALSE(tree.exists("src/two.txt")) << "the deletion in the target is carried over";
  EXPECT_EQ(tree.read("src/synch.log").find("two.txt"), std::string::npos);
  EXPECT_EQ(tree.read("dst/synch.log").find("two.txt"), std::string::npos) << "no side remembers it";

  tree.write("src/two.txt", "a new file of an old name");
  ASSERT_TRUE(compareAndRun());
  EXPECT_EQ(tree.read("dst/two.txt"), "a new file of an old name") << "copied, never taken for a deleted one";
}

TEST_F(DiskRun, HistoryThreadMakesHistoryFiles) {
  tree.write("src/a.txt", "1");
  tree.write("src/sub/b.txt", "2");
  engine = std::make_unique<SyncEngine>(settings, engine::StoreContext{}, observer);
  EXPECT_TRUE(engine->StartHistory(tree.path("src"), true, true));
  EXPECT_NE(tree.read("src/synch.log").find("a.txt"), std::string::npos);
  EXPECT_NE(tree.read("src/sub/synch.log").find("b.txt"), std::string::npos);
  EXPECT_FALSE(engine->StartHistory(tree.path("missing"), true, true));
}

TEST_F(DiskRun, ThePoolOfCopyThreadsDoesAndReportsWhatOneThreadDoes) {
  auto layOut = [&] {
    (void)platform::removeTree(tree.path("src"));
    (void)platform::removeTree(tree.path("dst"));
    for (int i = 0; i < 240; ++i) {
      const std::string name = "d" + std::to_string(i % 12) + "/f" + std::to_string(i) + ".txt";
      tree.writeWithTime("src/" + name, "content of " + name, kNoon + static_cast<engine::FileTime>(i) * kSecond);
      // Some are there already, older: overwritten one at a time, between the pooled ones.
      if (i % 7 == 0) tree.writeWithTime("dst/" + name, "old", kNoon - kSecond);
    }
    tree.folder("dst");
  };
  struct Outcome {
    std::string target;
    std::string remaining;
    std::vector<std::string> reported;
    std::uint64_t copied = 0;
    std::uint64_t failed = 0;
    bool operator==(const Outcome&) const = default;
  };
  auto runWith = [&](unsigned threads) {
    layOut();
    settings.copyThreads = threads;
    observer = ScriptedObserver{};
    EXPECT_TRUE(compareAndRun());
    Outcome outcome;
    for (const std::string& file : platform::filesBelow(tree.path("dst"))) outcome.target += file.substr(tree.root().size()) + "=" + platform::readWholeFile(file).value_or("?") + ";";
    std::ostringstream plan;
    engine::WritePlan(plan, *engine);
    outcome.remaining = plan.str();
    outcome.reported = observer.started;
    outcome.copied = engine->Totals().copiedToTarget;
    outcome.failed = engine->Totals().failed;
    return outcome;
  };
  // A file that fails in the middle, through the platform layer.
  platform::FolderTree::failNewFilesNamedForTesting("f101.txt");
  const Outcome one = runWith(1);
  const Outcome pool = runWith(4);
  platform::FolderTree::failNewFilesNamedForTesting(std::nullopt);
  EXPECT_EQ(one.failed, 1u);
  EXPECT_EQ(one.copied, 239u);
  EXPECT_NE(one.remaining.find("f101.txt"), std::string::npos) << one.remaining;
  EXPECT_TRUE(one == pool) << "one thread: " << one.target << "\npool: " << pool.target;

  // Cancelled halfway: the same status, and every target file old or whole.
  for (const unsigned threads : {1u, 4u}) {
    layOut();
    settings.copyThreads = threads;
    observer = ScriptedObserver{};
    observer.cancelAfterDone = 100;
    (void)compareAndRun();
    EXPECT_TRUE(engine->Totals().cancelled) << threads;
    EXPECT_EQ(engine->Totals().failed, 0u) << threads;
    for (const std::string& file : platform::filesBelow(tree.path("dst"))) {
      const std::string name = file.substr(tree.path("dst").size() + 1);
      const std::string content = platform::readWholeFile(file).value_or("?");
      EXPECT_TRUE(content == "old" || content == "content of " + name) << name << ": " << content;
    }
  }
}
