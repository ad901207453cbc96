#include "platform/file_system.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/path.h"
#include "platform/temp_names.h"

namespace platform {
namespace {

void setError(std::string* error, int code) {
  if (error != nullptr) *error = systemErrorText(code);
}

FileTime fileTimeOf(const struct timespec& ts) { return fileTimeFromTimespec(ts); }

}  // namespace

void findDataFromStat(const struct stat& st, std::string_view name, FindData& entry) {
  std::uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= attr::kFolder;
  if (S_ISLNK(st.st_mode)) attributes |= attr::kLink;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= attr::kReadOnly;
  if (!name.empty() && name.front() == '.' && name != "." && name != "..") attributes |= attr::kHidden;
  if (attributes == 0) attributes = attr::kNormal;
  entry.attributes = attributes;
  // Linux keeps no creation time in stat; the status-change time stands in for it.
  entry.creationTime = fileTimeOf(st.st_ctim);
  entry.lastAccessTime = fileTimeOf(st.st_atim);
  entry.lastWriteTime = fileTimeOf(st.st_mtim);
  entry.size = S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
  entry.unixMode = st.st_mode & 07777;
  entry.name.assign(name);
  entry.alternateName.assign(name);
}

std::string systemErrorText(int error) {
  char buffer[256];
  // GNU strerror_r returns the text, which may or may not be in `buffer`.
  return std::string(strerror_r(error, buffer, sizeof buffer));
}

namespace {

// Bytes of entries read at once: what the C library's readdir reads too.
constexpr std::size_t kDirectoryBlock = 32768;

}  // namespace

std::unique_ptr<DirectorySearch> DirectorySearch::open(const std::string& folder, std::string* error) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    setError(error, errno);
    return nullptr;
  }
  return std::unique_ptr<DirectorySearch>(new DirectorySearch(fd));
}

std::unique_ptr<DirectorySearch> DirectorySearch::adopt(int fd, std::string*) {
  return std::unique_ptr<DirectorySearch>(new DirectorySearch(fd));
}

DirectorySearch::DirectorySearch(int fd) : fd_(fd), buffer_(std::make_unique_for_overwrite<char[]>(kDirectoryBlock)) {}

DirectorySearch::~DirectorySearch() { close(fd_); }

bool DirectorySearch::fill() {
  const ssize_t got = getdents64(fd_, buffer_.get(), kDirectoryBlock);
  if (got <= 0) return false;
  used_ = static_cast<std::size_t>(got);
  next_ = 0;
  return true;
}

bool DirectorySearch::next(FindData& entry) {
  for (;;) {
    if (next_ >= used_ && !fill()) return false;
    // The C library reads these records the same way (getdents64 hands out struct dirent64).
    const auto* record = reinterpret_cast<const struct dirent64*>(buffer_.get() + next_);
    next_ += record->d_reclen;
    const std::string_view name(record->d_name);
    if (name == "." || name == "..") {
      entry = FindData{};
      entry.attributes = attr::kFolder;
      entry.name.assign(name);
      entry.alternateName.assign(name);
      return true;
    }
    struct stat st {};
    if (fstatat(fd_, record->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished meanwhile
    // Pipes, sockets and devices are no files to synchronize.
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode)) continue;
    findDataFromStat(st, name, entry);
    return true;
  }
}

bool statEntry(const std::string& path, FindData& entry) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
  findDataFromStat(st, fileNameOf(withoutTrailingSeparator(path)), entry);
  return true;
}

std::uint32_t getAttributes(const std::string& path) {
  FindData entry;
  return statEntry(path, entry) ? entry.attributes : attr::kInvalid;
}

bool setAttributes(const std::string& path, std::uint32_t attributes) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return false;
  mode_t mode = st.st_mode & 07777;
  if ((attributes & attr::kReadOnly) != 0) {
    mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
  } else {
    mode |= S_IWUSR;
  }
  return chmod(path.c_str(), mode) == 0;
}

bool exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool readSymbolicLink(const std::string& path, std::string& target) {
  std::vector<char> buffer(PATH_MAX);
  const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
  if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) return false;
  target.assign(buffer.data(), static_cast<std::size_t>(length));
  return true;
}

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<FileTime> getLastWriteTime(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return fileTimeOf(st.st_mtim);
}

bool setLastWriteTime(const std::string& path, FileTime time, std::string* error) {
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1] = timespecFromFileTime(time);
  if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    setError(error, errno);
    return false;
  }
  return true;
}

bool createFolder(const std::string& path, unsigned mode, std::string* error) {
  if (mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0) return true;
  const int code = errno;
  if (code == EEXIST && isFolder(path)) return true;
  setError(error, code == EEXIST ? ENOTDIR : code);
  return false;
}

bool createFolderChain(const std::string& path, std::string* error) {
  const std::string target = withoutTrailingSeparator(path);
  if (target.empty() || isFolder(target)) return !target.empty();
  const std::string parent = parentOf(target);
  if (!parent.empty() && parent != target && !createFolderChain(parent, error)) return false;
  return createFolder(target, 0777, error);
}

bool deleteFile(const std::string& path, std::string* error) {
  if (unlink(path.c_str()) == 0) return true;
  setError(error, errno);
  return false;
}

bool removeEmptyFolder(const std::string& path, std::string* error) {
  if (rmdir(path.c_str()) == 0) return true;
  setError(error, errno);
  return false;
}

bool removeEmptyTree(const std::string& path, std::string* error) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) {
    setError(error, ENOTDIR);
    return false;
  }
  if (auto search = DirectorySearch::open(path, error)) {
    FindData entry;
    while (search->next(entry)) {
      if (entry.name == "." || entry.name == ".." || !entry.isFolder()) continue;
      (void)removeEmptyTree(joinPath(path, entry.name), nullptr);
    }
  }
  return removeEmptyFolder(path, error);
}

bool removeTree(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return unlink(path.c_str()) == 0;
  // Folders without write permission (copies of read-only folders) would stop the removal.
  auto openUp = [](const char* item, const struct stat* info, int kind, FTW*) -> int {
    if (kind == FTW_D && (info->st_mode & S_IRWXU) != S_IRWXU) chmod(item, (info->st_mode & 07777) | S_IRWXU);
    return 0;
  };
  (void)nftw(path.c_str(), openUp, 16, FTW_PHYS);
  auto removeOne = [](const char* item, const struct stat*, int, FTW*) -> int { return remove(item) == 0 ? 0 : -1; };
  // FTW_PHYS: never follow links; FTW_DEPTH: contents before their folder.
  return nftw(path.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

bool renameReplace(const std::string& from, const std::string& to, std::string* error) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  setError(error, errno);
  return false;
}

std::optional<std::string> readWholeFile(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    setError(error, errno);
    return std::nullopt;
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      setError(error, errno);
      close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return content;
}

bool writeFileReplacing(const std::string& path, std::string_view content, unsigned mode, std::string* error) {
  std::string tempPath;
  const int fd = createTempFileBeside(path, tempPath, error);
  if (fd < 0) return false;
  bool ok = fchmod(fd, static_cast<mode_t>(mode)) == 0;
  std::size_t written = 0;
  while (ok && written < content.size()) {
    const ssize_t put = write(fd, content.data() + written, content.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      ok = false;
      break;
    }
    written += static_cast<std::size_t>(put);
  }
  if (!ok) setError(error, errno == 0 ? EIO : errno);
  // The new content is on the disk before it takes the old file's name.
  if (ok && fsync(fd) != 0) {
    ok = false;
    setError(error, errno);
  }
  if (close(fd) != 0 && ok) {
    ok = false;
    setError(error, errno);
  }
  if (ok) ok = renameReplace(tempPath, path, error);
  if (!ok) unlink(tempPath.c_str());
  return ok;
}

}  // namespace platform

namespace platform {

bool canOpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}

}  // namespace platform

namespace platform {

std::vector<std::string> filesBelow(const std::string& folder) {
  std::vector<std::string> files;
  std::vector<std::string> pending{folder};
  while (!pending.empty()) {
    const std::string current = std::move(pending.back());
    pending.pop_back();
    auto search = DirectorySearch::open(current);
    FindData entry;
    while (search && search->next(entry)) {
      if (entry.name == "." || entry.name == ".." || (entry.attributes & attr::kLink) != 0) continue;
      (entry.isFolder() ? pending : files).push_back(joinPath(current, entry.name));
    }
  }
  return files;
}

bool isWritableFolder(const std::string& folder) {
  return isFolder(folder) && access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace platform
