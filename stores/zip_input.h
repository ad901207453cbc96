#pragma once
// What an entry is added from: a stream of bytes with the file's size, time and mode.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_time.h"

namespace stores {

class ZipInput {
 public:
  virtual ~ZipInput() = default;
  // Fills up to `capacity` bytes and returns their count: 0 at the end, -1 on failure with errno set.
  virtual std::int64_t read(char* buffer, std::size_t capacity) = 0;
  // The size expected (for progress and the choice of method); the entry gets what `read` gives.
  [[nodiscard]] virtual std::uint64_t size() const = 0;
  [[nodiscard]] virtual platform::FileTime lastWriteTime() const = 0;
  // File type and permission bits, 0 when unknown.
  [[nodiscard]] virtual std::uint32_t unixMode() const = 0;
};

// A local file, read from its start.
class ZipFileInput final : public ZipInput {
 public:
  // Throws CZipException when the file cannot be opened or is no regular file.
  explicit ZipFileInput(const std::string& path);
  ~ZipFileInput() override;
  ZipFileInput(const ZipFileInput&) = delete;
  ZipFileInput& operator=(const ZipFileInput&) = delete;

  std::int64_t read(char* buffer, std::size_t capacity) override;
  [[nodiscard]] std::uint64_t size() const override { return size_; }
  [[nodiscard]] platform::FileTime lastWriteTime() const override { return lastWrite_; }
  [[nodiscard]] std::uint32_t unixMode() const override { return mode_; }

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
  platform::FileTime lastWrite_ = 0;
  std::uint32_t mode_ = 0;
};

}  // namespace stores
