#pragma once
// The program as a user runs it from a terminal: the built binary on real temporary folders,
// with its own home, data and configuration folders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/process.h"
#include "tests/support/temp_tree.h"

namespace testsupport {

// Not a whole number of hours, so no daylight-saving tolerance makes the times equal.
inline constexpr platform::FileTime kLater = 8237 * platform::kTicksPerSecond;
inline const platform::FileTime kOld = testsupport::utcTime(2024, 3, 1, 12, 0, 0);

struct ProgramTest : ::testing::Test {
  testsupport::TempTree tree;
  std::string ini;

  void SetUp() override {
    ini = tree.path("velkor.ini");
    useHistory(false);
  }
  void useHistory(bool on) {
    // Default flags, with history files on or off.
    (void)platform::writeFileReplacing(ini, std::string("[Options]\nVersion=1\nFlags=") + (on ? "177154" : "46082") + "\n", 0600);
  }
  platform::ProcessResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), VELKOR_BINARY);
    arguments.push_back("-I" + ini);
    // No display, as on a server: "-scan" is the dry run in the terminal even when the tests run
    // on a desktop.
    return platform::runProcess(arguments, {"HOME=" + tree.path("home"), "XDG_DATA_HOME=" + tree.path("home/data"),
                                            "XDG_CONFIG_HOME=" + tree.path("home/config"), "TZ=UTC", "DISPLAY=",
                                            "WAYLAND_DISPLAY="});
  }
  // src: a (both, newer), s (only here); dst: a (older), b (newer), d (only here)
  void layOut() {
    tree.writeWithTime("src/a.txt", "source a", kOld + kLater);
    tree.writeWithTime("dst/a.txt", "target a", kOld);
    tree.writeWithTime("src/b.txt", "source b", kOld);
    tree.writeWithTime("dst/b.txt", "target b", kOld + kLater);
    tree.writeWithTime("src/s.txt", "only source", kOld);
    tree.writeWithTime("dst/d.txt", "only target", kOld);
    tree.writeWithTime("src/sub/deep.txt", "deep", kOld);
  }
  std::string state() {
    std::string out;
    for (const char* name : {"a.txt", "b.txt", "s.txt", "d.txt", "sub/deep.txt"}) {
      out += std::string(name) + ":" + (tree.exists(std::string("src/") + name) ? tree.read(std::string("src/") + name) : "-") +
             "|" + (tree.exists(std::string("dst/") + name) ? tree.read(std::string("dst/") + name) : "-") + " ";
    }
    return out;
  }
};


}  // namespace testsupport
