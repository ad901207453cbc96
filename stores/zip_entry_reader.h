#pragma once
// The content of one entry, read (inflated) in order into the caller's buffers and checked.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/binary_file.h"
#include "stores/zip_entry.h"

struct z_stream_s;

namespace stores {

class ZipEntryReader {
 public:
  // Reads `entry`, whose data begin at `dataOffset` in `file`; the file must outlive the reader.
  // Throws CZipException (kNotSupported) for encrypted entries and methods other than 0 and 8.
  ZipEntryReader(const platform::BinaryFile& file, std::uint64_t dataOffset, const ZipEntry& entry);
  ~ZipEntryReader();
  ZipEntryReader(const ZipEntryReader&) = delete;
  ZipEntryReader& operator=(const ZipEntryReader&) = delete;

  // Fills up to `capacity` bytes and returns their count, 0 at the end. Throws CZipException when
  // the data are damaged, longer or shorter than the entry declares, or (at the end) their
  // CRC-32 is not the entry's.
  std::size_t read(char* buffer, std::size_t capacity);
  // The content's size as declared.
  [[nodiscard]] std::uint64_t size() const { return size_; }

 private:
  std::size_t readStored(char* buffer, std::size_t capacity);
  std::size_t inflateInto(char* buffer, std::size_t capacity);
  void readCompressed(char* buffer, std::size_t length);
  void finish() const;

  const platform::BinaryFile& file_;
  std::string name_;
  std::uint64_t offset_;
  std::uint64_t remaining_;  // compressed bytes not read yet
  std::uint64_t size_;
  std::uint32_t expectedCrc_;
  std::uint64_t produced_ = 0;
  std::uint32_t crc_ = 0;
  std::unique_ptr<z_stream_s> inflater_;
  std::vector<char> input_;
  bool ended_ = false;
};

}  // namespace stores
