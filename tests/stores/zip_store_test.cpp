#include "stores/zip_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/local_store.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "tests/support/temp_tree.h"
#include "tests/support/tools.h"

using stores::ZipStore;

namespace {

struct ZipStoreFixture : ::testing::Test {
  testsupport::TempTree tree;
  engine::EngineSettings settings;
  engine::StoreContext context{&settings, nullptr, nullptr};
  std::string archive;
  void SetUp() override { archive = tree.path("store.zip"); }

  std::unique_ptr<ZipStore> openStore(bool allowMissing = true) {
    auto store = std::make_unique<ZipStore>(context);
    EXPECT_TRUE(store->Open(archive, {true, false, allowMissing})) << store->LastError();
    EXPECT_TRUE(store->Attach(nullptr, true)) << store->LastError();
    return store;
  }
  bool put(ZipStore& store, const std::string& name, const std::string& content) {
    const std::string local = tree.write("local/" + name, content);
    return store.NoteWrittenFile(platform::joinPath(archive, name), local, false);
  }
  std::string entryNames() {
    stores::ZipContainer zip;
    zip.Open(archive, false);
    std::string names;
    for (int i = 0; i < zip.Count(); ++i) names += zip.Entry(i).name + " ";
    return names;
  }
};

}  // namespace

TEST_F(ZipStoreFixture, MissingArchiveIsEmptyAndMadeByTheFirstWrite) {
  auto store = openStore();
  EXPECT_EQ(store->Listing().Count(), 0);
  EXPECT_FALSE(platform::exists(archive));
  ASSERT_TRUE(put(*store, "sub/a.txt", "hello"));
  ASSERT_TRUE(store->Finish());
  EXPECT_EQ(entryNames(), "sub/a.txt ");
  ZipStore source(context);
  EXPECT_FALSE(source.Open(tree.path("absent.zip"), {true, false, false})) << "a missing source archive is not empty";
}

TEST_F(ZipStoreFixture, ReplaceKeepExistingAndLetterCase) {
  auto store = openStore();
  store->BeginBatch(0);
  ASSERT_TRUE(put(*store, "Doc.txt", "first"));
  ASSERT_TRUE(put(*store, "other.txt", "other"));
  store->EndBatch();
  ASSERT_TRUE(store->Finish());
  store = openStore();
  EXPECT_FALSE(store->IgnoresCase()) << "an archive written here tells letter case apart";
  EXPECT_FALSE(store->Exists(platform::joinPath(archive, "doc.TXT")));
  const std::string local = tree.write("local/new", "second version");
  EXPECT_FALSE(store->NoteWrittenFile(platform::joinPath(archive, "Doc.txt"), local, true));
  ASSERT_TRUE(store->NoteWrittenFile(platform::joinPath(archive, "Doc.txt"), local, false));
  ASSERT_TRUE(store->Finish());
  EXPECT_EQ(entryNames(), "Doc.txt other.txt ") << "replaced in its place";
  std::string out = tree.folder("out") + "/doc.txt";
  ASSERT_EQ(store->GetFile(platform::joinPath(archive, "Doc.txt"), out, 0), 1);
  EXPECT_EQ(tree.read("out/doc.txt"), "second version");

  // Made on Windows: the comparison pairs its names without regard to letter case.
  testsupport::runPython(
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    info = zipfile.ZipInfo('Folder\\\\Read Me.TXT')\n"
      "    info.create_system = 0\n"
      "    z.writestr(info, 'from windows')\n",
      {archive});
  store = openStore();
  EXPECT_TRUE(store->IgnoresCase());
  EXPECT_TRUE(store->Exists(platform::joinPath(archive, "Folder/Read Me.TXT"))) << "its backslash is a folder";
}

TEST_F(ZipStoreFixture, DeletionsWaitForFinishAndGoInOnePass) {
  auto store = openStore();
  for (const char* name : {"a", "b", "c", "d"}) ASSERT_TRUE(put(*store, name, name));
  ASSERT_TRUE(store->Finish());
  store = openStore();
  for (const char* name : {"a", "b", "c"}) ASSERT_TRUE(store->DeleteFile(platform::joinPath(archive, name)));
  EXPECT_FALSE(store->DeleteFile(platform::joinPath(archive, "a"))) << "already queued, no longer listed";
  ASSERT_TRUE(put(*store, "c", "written again"));
  EXPECT_EQ(store->DeleteQueue(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(entryNames(), "a b c d ");
  ASSERT_TRUE(store->Finish());
  EXPECT_EQ(entryNames(), "c d ");
}

TEST_F(ZipStoreFixture, CopiesAreWrittenBackOnlyWhenChangedAndCurrent) {
  auto store = openStore();
  ASSERT_TRUE(put(*store, "view.txt", "original"));
  ASSERT_TRUE(put(*store, "edit.txt", "original"));
  ASSERT_TRUE(store->Finish());
  store = openStore();
  std::string viewed;
  std::string edited;
  ASSERT_EQ(store->GetFile(platform::joinPath(archive, "view.txt"), viewed, 0), 1);
  ASSERT_EQ(store->GetFile(platform::joinPath(archive, "edit.txt"), edited, 0), 1);
  EXPECT_TRUE(edited.starts_with(store->TempFolder()));
  ASSERT_TRUE(platform::writeFileReplacing(edited, "edited by the user", 0644));
  const auto before = platform::getLastWriteTime(archive);
  ASSERT_TRUE(store->Finish());
  std::string out = tree.folder("out") + "/edit.txt";
  ASSERT_EQ(store->GetFile(platform::joinPath(archive, "edit.txt"), out, 0), 1);
  EXPECT_EQ(tree.read("out/edit.txt"), "edited by the user");
  EXPECT_FALSE(platform::exists(viewed)) << "an unchanged copy is removed";
  EXPECT_NE(platform::getLastWriteTime(archive), before);
}

TEST_F(ZipStoreFixture, UnsafeEntryNamesAreLeftOutAndReported) {
  testsupport::runPython(
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    z.writestr('../escape.txt', 'x')\n"
      "    z.writestr('/abs.txt', 'x')\n"
      "    z.writestr('ok/fine.txt', 'fine')\n",
      {archive});
  auto store = openStore();
  EXPECT_EQ(store->Listing().Count(), 1);
  EXPECT_EQ(store->TakeWarnings().size(), 2u);
  EXPECT_FALSE(platform::exists(tree.path("escape.txt")));
  const std::string local = tree.write("local/control", "x");
  EXPECT_FALSE(store->NoteWrittenFile(platform::joinPath(archive, "line\nbreak"), local, false));
  EXPECT_NE(store->LastError().find("cannot be stored"), std::string::npos);
  EXPECT_TRUE(store->NoteWrittenFile(platform::joinPath(archive, "back\\slash"), local, false))
      << "a backslash is part of a Linux name, kept as such in an archive made here";
}

TEST_F(ZipStoreFixture, DamagedOrUnreadableArchiveFailsTheListingAndStaysUntouched) {
  tree.write("store.zip", "definitely not a zip file");
  ZipStore store(context);
  ASSERT_TRUE(store.Open(archive, {true, false, true}));
  EXPECT_FALSE(store.Attach(nullptr, true));
  EXPECT_NE(store.LastError().find("central directory was not found"), std::string::npos) << store.LastError();
  EXPECT_EQ(tree.read("store.zip"), "definitely not a zip file");
}

TEST_F(ZipStoreFixture, BackupsComeOutOfTheArchiveWithTheirFolders) {
  settings.backupPath = tree.path("backups");
  auto store = openStore();
  ASSERT_TRUE(put(*store, "a/x.txt", "from a"));
  ASSERT_TRUE(put(*store, "b/x.txt", "from b"));
  ASSERT_TRUE(store->Finish());
  store = openStore();
  ASSERT_TRUE(store->BackupFile(platform::joinPath(archive, "a/x.txt")));
  ASSERT_TRUE(store->BackupFile(platform::joinPath(archive, "b/x.txt")));
  EXPECT_EQ(tree.read("backups/a/x.txt"), "from a");
  EXPECT_EQ(tree.read("backups/b/x.txt"), "from b");
}

TEST_F(ZipStoreFixture, LinkEntriesAreListedAsLinksNeverAsFiles) {
  VELKOR_REQUIRE_TOOL("zip");
  tree.write("in/real.txt", "real");
  ASSERT_EQ(symlink("real.txt", tree.path("in/link").c_str()), 0);
  ASSERT_EQ(platform::runProcess({"sh", "-c", "cd '" + tree.path("in") + "' && zip -q -y '" + archive + "' real.txt link"}).exitCode, 0);
  auto store = openStore();
  ASSERT_TRUE(store->GetFileInfo(platform::joinPath(archive, "link")));
  EXPECT_EQ(store->CurrentEntry().attributes, platform::attr::kLink);
  std::string target;
  ASSERT_TRUE(store->ReadLink(platform::joinPath(archive, "link"), target));
  EXPECT_EQ(target, "real.txt");
  EXPECT_EQ(store->OpenContent(platform::joinPath(archive, "link")), nullptr);
  EXPECT_FALSE(store->ReadLink(platform::joinPath(archive, "real.txt"), target));
}

TEST_F(ZipStoreFixture, ChangesOfABatchThatCannotBeWrittenAreReportedLost) {
  auto store = openStore();
  ASSERT_TRUE(put(*store, "kept.txt", "kept"));
  ASSERT_TRUE(put(*store, "doomed.txt", "doomed"));
  ASSERT_TRUE(store->Finish());
  store = openStore();
  store->BeginBatch(0);
  ASSERT_TRUE(put(*store, "new.txt", "new"));
  ASSERT_TRUE(store->DeleteFile(platform::joinPath(archive, "doomed.txt")));
  // Another program rewrites the archive meanwhile: this batch must not write over it.
  const std::string theirs = tree.read("store.zip") + std::string(16, '\0');
  ASSERT_TRUE(platform::writeFileReplacing(archive, theirs, 0644));
  store->EndBatch();
  EXPECT_EQ(store->TakeLostWrites(),
            (std::vector<std::string>{platform::joinPath(archive, "new.txt"), platform::joinPath(archive, "doomed.txt")}));
  EXPECT_EQ(tree.read("store.zip"), theirs);
  EXPECT_NE(store->LastError().find("changed"), std::string::npos) << store->LastError();
}
