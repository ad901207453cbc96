#include "stores/zip_input.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "stores/zip_exception.h"

namespace stores {

ZipFileInput::ZipFileInput(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  struct stat st {};
  if (fd_ < 0 || fstat(fd_, &st) != 0) {
    const int error = errno;
    if (fd_ >= 0) ::close(fd_);
    throw CZipException(CZipException::CodeOfErrno(error), path + ": " + platform::systemErrorText(error));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd_);
    throw CZipException(CZipException::CodeOfErrno(EISDIR), path + ": not a regular file");
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
  lastWrite_ = platform::fileTimeFromTimespec(st.st_mtim);
  mode_ = st.st_mode;
}

ZipFileInput::~ZipFileInput() { ::close(fd_); }

std::int64_t ZipFileInput::read(char* buffer, std::size_t capacity) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, capacity);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace stores
