// Packages: what they carry, when the file on disk changes, names from elsewhere, and a package
// made from a comparison.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/syncrun.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "stores/make_package.h"
#include "stores/package_store.h"
#include "stores/zip_container.h"
#include "stores/zip_content.h"
#include "stores/zip_store.h"
#include "tests/support/temp_tree.h"
#include "tests/support/tools.h"

namespace {

// The archive's entry names in order.
std::string entriesOf(const std::string& archive) {
  stores::ZipContainer zip;
  zip.Open(archive, false);
  std::string names;
  for (int i = 0; i < zip.Count(); ++i) names += zip.Entry(i).name + ";";
  return names;
}

std::string listOf(const std::string& archive) {
  stores::ZipContainer zip;
  zip.Open(archive, false);
  const auto reader = zip.OpenEntry(zip.FindName("LIST/list.txt"));
  std::string text;
  char buffer[4096];
  while (const std::size_t got = reader->read(buffer, sizeof buffer)) text.append(buffer, got);
  return text;
}

void expectUnzipAccepts(const std::string& archive) {
  if (!testsupport::haveTool("unzip")) return;
  testsupport::runTool({"unzip", "-tq", archive});
}

struct PackageFixture : ::testing::Test {
  testsupport::TempTree tree;
  engine::EngineSettings settings;
  engine::StoreContext context{&settings, nullptr, {}};
  testsupport::ScopedTimeZone zone{"UTC"};

  std::unique_ptr<stores::PackageStore> open(const std::string& file) {
    auto store = std::make_unique<stores::PackageStore>(context);
    EXPECT_TRUE(store->Open(tree.path(file), {true, true, true})) << store->LastError();
    EXPECT_TRUE(store->Attach(nullptr, true)) << store->LastError();
    return store;
  }
  std::string in(const std::string& package, const std::string& relative) { return tree.path(package + "/" + relative); }
};

}  // namespace

TEST_F(PackageFixture, ListAndContentReachTheFileTogetherAtTheCommitAndOnlyOnce) {
  VELKOR_REQUIRE_TOOL("unzip");
  tree.writeWithTime("src/new.txt", "new content", testsupport::utcTime(2020, 5, 6, 7, 8, 9));
  tree.writeWithTime("src/sub/deep.txt", "deep", testsupport::utcTime(2021, 1, 2, 3, 4, 5));
  auto package = open("p.pkg");
  EXPECT_FALSE(platform::exists(tree.path("p.pkg")));
  package->BeginBatch(0);
  ASSERT_TRUE(package->NoteWrittenFile(in("p.pkg", "new.txt"), tree.path("src/new.txt"), false)) << package->LastError();
  ASSERT_TRUE(package->NoteWrittenFile(in("p.pkg", "sub/deep.txt"), tree.path("src/sub/deep.txt"), false));
  ASSERT_TRUE(package->NoteListOnly(in("p.pkg", "only listed.txt"), 42, testsupport::utcTime(2001, 2, 3, 4, 5, 6)));
  EXPECT_FALSE(platform::exists(tree.path("p.pkg"))) << "nothing reaches the disk before the batch ends";
  package->EndBatch();
  EXPECT_TRUE(package->TakeLostWrites().empty());
  expectUnzipAccepts(tree.path("p.pkg"));
  EXPECT_EQ(entriesOf(tree.path("p.pkg")), "FILES/new.txt;FILES/sub/deep.txt;LIST/list.txt;");
  EXPECT_EQ(listOf(tree.path("p.pkg")), "          11   06-05-2020 07:08:09  0  0  0   new.txt\r\n"
                                        "           4   02-01-2021 03:04:05  0  0  0   sub\\deep.txt\r\n"
                                        "          42   03-02-2001 04:05:06  0  0  0   only listed.txt\r\n");

  struct stat before {};
  ASSERT_EQ(stat(tree.path("p.pkg").c_str(), &before), 0);
  ASSERT_TRUE(package->Finish());
  ASSERT_TRUE(package->Finish());
  struct stat after {};
  ASSERT_EQ(stat(tree.path("p.pkg").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino) << "Finish without a change writes nothing";

  auto again = open("p.pkg");
  EXPECT_TRUE(again->HasContent(in("p.pkg", "new.txt")));
  EXPECT_FALSE(again->HasContent(in("p.pkg", "only listed.txt")));
  std::string local;
  ASSERT_EQ(again->GetFile(in("p.pkg", "new.txt"), local, 0), 1);
  EXPECT_EQ(platform::readWholeFile(local).value_or(""), "new content");
  EXPECT_EQ(again->GetFile(in("p.pkg", "only listed.txt"), local, 0), -1);
  EXPECT_NE(again->LastError().find("not in package"), std::string::npos) << again->LastError();
  EXPECT_EQ(again->OpenContent(in("p.pkg", "only listed.txt")), nullptr);

  // Read where the clocks say another time: the file it carries keeps its exact time.
  testsupport::ScopedTimeZone elsewhere("America/New_York");
  auto away = open("p.pkg");
  ASSERT_TRUE(away->GetFileInfo(in("p.pkg", "new.txt")));
  EXPECT_EQ(away->CurrentEntry().lastWriteTime, testsupport::utcTime(2020, 5, 6, 7, 8, 9));
}

TEST_F(PackageFixture, OneContentEntryPerFileAndCopyingOutCanTakeItAway) {
  // Made on Windows: the list and the content spell a name differently.
  {
    stores::ZipContainer zip;
    zip.Open(tree.path("p.pkg"), true);
    stores::MemoryInput list("           5   01-01-2010 00:00:00  0  0  0   Docs\\Read Me.txt\r\n", 0, S_IFREG | 0644);
    zip.AddEntry(list, "LIST/list.txt", -1, nullptr);
    stores::MemoryInput content("first", 0, S_IFREG | 0644);
    zip.AddEntry(content, "FILES/docs/read me.txt", -1, nullptr);
    zip.Close();
  }
  tree.write("src/Docs/Read Me.txt", "second, longer");
  tree.write("src/Docs/READ ME.txt", "a file of its own");
  auto package = open("p.pkg");
  EXPECT_TRUE(package->HasContent(in("p.pkg", "Docs/Read Me.txt")));
  ASSERT_TRUE(package->NoteWrittenFile(in("p.pkg", "Docs/Read Me.txt"), tree.path("src/Docs/Read Me.txt"), false));
  ASSERT_TRUE(package->NoteWrittenFile(in("p.pkg", "Docs/READ ME.txt"), tree.path("src/Docs/READ ME.txt"), false));
  ASSERT_TRUE(package->Finish());
  EXPECT_EQ(entriesOf(tree.path("p.pkg")), "LIST/list.txt;FILES/Docs/Read Me.txt;FILES/Docs/READ ME.txt;");

  // A list-only line for a name with content takes the content away: list and content agree.
  ASSERT_TRUE(package->NoteListOnly(in("p.pkg", "Docs/READ ME.txt"), 17, testsupport::utcTime(2010, 1, 1, 0, 0, 0)));
  ASSERT_TRUE(package->Finish());
  EXPECT_EQ(entriesOf(tree.path("p.pkg")), "LIST/list.txt;FILES/Docs/Read Me.txt;");
  EXPECT_FALSE(package->HasContent(in("p.pkg", "Docs/READ ME.txt"))) << "never the content of another file";

  std::string out = tree.path("out/read me.txt");
  ASSERT_TRUE(platform::createFolderChain(tree.path("out")));
  ASSERT_EQ(package->GetFile(in("p.pkg", "Docs/Read Me.txt"), out, stores::PackageStore::kRemoveAfterCopy), 1);
  EXPECT_EQ(tree.read("out/read me.txt"), "second, longer");
  ASSERT_TRUE(package->Finish());
  EXPECT_EQ(entriesOf(tree.path("p.pkg")), "LIST/list.txt;");
  EXPECT_NE(listOf(tree.path("p.pkg")).find("Docs\\Read Me.txt"), std::string::npos) << "the line stays";

  // Two other spellings and no exact one: no guess between them.
  {
    stores::ZipContainer zip;
    zip.Open(tree.path("two.pkg"), true);
    stores::MemoryInput list("           5   01-01-2010 00:00:00  0  0  0   a.txt\r\n", 0, S_IFREG | 0644);
    zip.AddEntry(list, "LIST/list.txt", -1, nullptr);
    for (const char* name : {"FILES/A.TXT", "FILES/A.txt"}) {
      stores::MemoryInput content("wrong", 0, S_IFREG | 0644);
      zip.AddEntry(content, name, -1, nullptr);
    }
    zip.Close();
  }
  EXPECT_FALSE(open("two.pkg")->HasContent(in("two.pkg", "a.txt")));
}

TEST_F(PackageFixture, ACommitThatFailsLeavesTheOldPackageAndSaysWhichWritesWereLost) {
  tree.write("src/a.txt", "alpha");
  tree.write("src/b.txt", "beta");
  auto package = open("p.pkg");
  ASSERT_TRUE(package->NoteWrittenFile(in("p.pkg", "a.txt"), tree.path("src/a.txt"), false));
  ASSERT_TRUE(package->Finish());
  const std::string committed = tree.read("p.pkg");

  package->BeginBatch(0);
  ASSERT_TRUE(package->NoteWrittenFile(in("p.pkg", "b.txt"), tree.path("src/b.txt"), false));
  ASSERT_TRUE(package->DeleteFile(in("p.pkg", "a.txt")));
  // Another program replaces the package meanwhile: its file is not overwritten.
  tree.write("p.pkg", committed);
  package->EndBatch();
  EXPECT_EQ(package->TakeLostWrites(), (std::vector<std::string>{in("p.pkg", "b.txt"), in("p.pkg", "a.txt")}));
  EXPECT_FALSE(package->LastError().empty());
  EXPECT_EQ(tree.read("p.pkg"), committed);
  EXPECT_TRUE(package->Exists(in("p.pkg", "a.txt"))) << "the listing is the package on disk again";
  EXPECT_FALSE(package->Exists(in("p.pkg", "b.txt")));
}

TEST_F(PackageFixture, NamesFromElsewhereNeverLeaveTheFolderAndAFileThatIsNoPackageFails) {
  const std::string script = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('LIST/LIST.TXT', '           4   01-02-2003 04:05:06  0  0  0   ok.txt\r\n'
                                '           4   01-02-2003 04:05:06  0  0  0   ..\\..\\evil.txt\r\n'
                                '           4   01-02-2003 04:05:06  0  0  0   /etc/evil.txt\r\n'
                                '           5   01-02-2003 04:05:06  0  0  0   dossier\\a.txt\r\n'
                                '           3   01-02-2003 04:05:06  0  0  0   synch.log\r\n')
    z.writestr('FILES/ok.txt', 'fine')
    z.writestr('FILES/../../evil.txt', 'evil')
    z.writestr('FILES\\dossier\\a.txt', 'inner')
    z.writestr('FILES/synch.log', 'log')
)";
  const auto made = testsupport::runPython(script, {tree.path("elsewhere.pkg")});
  if (made.exitCode != 0) GTEST_SKIP() << "Python could not write the package: " << made.output;
  auto package = open("elsewhere.pkg");
  std::vector<std::string> listed;
  std::vector<engine::FindData> entries;
  std::string error;
  ASSERT_TRUE(package->ListFolder(package->Root() + "/", entries, error));
  for (const engine::FindData& entry : entries) listed.push_back(entry.name);
  EXPECT_EQ(listed, (std::vector<std::string>{"dossier", "ok.txt"})) << "history files are never synchronized";
  const std::vector<std::string> warnings = package->TakeWarnings();
  EXPECT_EQ(warnings.size(), 3u);
  EXPECT_TRUE(package->HasContent(in("elsewhere.pkg", "dossier/a.txt"))) << "\\ between folders, as on Windows";
  ASSERT_TRUE(package->NoteListOnly(in("elsewhere.pkg", "new.txt"), 1, testsupport::utcTime(2010, 1, 1, 0, 0, 0)));
  ASSERT_TRUE(package->Finish());
  const std::string written = entriesOf(tree.path("elsewhere.pkg"));
  EXPECT_EQ(written.find("LIST/LIST.TXT"), std::string::npos) << "one list: " << written;

  tree.write("broken.pkg", "this is no archive at all");
  stores::PackageStore broken(context);
  ASSERT_TRUE(broken.Open(tree.path("broken.pkg"), {true, false, false}));
  EXPECT_FALSE(broken.Attach(nullptr, true)) << "a package that cannot be read is never an empty one";
}

TEST_F(PackageFixture, APackageMadeFromAComparisonCarriesTheContentTheTaskCopies) {
  VELKOR_REQUIRE_TOOL("unzip");
  stores::RegisterStores();
  const platform::FileTime old = testsupport::utcTime(2022, 1, 1, 0, 0, 0);
  const platform::FileTime newer = testsupport::utcTime(2023, 1, 1, 0, 0, 0);
  tree.writeWithTime("a/to target.txt", "newer in a", newer);
  tree.writeWithTime("b/to target.txt", "older in b", old);
  tree.writeWithTime("a/to source.txt", "older in a", old);
  tree.writeWithTime("b/to source.txt", "newer in b", newer);
  tree.writeWithTime("a/sub/only in a.txt", "only a", old);
  tree.writeWithTime("a/same.txt", "same", old);
  tree.writeWithTime("b/same.txt", "same", old);
  struct Quiet : engine::RunObserver {
    int Confirm(const engine::ConfirmRequest&) override { return engine::confirm::kYesOnce; }
  } observer;
  engine::SyncEngine engine(settings, context, observer);
  engine::SessionSpec session;
  session.source = tree.path("a");
  session.target = tree.path("b");
  session.flags = engine::sessionflag::kSubfolders;
  session.todo = 0;  // synchronize
  ASSERT_TRUE(engine.StartCompare({session}, true));

  stores::PackageResult result;
  engine.StartTask([&] { result = stores::MakePackage(engine, tree.path("update.pkg"), stores::PackageTask::UpdateTarget, context, false); }, true);
  EXPECT_TRUE(result.written);
  EXPECT_TRUE(result.failures.empty()) << result.failures.front();
  EXPECT_EQ(result.withContent, 2u);
  EXPECT_EQ(result.listOnly, 1u);
  expectUnzipAccepts(tree.path("update.pkg"));
  const std::string entries = entriesOf(tree.path("update.pkg"));
  for (const char* entry : {"FILES/sub/only in a.txt;", "FILES/to target.txt;", "LIST/list.txt;"}) {
    EXPECT_NE(entries.find(entry), std::string::npos) << entry << " in " << entries;
  }
  EXPECT_EQ(entries.find("FILES/to source.txt"), std::string::npos) << "the task does not copy it";
  const std::string list = listOf(tree.path("update.pkg"));
  for (const char* line : {"sub\\only in a.txt\r\n", "to target.txt\r\n", "10   01-01-2023 00:00:00  0  0  0   to source.txt\r\n"}) {
    EXPECT_NE(list.find(line), std::string::npos) << line << " in\n" << list;
  }
  EXPECT_EQ(list.find("same.txt"), std::string::npos) << "only selected items";

  // Made again in place of the old one: only what this task carries is in it.
  result = stores::MakePackage(engine, tree.path("update.pkg"), stores::PackageTask::UpdateSource, context, true);
  EXPECT_TRUE(result.written);
  EXPECT_EQ(result.withContent, 1u);
  EXPECT_EQ(entriesOf(tree.path("update.pkg")), "LIST/list.txt;FILES/to source.txt;");
  expectUnzipAccepts(tree.path("update.pkg"));

  result = stores::MakePackage(engine, tree.path("update.zip"), stores::PackageTask::UpdateTarget, context, false);
  EXPECT_FALSE(result.written);
  EXPECT_FALSE(platform::exists(tree.path("update.zip")));
  EXPECT_TRUE(engine.StartFinish(true));
}

TEST_F(PackageFixture, WhatASideCannotGiveIsListedTheSidesAreNeverThePackageAndNothingMakesNoPackage) {
  stores::RegisterStores();
  struct Quiet : engine::RunObserver {
    int Confirm(const engine::ConfirmRequest&) override { return engine::confirm::kYesOnce; }
  } observer;
  auto compare = [&](engine::SyncEngine& engine, const std::string& target) {
    engine::SessionSpec session;
    session.source = tree.path("a");
    session.target = tree.path(target);
    session.flags = engine::sessionflag::kSubfolders;
    ASSERT_TRUE(engine.StartCompare({session}, true));
  };
  tree.writeWithTime("a/newer in a.txt", "new a", testsupport::utcTime(2023, 1, 1, 0, 0, 0));
  tree.writeWithTime("a/newer in b.txt", "old", testsupport::utcTime(2022, 1, 1, 0, 0, 0));
  tree.write("b.pck", "           3   01-01-2022 00:00:00  0  0  0   newer in a.txt\r\n"
                      "           9   01-01-2023 00:00:00  0  0  0   newer in b.txt\r\n");
  {
    engine::SyncEngine engine(settings, context, observer);
    compare(engine, "b.pck");
    const auto result = stores::MakePackage(engine, tree.path("sync.pkg"), stores::PackageTask::Synchronize, context, false);
    EXPECT_TRUE(result.failures.empty()) << result.failures.front();
    EXPECT_EQ(result.withContent, 1u);
    EXPECT_EQ(result.listOnly, 1u) << "a snapshot cannot give the file newer there: its line goes in";
    EXPECT_NE(listOf(tree.path("sync.pkg")).find("           9   01-01-2023 00:00:00  0  0  0   newer in b.txt"),
              std::string::npos);
  }
  {
    engine::SyncEngine engine(settings, context, observer);
    compare(engine, "sync.pkg");
    const auto refused = stores::MakePackage(engine, tree.path("a/../sync.pkg"), stores::PackageTask::Synchronize, context, false);
    EXPECT_TRUE(refused.refused) << "a package is never made from itself";
  }
  {
    tree.writeWithTime("same/newer in a.txt", "new a", testsupport::utcTime(2023, 1, 1, 0, 0, 0));
    tree.writeWithTime("same/newer in b.txt", "old", testsupport::utcTime(2022, 1, 1, 0, 0, 0));
    engine::SyncEngine engine(settings, context, observer);
    compare(engine, "same");
    const auto nothing = stores::MakePackage(engine, tree.path("nothing.pkg"), stores::PackageTask::Synchronize, context, false);
    EXPECT_TRUE(nothing.nothingToPut);
    EXPECT_FALSE(platform::exists(tree.path("nothing.pkg")));
  }
}
