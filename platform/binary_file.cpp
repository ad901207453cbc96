#include "platform/binary_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/file_time.h"

namespace platform {

std::unique_ptr<BinaryFile> BinaryFile::open(const std::string& path, Mode mode, std::string* error) {
  const int flags = mode == Mode::Read ? O_RDONLY : (O_RDWR | O_CREAT | O_EXCL);
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error != nullptr) *error = systemErrorText(errno);
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (error != nullptr) *error = S_ISDIR(st.st_mode) ? systemErrorText(EISDIR) : systemErrorText(errno);
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<BinaryFile>(
      new BinaryFile(fd, static_cast<std::uint64_t>(st.st_size), fileTimeFromTimespec(st.st_mtim)));
}

std::unique_ptr<BinaryFile> BinaryFile::adopt(int fd) {
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0) return nullptr;
  return std::unique_ptr<BinaryFile>(
      new BinaryFile(fd, static_cast<std::uint64_t>(st.st_size), fileTimeFromTimespec(st.st_mtim)));
}

BinaryFile::~BinaryFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint64_t BinaryFile::size() const { return end_; }

bool BinaryFile::readAt(std::uint64_t offset, void* buffer, std::size_t length) const {
  auto* out = static_cast<char*>(buffer);
  while (length > 0) {
    const ssize_t got = pread(fd_, out, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got == 0) errno = EIO;
      return false;
    }
    out += got;
    offset += static_cast<std::uint64_t>(got);
    length -= static_cast<std::size_t>(got);
  }
  return true;
}

bool BinaryFile::writeAt(std::uint64_t offset, const void* data, std::size_t length) {
  const auto* in = static_cast<const char*>(data);
  while (length > 0) {
    const ssize_t put = pwrite(fd_, in, length, static_cast<off_t>(offset));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      if (put == 0) errno = ENOSPC;
      return false;
    }
    in += put;
    offset += static_cast<std::uint64_t>(put);
    length -= static_cast<std::size_t>(put);
    if (offset > end_) end_ = offset;
  }
  return true;
}

bool BinaryFile::append(const void* data, std::size_t length) { return writeAt(end_, data, length); }

bool BinaryFile::appendFrom(const BinaryFile& other, std::uint64_t offset, std::uint64_t length) {
  while (length > 0) {
    loff_t in = static_cast<loff_t>(offset);
    loff_t out = static_cast<loff_t>(end_);
    const ssize_t moved = copy_file_range(other.fd_, &in, fd_, &out, static_cast<std::size_t>(length), 0);
    if (moved < 0 && errno == EINTR) continue;
    if (moved <= 0) break;
    offset += static_cast<std::uint64_t>(moved);
    end_ += static_cast<std::uint64_t>(moved);
    length -= static_cast<std::uint64_t>(moved);
  }
  char buffer[65536];
  while (length > 0) {
    const std::size_t chunk = length < sizeof buffer ? static_cast<std::size_t>(length) : sizeof buffer;
    if (!other.readAt(offset, buffer, chunk) || !append(buffer, chunk)) return false;
    offset += chunk;
    length -= chunk;
  }
  return true;
}

bool BinaryFile::close(bool durable) {
  const int fd = fd_;
  fd_ = -1;
  const bool synced = !durable || fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

}  // namespace platform
