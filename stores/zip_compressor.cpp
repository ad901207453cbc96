#include "stores/zip_compressor.h"

#include <cerrno>
#include <string_view>
#include <zlib.h>

#include "engine/checksum.h"
#include "stores/zip_exception.h"
#include "stores/zip_format.h"

namespace stores {
namespace {

constexpr std::size_t kBufferSize = 65536;

}  // namespace

ZipCompressor::ZipCompressor() = default;

ZipCompressor::~ZipCompressor() {
  if (deflater_) deflateEnd(deflater_.get());
}

z_stream_s* ZipCompressor::deflater(int level) {
  if (deflater_ && deflaterLevel_ == level) {
    deflateReset(deflater_.get());
    return deflater_.get();
  }
  if (deflater_) deflateEnd(deflater_.get());
  deflater_ = std::make_unique<z_stream>();
  if (deflateInit2(deflater_.get(), level < 0 ? Z_DEFAULT_COMPRESSION : level, Z_DEFLATED, -MAX_WBITS, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    deflater_.reset();
    throw CZipException(CZipException::kNoMemory);
  }
  deflaterLevel_ = level;
  return deflater_.get();
}

CompressedSizes ZipCompressor::Compress(ZipInput& input, int level, const std::string& name,
                                        const std::function<void(const char*, std::size_t)>& write,
                                        const std::function<void(std::uint64_t)>& progress) {
  CompressedSizes sizes;
  const bool store = level == 0 || input.size() < 5;
  sizes.method = store ? 0 : 8;
  if (!store) sizes.levelFlags = zipformat::levelFlags(level);
  z_stream_s* stream = store ? nullptr : deflater(level);
  if (inBuffer_.empty()) {
    inBuffer_.resize(kBufferSize);
    outBuffer_.resize(kBufferSize);
  }
  for (;;) {
    const std::int64_t got = input.read(inBuffer_.data(), inBuffer_.size());
    if (got < 0) throw CZipException(CZipException::CodeOfErrno(errno), name);
    const auto chunk = static_cast<std::size_t>(got);
    sizes.size += chunk;
    sizes.crc = engine::Crc32(std::string_view(inBuffer_.data(), chunk), sizes.crc);
    if (store) {
      write(inBuffer_.data(), chunk);
    } else {
      stream->next_in = reinterpret_cast<Bytef*>(inBuffer_.data());
      stream->avail_in = static_cast<uInt>(chunk);
      const int flush = chunk == 0 ? Z_FINISH : Z_NO_FLUSH;
      int result = Z_OK;
      do {
        stream->next_out = reinterpret_cast<Bytef*>(outBuffer_.data());
        stream->avail_out = static_cast<uInt>(outBuffer_.size());
        result = deflate(stream, flush);
        if (result == Z_STREAM_ERROR) throw CZipException(CZipException::kZlibStream, name);
        write(outBuffer_.data(), outBuffer_.size() - stream->avail_out);
      } while (stream->avail_out == 0);
      if (flush == Z_FINISH && result != Z_STREAM_END) throw CZipException(CZipException::kZlibStream, name);
    }
    if (chunk == 0) return sizes;
    if (progress) progress(sizes.size);
  }
}

PreparedEntry ZipCompressor::Prepare(ZipInput& input, int level, const std::string& name) {
  PreparedEntry prepared;
  prepared.mode = input.unixMode();
  prepared.lastWriteTime = input.lastWriteTime();
  prepared.sizes = Compress(
      input, level, name, [&](const char* data, std::size_t length) { prepared.data.append(data, length); }, {});
  return prepared;
}

}  // namespace stores
