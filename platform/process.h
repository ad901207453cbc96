#pragma once
// Starting a program and waiting for it.
#include <string>
#include <vector>

namespace platform {

struct ProcessResult {
  // The program's exit status; -1 when it could not be started or ended by a signal.
  int exitCode = -1;
  std::string output;
  std::string errorOutput;
};

// Runs `arguments[0]` (looked up along PATH when it holds no "/") with the arguments, the
// environment changed by `environment` ("NAME=value" entries), and waits for it.
[[nodiscard]] ProcessResult runProcess(const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& environment = {});

}  // namespace platform
