#include "app/startup.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/file_system.h"
#include "tests/support/temp_tree.h"

namespace {

// What the window was asked to do: whether it opened, whether it scans at once, and on what.
struct WindowCall {
  bool opened = false;
  bool scanNow = false;
  std::vector<std::string> runList;
};

struct Started {
  int code = -1;
  WindowCall window;
  std::string out;
  std::string err;
};

struct StartDecision : ::testing::Test {
  testsupport::TempTree tree;

  void SetUp() override {
    tree.write("src/new.txt", "only in the source");
    tree.write("dst/keep.txt", "only in the target");
  }
  // Starts the program in this process with a window that records its call instead of showing.
  Started start(std::vector<std::string> arguments, bool display) {
    arguments.push_back("-I" + tree.path("velkor.ini"));
    Started started;
    app::StartHooks hooks;
    hooks.runWindow = [&started](config::COptions& options, config::CProfile&, bool scanNow) {
      started.window.opened = true;
      started.window.scanNow = scanNow;
      for (const config::CSession& session : options.runList) {
        started.window.runList.push_back(session.Src + " -> " + session.Dst);
      }
      return 0;
    };
    hooks.hasDisplay = [display] { return display; };
    std::ostringstream out;
    std::ostringstream err;
    started.code = app::StartUp(arguments, tree.path("bin/orvandi3"), hooks, {out, err});
    started.out = out.str();
    started.err = err.str();
    return started;
  }
  [[nodiscard]] std::string pair() const { return tree.path("src") + " -> " + tree.path("dst"); }
};

TEST_F(StartDecision, ScanBeforeADesktopOpensTheWindowScanningThePairAtOnce) {
  for (const std::vector<std::string>& extra : {std::vector<std::string>{"-scan"}, {"-scan", "-auto"}}) {
    std::vector<std::string> arguments{tree.path("src"), tree.path("dst")};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const Started started = start(arguments, true);
    EXPECT_EQ(started.code, 0);
    EXPECT_TRUE(started.window.opened);
    EXPECT_TRUE(started.window.scanNow) << "no start dialog";
    EXPECT_EQ(started.window.runList, std::vector<std::string>{pair()});
    EXPECT_FALSE(tree.exists("dst/new.txt")) << "nothing is carried out without the user";
    EXPECT_TRUE(tree.exists("dst/keep.txt"));
  }
}

TEST_F(StartDecision, ScanWithoutADisplayStaysTheDryRunInTheTerminal) {
  const Started started = start({tree.path("src"), tree.path("dst"), "-scan"}, false);
  EXPECT_EQ(started.code, 0) << started.err;
  EXPECT_FALSE(started.window.opened);
  EXPECT_NE(started.out.find("new.txt"), std::string::npos) << "the plan is printed: " << started.out;
  EXPECT_FALSE(tree.exists("dst/new.txt"));
  EXPECT_FALSE(tree.exists("velkor.ini")) << "a dry run changes nothing, the configuration included";
}

TEST_F(StartDecision, ScanWithoutAPairScansTheLastUsedPairAndAnUnknownNameOpensTheStartDialog) {
  ASSERT_EQ(start({tree.path("src"), tree.path("dst")}, true).window.scanNow, false) << "no -scan: the start dialog";
  ASSERT_TRUE(tree.exists("velkor.ini")) << "the window's start keeps the pair as the last-used one";

  const Started last = start({"-scan"}, true);
  EXPECT_TRUE(last.window.scanNow);
  EXPECT_EQ(last.window.runList, std::vector<std::string>{pair()});

  const Started unknown = start({"NoSuchSession", "-scan"}, true);
  EXPECT_TRUE(unknown.window.opened);
  EXPECT_FALSE(unknown.window.scanNow);
  EXPECT_NE(unknown.err.find("NoSuchSession"), std::string::npos);
}

}  // namespace
