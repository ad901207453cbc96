#include "tests/support/tools.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace testsupport {

bool haveTool(const std::string& name) {
  if (name.find('/') != std::string::npos) return platform::exists(name);
  const std::string path = platform::environmentValue("PATH");
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    if (end > start && platform::exists(platform::joinPath(path.substr(start, end - start), name))) return true;
    start = end + 1;
  }
  return false;
}

platform::ProcessResult runTool(const std::vector<std::string>& arguments, bool expectSuccess) {
  platform::ProcessResult result = platform::runProcess(arguments);
  if (expectSuccess) {
    EXPECT_EQ(result.exitCode, 0) << arguments[0] << ": " << result.output << result.errorOutput;
  }
  return result;
}

platform::ProcessResult runPython(const std::string& script, const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {"/usr/bin/python3", "-c", script};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return runTool(command);
}

}  // namespace testsupport
