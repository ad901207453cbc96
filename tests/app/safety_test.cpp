// What the program must never do to a user's files, tried through the binary on real folders:
// overwrite or delete what the user wants kept, write outside the chosen pair, report an
// incomplete run as complete.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/profile.h"
#include "platform/path.h"
#include "tests/app/program_test.h"
#include "tests/support/tools.h"

using testsupport::kLater;
using testsupport::kOld;

namespace {

unsigned umaskNow() {
  const mode_t mask = umask(022);
  umask(mask);
  return mask;
}

struct Safety : testsupport::ProgramTest {
  void link(const std::string& target, const std::string& relative) {
    ASSERT_EQ(symlink(target.c_str(), tree.path(relative).c_str()), 0) << relative;
  }
  std::string linkTarget(const std::string& relative) {
    char buffer[4096];
    const ssize_t length = readlink(tree.path(relative).c_str(), buffer, sizeof buffer);
    return length < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(length));
  }
  // Names directly in a folder of the tree, sorted.
  std::vector<std::string> names(const std::string& relative) {
    std::vector<std::string> found;
    auto search = platform::DirectorySearch::open(tree.path(relative));
    platform::FindData entry;
    while (search && search->next(entry)) {
      if (entry.name != "." && entry.name != "..") found.push_back(entry.name);
    }
    std::sort(found.begin(), found.end());
    return found;
  }
  void sessions(const std::string& body) {
    ASSERT_TRUE(platform::writeFileReplacing(ini, "[Options]\nVersion=1\nFlags=46082\n" + body, 0600));
  }
};

}  // namespace

// Files lost or overwritten.

TEST_F(Safety, AFileChangedOnBothSidesIsLeftAloneByAnUnattendedRun) {
  useHistory(true);
  tree.writeWithTime("src/doc.txt", "first", kOld);
  tree.writeWithTime("src/other.txt", "other", kOld);
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "-sync", "-auto"}).exitCode, 0);
  tree.writeWithTime("src/doc.txt", "source edit", kOld + kLater);
  tree.writeWithTime("dst/doc.txt", "target edit, newer and longer", kOld + 2 * kLater);
  // Left alone, and still a conflict on the next run: it waits for a person.
  for (const char* mode : {"-scan", "-auto", "-auto"}) {
    const auto result = run({tree.path("src"), tree.path("dst"), "-sync", mode});
    EXPECT_EQ(result.exitCode, 1) << mode << result.errorOutput;
    EXPECT_NE(result.output.find("conflict, changed on both sides: doc.txt"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("conflicts left alone: 1"), std::string::npos) << result.output;
    EXPECT_EQ(tree.read("src/doc.txt"), "source edit");
    EXPECT_EQ(tree.read("dst/doc.txt"), "target edit, newer and longer");
  }
}

TEST_F(Safety, ASameSizeEditSoonAfterTheLastRunIsAnEdit) {
  useHistory(true);
  tree.writeWithTime("src/doc.txt", "version 1", kOld);
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "-sync", "-auto"}).exitCode, 0);
  // Two seconds later, the same size: only the history can tell that the source changed.
  tree.writeWithTime("src/doc.txt", "version 2", kOld + 2 * platform::kTicksPerSecond);
  tree.writeWithTime("dst/doc.txt", "target's edit", kOld + kLater);
  const auto result = run({tree.path("src"), tree.path("dst"), "-sync", "-auto"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(tree.read("src/doc.txt"), "version 2");
  EXPECT_EQ(tree.read("dst/doc.txt"), "target's edit");
}

TEST_F(Safety, OneWayModesNeverWriteIntoTheSource) {
  useHistory(true);
  tree.writeWithTime("src/a.txt", "a", kOld);
  tree.writeWithTime("src/b.txt", "b", kOld);
  for (const char* mode : {"-copy", "-back", "-update"}) {
    ASSERT_EQ(run({tree.path("src"), tree.path("dst"), mode, "-auto"}).exitCode, 0) << mode;
    ASSERT_TRUE(platform::deleteFile(tree.path("dst/b.txt")));
    const auto again = run({tree.path("src"), tree.path("dst"), mode, "-auto"});
    EXPECT_EQ(again.exitCode, 0) << mode << again.errorOutput;
    EXPECT_EQ(tree.read("src/b.txt"), "b") << mode << ": the source keeps its file";
    EXPECT_EQ(tree.read("dst/b.txt"), "b") << mode << ": the target gets it back";
  }
  tree.writeWithTime("dst/a.txt", "newer in the target", kOld + kLater);
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "-copy", "-auto"}).exitCode, 0);
  EXPECT_EQ(tree.read("src/a.txt"), "a");
  EXPECT_EQ(tree.read("dst/a.txt"), "a") << "a duplicate makes the target equal to the source";
  EXPECT_FALSE(tree.exists("src/synch.log")) << "not even a history file";

  // Without a history of the source, a backup follows what the source holds, and two runs agree.
  ASSERT_TRUE(platform::deleteFile(tree.path("src/a.txt")));
  EXPECT_EQ(run({tree.path("src"), tree.path("dst"), "-back", "-auto"}).exitCode, 0);
  EXPECT_FALSE(tree.exists("dst/a.txt"));
  EXPECT_NE(run({tree.path("src"), tree.path("dst"), "-back", "-auto"}).output.find("Folders seems to be identical!"),
            std::string::npos);
}

TEST_F(Safety, HistoryRemembersExactlyWhatIsEqualAfterTheRun) {
  useHistory(true);
  tree.writeWithTime("src/f.txt", "f", kOld);
  tree.writeWithTime("src/g.txt", "g", kOld);
  tree.writeWithTime("src/data.bin", "kept by a run with other masks", kOld);
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "-sync", "-auto"}).exitCode, 0);
  // f goes from both sides by hand; a later run must forget it on both.
  ASSERT_TRUE(platform::deleteFile(tree.path("src/f.txt")));
  ASSERT_TRUE(platform::deleteFile(tree.path("dst/f.txt")));
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "*.txt", "-sync", "-auto"}).exitCode, 0);
  for (const char* side : {"src/synch.log", "dst/synch.log"}) {
    const std::string history = tree.read(side);
    EXPECT_EQ(history.find("f.txt"), std::string::npos) << side << ":\n" << history;
    EXPECT_NE(history.find("g.txt"), std::string::npos) << side;
    EXPECT_NE(history.find("data.bin"), std::string::npos) << side << ": names the masks left out stay remembered";
  }
  // Restored from an old copy with its old time: a new file, never one to delete.
  tree.writeWithTime("src/f.txt", "f", kOld);
  const auto result = run({tree.path("src"), tree.path("dst"), "-sync", "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_EQ(tree.read("src/f.txt"), "f");
  EXPECT_EQ(tree.read("dst/f.txt"), "f");
}

TEST_F(Safety, AFileOfTheUsersOwnNamedSynchLogIsNeverOverwritten) {
  useHistory(true);
  const std::string own = "2026-01-01 server started\n2026-01-02 server stopped\n";
  tree.write("dst/synch.log", own);
  tree.writeWithTime("src/a.txt", "a", kOld);
  const auto result = run({tree.path("src"), tree.path("dst"), "-sync", "-auto"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.errorOutput.find("history not written, a file of its own is named synch.log: " + tree.path("dst/synch.log")),
            std::string::npos)
      << result.errorOutput;
  EXPECT_EQ(tree.read("dst/synch.log"), own);
  EXPECT_EQ(tree.read("dst/a.txt"), "a");
}

TEST_F(Safety, BackupsNeverReplaceEachOtherNorGetCompared) {
  ASSERT_TRUE(platform::writeFileReplacing(ini, "[Options]\nVersion=1\nFlags=111618\nBackupPath=" + tree.path("dst/.backups") + "\n", 0600));
  tree.writeWithTime("one/notes.txt", "one, version 1", kOld);
  tree.writeWithTime("two/notes.txt", "two, version 1", kOld);
  for (int version = 2; version <= 3; ++version) {
    for (const char* pair : {"one", "two"}) {
      tree.writeWithTime(std::string("src-") + pair + "/notes.txt", std::string(pair) + ", version " + std::to_string(version),
                         kOld + static_cast<platform::FileTime>(version) * kLater);
      const auto result = run({tree.path(std::string("src-") + pair), tree.path(pair), "-back", "-auto"});
      EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
    }
  }
  // Every version that was overwritten is kept, whichever pair or run overwrote it.
  std::vector<std::string> kept;
  for (const std::string& name : names("dst/.backups")) kept.push_back(tree.read("dst/.backups/" + name));
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<std::string>{"one, version 1", "one, version 2", "two, version 1", "two, version 2"}));

  // The backup folder inside the target is never compared, deleted or backed up again.
  tree.writeWithTime("src/a.txt", "new", kOld + kLater);
  tree.writeWithTime("dst/a.txt", "old", kOld);
  const auto result = run({tree.path("src"), tree.path("dst"), "-copy", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_FALSE(tree.exists("dst/.backups/.backups"));
  EXPECT_EQ(names("dst/.backups").size(), 5u);
  EXPECT_NE(run({tree.path("src"), tree.path("dst"), "-copy", "-R", "-scan"}).output.find("Folders seems to be identical!"),
            std::string::npos);
  // ... and never written into the source of a one-way run.
  EXPECT_EQ(run({tree.path("dst"), tree.path("elsewhere"), "-back", "-R", "-auto"}).exitCode, 2);
}

TEST_F(Safety, NamesThatDifferOnlyInLetterCaseAreTwoFilesOnLinuxFolders) {
  tree.write("src/doc/Index.html", "upper");
  tree.write("src/doc/index.html", "lower");
  auto result = run({tree.path("src"), tree.path("dst"), "-back", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_EQ(tree.read("dst/doc/Index.html"), "upper");
  EXPECT_EQ(tree.read("dst/doc/index.html"), "lower");
  result = run({tree.path("src"), tree.path("dst"), "-back", "-R", "-auto"});
  EXPECT_NE(result.output.find("Folders seems to be identical!"), std::string::npos) << result.output;
}

TEST_F(Safety, ASessionWithAnEmptyOrUnknownPathRunsNothing) {
  tree.writeWithTime("src/a.txt", "a", kOld);
  sessions("Sessions=2\n[Session1]\nName=NoTarget\nSrc=" + tree.path("src") + "\nTodo=2\n[Session2]\nName=Unknown\nSrc=" +
           tree.path("src") + "\nDst=$(Nope)/backup\nTodo=2\n");
  auto result = run({"NoTarget", "-auto"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.errorOutput.find("The target of \"NoTarget\" is empty"), std::string::npos) << result.errorOutput;
  result = run({"Unknown", "-auto"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.errorOutput.find("$(Nope)/backup"), std::string::npos) << result.errorOutput;
  // An environment variable that is not set, a variable whose folder is empty, a relative path.
  sessions("Sessions=3\n[Session1]\nName=Env\nSrc=" + tree.path("src") + "\nDst=%NOT_SET_ANYWHERE%/x\n[Session2]\nName=Empty\nSrc=" +
           tree.path("src") + "\nDst=$(Blank)/x\n[Session3]\nName=Relative\nSrc=" + tree.path("src") +
           "\nDst=somewhere\n[PathVars]\nTotal=1\n0=Blank\nvar_0=\n");
  for (const char* name : {"Env", "Empty", "Relative"}) {
    result = run({name, "-auto"});
    EXPECT_EQ(result.exitCode, 2) << name;
    EXPECT_NE(result.errorOutput.find(std::string("\"") + name + "\""), std::string::npos) << result.errorOutput;
  }
  EXPECT_EQ(names("src"), std::vector<std::string>{"a.txt"});
}

TEST_F(Safety, AProjectThatCannotRunWholeDoesNotEndAsDone) {
  tree.writeWithTime("src/a.txt", "a", kOld);
  sessions("Sessions=1\nProjects=1\nProject1=Nightly||Good||Missing||\n[Session1]\nName=Good\nSrc=" + tree.path("src") +
           "\nDst=" + tree.path("dst") + "\nTodo=2\n");
  const auto result = run({"Nightly", "-auto"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.errorOutput.find("Missing"), std::string::npos) << result.errorOutput;
  EXPECT_EQ(tree.read("dst/a.txt"), "a") << "the sessions that exist run";
}

TEST_F(Safety, ArgumentsThatCannotBeMeantAreRefused) {
  tree.write("src/a.txt", "a");
  for (const std::vector<std::string>& extra : {std::vector<std::string>{"*.txt", "b.txt"}, {tree.path("kept")}}) {
    std::vector<std::string> arguments = {tree.path("src"), tree.path("dst")};
    if (extra.size() == 1) arguments.push_back("--backup");
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back("-auto");
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, 2) << result.output;
    EXPECT_NE(result.errorOutput.find(extra.back()), std::string::npos) << result.errorOutput;
  }
  EXPECT_FALSE(tree.exists("dst"));
}

TEST_F(Safety, APathPairRunsWithWhatItsOwnCommandLineSays) {
  tree.write("one/a.txt", "a");
  tree.write("one/bb.txt", "bb");
  tree.write("two/own.txt", "the target's own");
  ASSERT_EQ(run({tree.path("one"), tree.path("two"), "-back", "-Xb*", "-R", "-auto"}).exitCode, 0);
  EXPECT_FALSE(tree.exists("two/own.txt")) << "that backup made the target a copy";
  tree.write("three/b.txt", "b");
  tree.write("four/own.txt", "the target's own");
  tree.write("three/sub/x.txt", "not without -R");
  const auto result = run({tree.path("three"), tree.path("four"), "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_EQ(tree.read("four/own.txt"), "the target's own") << "synchronize, not the earlier backup";
  EXPECT_EQ(tree.read("four/b.txt"), "b") << "no exclusion from the earlier run";
  EXPECT_FALSE(tree.exists("four/sub")) << "no subfolders from the earlier run";
  config::CProfile saved;
  ASSERT_EQ(saved.SetFile(ini), config::CProfile::LoadState::Loaded);
  EXPECT_EQ(saved.GetText("Options", "Src", ""), tree.path("three"));
  EXPECT_EQ(saved.GetText("Options", "XFiles", ""), "");
}

// Writes outside the pair.

TEST_F(Safety, NothingIsWrittenThroughALinkInTheTarget) {
  tree.write("outside/x.txt", "outside");
  tree.writeWithTime("src/sub/f.txt", "f", kOld);
  tree.writeWithTime("src/new/deep/g.txt", "g", kOld);
  tree.folder("dst");
  link("../outside", "dst/sub");
  link("../outside", "dst/new");
  useHistory(true);
  auto result = run({tree.path("src"), tree.path("dst"), "-sync", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(names("outside"), std::vector<std::string>{"x.txt"}) << result.errorOutput;

  // A backup of a file about to be overwritten, and a file restored from an archive.
  ASSERT_TRUE(platform::removeTree(tree.path("dst")));
  tree.writeWithTime("dst/sub/f.txt", "old", kOld);
  ASSERT_TRUE(platform::writeFileReplacing(ini, "[Options]\nVersion=1\nFlags=111618\nBackupPath=" + tree.path("backups") + "\n", 0600));
  tree.folder("backups");
  link("../outside", "backups/sub");
  tree.writeWithTime("src/sub/f.txt", "newer", kOld + kLater);
  result = run({tree.path("src"), tree.path("dst"), "-back", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 1) << "no backup, no overwrite";
  EXPECT_EQ(tree.read("dst/sub/f.txt"), "old");
  EXPECT_EQ(names("outside"), std::vector<std::string>{"x.txt"});

  if (!testsupport::haveTool("zip")) GTEST_SKIP() << "zip is not installed";
  useHistory(false);
  tree.write("pack/sub/x.txt", "from the archive");
  testsupport::runPython("import os, sys, zipfile\nos.chdir(sys.argv[1])\nz = zipfile.ZipFile(sys.argv[2], 'w')\nz.write('sub/x.txt')\n",
                         {tree.path("pack"), tree.path("restore.zip")});
  tree.folder("restored");
  link("../outside", "restored/sub");
  result = run({tree.path("restore.zip"), tree.path("restored"), "-copy", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(tree.read("outside/x.txt"), "outside");
}

TEST_F(Safety, LinksAreCopiedAsLinksAndCountedWhereTheyCannotGo) {
  tree.writeWithTime("src/d/real.txt", "real", kOld);
  link("d/real.txt", "src/relative");
  link("/etc/passwd", "src/absolute");
  link("../..", "src/d/up");
  for (const char* mode : {"-sync", "-back", "-copy", "-update"}) {
    (void)platform::removeTree(tree.path("dst"));
    const auto result = run({tree.path("src"), tree.path("dst"), mode, "-R", "-auto"});
    EXPECT_EQ(result.exitCode, 0) << mode << result.errorOutput;
    EXPECT_EQ(linkTarget("dst/relative"), "d/real.txt") << mode;
    EXPECT_EQ(linkTarget("dst/absolute"), "/etc/passwd") << mode << ": a link is copied, never what it points to";
    EXPECT_EQ(linkTarget("dst/d/up"), "../..") << mode;
  }
  // A link whose target text changed is copied again; one left as it was is the same.
  ASSERT_TRUE(platform::deleteFile(tree.path("src/relative")));
  link("d/other.txt", "src/relative");
  auto result = run({tree.path("src"), tree.path("dst"), "-back", "-R", "-auto"});
  EXPECT_EQ(linkTarget("dst/relative"), "d/other.txt");
  EXPECT_NE(result.output.find("Copied to target: 1,"), std::string::npos) << result.output;

  // An archive keeps links as link entries; restored, a link comes back only where it points
  // inside the restored folder.
  if (!testsupport::haveTool("unzip")) GTEST_SKIP() << "unzip is not installed";
  result = run({tree.path("src"), tree.path("links.zip"), "-back", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_NE(run({tree.path("src"), tree.path("links.zip"), "-back", "-R", "-scan"}).output.find("Folders seems to be identical!"),
            std::string::npos);
  const std::string listing = testsupport::runTool({"unzip", "-Z", tree.path("links.zip")}).output;
  EXPECT_NE(listing.find("lrwxrwxrwx"), std::string::npos) << listing;
  result = run({tree.path("links.zip"), tree.path("restored"), "-copy", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 1) << "two links point outside";
  EXPECT_NE(result.output.find("links left out: 2"), std::string::npos) << result.output;
  EXPECT_NE(result.errorOutput.find("absolute"), std::string::npos) << result.errorOutput;
  EXPECT_EQ(linkTarget("restored/relative"), "d/other.txt");
  EXPECT_FALSE(tree.exists("restored/absolute"));
  EXPECT_FALSE(tree.exists("restored/d/up"));
}

TEST_F(Safety, ABackslashIsPartOfANameOnDisk) {
  tree.write("src/a\\b", "one file");
  tree.write("src/..\\evil", "another");
  const auto result = run({tree.path("src"), tree.path("dst"), "-back", "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_EQ(names("dst"), (std::vector<std::string>{"..\\evil", "a\\b"}));
  EXPECT_FALSE(tree.exists("evil"));
  EXPECT_FALSE(tree.exists("..\\evil"));
}

TEST_F(Safety, ATargetInsideTheSourceIsRefusedBeforeItIsMade) {
  tree.write("n1/a.txt", "a");
  const auto result = run({tree.path("n1"), tree.path("n1/sub/deeper"), "-back", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.errorOutput.find("overlap"), std::string::npos) << result.errorOutput;
  EXPECT_EQ(names("n1"), std::vector<std::string>{"a.txt"});
}

TEST_F(Safety, AHistoryFileNameTakenByALinkIsLeftAlone) {
  useHistory(true);
  tree.write("outside/log.txt", "outside");
  tree.writeWithTime("src/a.txt", "a", kOld);
  tree.folder("dst");
  link("../outside/log.txt", "dst/synch.log");
  const auto result = run({tree.path("src"), tree.path("dst"), "-sync", "-auto"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(linkTarget("dst/synch.log"), "../outside/log.txt");
  EXPECT_EQ(tree.read("outside/log.txt"), "outside");
}

// Archives.

TEST_F(Safety, ArchivesGiveBackModesLinksAndTimesAsTheyHoldThem) {
  VELKOR_REQUIRE_TOOL("zip");
  tree.write("in/run.sh", "#!/bin/sh\n");
  ASSERT_EQ(chmod(tree.path("in/run.sh").c_str(), 04750), 0);
  tree.write("in/docs/real.txt", "real");
  link("real.txt", "in/docs/inside");
  link("../../escape", "in/docs/outside");
  ASSERT_EQ(platform::runProcess({"sh", "-c", "cd '" + tree.path("in") + "' && zip -q -r -y ../made.zip ."}).exitCode, 0);
  // An impossible time (hour 25) read as one valid time by the listing and the restored file.
  testsupport::runPython("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'a')\ninfo = zipfile.ZipInfo('late.txt', (2020, 5, 6, 7, 8, 10))\n"
                         "z.writestr(info, 'late')\nz.close()\ndata = bytearray(open(sys.argv[1], 'rb').read())\n"
                         "at = data.rfind(b'PK\\x01\\x02')\nwhile at >= 0:\n"
                         "    if data[at + 46:at + 54] == b'late.txt':\n        data[at + 12:at + 14] = (25 << 11 | 8 << 5 | 5).to_bytes(2, 'little')\n"
                         "    at = data.rfind(b'PK\\x01\\x02', 0, at)\nopen(sys.argv[1], 'wb').write(bytes(data))\n",
                         {tree.path("made.zip")});
  auto result = run({tree.path("made.zip"), tree.path("out"), "-copy", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 1) << "the escaping link is left out";
  EXPECT_NE(result.errorOutput.find("docs/outside"), std::string::npos) << result.errorOutput;
  struct stat st {};
  ASSERT_EQ(stat(tree.path("out/run.sh").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0750u & ~umaskNow()) << "its bits less the umask, never set-uid";
  EXPECT_EQ(linkTarget("out/docs/inside"), "real.txt");
  EXPECT_FALSE(tree.exists("out/docs/outside"));
  EXPECT_EQ(tree.read("out/late.txt"), "late");
  result = run({tree.path("made.zip"), tree.path("out"), "-copy", "-R", "-scan"});
  EXPECT_EQ(result.output.find("late.txt"), std::string::npos) << "found equal the second time: " << result.output;
}

TEST_F(Safety, ArchivesKeepExactTimesBeyondTheDosRange) {
  const platform::FileTime old = testsupport::utcTime(1975, 6, 1, 12, 0, 1, 123);
  const platform::FileTime future = testsupport::utcTime(2110, 1, 2, 3, 4, 5);
  tree.writeWithTime("src/old.txt", "old", old);
  tree.writeWithTime("src/future.txt", "future", future);
  tree.writeWithTime("src/odd.txt", "odd second", kOld + 3 * platform::kTicksPerSecond + 4567);
  ASSERT_EQ(run({tree.path("src"), tree.path("times.zip"), "-sync", "-auto"}).exitCode, 0);
  auto result = run({tree.path("src"), tree.path("times.zip"), "-sync", "-scan"});
  EXPECT_NE(result.output.find("Folders seems to be identical!"), std::string::npos) << result.output;
  ASSERT_EQ(run({tree.path("times.zip"), tree.path("back"), "-copy", "-auto"}).exitCode, 0);
  EXPECT_EQ(platform::getLastWriteTime(tree.path("back/old.txt")), old);
  EXPECT_EQ(platform::getLastWriteTime(tree.path("back/future.txt")), future);
  EXPECT_EQ(platform::getLastWriteTime(tree.path("src/old.txt")), old) << "the source's times never change";
  if (!testsupport::haveTool("unzip")) GTEST_SKIP() << "unzip is not installed";
  testsupport::runTool({"unzip", "-tq", tree.path("times.zip")});
}

TEST_F(Safety, AnArchiveIsWrittenWithTheRightModeAndLeftoversOfKilledRunsGo) {
  tree.write("src/a.txt", "a");
  auto result = run({tree.path("src"), tree.path("new.zip"), "-back", "-auto"});
  ASSERT_EQ(result.exitCode, 0) << result.errorOutput;
  struct stat st {};
  ASSERT_EQ(stat(tree.path("new.zip").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666u & ~umaskNow());
  ASSERT_EQ(chmod(tree.path("new.zip").c_str(), 0640), 0);
  tree.write(".ovand~k1ll3d.tmp", "a new archive a killed run did not finish");
  tree.write("src/b.txt", "b");
  (void)run({tree.path("src"), tree.path("new.zip"), "-back", "-scan"});
  EXPECT_TRUE(tree.exists(".ovand~k1ll3d.tmp")) << "a dry run changes nothing";
  result = run({tree.path("src"), tree.path("new.zip"), "-back", "-auto"});
  ASSERT_EQ(result.exitCode, 0) << result.errorOutput;
  ASSERT_EQ(stat(tree.path("new.zip").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced archive keeps its mode";
  EXPECT_FALSE(tree.exists(".ovand~k1ll3d.tmp"));
}

TEST_F(Safety, PrivateFoldersOfKilledRunsAreRemovedAtStart) {
  tree.write("tmp/ovand-999999-Ab12Cd/copy-of-a-users-file", "stale");
  tree.write("tmp/ovand-someone-else/kept", "not of the pattern");
  tree.write("src/a.txt", "a");
  const auto result = platform::runProcess({VELKOR_BINARY, tree.path("src"), tree.path("dst"), "-back", "-auto", "-I" + ini},
                                           {"HOME=" + tree.path("home"), "TMPDIR=" + tree.path("tmp")});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_FALSE(tree.exists("tmp/ovand-999999-Ab12Cd"));
  EXPECT_TRUE(tree.exists("tmp/ovand-someone-else/kept"));
}

TEST_F(Safety, FoldersAreMadeWithThePermissionsOfTheirCounterparts) {
  tree.write("src/private/deeper/key", "secret");
  ASSERT_EQ(chmod(tree.path("src/private").c_str(), 0700), 0);
  ASSERT_EQ(chmod(tree.path("src/private/deeper").c_str(), 0750), 0);
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "-back", "-R", "-auto"}).exitCode, 0);
  struct stat st {};
  ASSERT_EQ(stat(tree.path("dst/private").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(tree.path("dst/private/deeper").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0750u & ~umaskNow());
}

TEST_F(Safety, ASourceIsOnlyReadLeftoversInItIncluded) {
  tree.write("src/.ovand~Q1w2E3.tmp", "a file of the user's that looks like a leftover");
  tree.write("src/a.txt", "a");
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "-back", "-auto"}).exitCode, 0);
  EXPECT_TRUE(tree.exists("src/.ovand~Q1w2E3.tmp"));
}

TEST_F(Safety, CopiesKeepTheirOwnersWhenRootRuns) {
  if (geteuid() != 0) GTEST_SKIP() << "only root gives files to other users";
  tree.write("src/theirs.txt", "owned by nobody");
  ASSERT_EQ(platform::runProcess({"chown", "nobody:nogroup", tree.path("src/theirs.txt")}).exitCode, 0);
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "-back", "-auto"}).exitCode, 0);
  struct stat source {};
  struct stat copy {};
  ASSERT_EQ(stat(tree.path("src/theirs.txt").c_str(), &source), 0);
  ASSERT_EQ(stat(tree.path("dst/theirs.txt").c_str(), &copy), 0);
  EXPECT_EQ(copy.st_uid, source.st_uid);
  EXPECT_EQ(copy.st_gid, source.st_gid);
}

TEST_F(Safety, LeavingHiddenFilesOutLeavesHiddenFoldersOut) {
  tree.write("src/a.txt", "a");
  tree.write("src/.cache/new", "not wanted");
  tree.write("dst/.cache/kept", "the target's own");
  const auto result = run({tree.path("src"), tree.path("dst"), "-copy", "-R", "-H", "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_EQ(tree.read("dst/.cache/kept"), "the target's own");
  EXPECT_FALSE(tree.exists("dst/.cache/new"));
  EXPECT_EQ(tree.read("dst/a.txt"), "a");
}

// Wrong results.

TEST_F(Safety, ASourceThatCannotBeReadWholeSaysSo) {
  tree.write("src/ok.txt", "ok");
  tree.write("src/locked/x.txt", "x");
  std::vector<std::string> command = {VELKOR_BINARY, tree.path("src"), tree.path("dst"), "-back", "-R", "-auto", "-I" + ini};
  if (geteuid() == 0) {
    // Root reads every folder: the run goes to a user who cannot read this one.
    if (!testsupport::haveTool("runuser")) GTEST_SKIP() << "runuser is not installed";
    ASSERT_EQ(platform::runProcess({"chown", "-R", "nobody", tree.root()}).exitCode, 0);
    command.insert(command.begin(), {"runuser", "-u", "nobody", "--"});
  }
  ASSERT_EQ(chmod(tree.path("src/locked").c_str(), 0), 0);
  const auto result = platform::runProcess(command, {"HOME=" + tree.path("home"), "XDG_DATA_HOME=" + tree.path("home/data")});
  (void)chmod(tree.path("src/locked").c_str(), 0755);
  EXPECT_EQ(result.exitCode, 1) << result.output << result.errorOutput;
  EXPECT_NE(result.output.find("folders not read: 1"), std::string::npos) << result.output;
  EXPECT_NE(result.errorOutput.find(tree.path("src/locked")), std::string::npos) << result.errorOutput;
  EXPECT_EQ(tree.read("dst/ok.txt"), "ok");
}

TEST_F(Safety, AFolderDeeperThanAPathCanNameIsCopiedToo) {
  std::string relative = "src";
  for (int level = 0; level < 25; ++level) relative += "/" + std::string(200, static_cast<char>('a' + level));
  // The tree is made one folder at a time: no single path may be that long.
  ASSERT_EQ(platform::runProcess({"/usr/bin/python3", "-c",
                                  "import os, sys\nos.chdir(sys.argv[1])\nfor part in sys.argv[2].split('/'):\n"
                                  "    os.mkdir(part)\n    os.chdir(part)\nopen('deep.txt', 'w').write('deep')\n",
                                  tree.root(), relative})
                .exitCode,
            0);
  const auto result = run({tree.path("src"), tree.path("dst"), "-back", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput.substr(0, 300);
  EXPECT_NE(result.output.find("Copied to target: 1,"), std::string::npos) << result.output.substr(0, 300);
  EXPECT_NE(run({tree.path("src"), tree.path("dst"), "-back", "-R", "-auto"}).output.find("Folders seems to be identical!"),
            std::string::npos);
}

TEST_F(Safety, TheDryRunRefusesWhatTheRunRefuses) {
  tree.folder("empty");
  tree.write("dst/precious.txt", "keep");
  const auto result = run({tree.path("empty"), tree.path("dst"), "-back", "-scan"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.errorOutput.find("would delete every file"), std::string::npos) << result.errorOutput;
  EXPECT_EQ(result.output.find("delete"), std::string::npos) << result.output;
}

TEST_F(Safety, APathOfAKindNoStoreOpensIsNeverTakenForALocalFolder) {
  tree.write("src/a.txt", "a");
  const auto refused = run({tree.path("src"), "ftp:Local", "-back", "-R", "-auto"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.errorOutput.find("ftp:Local"), std::string::npos) << refused.errorOutput;
  EXPECT_FALSE(platform::exists(platform::joinPath(platform::currentFolder(), "ftp:Local")));
  // Named as a local folder, it is one.
  const auto local = run({tree.path("src"), tree.path("ftp:Local"), "-back", "-R", "-auto"});
  EXPECT_EQ(local.exitCode, 0) << local.errorOutput;
  EXPECT_EQ(tree.read("ftp:Local/a.txt"), "a");
}

TEST_F(Safety, ANameCannotForgeALineOfTheOutput) {
  tree.write("src/evil\ncopy -> fake.txt", "x");
  for (const char* mode : {"-scan", "-auto"}) {
    const auto result = run({tree.path("src"), tree.path("dst"), "-back", "-R", mode});
    EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
    EXPECT_NE(result.output.find("evil\\012copy -> fake.txt"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("\ncopy -> fake.txt"), std::string::npos) << result.output;
  }
  EXPECT_EQ(tree.read("dst/evil\ncopy -> fake.txt"), "x") << "the file itself keeps its name";
}

TEST_F(Safety, AnArchiveOrListingInAFolderThatIsNotThereIsRefusedOnce) {
  tree.write("src/a.txt", "a");
  tree.write("src/b.txt", "b");
  for (const char* target : {"missing/docs.zip", "missing/B.pck", "missing/P.pkg"}) {
    const auto result = run({tree.path("src"), tree.path(target), "-back", "-R", "-auto"});
    EXPECT_EQ(result.exitCode, 2) << target;
    const std::string said = "The folder to make this file in does not exist";
    const auto first = result.errorOutput.find(said);
    EXPECT_NE(first, std::string::npos) << result.errorOutput;
    EXPECT_EQ(result.errorOutput.find(said, first + 1), std::string::npos) << "once: " << result.errorOutput;
  }
  EXPECT_FALSE(tree.exists("missing"));
}
