#include "platform/temp_names.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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
  (void)flock(fd, LOCK_EX | LOCK_NB);
  tempPath.assign(buffer.data());
  return fd;
}

namespace {

// Opens the entry and, when nobody holds its lock, calls `remove`.
template <typename Remove>
void removeUnlocked(const std::string& path, int openFlags, Remove remove) {
  const int fd = ::open(path.c_str(), openFlags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) remove();
  close(fd);
}

}  // namespace

void removeLeftoversIn(const std::string& folder) {
  auto search = DirectorySearch::open(folder);
  FindData entry;
  while (search && search->next(entry)) {
    if (!isTemporaryName(entry.name) || entry.isFolder() || (entry.attributes & attr::kLink) != 0) continue;
    const std::string path = joinPath(folder, entry.name);
    removeUnlocked(path, O_RDONLY, [&] { (void)deleteFile(path); });
  }
}

void removeStaleTempFolders(std::string_view prefix) {
  const std::string folder = tempFolder();
  // "PREFIX-PID-XXXXXX", as TempFolder names them.
  auto ours = [&](std::string_view name) {
    if (!name.starts_with(prefix) || name.size() < prefix.size() + 9 || name[prefix.size()] != '-') return false;
    name.remove_prefix(prefix.size() + 1);
    const std::size_t dash = name.find('-');
    return dash != std::string_view::npos && dash > 0 && name.size() == dash + 7 &&
           name.substr(0, dash).find_first_not_of("0123456789") == std::string_view::npos;
  };
  auto search = DirectorySearch::open(folder);
  FindData entry;
  while (search && search->next(entry)) {
    if (!ours(entry.name) || !entry.isFolder()) continue;
    const std::string path = joinPath(folder, entry.name);
    // Only the owner may have made it: a folder of another user is not ours to remove.
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || st.st_uid != geteuid()) continue;
    removeUnlocked(path, O_RDONLY | O_DIRECTORY, [&] { (void)removeTree(path); });
  }
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

TempFolder::TempFolder(std::string_view prefix) : path_(makeTempFolder(std::string(prefix) + "-" + std::to_string(getpid()) + "-")) {
  if (path_.empty()) return;
  lock_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock_ >= 0) (void)flock(lock_, LOCK_EX | LOCK_NB);
}

TempFolder::~TempFolder() {
  if (!path_.empty()) (void)removeTree(path_);
  if (lock_ >= 0) close(lock_);
}

}  // namespace platform
