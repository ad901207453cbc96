#include "platform/folder_tree.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/path.h"
#include "platform/temp_names.h"

namespace platform {

struct PendingFile::Folder {
  explicit Folder(int descriptor) : fd(descriptor) {}
  ~Folder() { ::close(fd); }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  int fd;
};

namespace {

constexpr std::size_t kCachedFolders = 16;
std::atomic<bool> componentWalk{false};

void setText(std::string* error, int code) {
  if (error != nullptr) *error = treeErrorText(code);
}

bool validName(std::string_view name) { return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos; }

// A relative path of valid names ("" is the root).
bool validRelative(std::string_view relative) {
  if (relative.empty()) return true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = relative.find('/', start);
    if (!validName(relative.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start))) return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

// Splits "a/b/c" into "a/b" and "c".
std::pair<std::string_view, std::string_view> splitLast(std::string_view relative) {
  const std::size_t slash = relative.rfind('/');
  if (slash == std::string_view::npos) return {std::string_view(), relative};
  return {relative.substr(0, slash), relative.substr(slash + 1)};
}

// After a failed open of `name` below `dirFd`: ELOOP when the name is a link, else `code`.
int classify(int dirFd, const std::string& name, int code) {
  struct stat st {};
  if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) return ELOOP;
  return code;
}

// Opens a folder below `rootFd` one name at a time, never through a link.
int walkFolders(int rootFd, std::string_view relative, int* code) {
  int current = openat(rootFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  std::size_t start = 0;
  while (current >= 0 && start < relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string_view::npos) end = relative.size();
    const std::string name(relative.substr(start, end - start));
    const int next = openat(current, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) *code = classify(current, name, errno);
    ::close(current);
    current = next;
    start = end + 1;
  }
  return current;
}

int openFolderBeneath(int rootFd, std::string_view relative, int* code) {
  if (relative.empty()) return openat(rootFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (!componentWalk.load()) {
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const std::string path(relative);
    const long fd = syscall(SYS_openat2, rootFd, path.c_str(), &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    if (errno != ENOSYS && errno != EPERM && errno != ENAMETOOLONG) {
      *code = errno;
      return -1;
    }
    // An older kernel (or a sandbox that refuses the call), or a path longer than the system
    // takes at once: resolve one name at a time.
  }
  return walkFolders(rootFd, relative, code);
}

std::string randomTempName() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[6];
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    const auto seed = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&bytes)) ^ static_cast<unsigned>(getpid());
    for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(seed >> (i * 5));
  }
  std::string name = ".ovand~";
  for (const unsigned char b : bytes) name += kLetters[b % (sizeof kLetters - 1)];
  return name + ".tmp";
}

// Links an unnamed file into the folder under a new temporary name; empty on failure.
std::string linkUnderTempName(int fd, int dirFd, int* code) {
  const std::string source = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = randomTempName();
    if (linkat(AT_FDCWD, source.c_str(), dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return name;
    if (errno != EEXIST) break;
  }
  *code = errno;
  return {};
}

bool procAvailable() {
  static const bool available = access("/proc/self/fd", F_OK) == 0;
  return available;
}

}  // namespace

std::string treeErrorText(int code) {
  if (code == ELOOP) return "a symbolic link is in the way (links are never followed)";
  if (code == EINVAL) return "not a name below the folder";
  return systemErrorText(code);
}

void FolderTree::useComponentWalkForTesting(bool on) { componentWalk.store(on); }

namespace {

std::mutex failingNameMutex;
std::optional<std::string> failingName;

bool newFileFails(std::string_view name) {
  const std::lock_guard lock(failingNameMutex);
  return failingName && *failingName == name;
}

}  // namespace

void FolderTree::failNewFilesNamedForTesting(std::optional<std::string> name) {
  const std::lock_guard lock(failingNameMutex);
  failingName = std::move(name);
}

PendingFile::PendingFile(std::shared_ptr<const Folder> folder, std::string name, int fd, std::string tempName)
    : folder_(std::move(folder)), name_(std::move(name)), fd_(fd), tempName_(std::move(tempName)) {}

PendingFile::~PendingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !tempName_.empty()) unlinkat(folder_->fd, tempName_.c_str(), 0);
}

bool PendingFile::setLastWriteTime(FileTime lastWriteTime, std::string* error) {
  const timespec times[2] = {timespec{0, UTIME_OMIT}, timespecFromFileTime(lastWriteTime)};
  if (futimens(fd_, times) != 0) {
    setText(error, errno);
    return false;
  }
  return true;
}

bool PendingFile::setOwner(std::int64_t user, std::int64_t group, std::string* error) {
  if (fchown(fd_, static_cast<uid_t>(user), static_cast<gid_t>(group)) == 0) return true;
  setText(error, errno);
  return false;
}

bool PendingFile::checkExpected(const ExpectedFile& expected, std::string* error) const {
  struct stat st {};
  const bool there = fstatat(folder_->fd, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (!there && errno != ENOENT) {
    setText(error, errno);
    return false;
  }
  const bool same = there == expected.present &&
                    (!there || ((S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && static_cast<std::uint64_t>(st.st_size) == expected.size &&
                                fileTimeFromTimespec(st.st_mtim) == expected.lastWriteTime));
  if (!same && error != nullptr) {
    *error = !there ? "removed since the comparison"
                    : (expected.present ? "changed since the comparison" : "appeared since the comparison");
  }
  return same;
}

bool PendingFile::commit(const std::optional<ExpectedFile>& expected, bool durable, std::string* error) {
  if (durable && fsync(fd_) != 0) {
    setText(error, errno);
    return false;
  }
  const int dirFd = folder_->fd;
  if (tempName_.empty() && expected && !expected->present) {
    // An unnamed file takes a name that is still free, or none: the check and the step are one.
    const std::string source = "/proc/self/fd/" + std::to_string(fd_);
    if (linkat(AT_FDCWD, source.c_str(), dirFd, name_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      committed_ = true;
      return true;
    }
    if (errno == EEXIST && error != nullptr) {
      *error = "appeared since the comparison";
    } else {
      setText(error, errno);
    }
    return false;
  }
  if (expected && !checkExpected(*expected, error)) return false;
  if (tempName_.empty()) {
    int code = 0;
    tempName_ = linkUnderTempName(fd_, dirFd, &code);
    if (tempName_.empty()) {
      setText(error, code);
      return false;
    }
  }
  if (renameat(dirFd, tempName_.c_str(), dirFd, name_.c_str()) != 0) {
    setText(error, errno);
    return false;
  }
  committed_ = true;
  return true;
}

FolderTree::FolderTree(std::string root, int fd) : root_(std::move(root)), rootFolder_(std::make_shared<Folder>(fd)) {}

FolderTree::~FolderTree() = default;

std::unique_ptr<FolderTree> FolderTree::open(const std::string& root, std::string* error) {
  const int fd = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    setText(error, errno);
    return nullptr;
  }
  return std::unique_ptr<FolderTree>(new FolderTree(withoutTrailingSeparator(root), fd));
}

std::string FolderTree::fullPath(std::string_view relative) const {
  return relative.empty() ? root_ : joinPath(root_, relative);
}

std::shared_ptr<const FolderTree::Folder> FolderTree::folder(std::string_view relative, int* code) {
  if (relative.empty()) return rootFolder_;
  if (!validRelative(relative)) {
    *code = EINVAL;
    return nullptr;
  }
  {
    const std::lock_guard lock(cacheMutex_);
    for (auto it = cache_.rbegin(); it != cache_.rend(); ++it) {
      if (it->first == relative) return it->second;
    }
  }
  const int fd = openFolderBeneath(rootFolder_->fd, relative, code);
  if (fd < 0) return nullptr;
  auto opened = std::make_shared<const Folder>(fd);
  const std::lock_guard lock(cacheMutex_);
  if (cache_.size() >= kCachedFolders) cache_.erase(cache_.begin());
  cache_.emplace_back(std::string(relative), opened);
  return opened;
}

std::optional<FolderTree::Place> FolderTree::place(std::string_view relative, int& code) {
  const auto [folderPart, name] = splitLast(relative);
  if (!validName(name)) {
    code = EINVAL;
    return std::nullopt;
  }
  auto dir = folder(folderPart, &code);
  if (!dir) return std::nullopt;
  return Place{std::move(dir), std::string(name)};
}

void FolderTree::forgetFolders(std::string_view below) {
  const std::lock_guard lock(cacheMutex_);
  std::erase_if(cache_, [&](const auto& entry) {
    return entry.first == below || (entry.first.size() > below.size() && entry.first.starts_with(below) &&
                                    (below.empty() || entry.first[below.size()] == '/'));
  });
}

bool FolderTree::stat(std::string_view relative, FindData& entry, int* code) {
  int failure = 0;
  struct stat st {};
  bool ok = false;
  if (relative.empty()) {
    ok = fstat(rootFolder_->fd, &st) == 0;
    if (!ok) failure = errno;
  } else if (const auto at = place(relative, failure)) {
    ok = fstatat(at->folder->fd, at->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!ok) failure = errno;
  }
  if (!ok) {
    if (code != nullptr) *code = failure;
    return false;
  }
  findDataFromStat(st, relative.empty() ? fileNameOf(root_) : std::string(splitLast(relative).second), entry);
  return true;
}

std::unique_ptr<DirectorySearch> FolderTree::list(std::string_view folderPath, std::string* error) {
  int code = 0;
  const auto dir = folder(folderPath, &code);
  const int fd = dir ? openat(dir->fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
  if (fd < 0) {
    setText(error, dir ? errno : code);
    return nullptr;
  }
  return DirectorySearch::adopt(fd, error);
}

std::unique_ptr<FileReader> FolderTree::openForReading(std::string_view relative, std::string* error) {
  int code = 0;
  const auto at = place(relative, code);
  if (!at) {
    setText(error, code);
    return nullptr;
  }
  // O_NONBLOCK: a pipe put in a file's place must not stop the run.
  const int fd = openat(at->folder->fd, at->name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    setText(error, classify(at->folder->fd, at->name, errno));
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    if (error != nullptr) *error = "not a regular file";
    return nullptr;
  }
  // O_NONBLOCK stays: it changes nothing for a regular file.
  return std::make_unique<FileReader>(fd, st);
}

std::optional<std::string> FolderTree::readWholeFile(std::string_view relative, std::string* error) {
  auto reader = openForReading(relative, error);
  if (!reader) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (;;) {
    const std::int64_t got = reader->read(buffer, sizeof buffer);
    if (got < 0) {
      if (error != nullptr) *error = reader->error();
      return std::nullopt;
    }
    if (got == 0) return content;
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

bool FolderTree::createFolders(std::string_view folderPath, std::string* error) {
  int code = 0;
  if (folder(folderPath, &code)) return true;
  if (code != ENOENT) {
    setText(error, code);
    return false;
  }
  const auto [parentPart, name] = splitLast(folderPath);
  if (!createFolders(parentPart, error)) return false;
  const auto parent = folder(parentPart, &code);
  if (!parent) {
    setText(error, code);
    return false;
  }
  const std::string child(name);
  if (mkdirat(parent->fd, child.c_str(), 0777) != 0 && errno != EEXIST) {
    setText(error, errno);
    return false;
  }
  if (folder(folderPath, &code)) return true;
  setText(error, code == ENOTDIR ? classify(parent->fd, child, code) : code);
  return false;
}

bool FolderTree::removeFile(std::string_view relative, std::string* error) {
  int code = 0;
  const auto at = place(relative, code);
  if (at && unlinkat(at->folder->fd, at->name.c_str(), 0) == 0) return true;
  setText(error, at ? errno : code);
  return false;
}

bool FolderTree::removeEmptyTree(std::string_view folderPath, std::string* error) {
  if (folderPath.empty()) {
    setText(error, EINVAL);
    return false;
  }
  if (auto search = list(folderPath, nullptr)) {
    FindData entry;
    while (search->next(entry)) {
      if (entry.name == "." || entry.name == ".." || !entry.isFolder() || (entry.attributes & attr::kLink) != 0) continue;
      (void)removeEmptyTree(std::string(folderPath) + "/" + entry.name, nullptr);
    }
  }
  forgetFolders(folderPath);
  int code = 0;
  const auto [parentPart, name] = splitLast(folderPath);
  const auto parent = folder(parentPart, &code);
  if (parent && unlinkat(parent->fd, std::string(name).c_str(), AT_REMOVEDIR) == 0) return true;
  setText(error, parent ? errno : code);
  return false;
}

bool FolderTree::setReadOnly(std::string_view relative, bool readOnly, std::string* error) {
  FindData entry;
  int code = 0;
  if (!stat(relative, entry, &code)) {
    setText(error, code);
    return false;
  }
  const std::uint32_t mode = readOnly ? (entry.unixMode & ~0222u) : (entry.unixMode | 0200u);
  return setMode(relative, mode, error);
}

bool FolderTree::setMode(std::string_view relative, std::uint32_t mode, std::string* error) {
  int code = 0;
  if (relative.empty()) {
    // The root is the user's own choice of folder, reached by its path.
    if (chmod(root_.c_str(), static_cast<mode_t>(mode)) == 0) return true;
    setText(error, errno);
    return false;
  }
  // AT_SYMLINK_NOFOLLOW: a link put in the entry's place is never changed, nor what it names.
  const auto at = place(relative, code);
  if (at && fchmodat(at->folder->fd, at->name.c_str(), static_cast<mode_t>(mode), AT_SYMLINK_NOFOLLOW) == 0) return true;
  setText(error, at ? (errno == EOPNOTSUPP ? ELOOP : errno) : code);
  return false;
}

bool FolderTree::setLastWriteTime(std::string_view relative, FileTime time, std::string* error) {
  int code = 0;
  const auto at = place(relative, code);
  const timespec times[2] = {timespec{0, UTIME_OMIT}, timespecFromFileTime(time)};
  if (at && utimensat(at->folder->fd, at->name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0) return true;
  setText(error, at ? errno : code);
  return false;
}

bool FolderTree::readLink(std::string_view relative, std::string& target, std::string* error) {
  int code = 0;
  const auto at = place(relative, code);
  if (!at) {
    setText(error, code);
    return false;
  }
  char buffer[4097];
  const ssize_t length = readlinkat(at->folder->fd, at->name.c_str(), buffer, sizeof buffer);
  if (length < 0 || length >= static_cast<ssize_t>(sizeof buffer)) {
    setText(error, length < 0 ? errno : ENAMETOOLONG);
    return false;
  }
  target.assign(buffer, static_cast<std::size_t>(length));
  return true;
}

std::unique_ptr<PendingFile> FolderTree::create(std::string_view relative, std::uint32_t mode, std::string* error) {
  int code = 0;
  auto at = place(relative, code);
  if (!at) {
    setText(error, code);
    return nullptr;
  }
  auto& dir = at->folder;
  const std::string& name = at->name;
  if (newFileFails(name)) {
    setText(error, EIO);
    return nullptr;
  }
  if (procAvailable()) {
    const int fd = openat(dir->fd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd >= 0) return std::unique_ptr<PendingFile>(new PendingFile(std::move(dir), name, fd, {}));
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
      setText(error, errno);
      return nullptr;
    }
  }
  // A file system without unnamed files: a named one beside the destination, locked while it
  // is ours so that a later run can tell a leftover from a file another run is writing.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = randomTempName();
    const int fd = openat(dir->fd, temp.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd >= 0) {
      (void)flock(fd, LOCK_EX | LOCK_NB);
      return std::unique_ptr<PendingFile>(new PendingFile(std::move(dir), name, fd, std::move(temp)));
    }
    if (errno != EEXIST) break;
  }
  setText(error, errno);
  return nullptr;
}

bool FolderTree::putLink(std::string_view relative, const std::string& target, FileTime lastWriteTime,
                         const std::optional<ExpectedFile>& expected, std::string* error) {
  int code = 0;
  const auto at = place(relative, code);
  if (!at) {
    setText(error, code);
    return false;
  }
  const auto& dir = at->folder;
  const std::string& name = at->name;
  std::string temp;
  for (int attempt = 0; attempt < 100 && temp.empty(); ++attempt) {
    std::string candidate = randomTempName();
    if (symlinkat(target.c_str(), dir->fd, candidate.c_str()) == 0) {
      temp = std::move(candidate);
    } else if (errno != EEXIST) {
      setText(error, errno);
      return false;
    }
  }
  const timespec times[2] = {timespec{0, UTIME_OMIT}, timespecFromFileTime(lastWriteTime)};
  (void)utimensat(dir->fd, temp.c_str(), times, AT_SYMLINK_NOFOLLOW);
  PendingFile placeholder(dir, name, -1, temp);
  if (expected && !placeholder.checkExpected(*expected, error)) return false;
  const std::string& destination = name;
  const bool noReplace = expected && !expected->present;
  const int result = noReplace ? renameat2(dir->fd, temp.c_str(), dir->fd, destination.c_str(), RENAME_NOREPLACE)
                               : renameat(dir->fd, temp.c_str(), dir->fd, destination.c_str());
  if (result != 0) {
    if (noReplace && errno == EEXIST && error != nullptr) {
      *error = "appeared since the comparison";
    } else {
      setText(error, errno);
    }
    return false;
  }
  placeholder.committed_ = true;
  return true;
}

bool FolderTree::writeWholeFile(std::string_view relative, std::string_view content, std::uint32_t mode, std::string* error,
                                bool durable) {
  auto file = create(relative, mode, error);
  if (!file) return false;
  std::size_t written = 0;
  while (written < content.size()) {
    const ssize_t put = ::write(file->descriptor(), content.data() + written, content.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      setText(error, put < 0 ? errno : EIO);
      return false;
    }
    written += static_cast<std::size_t>(put);
  }
  return file->commit(std::nullopt, durable, error);
}

std::optional<std::string> FolderTree::systemPathOf(std::string_view relative, std::string* error) {
  int code = 0;
  const auto at = place(relative, code);
  if (!at) {
    setText(error, code);
    return std::nullopt;
  }
  char buffer[8192];
  const std::string link = "/proc/self/fd/" + std::to_string(at->folder->fd);
  const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer - 1);
  const std::string folderPath = length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : fullPath(splitLast(relative).first);
  return joinPath(folderPath, at->name);
}

void FolderTree::removeLeftover(std::string_view relative) {
  int code = 0;
  const auto at = isTemporaryName(splitLast(relative).second) ? place(relative, code) : std::nullopt;
  if (!at) return;
  const int fd = openat(at->folder->fd, at->name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  // A file another run still writes is locked by it.
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) unlinkat(at->folder->fd, at->name.c_str(), 0);
  ::close(fd);
}

}  // namespace platform
