// Programs started directly: arguments reach them whole, and they cannot hold a run for ever.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <optional>

#include "platform/file_system.h"
#include "platform/process.h"
#include "tests/support/temp_tree.h"

namespace {

TEST(Process, ArgumentsFolderAndOutputReachTheProgramAsGiven) {
  testsupport::TempTree tree;
  const std::string awkward = "it's $(touch PWNED); `x` \"q\"\nline";
  platform::ProcessOptions options;
  options.workingFolder = tree.folder("work");
  options.outputFile = tree.path("out.txt");
  const auto result = platform::runProcess({"sh", "-c", "pwd; printf '%s' \"$1\"", "sh", awkward}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(result.failure.empty());
  EXPECT_EQ(tree.read("out.txt"), tree.path("work") + "\n" + awkward);
  EXPECT_FALSE(tree.exists("work/PWNED"));

  const auto failed = platform::runProcess({"sh", "-c", "echo broken >&2; exit 3"});
  EXPECT_EQ(failed.exitCode, 3);
  EXPECT_EQ(failed.errorOutput, "broken\n");
  const auto missing = platform::runProcess({"/nonexistent/program"});
  EXPECT_EQ(missing.exitCode, -1);
  EXPECT_NE(missing.failure.find("/nonexistent/program"), std::string::npos);
  options.workingFolder = tree.path("no such folder");
  EXPECT_EQ(platform::runProcess({"true"}, options).exitCode, -1) << "never run in another folder than asked";
}

TEST(Process, AProgramThatHangsIsStoppedWithWhatItStarted) {
  testsupport::TempTree tree;
  platform::ProcessOptions options;
  options.timeLimit = std::chrono::milliseconds(300);
  // The child's own child would keep writing after the child went, were it not stopped too.
  const auto timedOut = platform::runProcess(
      {"sh", "-c", "(sleep 1; touch '" + tree.path("late") + "') & read answer; sleep 30"}, options);
  EXPECT_EQ(timedOut.exitCode, -1);
  EXPECT_NE(timedOut.failure.find("in time"), std::string::npos);

  int asked = 0;
  platform::ProcessOptions cancelled;
  cancelled.shouldContinue = [&] { return ++asked < 3; };
  const auto stopped = platform::runProcess({"sleep", "30"}, cancelled);
  EXPECT_EQ(stopped.exitCode, -1);
  EXPECT_EQ(stopped.failure, "cancelled");
  ::sleep(1);
  EXPECT_FALSE(tree.exists("late"));
}

// True while the process runs (a zombie has ended).
bool running(pid_t pid) {
  const auto stat = platform::readWholeFile("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return false;
  const auto close = stat->rfind(')');
  return close != std::string::npos && close + 2 < stat->size() && (*stat)[close + 2] != 'Z';
}

TEST(Process, AProgramDoesNotOutliveTheRunThatStartedIt) {
  testsupport::TempTree tree;
  const std::string pidFile = tree.path("pid");
  const pid_t run = fork();
  if (run == 0) {
    (void)platform::runProcess({"sh", "-c", "echo $$ > '" + pidFile + "'; exec sleep 30"});
    _exit(0);
  }
  std::optional<std::string> text;
  for (int tries = 0; tries < 200 && !(text = platform::readWholeFile(pidFile)); ++tries) ::usleep(20000);
  ASSERT_TRUE(text) << "the program did not start";
  const pid_t program = std::atoi(text->c_str());
  ASSERT_TRUE(running(program));
  kill(run, SIGKILL);
  waitpid(run, nullptr, 0);
  for (int tries = 0; tries < 100 && running(program); ++tries) ::usleep(20000);
  EXPECT_FALSE(running(program)) << "a killed run leaves no archiver working on";
}

}  // namespace

TEST(Process, ADetachedProgramStartsInTheFolderItIsGivenAndAMissingFolderIsSaid) {
  testsupport::TempTree tree;
  const std::string start = tree.folder("start here");
  std::string error;
  ASSERT_TRUE(platform::startDetached({"/bin/sh", "-c", "pwd >where.tmp && mv where.tmp where"}, error, start)) << error;
  for (int wait = 0; wait < 200 && !tree.exists("start here/where"); ++wait) usleep(20000);
  EXPECT_EQ(tree.read("start here/where"), start + "\n");
  EXPECT_FALSE(platform::startDetached({"/bin/true"}, error, tree.path("gone")));
  EXPECT_NE(error.find(tree.path("gone")), std::string::npos) << error;
}
