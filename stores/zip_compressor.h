#pragma once
// Compresses the content of one entry at a time. A compressor is reused from file to file
// (setting one up for every small file costs more than compressing it) and belongs to one
// thread; several threads compress beside each other with one each.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_time.h"
#include "stores/zip_input.h"

struct z_stream_s;

namespace stores {

// What compressing an input gave: its CRC, sizes and how it was stored.
struct CompressedSizes {
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
  std::uint16_t method = 0;
  // The general-purpose flag bits that tell the compression level.
  std::uint16_t levelFlags = 0;
};

// An entry compressed ahead, in memory, ready to be added without reading its source again.
struct PreparedEntry {
  std::string data;
  CompressedSizes sizes;
  std::uint32_t mode = 0;
  platform::FileTime lastWriteTime = 0;
};

class ZipCompressor {
 public:
  ZipCompressor();
  ~ZipCompressor();
  ZipCompressor(const ZipCompressor&) = delete;
  ZipCompressor& operator=(const ZipCompressor&) = delete;

  // Reads the input to its end and hands the compressed bytes to `write`; `progress` hears the
  // bytes read so far. `level`: 0 stores, -1 is zlib's default; inputs under 5 bytes are
  // stored. Throws CZipException naming `name`.
  CompressedSizes Compress(ZipInput& input, int level, const std::string& name,
                           const std::function<void(const char*, std::size_t)>& write,
                           const std::function<void(std::uint64_t)>& progress);
  // Compresses the whole input into memory. Throws CZipException naming `name`.
  PreparedEntry Prepare(ZipInput& input, int level, const std::string& name);

 private:
  z_stream_s* deflater(int level);

  std::unique_ptr<z_stream_s> deflater_;
  int deflaterLevel_ = 0;
  std::vector<char> inBuffer_;
  std::vector<char> outBuffer_;
};

}  // namespace stores
