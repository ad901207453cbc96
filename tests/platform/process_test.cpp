// Programs started directly: arguments reach them whole, and they cannot hold a run for ever.
#include <gtest/gtest.h>
#include <unistd.h>

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

}  // namespace
