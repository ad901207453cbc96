#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {
class ContentReader;
}

namespace engine {

// CRC-32 (the ZIP one) of a content read to its end; false when it cannot be read whole.
[[nodiscard]] bool ContentCrc32(platform::ContentReader& content, std::uint32_t& value);
[[nodiscard]] std::uint32_t Crc32(std::string_view bytes, std::uint32_t previous = 0);

}  // namespace engine
