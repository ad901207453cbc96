#include "platform/content_reader.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"

namespace platform {

FileReader::FileReader(int fd, const struct stat& st) : fd_(fd) {
  size_ = static_cast<std::uint64_t>(st.st_size);
  lastWriteTime_ = fileTimeFromTimespec(st.st_mtim);
  mode_ = st.st_mode & 07777;
  ownerUser_ = st.st_uid;
  ownerGroup_ = st.st_gid;
  mtimeSeconds_ = st.st_mtim.tv_sec;
  mtimeNanoseconds_ = st.st_mtim.tv_nsec;
}

FileReader::~FileReader() {
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<FileReader> FileReader::open(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int code = fd < 0 || !S_ISREG(st.st_mode) ? (fd < 0 ? errno : EINVAL) : errno;
    if (fd >= 0) ::close(fd);
    if (error != nullptr) *error = code == EINVAL ? "not a regular file" : systemErrorText(code);
    return nullptr;
  }
  return std::make_unique<FileReader>(fd, st);
}

std::int64_t FileReader::read(char* buffer, std::size_t capacity) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, capacity);
    if (got >= 0) return got;
    if (errno == EINTR) continue;
    error_ = systemErrorText(errno);
    return -1;
  }
}

bool FileReader::verify() {
  struct stat st {};
  if (fstat(fd_, &st) != 0) {
    error_ = systemErrorText(errno);
    return false;
  }
  if (static_cast<std::uint64_t>(st.st_size) != size_ || st.st_mtim.tv_sec != mtimeSeconds_ ||
      st.st_mtim.tv_nsec != mtimeNanoseconds_) {
    error_ = "changed while it was copied";
    return false;
  }
  return true;
}

namespace {

std::uint32_t readUmask() {
  // Setting the umask to read it would give other threads' new files the wrong mode meanwhile:
  // the kernel shows it in the process status.
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr) found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(status);
    if (found) return mask;
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

std::uint32_t processUmask() {
  // The program never changes its umask: read once.
  static const std::uint32_t mask = readUmask();
  return mask;
}

bool mayChangeOwners() {
  // Asked for every copy; the program never changes its user.
  static const bool root = geteuid() == 0;
  return root;
}

std::uint32_t modeForCopy(std::uint32_t sourceMode) {
  const std::uint32_t bits = sourceMode == 0 ? 0666 : (sourceMode & 0777);
  return bits & ~processUmask();
}

}  // namespace platform
