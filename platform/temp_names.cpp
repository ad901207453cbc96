#include "platform/temp_names.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "platform/file_system.h"
#include "platform/path.h"

namespace platform {
namespace {

constexpr std::string_view kTempPrefix = ".ovand~";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr int kRandomLength = 6;

}  // namespace

bool isTemporaryName(std::string_view name) {
  return name.size() == kTempPrefix.size() + kRandomLength + kTempSuffix.size() && name.starts_with(kTempPrefix) &&
         name.ends_with(kTempSuffix);
}

int createTempFileBeside(const std::string& path, std::string& tempPath, std::string* error) {
  std::string folder = parentOf(path);
  if (folder.empty()) folder = ".";
  std::string pattern = joinPath(folder, std::string(kTempPrefix) + "XXXXXX" + std::string(kTempSuffix));
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkostemps(buffer.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC);
  if (fd < 0) {
    if (error != nullptr) *error = systemErrorText(errno);
    return -1;
  }
  tempPath.assign(buffer.data());
  return fd;
}

std::string tempFolder() {
  const char* value = std::getenv("TMPDIR");
  if (value != nullptr && *value != '\0' && isFolder(value)) return withoutTrailingSeparator(value);
  return "/tmp";
}

std::string makeTempFolder(std::string_view prefix) {
  std::string pattern = joinPath(tempFolder(), std::string(prefix) + "XXXXXX");
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) return {};
  return std::string(buffer.data());
}

std::string makeUniqueFile(const std::string& folder, std::string_view prefix) {
  std::string pattern = joinPath(folder, std::string(prefix) + "XXXXXX");
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkostemp(buffer.data(), O_CLOEXEC);
  if (fd < 0) return {};
  close(fd);
  return std::string(buffer.data());
}

TempFolder::TempFolder(std::string_view prefix) : path_(makeTempFolder(prefix)) {}

TempFolder::~TempFolder() {
  if (!path_.empty()) (void)removeTree(path_);
}

}  // namespace platform
