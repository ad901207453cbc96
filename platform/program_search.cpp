#include "platform/program_search.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/path.h"

namespace platform {
namespace {

bool usable(const std::string& path, bool executable) {
  return isRegularFile(path) && (!executable || ::access(path.c_str(), X_OK) == 0);
}

}  // namespace

std::vector<std::string> searchPathFolders() {
  std::vector<std::string> folders;
  const char* value = std::getenv("PATH");
  const std::string path = value != nullptr ? value : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= path.size()) {
    auto end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    // An empty entry or "." means the current folder: left out.
    const std::string folder = path.substr(start, end - start);
    if (isAbsolutePath(folder)) folders.push_back(folder);
    start = end + 1;
  }
  return folders;
}

std::string findFileIn(const std::string& name, const std::vector<std::string>& folders, bool executable) {
  if (name.empty()) return {};
  if (isAbsolutePath(name)) return usable(name, executable) ? name : std::string();
  if (name.find(kSeparator) != std::string::npos) {
    if (folders.empty()) return {};
    const std::string below = joinPath(folders.front(), name);
    return usable(below, executable) ? below : std::string();
  }
  for (const std::string& folder : folders) {
    const std::string candidate = joinPath(folder, name);
    if (usable(candidate, executable)) return candidate;
  }
  return {};
}

}  // namespace platform
