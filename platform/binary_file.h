#pragma once
// A file read and written by offset, for archive formats.
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class BinaryFile {
 public:
  enum class Mode { Read, CreateNew };

  // Empty with `error` set when the file cannot be opened; CreateNew makes a new empty file
  // (mode 0644, replacing nothing: it fails when the path exists).
  [[nodiscard]] static std::unique_ptr<BinaryFile> open(const std::string& path, Mode mode, std::string* error = nullptr);
  // Takes over an open read-write descriptor (from createTempFileBeside).
  [[nodiscard]] static std::unique_ptr<BinaryFile> adopt(int fd);
  ~BinaryFile();
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  [[nodiscard]] std::uint64_t size() const;
  // The last-write time when the file was opened.
  [[nodiscard]] std::uint64_t lastWriteTime() const { return lastWrite_; }
  // Reads exactly `length` bytes at `offset`; false (errno set) when they are not all there.
  [[nodiscard]] bool readAt(std::uint64_t offset, void* buffer, std::size_t length) const;
  // Appends; false (errno set) when not all bytes were written.
  [[nodiscard]] bool append(const void* data, std::size_t length);
  [[nodiscard]] bool writeAt(std::uint64_t offset, const void* data, std::size_t length);
  // Copies bytes of another file to the end of this one.
  [[nodiscard]] bool appendFrom(const BinaryFile& other, std::uint64_t offset, std::uint64_t length);
  // Closes; false (errno set) on failure. With `durable` the data reach the disk first.
  [[nodiscard]] bool close(bool durable = false);
  [[nodiscard]] std::uint64_t position() const { return end_; }

 private:
  BinaryFile(int fd, std::uint64_t end, std::uint64_t lastWrite) : fd_(fd), end_(end), lastWrite_(lastWrite) {}
  int fd_;
  std::uint64_t end_;
  std::uint64_t lastWrite_;
};

}  // namespace platform
