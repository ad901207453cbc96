// An outside archiver that fails, lies or lists names from elsewhere never costs the user a file.
#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/local_store.h"
#include "platform/drive_type.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/temp_names.h"
#include "stores/archiver_store.h"
#include "tests/stores/shipped_archivers.h"
#include "tests/support/temp_tree.h"
#include "tests/support/tools.h"

namespace {

struct ArchiverStoreTest : ::testing::Test {
  testsupport::TempTree tree;
  testsupport::ScopedEnvironment dataHome{"XDG_DATA_HOME", tree.path("data")};
  engine::EngineSettings settings;
  engine::StoreContext context{&settings, nullptr, {}};

  std::unique_ptr<stores::ArchiverStore> open(const stores::ArchiverDescription& kind, const std::string& archive) {
    auto store = std::make_unique<stores::ArchiverStore>(context, kind);
    EXPECT_TRUE(store->Open(archive, {true, false, true})) << store->LastError();
    EXPECT_TRUE(store->Attach(nullptr, true)) << store->LastError();
    return store;
  }
  // A kind whose "archive" is a shell script: listing it runs the script.
  stores::ArchiverDescription scripted(const std::string& get) {
    return testsupport::ArchiversOf("[ext]\nfake=Fake\n[Fake]\np=sh\nlist=%P %A\nget=" + get +
                                    "\nlformat=T|X|L|yyyy-MM-dd|hh-mm-ss|N!\n")
        .front();
  }
  // A.tar holding old.txt; a batch that adds new.txt and deletes old.txt, whose add the archiver
  // refuses.
  std::unique_ptr<stores::ArchiverStore> failAWrite() {
    tree.write("in/old.txt", "old content");
    testsupport::runTool({"tar", "-cf", tree.path("a.tar"), "-C", tree.path("in"), "old.txt"});
    archiveBefore = tree.read("a.tar");
    auto kind = testsupport::ShippedArchiverFor("a.tar");
    kind.addTemplate = "%P --no-such-option -rf %A %F";
    auto store = open(kind, tree.path("a.tar"));
    engine::LocalStore source(context);
    tree.write("src/new.txt", "new content");
    EXPECT_TRUE(source.Open(tree.path("src"), {true, false}));
    EXPECT_TRUE(source.Attach(nullptr, true));
    store->BeginBatch(0);
    EXPECT_TRUE(store->PutFile(tree.path("a.tar/new.txt"), nullptr, source, tree.path("src/new.txt"), 0, {}));
    EXPECT_TRUE(store->DeleteFile(tree.path("a.tar/old.txt")));
    store->EndBatch();
    return store;
  }
  std::string archiveBefore;
  // The folder the store's last error says the files were kept in; empty when it says none.
  static std::string keptFolder(const stores::ArchiverStore& store) {
    const auto kept = store.LastError().find("kept in: ");
    if (kept == std::string::npos) return {};
    const std::string rest = store.LastError().substr(kept + 9);
    return rest.substr(0, rest.find('\n'));
  }
};

TEST_F(ArchiverStoreTest, AWriteTheArchiverRefusesLeavesTheArchiveAsItWasAndKeepsTheFiles) {
  VELKOR_REQUIRE_TOOL("tar");
  auto store = failAWrite();

  EXPECT_EQ(store->TakeLostWrites(), (std::vector<std::string>{tree.path("a.tar/new.txt"), tree.path("a.tar/old.txt")}));
  EXPECT_EQ(tree.read("a.tar"), archiveBefore) << "the archive is as it was";
  EXPECT_NE(store->LastError().find("no-such-option"), std::string::npos) << "in the archiver's own words: " << store->LastError();
  const std::string kept = keptFolder(*store);
  EXPECT_TRUE(kept.starts_with(tree.path("data/velkor/recovery/"))) << "kept where a reboot does not take it: " << store->LastError();
  EXPECT_EQ(platform::readWholeFile(platform::joinPath(kept, "new.txt")).value_or(""), "new content");
  EXPECT_TRUE(store->Exists(tree.path("a.tar/old.txt"))) << "the listing is the archive's again";
  EXPECT_FALSE(store->Exists(tree.path("a.tar/new.txt")));
  std::vector<std::string> beside;
  auto search = platform::DirectorySearch::open(tree.root());
  for (platform::FindData entry; search->next(entry);) {
    if (entry.name.starts_with(".ovand")) beside.push_back(entry.name);
  }
  EXPECT_TRUE(beside.empty()) << "no work file is left beside the archive";
  EXPECT_TRUE(store->Finish()) << "nothing waits any more";
}

TEST_F(ArchiverStoreTest, FilesAreKeptWhenTheTemporaryFolderIsOnAnotherFileSystem) {
  VELKOR_REQUIRE_TOOL("tar");
  // /dev/shm is a tmpfs, as /tmp is on many systems: the files cannot be renamed into the data folder.
  if (!platform::isFolder("/dev/shm") || platform::sameDisk("/dev/shm", tree.path("data"))) {
    GTEST_SKIP() << "no second file system at /dev/shm";
  }
  testsupport::ScopedEnvironment temporary{"TMPDIR", "/dev/shm"};
  auto store = failAWrite();
  const std::string kept = keptFolder(*store);
  ASSERT_FALSE(kept.empty()) << store->LastError();
  EXPECT_EQ(platform::readWholeFile(platform::joinPath(kept, "new.txt")).value_or(""), "new content")
      << "the folder named holds the file: " << store->LastError();
}

TEST_F(ArchiverStoreTest, AWorkFileAKilledRunLeftBesideTheArchiveGoesWithTheNextRealRun) {
  VELKOR_REQUIRE_TOOL("tar");
  tree.write("in/a.txt", "a");
  testsupport::runTool({"tar", "-cf", tree.path("a.tar"), "-C", tree.path("in"), "a.txt"});
  tree.write(".ovand~Kx3dQ9.tmp", "half an archive");
  std::string held;
  const int holder = platform::createTempFileBeside(tree.path("a.tar"), held);
  ASSERT_GE(holder, 0);
  auto store = open(testsupport::ShippedArchiverFor("a.tar"), tree.path("a.tar"));
  EXPECT_TRUE(tree.exists(".ovand~Kx3dQ9.tmp")) << "listing alone changes nothing";
  store->BeginBatch(0);
  store->EndBatch();
  EXPECT_FALSE(tree.exists(".ovand~Kx3dQ9.tmp"));
  EXPECT_TRUE(platform::exists(held)) << "a work file another run still holds stays";
  ::close(holder);
}

TEST_F(ArchiverStoreTest, ANameAppendedTwiceIsItsLaterVersionAndLetterCaseCounts) {
  VELKOR_REQUIRE_TOOL("tar");
  tree.write("in/a.txt", "first");
  tree.write("in/A.TXT", "another file");
  testsupport::runTool({"tar", "-cf", tree.path("a.tar"), "-C", tree.path("in"), "a.txt", "A.TXT"});
  tree.write("in/a.txt", "second, longer");
  testsupport::runTool({"tar", "-rf", tree.path("a.tar"), "-C", tree.path("in"), "a.txt"});
  auto store = open(testsupport::ShippedArchiverFor("a.tar"), tree.path("a.tar"));
  ASSERT_TRUE(store->GetFileInfo(tree.path("a.tar/a.txt")));
  EXPECT_EQ(store->CurrentEntry().size, 14u);
  ASSERT_TRUE(store->GetFileInfo(tree.path("a.tar/A.TXT")));
  EXPECT_EQ(store->CurrentEntry().size, 12u);
  std::string local;
  ASSERT_EQ(store->GetFile(tree.path("a.tar/a.txt"), local, 0), 1) << store->LastError();
  EXPECT_EQ(platform::readWholeFile(local).value_or(""), "second, longer");
}

TEST_F(ArchiverStoreTest, AnArchiveThatCannotBeUnpackedWholeStillGivesEveryFileOneByOne) {
  std::string listing;
  for (int i = 0; i < 12; ++i) listing += "echo '-rw-r--r-- 0/0 5 2024-03-01 12:00:00 f" + std::to_string(i) + ".txt'\n";
  tree.write("x.fake", listing);
  const std::string tries = tree.path("unpack-tries");
  // Unpacking everything fails, as 7-Zip's does on one member it will not write (a link trick).
  const auto kind = testsupport::ArchiversOf("[ext]\nfake=Fake\n[Fake]\np=sh\nlist=%P %A\nget=%P -c \"echo fine > $0\" %F\n"
                                             "unpack=%P -c \"echo >> " + tries + "; echo cannot write lnk/x >&2; exit 2\"\n"
                                             "lformat=T|X|L|yyyy-MM-dd|hh-mm-ss|N!\n")
                        .front();
  auto store = open(kind, tree.path("x.fake"));
  for (int i = 0; i < 12; ++i) {
    std::string local;
    const std::string name = "f" + std::to_string(i) + ".txt";
    ASSERT_EQ(store->GetFile(tree.path("x.fake/" + name), local, 0), 1) << name << ": " << store->LastError();
    EXPECT_EQ(platform::readWholeFile(local).value_or(""), "fine\n") << name;
  }
  EXPECT_EQ(tree.read("unpack-tries"), "\n") << "the whole archive is tried once, not once for every file";
}

TEST_F(ArchiverStoreTest, AnArchiveOfDotIsChangedUnderTheNamesItLists) {
  VELKOR_REQUIRE_TOOL("tar");
  tree.write("in/keep.txt", "keep");
  tree.write("in/sub/gone.txt", "gone");
  tree.write("in/sub/new.txt", "old content");
  testsupport::runTool({"tar", "-czf", tree.path("dot.tar.gz"), "-C", tree.path("in"), "."});
  auto store = open(testsupport::ShippedArchiverFor("a.tar.gz"), tree.path("dot.tar.gz"));
  engine::LocalStore source(context);
  tree.write("src/new.txt", "new content, longer");
  ASSERT_TRUE(source.Open(tree.path("src"), {true, false}));
  ASSERT_TRUE(source.Attach(nullptr, true));
  ASSERT_TRUE(store->DeleteFile(tree.path("dot.tar.gz/sub/gone.txt")));
  ASSERT_TRUE(store->PutFile(tree.path("dot.tar.gz/sub/new.txt"), nullptr, source, tree.path("src/new.txt"), 0, {}));
  ASSERT_TRUE(store->Finish()) << store->LastError();
  const auto listed = testsupport::runTool({"tar", "-tzf", tree.path("dot.tar.gz")});
  EXPECT_EQ(listed.output.find("gone.txt"), std::string::npos) << listed.output;
  EXPECT_EQ(listed.output.find("./sub/new.txt"), std::string::npos) << "the old version went: " << listed.output;
  EXPECT_NE(listed.output.find("./keep.txt"), std::string::npos) << listed.output;
  std::string local;
  ASSERT_EQ(store->GetFile(tree.path("dot.tar.gz/keep.txt"), local, 0), 1) << store->LastError();
  EXPECT_EQ(platform::readWholeFile(local).value_or(""), "keep");
  local.clear();
  ASSERT_EQ(store->GetFile(tree.path("dot.tar.gz/sub/new.txt"), local, 0), 1) << store->LastError();
  EXPECT_EQ(platform::readWholeFile(local).value_or(""), "new content, longer");
}

TEST_F(ArchiverStoreTest, NamesFromElsewhereAreLeftOutAndOnlyAPlainExtractedFileIsHandedOut) {
  tree.write("x.fake",
             "echo '-rw-r--r-- 0/0 5 2024-03-01 12:00:00 ../escape.txt'\n"
             "echo '-rw-r--r-- 0/0 5 2024-03-01 12:00:00 /etc/abs.txt'\n"
             "echo '-rw-r--r-- 0/0 5 2024-03-01 12:00:00 sub/../../up.txt'\n"
             "echo 'drwxr-xr-x 0/0 0 2024-03-01 12:00:00 ./sub/'\n"
             "echo 'lrwxrwxrwx 0/0 0 2024-03-01 12:00:00 ./link -> /etc/passwd'\n"
             "echo '-rw-r--r-- 0/0 5 2024-03-01 12:00:00 ./sub/ok.txt'\n"
             "echo '-rw-r--r-- 0/0 5 2024-03-01 12:00:00 made-a-link.txt'\n"
             "echo '-rw-r--r-- 0/0 5 2024-03-01 12:00:00 nothing.txt'\n"
             "echo '-rw-r--r-- 0/0 5 2024-03-01 12:00:00 linked/passwd'\n");
  // The "extraction" makes what a hostile archive would: a link where the file should be.
  auto store = open(scripted("%P -c \"case $1 in made-a-link.txt) ln -s /etc/passwd made-a-link.txt;; nothing.txt) ;; "
                             "linked/passwd) ln -s /etc linked;; *) mkdir -p sub; echo fine > $1;; esac\" %A %F"),
                    tree.path("x.fake"));
  std::vector<std::string> files;
  for (int index = 0; index < store->Listing().SlotCount(); ++index) files.push_back(store->Listing().at(index).path);
  EXPECT_EQ(files, (std::vector<std::string>{"sub/ok.txt", "made-a-link.txt", "nothing.txt", "linked/passwd"}));
  const auto warnings = store->TakeWarnings();
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_NE(warnings[0].find("../escape.txt"), std::string::npos);
  EXPECT_NE(warnings[1].find("/etc/abs.txt"), std::string::npos);

  std::string local;
  ASSERT_EQ(store->GetFile(tree.path("x.fake/sub/ok.txt"), local, 0), 1) << store->LastError();
  EXPECT_EQ(platform::readWholeFile(local).value_or(""), "fine\n");
  EXPECT_EQ(platform::getLastWriteTime(local), store->Listing().at(0).time) << "the copy carries the listed time";
  local.clear();
  EXPECT_EQ(store->GetFile(tree.path("x.fake/made-a-link.txt"), local, 0), -1);
  EXPECT_NE(store->LastError().find("left no file"), std::string::npos) << store->LastError();
  EXPECT_EQ(store->GetFile(tree.path("x.fake/nothing.txt"), local, 0), -1);
  EXPECT_EQ(store->GetFile(tree.path("x.fake/linked/passwd"), local, 0), -1) << "a file is never read through a link";
  EXPECT_FALSE(tree.exists("sub")) << "the archiver ran in a folder of the store's own";
}

}  // namespace
