#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
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

// The program a name starts: along PATH for a bare name, an absolute path as it is. A relative
// path would be the current folder's: such a program is not started (empty).
std::string programPath(const std::string& name) {
  if (name.find('/') == std::string::npos) return findFileIn(name, searchPathFolders(), true);
  return name.front() == '/' ? name : std::string();
}

// Descriptors opened here, closed when the object goes.
struct Descriptors {
  std::vector<int> fds;
  ~Descriptors() {
    for (const int fd : fds) ::close(fd);
  }
  int add(int fd) {
    if (fd >= 0) fds.push_back(fd);
    return fd;
  }
};

// Starts the program in a process group of its own (so that what it starts, gzip under tar,
// is stopped with it) that dies with the thread that started it: a program working on a copy
// of the user's archive must not go on after the run was killed. The pid, or -1 with `reason`.
pid_t startChild(const std::string& program, const std::vector<std::string>& arguments, const ProcessOptions& options,
                 const std::string& outPath, const std::string& errPath, std::string& reason) {
  Descriptors opened;
  const int in = opened.add(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  const int out = opened.add(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  const int err = opened.add(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  int report[2];
  if (in < 0 || out < 0 || err < 0 || ::pipe2(report, O_CLOEXEC) != 0) {
    reason = systemErrorText(errno);
    return -1;
  }
  opened.add(report[0]);
  opened.add(report[1]);
  std::vector<std::string> argv = arguments;
  std::vector<std::string> envp = mergedEnvironment(options.environment);
  auto argPointers = pointers(argv);
  auto envPointers = pointers(envp);
  const char* folder = options.workingFolder.empty() ? nullptr : options.workingFolder.c_str();
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child == 0) {
    // Only calls that are safe between fork and exec in a program with threads.
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    int failed = 0;
    if (::getppid() != parent) ::_exit(127);
    if (::dup2(in, STDIN_FILENO) < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0 ||
        (folder != nullptr && ::chdir(folder) != 0)) {
      failed = errno;
    } else {
      ::execve(program.c_str(), argPointers.data(), envPointers.data());
      failed = errno;
    }
    (void)!::write(report[1], &failed, sizeof failed);
    ::_exit(127);
  }
  if (child < 0) {
    reason = systemErrorText(errno);
    return -1;
  }
  // The child's end closes at exec; a number arriving on it is why the program did not start.
  ::close(report[1]);
  opened.fds.pop_back();
  int failed = 0;
  ssize_t got = 0;
  do {
    got = ::read(report[0], &failed, sizeof failed);
  } while (got < 0 && errno == EINTR);
  if (got == static_cast<ssize_t>(sizeof failed)) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    reason = (folder != nullptr && failed == ENOENT && platform::isRegularFile(program) ? options.workingFolder + ": " : "") +
             systemErrorText(failed);
    return -1;
  }
  return child;
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
  const std::string program = programPath(arguments[0]);
  std::string reason;
  const pid_t child = program.empty() ? -1 : startChild(program, arguments, options, outPath, errPath, reason);
  if (child < 0) {
    result.failure = arguments[0] + ": " + (program.empty() ? systemErrorText(ENOENT) : reason);
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

bool startDetached(const std::vector<std::string>& arguments, std::string& error, const std::string& workingFolder) {
  if (arguments.empty() || arguments[0].empty()) {
    error = "no program";
    return false;
  }
  const std::string program = programPath(arguments[0]);
  if (program.empty()) {
    error = arguments[0] + ": " + systemErrorText(ENOENT);
    return false;
  }
  if (!workingFolder.empty() && !isFolder(workingFolder)) {
    error = workingFolder + ": " + systemErrorText(ENOTDIR);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
  }
  if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
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
