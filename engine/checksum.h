#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// CRC-32 (the ZIP one) of a file's content; false when it cannot be read.
[[nodiscard]] bool FileCrc32(const std::string& path, std::uint32_t& value);
[[nodiscard]] std::uint32_t Crc32(std::string_view bytes, std::uint32_t previous = 0);

}  // namespace engine
