#include "platform/process.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

#include "platform/file_system.h"
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

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
  ProcessResult result;
  if (arguments.empty()) return result;
  TempFolder capture("velkor-process-");
  const std::string outPath = capture.path() + "/out";
  const std::string errPath = capture.path() + "/err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> argv = arguments;
  std::vector<std::string> envp = mergedEnvironment(environment);
  auto argPointers = pointers(argv);
  auto envPointers = pointers(envp);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0].c_str(), &actions, nullptr, argPointers.data(), envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    result.errorOutput = systemErrorText(spawned);
    return result;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return result;
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.output = readWholeFile(outPath).value_or("");
  result.errorOutput = readWholeFile(errPath).value_or("");
  return result;
}

}  // namespace platform
