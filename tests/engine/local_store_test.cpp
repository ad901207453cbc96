#include "engine/local_store.h"

#include <gtest/gtest.h>

#include "engine/checksum.h"
#include "engine/folder_walker.h"
#include "platform/process.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "platform/path.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_tree.h"

using engine::LocalStore;
using engine::PromptAnswer;
using testsupport::TempTree;

namespace {

class CancellingSink : public engine::ProgressSink {
 public:
  explicit CancellingSink(std::uint64_t cancelAt) : cancelAt_(cancelAt) {}
  void ProgressFile(const std::string&, std::uint64_t, int, int) override {}
  void ProgressBytes(std::uint64_t done) override { done_ = done; }
  bool ShouldContinue() override { return done_ < cancelAt_; }
  std::uint64_t done_ = 0;

 private:
  std::uint64_t cancelAt_;
};

std::string bigContent(std::size_t size, char seed) {
  std::string content(size, '\0');
  for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>(seed + static_cast<char>(i * 7 % 251));
  return content;
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  auto search = platform::DirectorySearch::open(folder);
  platform::FindData entry;
  while (search && search->next(entry)) {
    if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct LocalStoreFixture : ::testing::Test {
  TempTree tree;
  engine::EngineSettings settings;
  testsupport::ScriptedPrompt prompt;
  engine::StoreContext context{&settings, &prompt, nullptr};
};

}  // namespace

TEST_F(LocalStoreFixture, OpenAsksBeforeCreatingAndRefusesFiles) {
  LocalStore store(context);
  const std::string missing = tree.path("new/deeper");
  EXPECT_FALSE(store.Open(missing, {false, true}));
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0], "Folder is not valid!\n" + missing + "\nDo you want to create it?");
  EXPECT_FALSE(platform::exists(missing));

  prompt.answers = {PromptAnswer::Yes};
  EXPECT_TRUE(store.Open(missing, {false, true}));
  EXPECT_TRUE(platform::isFolder(missing));

  EXPECT_FALSE(store.Open(tree.path("quiet/not/allowed"), {true, false}));
  EXPECT_FALSE(platform::exists(tree.path("quiet")));
  EXPECT_TRUE(store.Open(tree.path("quiet/allowed"), {true, true}));
  EXPECT_TRUE(platform::isFolder(tree.path("quiet/allowed")));

  const std::string file = tree.write("plain.txt", "x");
  EXPECT_FALSE(store.Open(file, {false, true}));
  EXPECT_EQ(prompt.shown.back(), "Can not open this file/archive\n" + file);
}

TEST_F(LocalStoreFixture, ListingHidesHistoryAndTemporaryFiles) {
  tree.write("synch.log", "");
  tree.write(".ovand~a1B2c3.tmp", "left by a killed run");
  LocalStore store(context);
  ASSERT_TRUE(store.Open(tree.root(), {true, false}));
  auto handle = store.FindFirst(tree.path("*.*"));
  std::vector<std::string> names;
  for (bool more = handle != engine::kNoSearch; more; more = store.FindNext(handle)) {
    names.push_back(store.CurrentEntry().name);
  }
  store.FindClose(handle);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", ".."})) << "a folder holding only synch.log lists as empty";
  EXPECT_EQ(store.FindFirst(tree.path("nothing-here/*.*")), engine::kNoSearch);
  EXPECT_FALSE(store.LastError().empty());
}

TEST_F(LocalStoreFixture, LinksAreListedAsLinksAndNeverFollowed) {
  tree.write("real/file.txt", "1");
  tree.write("outside/secret.txt", "2");
  for (const auto& [target, link] : {std::pair{"../outside", "real/to-folder"}, std::pair{"file.txt", "real/to-file"}}) {
    ASSERT_EQ(platform::runProcess({"ln", "-s", target, tree.path(link)}).exitCode, 0);
  }
  LocalStore store(context);
  ASSERT_TRUE(store.Open(tree.path("real"), {true, false}));
  engine::FolderWalker walker(store);
  walker.Start(store.Root(), "*.*", true, false);
  std::vector<std::string> files;
  while (walker.Next() == engine::FolderWalker::kFile) files.push_back(walker.RelativeFolder() + walker.GetFindData().name);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"file.txt", "to-file", "to-folder"})) << "the linked folder is not entered";
  ASSERT_TRUE(store.GetFileInfo(tree.path("real/to-folder")));
  EXPECT_EQ(store.CurrentEntry().attributes, platform::attr::kLink);
  EXPECT_EQ(store.CurrentEntry().size, 10u) << "a link's size is its target text's";
  std::string target;
  ASSERT_TRUE(store.ReadLink(tree.path("real/to-folder"), target));
  EXPECT_EQ(target, "../outside");
  EXPECT_FALSE(store.ReadLink(tree.path("real/file.txt"), target));
}

// A link planted in the tree on the way to a file: every operation of the store fails there and
// nothing outside the tree is read, written or removed.
TEST_F(LocalStoreFixture, NoOperationGoesThroughALinkBelowTheRoot) {
  settings.backupPath = tree.path("backups");
  tree.write("outside/x.txt", "outside");
  tree.write("source/f.txt", "from the source");
  ASSERT_EQ(platform::runProcess({"ln", "-s", "../outside", tree.path("target/sub")}).exitCode, 1) << "no folder yet";
  tree.folder("target");
  ASSERT_EQ(platform::runProcess({"ln", "-s", "../outside", tree.path("target/sub")}).exitCode, 0);
  for (const bool walk : {false, true}) {
    platform::FolderTree::useComponentWalkForTesting(walk);
    LocalStore source(context);
    LocalStore store(context);
    ASSERT_TRUE(source.Open(tree.path("source"), {true, false}));
    ASSERT_TRUE(store.Open(tree.path("target"), {true, false}));
    const std::string through = tree.path("target/sub/x.txt");
    EXPECT_FALSE(store.PutFile(tree.path("target/sub/f.txt"), nullptr, source, tree.path("source/f.txt"), 0, {}));
    EXPECT_NE(store.LastError().find("symbolic link"), std::string::npos) << store.LastError();
    EXPECT_FALSE(store.CreateFolder(tree.path("target/sub/new")));
    EXPECT_FALSE(store.GetFileInfo(through));
    EXPECT_FALSE(store.DeleteFile(through));
    EXPECT_FALSE(store.SetAttributes(through, platform::attr::kReadOnly));
    EXPECT_FALSE(store.SetFileTime(through, testsupport::utcTime(2001, 1, 1, 0, 0, 0)));
    EXPECT_FALSE(store.BackupFile(through));
    EXPECT_EQ(store.OpenContent(through), nullptr);
    std::string local;
    EXPECT_EQ(store.GetFile(through, local, 0), -1);
    EXPECT_EQ(store.FindFirst(tree.path("target/sub/*.*")), engine::kNoSearch);
    EXPECT_FALSE(source.PutFile(tree.path("source/../outside/y.txt"), nullptr, source, tree.path("source/f.txt"), 0, {}))
        << "a \"..\" part never climbs out";
  }
  platform::FolderTree::useComponentWalkForTesting(false);
  EXPECT_EQ(namesIn(tree.path("outside")), (std::vector<std::string>{"x.txt"}));
  EXPECT_EQ(tree.read("outside/x.txt"), "outside");
  EXPECT_FALSE(tree.exists("backups/sub"));
}

TEST_F(LocalStoreFixture, ACopyTakesTheDestinationsPlaceOnlyWhileItIsAsExpected) {
  tree.write("src/f.txt", "new content");
  const platform::FileTime seen = testsupport::utcTime(2020, 1, 1, 0, 0, 0);
  LocalStore source(context);
  LocalStore store(context);
  ASSERT_TRUE(source.Open(tree.path("src"), {true, false}));
  ASSERT_TRUE(store.Open(tree.path("dst"), {true, true}));
  const std::string destination = tree.path("dst/f.txt");
  auto put = [&](const std::optional<engine::ExpectedFile>& expected) {
    return store.PutFile(destination, nullptr, source, tree.path("src/f.txt"), 0, engine::PutChecks{std::nullopt, expected});
  };
  tree.writeWithTime("dst/f.txt", "edited", seen + platform::kTicksPerSecond);
  EXPECT_FALSE(put(engine::ExpectedFile{true, 6, seen})) << "the time alone differs";
  tree.writeWithTime("dst/f.txt", "edited!", seen);
  EXPECT_FALSE(put(engine::ExpectedFile{true, 6, seen})) << "the size alone differs";
  EXPECT_NE(store.LastError().find("changed since the comparison"), std::string::npos) << store.LastError();
  EXPECT_FALSE(put(engine::ExpectedFile{false, 0, 0})) << "a file appeared where none was";
  EXPECT_EQ(tree.read("dst/f.txt"), "edited!");
  EXPECT_EQ(namesIn(tree.path("dst")), std::vector<std::string>{"f.txt"}) << "nothing left behind";
  EXPECT_TRUE(put(engine::ExpectedFile{true, 7, seen}));
  EXPECT_EQ(tree.read("dst/f.txt"), "new content");
  ASSERT_TRUE(platform::deleteFile(destination));
  EXPECT_FALSE(put(engine::ExpectedFile{true, 11, seen})) << "the destination went away meanwhile";
  EXPECT_TRUE(put(engine::ExpectedFile{false, 0, 0}));
}

TEST_F(LocalStoreFixture, NamesAreExactOnAFolderThatTellsLetterCaseApart) {
  tree.write("Docs/Readme.TXT", "abc");
  tree.write("Docs/a\\b", "a backslash is part of the name");
  LocalStore store(context);
  ASSERT_TRUE(store.Open(tree.root(), {true, false}));
  ASSERT_FALSE(store.IgnoresCase()) << "the test folder is on a case-sensitive file system";
  EXPECT_TRUE(store.GetFileInfo(tree.path("Docs/Readme.TXT")));
  EXPECT_FALSE(store.GetFileInfo(tree.path("docs/readme.txt")));
  ASSERT_TRUE(store.GetFileInfo(tree.path("Docs/a\\b")));
  EXPECT_EQ(store.CurrentEntry().name, "a\\b");
  EXPECT_FALSE(tree.exists("Docs/a"));
}

TEST_F(LocalStoreFixture, CopyCarriesTimeAndPermissionsAndChecksum) {
  const std::string source = tree.writeWithTime("src/a.bin", "abc", testsupport::utcTime(2020, 3, 4, 5, 6, 7, 123));
  ASSERT_TRUE(platform::setAttributes(source, platform::attr::kReadOnly));
  LocalStore store(context);
  ASSERT_TRUE(store.Open(tree.root(), {true, false}));
  std::string destination = tree.path("a-copy.bin");
  ASSERT_EQ(store.GetFile(source, destination, 0), 1);
  EXPECT_EQ(tree.read("a-copy.bin"), "abc");
  EXPECT_EQ(platform::getLastWriteTime(destination), platform::getLastWriteTime(source));
  EXPECT_NE(platform::getAttributes(destination) & platform::attr::kReadOnly, 0u);
  std::uint32_t crc = 0;
  ASSERT_TRUE(store.GetChecksum(destination, crc));
  EXPECT_EQ(crc, 0x352441C2u);

  std::string itself;
  EXPECT_EQ(store.GetFile(source, itself, 0), 1);
  EXPECT_EQ(itself, source);
}

TEST_F(LocalStoreFixture, CancelledOrFailedCopyLeavesTheOldDestination) {
  const std::string content = bigContent(8 << 20, 'a');
  const std::string source = tree.write("src/big.bin", content);
  const std::string destination = tree.write("dst/big.bin", "the old destination");
  LocalStore store(context);
  ASSERT_TRUE(store.Open(tree.root(), {true, false}));

  CancellingSink sink(4 << 20);
  ASSERT_TRUE(store.Attach(&sink, true));
  std::string target = destination;
  EXPECT_EQ(store.GetFile(source, target, 0), -1);
  EXPECT_GE(sink.done_, 4u << 20);
  EXPECT_EQ(tree.read("dst/big.bin"), "the old destination");
  EXPECT_EQ(namesIn(tree.path("dst")), (std::vector<std::string>{"big.bin"})) << "no temporary file left behind";

  ASSERT_TRUE(store.Attach(nullptr, true));
  platform::injectCopyWriteFault(3 << 20);
  EXPECT_EQ(store.GetFile(source, target, 0), -1);
  platform::injectCopyWriteFault(std::nullopt);
  EXPECT_EQ(tree.read("dst/big.bin"), "the old destination");
  EXPECT_EQ(namesIn(tree.path("dst")), (std::vector<std::string>{"big.bin"}));

  EXPECT_EQ(store.GetFile(source, target, 0), 1);
  EXPECT_EQ(tree.read("dst/big.bin"), content);
}

TEST_F(LocalStoreFixture, SourceChangingDuringTheCopyFailsIt) {
  const std::string source = tree.write("src/grow.bin", bigContent(3 << 20, 'g'));
  const std::string destination = tree.write("dst/grow.bin", "old");
  bool changed = false;
  const auto result = platform::copyFile(source, destination, [&](std::uint64_t) {
    if (!changed) {
      changed = true;
      (void)platform::writeFileReplacing(source + ".new", "short", 0644);
      (void)platform::setLastWriteTime(source, testsupport::utcTime(2001, 1, 1, 0, 0, 0));
    }
    return true;
  });
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.error, "changed while it was copied");
  EXPECT_EQ(tree.read("dst/grow.bin"), "old");
}

TEST_F(LocalStoreFixture, BackupsKeepTheirFoldersAndNeverReplaceEachOther) {
  settings.backupPath = tree.path("backups");
  tree.write("data/a/x.txt", "from a");
  tree.write("data/b/x.txt", "from b");
  LocalStore store(context);
  ASSERT_TRUE(store.Open(tree.path("data"), {true, false}));
  ASSERT_TRUE(store.BackupFile(tree.path("data/a/x.txt")));
  ASSERT_TRUE(store.BackupFile(tree.path("data/b/x.txt")));
  tree.write("data/a/x.txt", "from a, later");
  ASSERT_TRUE(store.BackupFile(tree.path("data/a/x.txt")));
  EXPECT_EQ(tree.read("backups/a/x.txt"), "from a");
  EXPECT_EQ(tree.read("backups/b/x.txt"), "from b");
  EXPECT_EQ(tree.read("backups/a/x (2).txt"), "from a, later");

  tree.write("blocker", "a file where the backup folder should be");
  settings.backupPath = tree.path("blocker/backups");
  EXPECT_FALSE(store.BackupFile(tree.path("data/a/x.txt")));
  EXPECT_NE(store.LastError().find("Backup not made"), std::string::npos);
}

TEST_F(LocalStoreFixture, HistoryFollowsCopiesAndDeletions) {
  settings.flags |= engine::option::kUseHistory;
  tree.write("side/old.txt", "1");
  tree.write("side/sub/gone.txt", "2");
  tree.write("other/new.txt", "333");
  LocalStore source(context);
  LocalStore target(context);
  ASSERT_TRUE(source.Open(tree.path("other"), {true, false}));
  ASSERT_TRUE(target.Open(tree.path("side"), {true, false}));
  ASSERT_TRUE(source.Attach(nullptr, true));
  ASSERT_TRUE(target.Attach(nullptr, true));
  EXPECT_EQ(target.History().Count(), 2);

  ASSERT_TRUE(target.PutFile(tree.path("side/new.txt"), nullptr, source, tree.path("other/new.txt"), 0, {}));
  ASSERT_TRUE(target.DeleteFile(tree.path("side/sub/gone.txt")));
  EXPECT_FALSE(target.DeleteFile(tree.path("side/sub/never-there.txt")));
  ASSERT_TRUE(target.Finish());

  const std::string top = tree.read("side/synch.log");
  EXPECT_NE(top.find("   old.txt\r\n"), std::string::npos);
  EXPECT_NE(top.find("           3   "), std::string::npos);
  EXPECT_NE(top.find("   new.txt\r\n"), std::string::npos);
  EXPECT_EQ(tree.read("side/sub/synch.log"), "");
}

TEST_F(LocalStoreFixture, AttributesTimesAndFolders) {
  const std::string file = tree.write("f.txt", "1");
  LocalStore store(context);
  ASSERT_TRUE(store.Open(tree.root(), {true, false}));
  EXPECT_EQ(store.GetAttributes(file), platform::attr::kNormal);
  ASSERT_TRUE(store.SetAttributes(file, platform::attr::kReadOnly));
  EXPECT_EQ(store.GetAttributes(file), platform::attr::kReadOnly);
  ASSERT_TRUE(store.SetAttributes(file, platform::attr::kNormal));
  EXPECT_EQ(store.GetAttributes(file), platform::attr::kNormal);
  EXPECT_EQ(store.GetAttributes(tree.path("none")), platform::attr::kInvalid);
  EXPECT_EQ(store.GetAttributes(tree.path(".hidden")), platform::attr::kInvalid);
  tree.write(".hidden", "");
  EXPECT_EQ(store.GetAttributes(tree.path(".hidden")), platform::attr::kHidden);

  const platform::CalendarTime when{2022, 2, 3, 4, 5, 6, 789};
  ASSERT_TRUE(store.SetFileTimeFromCalendar(file, when));
  platform::CalendarTime read;
  ASSERT_TRUE(store.GetFileTime(file, read));
  EXPECT_EQ(read, when);

  EXPECT_TRUE(store.CreateFolder(tree.path("x/y/z")));
  EXPECT_TRUE(platform::isFolder(tree.path("x/y/z")));
  EXPECT_FALSE(store.CreateFolder(tree.path("f.txt/below")));
}
