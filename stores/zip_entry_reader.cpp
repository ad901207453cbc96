#include "stores/zip_entry_reader.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <zlib.h>

#include "engine/checksum.h"
#include "stores/zip_exception.h"

namespace stores {
namespace {

constexpr std::size_t kInputSize = 65536;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;

}  // namespace

ZipEntryReader::ZipEntryReader(const platform::BinaryFile& file, std::uint64_t dataOffset, const ZipEntry& entry)
    : file_(file),
      name_(entry.name),
      offset_(dataOffset),
      remaining_(entry.compressedSize),
      size_(entry.uncompressedSize),
      expectedCrc_(entry.crc) {
  if (entry.isEncrypted()) throw CZipException(CZipException::kNotSupported, entry.name + ": encrypted");
  if (entry.method != kStored && entry.method != kDeflated) {
    throw CZipException(CZipException::kNotSupported, entry.name + ": compression method " + std::to_string(entry.method));
  }
  if (entry.method == kStored && entry.compressedSize != entry.uncompressedSize) {
    throw CZipException(CZipException::kDamaged, entry.name + ": stored sizes differ");
  }
  if (entry.method == kDeflated) {
    inflater_ = std::make_unique<z_stream>();
    if (inflateInit2(inflater_.get(), -MAX_WBITS) != Z_OK) {
      inflater_.reset();
      throw CZipException(CZipException::kNoMemory, entry.name);
    }
    // Small entries are the common case: a buffer the size of the data, not of the largest read.
    input_.resize(static_cast<std::size_t>(std::clamp<std::uint64_t>(entry.compressedSize, 1, kInputSize)));
  }
}

ZipEntryReader::~ZipEntryReader() {
  if (inflater_) inflateEnd(inflater_.get());
}

std::size_t ZipEntryReader::read(char* buffer, std::size_t capacity) {
  const std::size_t got = inflater_ ? inflateInto(buffer, capacity) : readStored(buffer, capacity);
  produced_ += got;
  if (produced_ > size_) throw CZipException(CZipException::kDamaged, name_ + ": longer than declared");
  crc_ = engine::Crc32(std::string_view(buffer, got), crc_);
  if (got == 0 && capacity > 0) finish();
  return got;
}

void ZipEntryReader::readCompressed(char* buffer, std::size_t length) {
  if (length > 0 && !file_.readAt(offset_, buffer, length)) {
    throw CZipException(errno == EIO ? CZipException::kDamaged : CZipException::CodeOfErrno(errno), name_);
  }
  offset_ += length;
  remaining_ -= length;
}

std::size_t ZipEntryReader::readStored(char* buffer, std::size_t capacity) {
  const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, remaining_));
  readCompressed(buffer, chunk);
  return chunk;
}

std::size_t ZipEntryReader::inflateInto(char* buffer, std::size_t capacity) {
  z_stream& stream = *inflater_;
  // zlib counts in 32 bits: a larger buffer is filled in part.
  const auto room = static_cast<uInt>(std::min<std::size_t>(capacity, 1U << 30));
  stream.next_out = reinterpret_cast<Bytef*>(buffer);
  stream.avail_out = room;
  while (stream.avail_out > 0 && !ended_) {
    if (stream.avail_in == 0 && remaining_ > 0) {
      const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(input_.size(), remaining_));
      readCompressed(input_.data(), chunk);
      stream.next_in = reinterpret_cast<Bytef*>(input_.data());
      stream.avail_in = static_cast<uInt>(chunk);
    }
    const int result = inflate(&stream, Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      ended_ = true;
    } else if (result == Z_BUF_ERROR && stream.avail_in == 0 && remaining_ == 0) {
      throw CZipException(CZipException::kZlibEndOfStream, name_);
    } else if (result == Z_DATA_ERROR || result == Z_NEED_DICT) {
      throw CZipException(CZipException::kZlibData, name_);
    } else if (result == Z_MEM_ERROR) {
      throw CZipException(CZipException::kNoMemory, name_);
    } else if (result != Z_OK && result != Z_BUF_ERROR) {
      throw CZipException(CZipException::kZlibStream, name_);
    }
  }
  return room - stream.avail_out;
}

void ZipEntryReader::finish() const {
  if (produced_ != size_) throw CZipException(CZipException::kDamaged, name_ + ": shorter than declared");
  if (crc_ != expectedCrc_) throw CZipException(CZipException::kCrcMismatch, name_);
}

}  // namespace stores
