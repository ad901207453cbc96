#pragma once
// Starting a program and waiting for it. Programs are started directly, never through a shell:
// every argument reaches the program exactly as given.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace platform {

struct ProcessResult {
  // The program's exit status; -1 when it could not be started, was stopped or ended by a signal.
  int exitCode = -1;
  // Captured standard output (empty when it went to ProcessOptions::outputFile).
  std::string output;
  std::string errorOutput;
  // Why the program did not run to its end: it could not be started, took too long or was
  // cancelled. Empty when it ran (whatever its status).
  std::string failure;
};

struct ProcessOptions {
  // "NAME=value" entries that change the program's environment.
  std::vector<std::string> environment;
  // The program's current folder; empty for ours.
  std::string workingFolder;
  // Standard output goes to this file (made or emptied) instead of being captured.
  std::string outputFile;
  // The program and everything it started are killed after this long; zero for no limit.
  std::chrono::milliseconds timeLimit{0};
  // Asked while the program runs; once it says false the program is killed.
  std::function<bool()> shouldContinue;
};

// Runs `arguments[0]` (looked up along PATH when it holds no "/") with the arguments and waits
// for it. Its input is /dev/null, so a program that asks a question gets no answer.
[[nodiscard]] ProcessResult runProcess(const std::vector<std::string>& arguments, const ProcessOptions& options);
[[nodiscard]] ProcessResult runProcess(const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& environment = {});

// Starts `arguments[0]` with the arguments and does not wait for it: it lives on in a session of
// its own, with no input and its output dropped, and is reaped when it ends. A name without "/"
// is looked for along PATH, a relative path is refused: never the current folder's program.
// It starts in `workingFolder` when one is given. False with `error` when it could not be started.
[[nodiscard]] bool startDetached(const std::vector<std::string>& arguments, std::string& error,
                                 const std::string& workingFolder = {});

}  // namespace platform
