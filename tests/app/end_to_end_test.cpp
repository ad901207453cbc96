// The program as a user runs it from a terminal, on real folders.
#include <gtest/gtest.h>

#include "config/profile.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "tests/app/program_test.h"
#include "tests/support/temp_tree.h"
#include "tests/support/tools.h"

using testsupport::kLater;
using testsupport::kOld;
using Program = testsupport::ProgramTest;

TEST_F(Program, EveryActionWithAndWithoutHistory) {
  struct Case {
    const char* mode;
    const char* expected;
  };
  const Case cases[] = {
      {"-sync", "a.txt:source a|source a b.txt:target b|target b s.txt:only source|only source d.txt:only target|only target "
                "sub/deep.txt:deep|deep "},
      {"-smart", "a.txt:source a|source a b.txt:target b|target b s.txt:only source|only source d.txt:only target|only target "
                 "sub/deep.txt:deep|deep "},
      {"-update", "a.txt:source a|source a b.txt:source b|target b s.txt:only source|only source d.txt:-|only target "
                  "sub/deep.txt:deep|deep "},
      {"-back", "a.txt:source a|source a b.txt:source b|target b s.txt:only source|only source d.txt:-|- "
                "sub/deep.txt:deep|deep "},
      {"-copy", "a.txt:source a|source a b.txt:source b|source b s.txt:only source|only source d.txt:-|- "
                "sub/deep.txt:deep|deep "},
  };
  for (const bool history : {false, true}) {
    for (const Case& c : cases) {
      (void)platform::removeTree(tree.path("src"));
      (void)platform::removeTree(tree.path("dst"));
      layOut();
      useHistory(history);
      const auto result = run({tree.path("src"), tree.path("dst"), c.mode, "-R", "-auto"});
      EXPECT_EQ(result.exitCode, 0) << c.mode << result.errorOutput;
      EXPECT_EQ(state(), c.expected) << c.mode << (history ? " with history" : "");
      EXPECT_EQ(tree.exists("dst/synch.log"), history);
    }
  }
}

TEST_F(Program, SecondRunCarriesADeletionOverWithHistory) {
  useHistory(true);
  layOut();
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "-sync", "-R", "-auto"}).exitCode, 0);
  ASSERT_TRUE(platform::deleteFile(tree.path("dst/s.txt")));
  const auto second = run({tree.path("src"), tree.path("dst"), "-sync", "-R", "-auto"});
  EXPECT_EQ(second.exitCode, 0) << second.errorOutput;
  EXPECT_FALSE(tree.exists("src/s.txt"));
  EXPECT_NE(second.output.find("deleted: 1"), std::string::npos) << second.output;
}

TEST_F(Program, MasksSubfoldersAndThePreview) {
  layOut();
  tree.writeWithTime("src/skip.log", "log", kOld);
  const auto preview = run({tree.path("src"), tree.path("dst"), "*.txt", "-copy", "-scan"});
  EXPECT_EQ(preview.exitCode, 0);
  EXPECT_NE(preview.output.find("copy ->  source s.txt"), std::string::npos) << preview.output;
  EXPECT_EQ(preview.output.find("skip.log"), std::string::npos);
  EXPECT_EQ(tree.read("dst/a.txt"), "target a") << "the preview changes nothing";

  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "*.txt", "-copy", "-auto"}).exitCode, 0);
  EXPECT_FALSE(tree.exists("dst/sub")) << "without -R no subfolder";
  EXPECT_FALSE(tree.exists("dst/skip.log"));
  ASSERT_EQ(run({tree.path("src"), tree.path("dst"), "*.txt", "-copy", "-R", "-auto"}).exitCode, 0);
  EXPECT_EQ(tree.read("dst/sub/deep.txt"), "deep");
  const auto again = run({tree.path("src"), tree.path("dst"), "*.txt", "-copy", "-R", "-scan"});
  EXPECT_NE(again.output.find("Folders seems to be identical!"), std::string::npos) << again.output;
  EXPECT_NE(run({tree.path("src"), tree.path("dst"), "*.none", "-scan"}).output.find("No files were found to synchronize!"),
            std::string::npos);
}

TEST_F(Program, StoredSessionsProjectsAndTheSavedCurrentPair) {
  layOut();
  tree.write("other/x.txt", "x");
  (void)platform::writeFileReplacing(ini,
                                     "[Options]\nVersion=1\nFlags=46082\nSessions=2\nProjects=1\nProject1=Both||Docs||Nope||Other||\n"
                                     "[Session1]\nName=Docs\nSrc=" + tree.path("src") + "\nDst=" + tree.path("dst") +
                                         "\nSFlags=1\nTodo=2\n"
                                         "[Session2]\nName=Other\nSrc=" + tree.path("other") + "\nDst=" + tree.path("other-copy") + "\nTodo=3\n",
                                     0600);
  auto result = run({"docs", "-sync", "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_FALSE(tree.exists("dst/d.txt")) << "the stored Backup ran, not -sync";
  EXPECT_NE(result.output.find("Backup"), std::string::npos);

  result = run({"BOTH", "-auto"});
  EXPECT_EQ(result.exitCode, 1) << "the project names a session that does not exist";
  EXPECT_EQ(tree.read("other-copy/x.txt"), "x");

  EXPECT_EQ(run({"nobody", "-auto"}).exitCode, 2);

  result = run({tree.path("src"), tree.path("fresh"), "-copy", "-R", "-auto"});
  ASSERT_EQ(result.exitCode, 0) << result.errorOutput;
  config::CProfile saved;
  ASSERT_EQ(saved.SetFile(ini), config::CProfile::LoadState::Loaded);
  EXPECT_EQ(saved.GetText("Options", "Src", ""), tree.path("src"));
  EXPECT_EQ(saved.GetText("Options", "Dst", ""), tree.path("fresh"));
  EXPECT_EQ(saved.GetInt("Options", "Todo", -1), 3);
  EXPECT_EQ(saved.GetText("Session1", "Name", ""), "Docs");
}

TEST_F(Program, NotFoundIsNeverEmpty) {
  tree.write("dst/precious.txt", "keep");
  auto result = run({tree.path("missing"), tree.path("dst"), "-back", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_FALSE(tree.exists("missing"));
  tree.folder("empty");
  result = run({tree.path("empty"), tree.path("dst"), "-back", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.errorOutput.find("would delete every file"), std::string::npos) << result.errorOutput;
  EXPECT_EQ(tree.read("dst/precious.txt"), "keep");
}

TEST_F(Program, UsageInteractiveStartAndBadSwitches) {
  auto result = run({"-?"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.output.find("Usage"), std::string::npos);
  result = run({tree.path("a"), tree.path("b")});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.errorOutput.find("-auto"), std::string::npos);
  EXPECT_EQ(run({tree.path("a"), tree.path("b"), "-bakc", "-auto"}).exitCode, 2);
  EXPECT_FALSE(tree.exists("b"));
}

TEST_F(Program, FailedItemsGiveStatusOneAndALogLine) {
  layOut();
  // Backups are asked for, but the backup folder cannot be made: no file is overwritten unbacked.
  const std::string blocker = tree.write("blocker", "a file where the backup folder should be");
  ASSERT_TRUE(platform::writeFileReplacing(ini, "[Options]\nVersion=1\nFlags=111618\nBackupPath=" + blocker + "/backups\n", 0600));
  const std::string log = tree.path("actions.log");
  const auto result = run({tree.path("src"), tree.path("dst"), "-update", "-auto", "-log=" + log});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.errorOutput.find("a.txt"), std::string::npos) << result.errorOutput;
  EXPECT_EQ(tree.read("dst/a.txt"), "target a");
  const std::string lines = tree.read("actions.log");
  EXPECT_NE(lines.find("\tcopy ->\t"), std::string::npos) << lines;
  EXPECT_NE(lines.find("failed"), std::string::npos) << lines;
}

TEST_F(Program, ZipArchiveAsEitherSide) {
  if (!testsupport::haveTool("unzip")) GTEST_SKIP() << "unzip is not installed";
  layOut();
  const std::string archive = tree.path("backup.zip");
  auto result = run({tree.path("src"), archive, "-back", "-R", "-auto"});
  ASSERT_EQ(result.exitCode, 0) << result.errorOutput;
  testsupport::runTool({"unzip", "-t", archive});
  EXPECT_EQ(testsupport::runTool({"unzip", "-Z1", archive}).output, "a.txt\nb.txt\ns.txt\nsub/deep.txt\n");

  tree.writeWithTime("src/a.txt", "source a, edited", kOld + 2 * kLater);
  ASSERT_TRUE(platform::deleteFile(tree.path("src/s.txt")));
  result = run({tree.path("src"), archive, "-back", "-R", "-auto"});
  ASSERT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_NE(result.output.find("Copied to target: 1"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("deleted: 1"), std::string::npos) << result.output;
  testsupport::runTool({"unzip", "-t", archive});
  EXPECT_EQ(testsupport::runTool({"unzip", "-Z1", archive}).output, "a.txt\nb.txt\nsub/deep.txt\n");

  result = run({archive, tree.path("restored"), "-copy", "-R", "-auto"});
  ASSERT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_EQ(tree.read("restored/a.txt"), "source a, edited");
  EXPECT_EQ(tree.read("restored/sub/deep.txt"), "deep");
  EXPECT_EQ(*platform::getLastWriteTime(tree.path("restored/b.txt")) / platform::kTicksPerSecond / 2,
            kOld / platform::kTicksPerSecond / 2) << "the entry's time comes back (to the two seconds ZIP keeps)";

  result = run({tree.path("missing.zip"), tree.path("restored"), "-back", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 2) << "a missing source archive is not empty";
  EXPECT_TRUE(tree.exists("restored/a.txt"));
}

TEST_F(Program, ANameThatIsBothProjectAndSessionSelectsTheProject) {
  tree.write("one/x.txt", "x");
  tree.write("two/y.txt", "y");
  (void)platform::writeFileReplacing(ini,
                                     "[Options]\nVersion=1\nSessions=2\nProjects=1\nProject1=Docs||Second||\n"
                                     "[Session1]\nName=Docs\nSrc=" + tree.path("one") + "\nDst=" + tree.path("one-copy") +
                                         "\nTodo=2\n[Session2]\nName=Second\nSrc=" + tree.path("two") +
                                         "\nDst=" + tree.path("two-copy") + "\nTodo=2\n",
                                     0600);
  const auto result = run({"docs", "-auto"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_TRUE(tree.exists("two-copy/y.txt"));
  EXPECT_FALSE(tree.exists("one-copy"));
}

TEST_F(Program, AnInterruptedOrKilledRunLeavesWholeFilesAndTheNextRunCleansUp) {
  for (int i = 0; i < 40; ++i) tree.write("src/file" + std::to_string(i) + ".bin", std::string(2 << 20, static_cast<char>('a' + i % 26)));
  for (int i = 0; i < 40; i += 2) tree.write("dst/file" + std::to_string(i) + ".bin", "old");
  const std::string command = std::string(VELKOR_BINARY) + " '" + tree.path("src") + "' '" + tree.path("dst") +
                              "' -copy -auto -I'" + ini + "' >/dev/null 2>&1 & pid=$!; sleep 0.05; kill -";
  for (const char* signal : {"INT", "KILL"}) {
    const auto stopped = platform::runProcess({"sh", "-c", command + signal + " $pid; wait $pid; echo $?"});
    const int code = std::stoi(stopped.output);
    if (std::string(signal) == "INT") {
      // 130: the signal came before the program had set up its handler.
      EXPECT_TRUE(code == 0 || code == 1 || code == 130) << "an interrupted run ends in order, status " << code;
    }
    for (int i = 0; i < 40; ++i) {
      const std::string name = "dst/file" + std::to_string(i) + ".bin";
      if (!tree.exists(name)) continue;
      const std::string content = tree.read(name);
      EXPECT_TRUE(content == "old" || content == tree.read("src/file" + std::to_string(i) + ".bin")) << name;
    }
  }
  const auto finished = run({tree.path("src"), tree.path("dst"), "-copy", "-auto"});
  EXPECT_EQ(finished.exitCode, 0) << finished.errorOutput;
  for (const std::string& file : platform::filesBelow(tree.path("dst"))) {
    EXPECT_EQ(file.find(".ovand~"), std::string::npos) << "a leftover of a killed run: " << file;
  }
  EXPECT_EQ(tree.read("dst/file3.bin"), tree.read("src/file3.bin"));
}
