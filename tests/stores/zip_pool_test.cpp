// Copies into and out of an archive on copy threads give what one thread gives: the same
// entries in the same order, the same files, reports, failures and totals.
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

#include "engine/plan_text.h"
#include "engine/syncrun.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "stores/zip_container.h"
#include "stores/zip_store.h"
#include "tests/support/temp_tree.h"

namespace {

struct Reports : engine::RunObserver {
  int Confirm(const engine::ConfirmRequest&) override { return engine::confirm::kYesOnce; }
  void ItemStarting(const engine::CompareItem& item) override { started.push_back(item.relativePath()); }
  void ItemFailed(const engine::CompareItem&, const std::string& path, const std::string& reason) override {
    failures.push_back(platform::fileNameOf(path) + ": " + reason);
  }
  std::vector<std::string> started;
  std::vector<std::string> failures;
};

struct Outcome {
  // The archive's entries in order, or the folder's files (links left out), with their contents.
  std::string written;
  std::vector<std::string> started;
  std::vector<std::string> failures;
  std::string remaining;
  std::uint64_t copied = 0;
  std::uint64_t failed = 0;
  bool operator==(const Outcome&) const = default;
};

std::string entriesOf(const std::string& archive) {
  stores::ZipContainer zip;
  zip.Open(archive, false);
  std::string listed;
  for (int i = 0; i < zip.Count(); ++i) {
    // Read to the end, where the reader checks the size and CRC.
    const auto reader = zip.OpenEntry(i);
    std::string content;
    char buffer[65536];
    while (const std::size_t got = reader->read(buffer, sizeof buffer)) content.append(buffer, got);
    listed += zip.Entry(i).name + (zip.Entry(i).isLink() ? " -> " : "=") + content.substr(0, 40) + ";";
  }
  return listed;
}

std::string filesOf(const std::string& folder) {
  std::string listed;
  for (const std::string& file : platform::filesBelow(folder)) {
    const std::string name = file.substr(folder.size());
    listed += name + "=" + platform::readWholeFile(file).value_or("?").substr(0, 40) + ";";
  }
  return listed;
}

struct ZipPool : ::testing::Test {
  testsupport::TempTree tree;
  engine::EngineSettings settings;

  void SetUp() override {
    stores::RegisterStores();
    settings.flags |= engine::option::kNoConfirmations;
    for (int i = 0; i < 200; ++i) tree.write("src/d" + std::to_string(i % 9) + "/f" + std::to_string(i) + ".txt", "content of file " + std::to_string(i));
    // Larger than what is compressed ahead: added on the run's thread, between the others.
    tree.write("src/d4/large.bin", std::string(3 << 20, 'L'));
    EXPECT_EQ(symlink("f0.txt", tree.path("src/d0/link").c_str()), 0);
  }

  // Runs SOURCE -> TARGET with `threads`; `meanwhile` runs between the comparison and the run.
  Outcome run(const std::string& source, const std::string& target, unsigned threads,
              const std::function<void()>& meanwhile, const std::function<std::string()>& written) {
    settings.copyThreads = threads;
    Reports reports;
    engine::SyncEngine engine(settings, engine::StoreContext{}, reports);
    engine::SessionSpec session;
    session.source = source;
    session.target = target;
    session.flags = engine::sessionflag::kSubfolders;
    EXPECT_TRUE(engine.StartCompare({session}, true));
    meanwhile();
    engine.StartSynchronize({}, true);
    EXPECT_TRUE(engine.StartFinish(true));
    Outcome outcome{written(), reports.started, reports.failures, {}, engine.Totals().copiedToTarget, engine.Totals().failed};
    std::ostringstream plan;
    engine::WritePlan(plan, engine);
    outcome.remaining = plan.str();
    return outcome;
  }
};

}  // namespace

TEST_F(ZipPool, AnArchiveWrittenAndReadOnCopyThreadsIsWhatOneThreadMakesAndReads) {
  // A source file edited between the comparison and the run fails alike with any thread count.
  // What remains planned names the source as compared: both runs must see it with the same time.
  const platform::FileTime original = platform::getLastWriteTime(tree.path("src/d2/f101.txt")).value_or(0);
  const auto edit = [&] {
    tree.writeWithTime("src/d2/f101.txt", "edited after the comparison", testsupport::utcTime(2030, 1, 1, 0, 0, 0));
  };
  const Outcome one = run(tree.path("src"), tree.path("one.zip"), 1, edit, [&] { return entriesOf(tree.path("one.zip")); });
  tree.writeWithTime("src/d2/f101.txt", "content of file 101", original);
  const Outcome pool = run(tree.path("src"), tree.path("pool.zip"), 4, edit, [&] { return entriesOf(tree.path("pool.zip")); });
  EXPECT_EQ(one.copied, 201u);
  EXPECT_EQ(one.failed, 1u);
  ASSERT_EQ(one.failures.size(), 1u);
  EXPECT_NE(one.failures[0].find("f101.txt"), std::string::npos) << one.failures[0];
  EXPECT_NE(one.written.find("d0/link -> f0.txt;"), std::string::npos) << one.written;
  EXPECT_NE(one.written.find("d4/large.bin=LLL"), std::string::npos);
  EXPECT_EQ(one.written, pool.written);
  EXPECT_EQ(one.started, pool.started);
  EXPECT_EQ(one.failures, pool.failures);
  EXPECT_EQ(one.remaining, pool.remaining);
  EXPECT_TRUE(one == pool);

  const auto nothing = [] {};
  const Outcome restoredOne = run(tree.path("one.zip"), tree.path("restored-one"), 1, nothing,
                                  [&] { return filesOf(tree.path("restored-one")); });
  const Outcome restoredPool = run(tree.path("one.zip"), tree.path("restored-pool"), 4, nothing,
                                   [&] { return filesOf(tree.path("restored-pool")); });
  EXPECT_EQ(restoredOne.copied, 201u) << "all but the file that failed";
  EXPECT_EQ(restoredOne.failed, 0u);
  EXPECT_EQ(tree.read("restored-pool/d4/large.bin"), tree.read("src/d4/large.bin"));
  for (const char* restored : {"restored-one", "restored-pool"}) {
    char target[16] = {};
    EXPECT_EQ(readlink(tree.path(std::string(restored) + "/d0/link").c_str(), target, sizeof target - 1), 6) << restored;
    EXPECT_STREQ(target, "f0.txt");
  }
  EXPECT_TRUE(restoredOne == restoredPool) << "one thread: " << restoredOne.written << "\npool: " << restoredPool.written;
}

TEST_F(ZipPool, CopiesLostWithAnArchiveThatCannotBeWrittenCountAsFailedOnCopyThreadsToo) {
  settings.copyThreads = 4;
  // Another program makes a file at the archive's path while the run goes on: the run's new
  // archive must not replace it, and nothing the run put there happened.
  struct Intruder : Reports {
    std::string archive;
    void ItemDone(const engine::CompareItem&) override {
      if (!platform::exists(archive)) (void)platform::writeFileReplacing(archive, "another program's file", 0644);
    }
  } reports;
  reports.archive = tree.path("lost.zip");
  engine::SyncEngine engine(settings, engine::StoreContext{}, reports);
  engine::SessionSpec session;
  session.source = tree.path("src");
  session.target = reports.archive;
  session.flags = engine::sessionflag::kSubfolders;
  ASSERT_TRUE(engine.StartCompare({session}, true));
  engine.StartSynchronize({}, true);
  EXPECT_EQ(tree.read("lost.zip"), "another program's file");
  EXPECT_EQ(engine.Totals().copiedToTarget, 0u);
  EXPECT_EQ(engine.Totals().bytes, 0u);
  EXPECT_EQ(engine.Totals().failed, 202u) << "every file and the link";
}
