#pragma once
// Outside programs that tests use as real peers.
#include <string>
#include <vector>

#include "platform/process.h"

namespace testsupport {

// True when the program is on PATH (or is the given path).
[[nodiscard]] bool haveTool(const std::string& name);
// Runs a program; the test fails with its output when `expectSuccess` and it does not exit 0.
platform::ProcessResult runTool(const std::vector<std::string>& arguments, bool expectSuccess = true);
// Runs Debian's Python (which has Debian's modules) on a script.
platform::ProcessResult runPython(const std::string& script, const std::vector<std::string>& arguments = {});

}  // namespace testsupport

#define VELKOR_REQUIRE_TOOL(name)                                                   \
  do {                                                                              \
    if (!testsupport::haveTool(name)) GTEST_SKIP() << name << " is not installed"; \
  } while (0)
