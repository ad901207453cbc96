// The program's command line as Linux users expect it: what goes to which stream, the long
// options of one run, the version, where the configuration lives, the manual and the completion.
#include <gtest/gtest.h>
#include <unistd.h>

#include "config/profile.h"
#include "platform/path.h"
#include "tests/app/program_test.h"
#include "tests/support/tools.h"

using testsupport::kLater;
using testsupport::kOld;

namespace {

struct ProgramCommandLine : testsupport::ProgramTest {
  std::size_t count(const std::string& text, const std::string& part) {
    std::size_t found = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++found;
    return found;
  }
  std::string storedFlags() {
    config::CProfile saved;
    EXPECT_EQ(saved.SetFile(ini), config::CProfile::LoadState::Loaded);
    return saved.GetText("Options", "Flags", "");
  }
};

}  // namespace

TEST_F(ProgramCommandLine, WhatIsDoneGoesToStandardOutputAndProblemsToStandardError) {
  layOut();
  const std::string blocker = tree.write("blocker", "a file where the backup folder should be");
  ASSERT_TRUE(platform::writeFileReplacing(ini, "[Options]\nVersion=1\nFlags=111618\nBackupPath=" + blocker + "/b\n", 0600));
  const auto result = run({tree.path("src"), tree.path("dst"), "-update", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("Update target " + tree.path("src")), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("copy -> s.txt\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("copy -> sub/deep.txt\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("Copied to target: 2,"), std::string::npos) << result.output;
  EXPECT_EQ(result.errorOutput.find("copy ->"), std::string::npos) << result.errorOutput;
  // The failed overwrite names what failed and why, once.
  EXPECT_EQ(count(result.errorOutput, "Failed: "), 1u) << result.errorOutput;
  EXPECT_NE(result.errorOutput.find(tree.path("dst/a.txt")), std::string::npos) << result.errorOutput;
  EXPECT_EQ(count(result.errorOutput, tree.path("dst/a.txt")), 1u) << "the path once, not twice: " << result.errorOutput;
}

TEST_F(ProgramCommandLine, QuietPrintsTheSummaryAndVerboseNamesWhatIsLeftAlone) {
  layOut();
  tree.writeWithTime("src/same.txt", "same", kOld);
  tree.writeWithTime("dst/same.txt", "same", kOld);
  tree.writeWithTime("src/notes.log", "masked", kOld);
  auto result = run({tree.path("src"), tree.path("dst"), "*.txt", "-update", "-auto", "--quiet"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_EQ(count(result.output, "\n"), 1u) << result.output;
  EXPECT_TRUE(result.output.starts_with("Copied to target: 2,")) << result.output;

  result = run({tree.path("src"), tree.path("dst"), "*.txt", "-update", "-scan", "--verbose"});
  EXPECT_NE(result.output.find("left alone, filtered: " + tree.path("src/notes.log")), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("left alone, the same on both sides: " + tree.path("src/same.txt")), std::string::npos)
      << result.output;
}

TEST_F(ProgramCommandLine, LongOptionsChangeThisRunAndNeverTheConfiguration) {
  tree.writeWithTime("src/a.txt", "a", kOld);
  tree.writeWithTime("dst/a.txt", "old a", kOld - kLater);
  tree.folder("src/empty");
  const std::string flags = storedFlags();
  auto result = run({tree.path("src"), tree.path("dst"), "-back", "-R", "-auto", "--history", "--backup=" + tree.path("kept"),
                     "--empty-folders"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_TRUE(tree.exists("dst/synch.log")) << "--history";
  EXPECT_EQ(tree.read("kept/a.txt"), "old a") << "--backup=DIR";
  EXPECT_TRUE(platform::isFolder(tree.path("dst/empty"))) << "--empty-folders";
  EXPECT_EQ(storedFlags(), flags);

  tree.writeWithTime("dst/gone.txt", "only in the target", kOld);
  result = run({tree.path("src"), tree.path("dst"), "-back", "-R", "-auto", "--trash", "--no-history"});
  EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_FALSE(tree.exists("dst/gone.txt"));
  EXPECT_EQ(tree.read("home/data/Trash/files/gone.txt"), "only in the target") << "--trash";
  EXPECT_EQ(storedFlags(), flags);

  // Same content, another time: the same only when compared by content.
  tree.writeWithTime("dst/a.txt", "a", kOld + kLater);
  result = run({tree.path("src"), tree.path("dst"), "-copy", "-scan", "--compare=content"});
  EXPECT_NE(result.output.find("Folders seems to be identical!"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("Compare by: Content"), std::string::npos) << result.output;
  result = run({tree.path("src"), tree.path("dst"), "-copy", "-scan"});
  EXPECT_NE(result.output.find("copy ->"), std::string::npos) << result.output;
  EXPECT_EQ(run({tree.path("src"), tree.path("dst"), "-scan", "--compare=fast"}).exitCode, 2);
}

TEST_F(ProgramCommandLine, VersionAndSwitchesQuotedAsTyped) {
  auto result = run({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "Velkor " VELKOR_VERSION "\n");
  result = run({tree.path("a"), tree.path("b"), "--frobnicate", "-Wx", "-auto"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.errorOutput.find("--frobnicate"), std::string::npos) << result.errorOutput;
  EXPECT_NE(result.errorOutput.find("-Wx"), std::string::npos) << result.errorOutput;
  EXPECT_NE(run({"--help"}).output.find("-H  -h"), std::string::npos);
}

TEST_F(ProgramCommandLine, TheConfigurationLivesInTheDesktopsFolderUnlessOneIsBesideTheProgram) {
  // A copy of the program in a folder of its own, as a user would install it.
  const std::string program = tree.path("bin/orvandi3");
  ASSERT_EQ(platform::runProcess({"mkdir", "-p", tree.path("bin")}).exitCode, 0);
  ASSERT_EQ(platform::runProcess({"cp", VELKOR_BINARY, program}).exitCode, 0);
  tree.write("src/a.txt", "a");
  const std::vector<std::string> environment = {"HOME=" + tree.path("home"), "XDG_CONFIG_HOME=" + tree.path("home/config"),
                                                "XDG_DATA_HOME=" + tree.path("home/data")};
  auto result = platform::runProcess({program, tree.path("src"), tree.path("dst"), "-back", "-auto"}, environment);
  ASSERT_EQ(result.exitCode, 0) << result.errorOutput;
  EXPECT_FALSE(tree.exists("bin/orvandi3.ini"));
  config::CProfile saved;
  ASSERT_EQ(saved.SetFile(tree.path("home/config/velkor/orvandi3.ini")), config::CProfile::LoadState::Loaded);
  EXPECT_EQ(saved.GetText("Options", "Dst", ""), tree.path("dst"));

  tree.write("bin/orvandi3.ini", "[Options]\nVersion=1\n");
  result = platform::runProcess({program, tree.path("src"), tree.path("other"), "-back", "-auto"}, environment);
  ASSERT_EQ(result.exitCode, 0) << result.errorOutput;
  ASSERT_EQ(saved.SetFile(tree.path("bin/orvandi3.ini")), config::CProfile::LoadState::Loaded);
  EXPECT_EQ(saved.GetText("Options", "Dst", ""), tree.path("other")) << "a portable install keeps its own";

  // A configuration named through a link is written where the link points, the link kept.
  tree.write("real/velkor.ini", "[Options]\nVersion=1\n");
  ASSERT_EQ(symlink(tree.path("real/velkor.ini").c_str(), tree.path("linked.ini").c_str()), 0);
  result = platform::runProcess({program, tree.path("src"), tree.path("third"), "-back", "-auto", "-I" + tree.path("linked.ini")},
                                environment);
  ASSERT_EQ(result.exitCode, 0) << result.errorOutput;
  char target[4096];
  const ssize_t length = readlink(tree.path("linked.ini").c_str(), target, sizeof target);
  ASSERT_GT(length, 0) << "the link is still a link";
  EXPECT_EQ(std::string(target, static_cast<std::size_t>(length)), tree.path("real/velkor.ini"));
  EXPECT_NE(tree.read("real/velkor.ini").find("Dst=" + tree.path("third")), std::string::npos);
}

TEST_F(ProgramCommandLine, AConfigurationThatCannotBeReadOrIsNoneStopsTheRunAndIsKept) {
  layOut();
  const std::string notes = tree.write("notes.txt", "buy milk\ncall the bank\n");
  tree.folder("a-folder.ini");
  for (const std::string& configuration : {notes, tree.path("a-folder.ini")}) {
    const auto result = platform::runProcess({VELKOR_BINARY, tree.path("src"), tree.path("dst"), "-copy", "-auto", "-I" + configuration},
                                             {"HOME=" + tree.path("home")});
    EXPECT_EQ(result.exitCode, 2) << configuration;
    EXPECT_NE(result.errorOutput.find(configuration), std::string::npos) << result.errorOutput;
  }
  EXPECT_EQ(tree.read("notes.txt"), "buy milk\ncall the bank\n");
  EXPECT_EQ(tree.read("dst/d.txt"), "only target") << "nothing ran";

  const std::string before = tree.read("velkor.ini");
  EXPECT_EQ(run({tree.path("src"), tree.path("dst"), "-copy", "-scan"}).exitCode, 0);
  EXPECT_EQ(tree.read("velkor.ini"), before) << "a dry run changes nothing, the configuration included";
}

TEST_F(ProgramCommandLine, AnActionLogThatCannotBeWrittenIsSaidOnceAndMakesTheStatusOne) {
  layOut();
  tree.write("not-a-folder", "");
  const auto result = run({tree.path("src"), tree.path("dst"), "-update", "-auto", "-log=" + tree.path("not-a-folder/x.log")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(count(result.errorOutput, "not-a-folder/x.log"), 1u) << result.errorOutput;
  EXPECT_EQ(tree.read("dst/s.txt"), "only source") << "the run itself goes on";
}

TEST_F(ProgramCommandLine, TheManualRendersWithoutWarningsAndTheCompletionOffersNames) {
  const std::string manual = platform::joinPath(VELKOR_SOURCE_DIR, "docs/orvandi3.1");
  if (testsupport::haveTool("man")) {
    const auto rendered = platform::runProcess({"man", "--warnings", "-l", manual}, {"MANWIDTH=80"});
    EXPECT_EQ(rendered.exitCode, 0);
    EXPECT_EQ(rendered.errorOutput, "");
    EXPECT_NE(rendered.output.find("EXIT STATUS"), std::string::npos);
  } else {
    std::cout << "man is not installed: the manual was not rendered\n";
  }
  ASSERT_TRUE(platform::writeFileReplacing(
      ini, "[Options]\nVersion=1\nSessions=1\nProjects=1\nProject1=Nightly Run||Docs||\n[Session1]\nName=Docs\nSrc=/a\nDst=/b\n", 0600));
  const std::string script = "source '" + platform::joinPath(VELKOR_SOURCE_DIR, "docs/orvandi3.bash") +
                             "'; COMP_WORDS=('" VELKOR_BINARY "' -I'" + ini +
                             "' N); COMP_CWORD=2; _orvandi3; printf '%s\\n' \"${COMPREPLY[@]}\"";
  const auto completed = platform::runProcess({"bash", "-c", script}, {"HOME=" + tree.path("home")});
  EXPECT_EQ(completed.output, "Nightly Run\n") << completed.errorOutput;
}
