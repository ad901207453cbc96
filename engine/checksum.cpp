#include "engine/checksum.h"

#include <fstream>
#include <vector>
#include <zlib.h>

namespace engine {

std::uint32_t Crc32(std::string_view bytes, std::uint32_t previous) {
  return static_cast<std::uint32_t>(
      crc32_z(previous, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<z_size_t>(bytes.size())));
}

bool FileCrc32(const std::string& path, std::uint32_t& value) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<char> buffer(65536);
  std::uint32_t crc = 0;
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize got = in.gcount();
    if (got > 0) crc = Crc32(std::string_view(buffer.data(), static_cast<std::size_t>(got)), crc);
  }
  if (in.bad()) return false;
  value = crc;
  return true;
}

}  // namespace engine
