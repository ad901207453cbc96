#include "platform/file_identity.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

FileIdentity identityFrom(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
          static_cast<std::uint64_t>(st.st_size), fileTimeFromTimespec(st.st_mtim), st.st_uid, st.st_gid};
}

}  // namespace

std::unique_ptr<BinaryFile> openForReading(const std::string& path, FileIdentity& identity,
                                                     std::uint32_t& permissions) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    errno = error;
    return nullptr;
  }
  identity = identityFrom(st);
  permissions = st.st_mode & 07777;
  return BinaryFile::adopt(fd);
}

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return identityFrom(st);
}

bool setOwner(const std::string& path, std::uint32_t user, std::uint32_t group) {
  return ::lchown(path.c_str(), static_cast<uid_t>(user), static_cast<gid_t>(group)) == 0;
}

bool setPermissions(const std::string& path, std::uint32_t permissions) {
  return ::chmod(path.c_str(), static_cast<mode_t>(permissions)) == 0;
}

}  // namespace platform
