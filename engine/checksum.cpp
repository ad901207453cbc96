#include "engine/checksum.h"

#include <vector>
#include <zlib.h>

#include "platform/content_reader.h"

namespace engine {

std::uint32_t Crc32(std::string_view bytes, std::uint32_t previous) {
  return static_cast<std::uint32_t>(
      crc32_z(previous, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<z_size_t>(bytes.size())));
}

bool ContentCrc32(platform::ContentReader& content, std::uint32_t& value) {
  std::vector<char> buffer(65536);
  std::uint32_t crc = 0;
  for (;;) {
    const std::int64_t got = content.read(buffer.data(), buffer.size());
    if (got < 0) return false;
    if (got == 0) break;
    crc = Crc32(std::string_view(buffer.data(), static_cast<std::size_t>(got)), crc);
  }
  if (!content.verify()) return false;
  value = crc;
  return true;
}

}  // namespace engine
