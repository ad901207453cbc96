#include "engine/compare.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "engine/history_file.h"
#include "engine/local_store.h"
#include "engine/plan_text.h"
#include "platform/path.h"
#include "tests/support/memory_store.h"
#include "tests/support/temp_tree.h"

using engine::CompareEngine;
using engine::EngineSettings;
using engine::SessionSpec;
using testsupport::MemoryStore;

namespace {

constexpr engine::FileTime kSecond = platform::kTicksPerSecond;
const engine::FileTime kNoon = testsupport::utcTime(2024, 3, 1, 12, 0, 0);

struct RecordingObserver : engine::CompareObserver {
  void Problem(const std::string& text) override { problems.push_back(text); }
  std::vector<std::string> problems;
};

// Plan lines reduced to "action path".
std::string plan(const CompareEngine& engine, bool withSame = true) {
  std::ostringstream out;
  engine::WritePlan(out, engine, withSame);
  std::string reduced;
  std::istringstream lines(out.str());
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line.substr(0, 8) == "copy ->  " ? line : line);
    const std::string act = line.substr(0, 8);
    const std::string rest = line.substr(16);
    std::string action(act.substr(0, act.find_last_not_of(' ') + 1));
    reduced += action + " " + rest.substr(0, rest.find("  [")) + "\n";
  }
  return reduced;
}

struct MemoryCompare : ::testing::Test {
  EngineSettings settings;
  MemoryStore* source = nullptr;
  MemoryStore* target = nullptr;
  std::unique_ptr<MemoryStore> sourceOwned = std::make_unique<MemoryStore>(engine::StoreContext{}, "/src");
  std::unique_ptr<MemoryStore> targetOwned = std::make_unique<MemoryStore>(engine::StoreContext{}, "/dst");
  std::unique_ptr<CompareEngine> engine;
  RecordingObserver observer;
  SessionSpec session;

  void SetUp() override {
    source = sourceOwned.get();
    target = targetOwned.get();
    session.source = "/src";
    session.target = "/dst";
    session.flags = engine::sessionflag::kSubfolders;
  }
  std::string run(int todo = 0, bool withSame = true) {
    session.todo = todo;
    engine = std::make_unique<CompareEngine>(settings, engine::StoreContext{});
    EXPECT_TRUE(engine->CompareStores(session, observer, std::move(sourceOwned), std::move(targetOwned)))
        << engine->LastError();
    return plan(*engine, withSame);
  }
};

}  // namespace

TEST_F(MemoryCompare, TimeTolerances) {
  struct Case {
    std::uint32_t flags;
    int hours;
    std::int64_t apart;  // seconds, second file later
    int expected;
  };
  using namespace engine::option;
  const Case cases[] = {
      {kIgnoreTwoSeconds, 1, 2, 0},
      {kIgnoreTwoSeconds, 1, 3, -1},
      {0, 1, 2, -1},
      {kIgnoreDaylightHours, 1, 3600, 0},
      {kIgnoreDaylightHours, 1, 7200, -1},
      {kIgnoreDaylightHours, 2, 7200, 0},
      {kIgnoreDaylightHours | kIgnoreTwoSeconds, 1, 3602, 0},
      {kIgnoreDaylightHours | kIgnoreTwoSeconds, 1, 3599, 0},
      {kIgnoreDaylightHours | kIgnoreTwoSeconds, 0, 3599, -1},
      {kIgnoreDaylightHours | kIgnoreTwoSeconds, 0, 3600, -1},
      {kIgnoreDaylightHours, 1, 3599, -1},
  };
  for (const Case& c : cases) {
    EngineSettings s;
    s.flags = c.flags;
    s.ntfsHours = c.hours;
    CompareEngine e(s, {});
    EXPECT_EQ(e.CompareTimes(kNoon, kNoon + static_cast<std::uint64_t>(c.apart) * kSecond), c.expected)
        << "flags " << c.flags << " hours " << c.hours << " apart " << c.apart;
    EXPECT_EQ(e.CompareTimes(kNoon + static_cast<std::uint64_t>(c.apart) * kSecond, kNoon), -c.expected);
  }
}

TEST_F(MemoryCompare, PairsByPathIgnoringCaseAndJudgesSizesAndTimes) {
  settings.flags = engine::option::kIgnoreTwoSeconds;
  source->Put("Docs/Readme.TXT", "abc", kNoon);
  target->Put("docs/readme.txt", "abc", kNoon + kSecond);
  source->Put("truncated.bin", "full content", kNoon);
  target->Put("truncated.bin", "full", kNoon);
  source->Put("newer.txt", "a", kNoon + 10 * kSecond);
  target->Put("newer.txt", "a", kNoon);
  EXPECT_EQ(run(0), "copy -> newer.txt\nconflict truncated.bin\nsame Docs/Readme.TXT\n");
}

TEST_F(MemoryCompare, AListingWithoutSecondsHoldsTheMinuteWhenTheUserSaysSo) {
  target->capabilities |= engine::Store::kNoSeconds;
  source->Put("same minute.txt", "abc", kNoon + 40 * kSecond);
  target->Put("same minute.txt", "abc", kNoon);
  source->Put("next minute.txt", "abc", kNoon + 70 * kSecond);
  target->Put("next minute.txt", "abc", kNoon);
  settings.flags = engine::option::kArchiveIgnoreSeconds;
  EXPECT_EQ(run(0), "copy -> next minute.txt\nsame same minute.txt\n");
}

TEST_F(MemoryCompare, WithoutTheOptionSecondsCountEvenWhereAListingHasNone) {
  target->capabilities |= engine::Store::kNoSeconds;
  source->Put("same minute.txt", "abc", kNoon + 40 * kSecond);
  target->Put("same minute.txt", "abc", kNoon);
  EXPECT_EQ(run(0), "copy -> same minute.txt\n");
}

TEST_F(MemoryCompare, CompareModes) {
  source->Put("a.txt", "same size!", kNoon);
  target->Put("a.txt", "SAME SIZE!", kNoon);
  source->Put("b.txt", "12345", kNoon);
  target->Put("b.txt", "123", kNoon + 100 * kSecond);
  std::string big(250000, 'x');
  source->Put("big.bin", big, kNoon);
  target->Put("big.bin", big, kNoon + 100 * kSecond);
  session.compareMode = engine::kCompareContent;
  EXPECT_EQ(run(0), "conflict a.txt\n<- copy b.txt\nsame big.bin\n");
}

TEST_F(MemoryCompare, DateOrContentLooksAtContentOnlyForDifferentTimes) {
  std::string big(250000, 'x');
  std::string other = big;
  other[150000] = 'y';
  source->Put("a.txt", "same size!", kNoon);
  target->Put("a.txt", "SAME SIZE!", kNoon);
  source->Put("big.bin", big, kNoon);
  target->Put("big.bin", big, kNoon + 100 * kSecond);
  source->Put("diff.bin", big, kNoon);
  target->Put("diff.bin", other, kNoon + 100 * kSecond);
  session.compareMode = engine::kCompareDateOrContent;
  EXPECT_EQ(run(0), "same a.txt\nsame big.bin\n<- copy diff.bin\n");
}

TEST_F(MemoryCompare, SizeOnlyMode) {
  source->Put("a", "1234", kNoon);
  target->Put("a", "abcd", kNoon + 1000 * kSecond);
  source->Put("b", "12345", kNoon);
  target->Put("b", "1", kNoon);
  session.compareMode = engine::kCompareSizeOnly;
  EXPECT_EQ(run(0), "same a\nconflict b\n");
}

TEST_F(MemoryCompare, HistoryDecidesDeletionsButNeverDeletesAChangedFile) {
  settings.flags |= engine::option::kUseHistory;
  source->Put("kept.txt", "v1", kNoon);
  source->Remember("kept.txt", 2, kNoon);
  target->Remember("kept.txt", 2, kNoon);  // deleted in the target since the last run
  source->Put("edited.txt", "version 2", kNoon + 600 * kSecond);
  source->Remember("edited.txt", 2, kNoon);
  target->Remember("edited.txt", 2, kNoon);  // deleted in the target, but edited in the source
  source->Put("fresh.txt", "new", kNoon);
  const std::string result = run(0);
  EXPECT_EQ(result, "copy -> edited.txt\ncopy -> fresh.txt\ndelete kept.txt\n");
}

TEST_F(MemoryCompare, ASizeDifferentFromTheHistoryAloneMeansChanged) {
  settings.flags |= engine::option::kUseHistory;
  source->Put("f.txt", "newer", kNoon + 600 * kSecond);
  source->Remember("f.txt", 4, kNoon);
  // The target's time is the remembered one; only its size tells that it was edited.
  target->Put("f.txt", "12345", kNoon);
  target->Remember("f.txt", 4, kNoon);
  EXPECT_EQ(run(0), "conflict f.txt\n");
}

TEST_F(MemoryCompare, HistoryTimesHaveWholeSecondsFileTimesDoNot) {
  settings.flags = engine::option::kUseHistory;  // no tolerances at all
  source->Put("a.txt", "12", kNoon + 7 * kSecond / 10);
  source->Remember("a.txt", 2, kNoon);
  target->Put("a.txt", "34", kNoon + 5 * kSecond);
  target->Remember("a.txt", 2, kNoon + 5 * kSecond);
  EXPECT_EQ(run(0), "<- copy a.txt\n") << "the source is unchanged although its time has a fraction";
}

TEST_F(MemoryCompare, FolderRowsOnlyWithHandleEmptyFoldersAndOnlyWhenEmpty) {
  source->AddFolder("empty-here");
  target->AddFolder("only-there/deeper");
  source->Put("full/x.txt", "1", kNoon);
  EXPECT_EQ(run(0), "copy -> full/x.txt\n");
  SetUp();
  sourceOwned = std::make_unique<MemoryStore>(engine::StoreContext{}, "/src");
  targetOwned = std::make_unique<MemoryStore>(engine::StoreContext{}, "/dst");
  source = sourceOwned.get();
  target = targetOwned.get();
  settings.flags |= engine::option::kHandleEmptyFolders;
  source->AddFolder("empty-here");
  target->AddFolder("only-there/deeper");
  source->Put("full/x.txt", "1", kNoon);
  EXPECT_EQ(run(0), "copy -> empty-here/\ncopy -> full/x.txt\n<- copy only-there/\n<- copy only-there/deeper/\n");
}

TEST_F(MemoryCompare, FolderItemsLinkToTheNearestFolderItemAbove) {
  settings.flags |= engine::option::kHandleEmptyFolders;
  source->Put("top.txt", "1", kNoon);
  // "a" and "a/mid" are on both sides without files: they have no items.
  target->AddFolder("a/mid");
  source->Put("a/mid/b/x.txt", "1", kNoon);
  source->AddFolder("a/mid/b/empty");
  run(0);
  std::map<std::string, std::string> above;
  for (const int index : engine->Order()) {
    const engine::CompareItem& item = engine->Items().at(index);
    if (item.isFolder()) above[item.name] = item.parent == nullptr ? "(none)" : item.parent->name;
  }
  EXPECT_EQ(above, (std::map<std::string, std::string>{
                       {"", "(none)"}, {"a/mid/b", ""}, {"a/mid/b/empty", "a/mid/b"}}));
}

TEST_F(MemoryCompare, UnreadableFolderPlansNothingBelowIt) {
  source->Put("locked/a.txt", "1", kNoon);
  target->Put("locked/a.txt", "1", kNoon);
  target->Put("locked/b.txt", "1", kNoon);
  source->SetUnreadableFolder("locked");
  EXPECT_EQ(run(2), "");
  ASSERT_EQ(observer.problems.size(), 1u);
  EXPECT_NE(observer.problems[0].find("cannot be read"), std::string::npos);
}

TEST_F(MemoryCompare, MasksFoldersAndSwitches) {
  source->Put("a.txt", "1", kNoon);
  source->Put("a.tmp", "1", kNoon);
  source->Put("keep/b.txt", "1", kNoon);
  source->Put("skip/c.txt", "1", kNoon);
  target->Put("orphan.txt", "1", kNoon);
  target->Put("a.txt", "00", kNoon);
  session.files = "*.txt";
  session.excludeFiles = "orphan*";
  session.folderList = "skip";
  session.flags |= engine::sessionflag::kExcludeFolders;
  EXPECT_EQ(run(0), "conflict a.txt\ncopy -> keep/b.txt\n");
}

TEST_F(MemoryCompare, IncludedFoldersByNameOrPath) {
  source->Put("top.txt", "1", kNoon);
  source->Put("keep/skip.txt", "1", kNoon);
  source->Put("keep/deeper/in.txt", "1", kNoon);
  source->Put("keep/deeper/more/also.txt", "1", kNoon);
  source->Put("other/x.txt", "1", kNoon);
  source->Put("docs/a.txt", "1", kNoon);
  session.folderList = "keep\\deeper docs";
  EXPECT_EQ(run(0), "copy -> top.txt\ncopy -> docs/a.txt\ncopy -> keep/deeper/in.txt\ncopy -> keep/deeper/more/also.txt\n");
}

TEST_F(MemoryCompare, InvertedMasksAndMatchedOrOrphanedOnly) {
  source->Put("a.txt", "1", kNoon);
  source->Put("b.log", "1", kNoon);
  target->Put("a.txt", "22", kNoon);
  target->Put("c.log", "1", kNoon);
  session.files = "*.txt";
  session.flags |= engine::sessionflag::kInvertedMasks | engine::sessionflag::kMatchedFilesOnly;
  EXPECT_EQ(run(0), "");
}

TEST_F(MemoryCompare, SelectionMarkAndDirectionLock) {
  source->Put("a.txt", "1", kNoon);
  target->Put("b.txt", "1", kNoon);
  target->SetContentless(true);
  run(0);
  int selected = 0;
  for (int index : engine->Order()) {
    const auto& item = engine->Items().at(index);
    if (item.isFolder()) continue;
    EXPECT_NE(item.flags & engine::itemflag::kSelected, 0);
    selected += engine::IsSelected(item) ? 1 : 0;
  }
  EXPECT_EQ(selected, 1) << "the copy back from a side without content is not carried out";
}

namespace {

// The situations of one run on real folders, as history files and files on disk.
struct Situations {
  testsupport::TempTree tree;
  std::string src;
  std::string dst;
  Situations() {
    src = tree.folder("src");
    dst = tree.folder("dst");
    const auto t0 = kNoon;
    const auto t1 = kNoon + 3600 * 5 * kSecond + 17 * kSecond;
    for (const char* name : {"same.txt", "src_newer.txt", "dst_newer.txt", "conflict.txt"}) {
      tree.writeWithTime(std::string("src/") + name, "aaaa", t0);
      tree.writeWithTime(std::string("dst/") + name, "aaaa", t0);
    }
    tree.writeWithTime("src/src_newer.txt", "bbbb", t1);
    tree.writeWithTime("dst/dst_newer.txt", "bbbb", t1);
    tree.writeWithTime("src/conflict.txt", "bbbb", t1);
    tree.writeWithTime("dst/conflict.txt", "cccc", t0 + 60 * kSecond);
    tree.writeWithTime("src/src_only.txt", "aaaa", t0);
    tree.writeWithTime("dst/dst_only.txt", "aaaa", t0);
    tree.writeWithTime("src/deleted_in_dst.txt", "aaaa", t0);
    tree.writeWithTime("dst/deleted_in_src.txt", "aaaa", t0);
    history(src, {"same.txt", "src_newer.txt", "dst_newer.txt", "conflict.txt", "deleted_in_dst.txt", "deleted_in_src.txt"});
    history(dst, {"same.txt", "src_newer.txt", "dst_newer.txt", "conflict.txt", "deleted_in_dst.txt", "deleted_in_src.txt"});
  }
  static void history(const std::string& folder, const std::vector<std::string>& names) {
    engine::HistoryList list;
    for (const std::string& name : names) {
      engine::HistoryEntry entry;
      entry.folder = platform::withTrailingSeparator(folder);
      entry.name = name;
      entry.size = 4;
      entry.time = kNoon;
      list.Put(entry);
    }
    engine::LocalStore store{engine::StoreContext{}};
    ASSERT_TRUE(store.Open(folder, {true, false}));
    ASSERT_TRUE(engine::SaveHistory(list, store));
  }
};

}  // namespace

TEST(CompareOnDisk, ActionTablesForEveryTodo) {
  const std::string expected[] = {
      // Synchronize
      "conflict conflict.txt\ndelete deleted_in_dst.txt\ndelete deleted_in_src.txt\n<- copy dst_newer.txt\n"
      "<- copy dst_only.txt\nsame same.txt\ncopy -> src_newer.txt\ncopy -> src_only.txt\n",
      // The one-way actions never touch the source: a file only there is copied, whatever the
      // target's history says. Update target:
      "copy -> deleted_in_dst.txt\nsame same.txt\ncopy -> src_newer.txt\ncopy -> src_only.txt\n",
      // Backup
      "copy -> conflict.txt\ncopy -> deleted_in_dst.txt\nsame deleted_in_src.txt\ndelete dst_only.txt\nsame same.txt\n"
      "copy -> src_newer.txt\ncopy -> src_only.txt\n",
      // Duplicate
      "copy -> conflict.txt\ncopy -> deleted_in_dst.txt\ndelete deleted_in_src.txt\ncopy -> dst_newer.txt\n"
      "delete dst_only.txt\nsame same.txt\ncopy -> src_newer.txt\ncopy -> src_only.txt\n",
  };
  for (int todo = 0; todo <= 4; ++todo) {
    Situations situations;
    EngineSettings settings;
    settings.flags |= engine::option::kUseHistory;
    CompareEngine engine(settings, {});
    SessionSpec session;
    session.source = situations.src;
    session.target = situations.dst;
    session.todo = todo;
    RecordingObserver observer;
    ASSERT_TRUE(engine.RunComparison(session, observer)) << engine.LastError();
    std::string lines = plan(engine);
    // The list's order within a folder is the result list's business; compare sorted by name.
    std::vector<std::string> sorted;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) sorted.push_back(line);
    std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
      return a.substr(a.rfind(' ') + 1) < b.substr(b.rfind(' ') + 1);
    });
    std::string joined;
    for (const auto& line : sorted) joined += line + "\n";
    EXPECT_EQ(joined, expected[todo == 4 ? 0 : todo]) << "todo " << todo;
  }
}

TEST(CompareOnDisk, LetterCasePairsExactlyUnlessASideIgnoresIt) {
  testsupport::TempTree tree;
  tree.write("src/a.txt", "1");
  tree.write("src/A.txt", "2");
  tree.write("dst/a.TXT", "3");
  tree.write("src/Sub/x", "1");
  tree.write("dst/sub/X", "1");
  CompareEngine engine({}, {});
  SessionSpec session;
  session.source = tree.path("src");
  session.target = tree.path("dst");
  session.flags = engine::sessionflag::kSubfolders;
  RecordingObserver observer;
  ASSERT_TRUE(engine.RunComparison(session, observer));
  EXPECT_EQ(plan(engine), "copy -> A.txt\ncopy -> a.txt\n<- copy a.TXT\ncopy -> Sub/x\n<- copy sub/X\n")
      << "folders that tell letter case apart hold five different files";
  EXPECT_TRUE(observer.problems.empty());
  EXPECT_EQ(engine.LeftAloneCounts().total(), 0u);

  // A target that cannot tell "a.txt" from "A.txt": the two source files are left alone and named.
  engine.Reset();
  auto source = std::make_unique<engine::LocalStore>(engine::StoreContext{});
  auto target = std::make_unique<MemoryStore>();
  target->Put("a.TXT", "3", kNoon);
  target->Put("sub/X", "1", kNoon);
  ASSERT_TRUE(engine.CompareStores(session, observer, std::move(source), std::move(target)));
  const std::string lines = plan(engine);
  EXPECT_EQ(lines.find("a.txt"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("a.TXT"), std::string::npos) << lines;
  EXPECT_NE(lines.find("Sub/x"), std::string::npos) << "Sub/x pairs with sub/X: " << lines;
  EXPECT_EQ(engine.LeftAloneCounts().caseClashes, 2u);
  ASSERT_EQ(observer.problems.size(), 2u);
  EXPECT_NE(observer.problems[0].find("letter case"), std::string::npos);
}

TEST(CompareOnDisk, OverlappingRootsAreRefusedBeforeAnyWalk) {
  testsupport::TempTree tree;
  tree.write("data/inner/x.txt", "1");
  CompareEngine engine({}, {});
  SessionSpec session;
  session.source = tree.path("data");
  session.target = tree.path("data/inner");
  RecordingObserver observer;
  EXPECT_FALSE(engine.RunComparison(session, observer));
  EXPECT_NE(engine.LastError().find("overlap"), std::string::npos);
  session.target = tree.path("data/");
  EXPECT_FALSE(engine.RunComparison(session, observer));
  session.source = tree.path("missing");
  session.target = tree.path("elsewhere");
  EXPECT_FALSE(engine.RunComparison(session, observer)) << "a missing source is never taken as empty";
  EXPECT_FALSE(tree.exists("missing"));
}

TEST(CompareOnDisk, ListingBothSidesOnThreadsChangesNothing) {
  // A local store listed only by the walk itself, one folder after the other.
  struct ListedByTheWalk : engine::LocalStore {
    using LocalStore::LocalStore;
    bool ListsConcurrently() const override { return false; }
  };
  testsupport::TempTree tree;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "d" + std::to_string(i % 7) + "/e" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".txt";
    tree.writeWithTime("src/" + name, "source " + std::to_string(i), kNoon + (i % 5 == 0 ? 1000 : 0));
    if (i % 4 != 0) tree.writeWithTime("dst/" + name, "target " + std::to_string(i), kNoon);
  }
  tree.write("dst/only/here.txt", "x");
  SessionSpec session;
  session.source = tree.path("src");
  session.target = tree.path("dst");
  session.flags = engine::sessionflag::kSubfolders;
  RecordingObserver observer;
  CompareEngine threaded({}, {});
  ASSERT_TRUE(threaded.RunComparison(session, observer));
  CompareEngine walked({}, {});
  ASSERT_TRUE(walked.CompareStores(session, observer, std::make_unique<ListedByTheWalk>(engine::StoreContext{}),
                                   std::make_unique<ListedByTheWalk>(engine::StoreContext{})));
  const std::string lines = plan(threaded);
  EXPECT_EQ(lines, plan(walked)) << "same items, same order, same plan";
  EXPECT_NE(lines.find("copy -> d0/e0/f0.txt"), std::string::npos) << lines;
}
