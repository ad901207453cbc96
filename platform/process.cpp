#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <thread>

#include "platform/file_system.h"
#include "platform/program_search.h"
#include "platform/temp_names.h"

extern char** environ;

namespace platform {
namespace {

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& changes) {
  std::map<std::string, std::string> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string text(*entry);
    entries[text.substr(0, text.find('='))] = text;
  }
  for (const std::string& change : changes) entries[change.substr(0, change.find('='))] = change;
  std::vector<std::string> merged;
  for (auto& [name, text] : entries) merged.push_back(std::move(text));
  return merged;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& text : texts) out.push_back(text.data());
  out.push_back(nullptr);
  return out;
}

// Waits for the child, killing its whole process group when the time is up or the caller
// cancels. The status of waitpid, or nullopt-like -1 with `failure` set.
int waitForChild(pid_t child, const ProcessOptions& options, std::string& failure) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto pause = std::chrono::microseconds(200);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) return status;
    if (done < 0 && errno != EINTR) {
      failure = systemErrorText(errno);
      return -1;
    }
    const bool timedOut = options.timeLimit.count() > 0 && Clock::now() - start > options.timeLimit;
    const bool cancelled = !timedOut && options.shouldContinue && !options.shouldContinue();
    if (timedOut || cancelled) {
      kill(-child, SIGKILL);
      while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      failure = timedOut ? "the program did not end in time and was stopped" : "cancelled";
      return -1;
    }
    // Short programs end within a millisecond or two; long ones are looked at every 50 ms.
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(50000));
  }
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& arguments, const ProcessOptions& options) {
  ProcessResult result;
  if (arguments.empty()) {
    result.failure = "no program";
    return result;
  }
  TempFolder capture("velkor-process-");
  const std::string outPath = options.outputFile.empty() ? capture.path() + "/out" : options.outputFile;
  const std::string errPath = capture.path() + "/err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (!options.workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.workingFolder.c_str());
  // A group of its own, so that what the program starts (gzip under tar) is stopped with it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<std::string> argv = arguments;
  std::vector<std::string> envp = mergedEnvironment(options.environment);
  auto argPointers = pointers(argv);
  auto envPointers = pointers(envp);
  pid_t child = 0;
  const int spawned =
      posix_spawnp(&child, argv[0].c_str(), &actions, &attributes, argPointers.data(), envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    result.failure = arguments[0] + ": " + systemErrorText(spawned);
    result.errorOutput = result.failure;
    return result;
  }
  const int status = waitForChild(child, options, result.failure);
  if (result.failure.empty()) result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (result.failure.empty() && !WIFEXITED(status)) result.failure = "ended by signal " + std::to_string(WTERMSIG(status));
  if (options.outputFile.empty()) result.output = readWholeFile(outPath).value_or("");
  result.errorOutput = readWholeFile(errPath).value_or("");
  return result;
}

ProcessResult runProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
  ProcessOptions options;
  options.environment = environment;
  return runProcess(arguments, options);
}

bool startDetached(const std::vector<std::string>& arguments, std::string& error) {
  if (arguments.empty() || arguments[0].empty()) {
    error = "no program";
    return false;
  }
  // A relative path would be the current folder's: such a program is not started.
  const std::string& name = arguments[0];
  const std::string program = name.find('/') == std::string::npos ? findFileIn(name, searchPathFolders(), true)
                              : name.front() == '/'                ? name
                                                                   : std::string();
  if (program.empty()) {
    error = arguments[0] + ": " + systemErrorText(ENOENT);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
  }
  // A session of its own: no terminal we were started from, and closing ours does not end it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  std::vector<std::string> argv = arguments;
  auto argPointers = pointers(argv);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, &attributes, argPointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    error = arguments[0] + ": " + systemErrorText(spawned);
    return false;
  }
  // Reaped when it ends, so no finished program stays behind as a zombie while the window runs.
  std::thread([child] {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace platform
