#pragma once
// The content of one file as a store hands it out: read once, front to back, then verified. A
// local file is read through its descriptor; an archive entry is inflated as it is read; both
// say at the end whether what was read is whole and unchanged.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_time.h"

struct stat;

namespace platform {

class ContentReader {
 public:
  virtual ~ContentReader() = default;
  // Up to `capacity` bytes into `buffer`; 0 at the end; -1 on failure (error() says why).
  [[nodiscard]] virtual std::int64_t read(char* buffer, std::size_t capacity) = 0;
  // A descriptor whose bytes from its current offset are the content, so a copy can run inside
  // the kernel; -1 when there is none.
  [[nodiscard]] virtual int descriptor() const { return -1; }
  // After the last byte: true when the content read is whole and the source did not change while
  // it was read; false with error() set otherwise.
  [[nodiscard]] virtual bool verify() = 0;

  [[nodiscard]] std::uint64_t size() const { return size_; }
  [[nodiscard]] FileTime lastWriteTime() const { return lastWriteTime_; }
  // Unix permission bits of the source; 0 when it has none (the copy then gets 0666 less the umask).
  [[nodiscard]] std::uint32_t mode() const { return mode_; }
  // The owning user and group of the source; -1 when the store has none.
  [[nodiscard]] std::int64_t ownerUser() const { return ownerUser_; }
  [[nodiscard]] std::int64_t ownerGroup() const { return ownerGroup_; }
  [[nodiscard]] const std::string& error() const { return error_; }

 protected:
  std::uint64_t size_ = 0;
  FileTime lastWriteTime_ = 0;
  std::uint32_t mode_ = 0;
  std::int64_t ownerUser_ = -1;
  std::int64_t ownerGroup_ = -1;
  std::string error_;
};

// A local file opened for reading; verify() checks that its size and last-write time are as when
// it was opened.
class FileReader : public ContentReader {
 public:
  // Takes over `fd` (open for reading, a regular file) whose status is `st`.
  FileReader(int fd, const struct ::stat& st);
  ~FileReader() override;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // Empty with `error` set when the path cannot be opened or is no regular file.
  [[nodiscard]] static std::unique_ptr<FileReader> open(const std::string& path, std::string* error = nullptr);

  std::int64_t read(char* buffer, std::size_t capacity) override;
  int descriptor() const override { return fd_; }
  bool verify() override;

 private:
  int fd_;
  std::int64_t mtimeSeconds_ = 0;
  long mtimeNanoseconds_ = 0;
};

// The permission bits a copy gets: the source's less set-uid, set-gid, sticky and the umask;
// 0666 less the umask when the source has none.
[[nodiscard]] std::uint32_t modeForCopy(std::uint32_t sourceMode);
// True when the process may give files to other users (it runs as root): copies then keep
// their owners, as `cp -a` does.
[[nodiscard]] bool mayChangeOwners();
// The process's umask (read once, without changing it).
[[nodiscard]] std::uint32_t processUmask();

}  // namespace platform
