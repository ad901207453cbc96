#pragma once
// The pieces of the ZIP format: little-endian fields, DOS dates, entry names.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_time.h"

namespace stores::zipformat {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralSignature = 0x02014B50;
inline constexpr std::uint32_t kEndSignature = 0x06054B50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndSize = 22;
inline constexpr std::size_t kMaxComment = 65535;
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;
inline constexpr std::uint16_t kMadeBy = 0x0014;  // version 2.0, host 0 (MS-DOS)

[[nodiscard]] std::uint16_t read16(const unsigned char* p);
[[nodiscard]] std::uint32_t read32(const unsigned char* p);
void put16(std::string& out, std::uint16_t value);
void put32(std::string& out, std::uint32_t value);

// DOS date and time of a file time, in local time; times before 1980 become 1980-01-01.
void toDos(platform::FileTime time, std::uint16_t& dosTime, std::uint16_t& dosDate);
// The file time of a DOS date and time taken as local time; 0 when they are no valid date.
[[nodiscard]] platform::FileTime fromDos(std::uint16_t dosTime, std::uint16_t dosDate);

// A stored name as UTF-8: as UTF-8 with the flag, from code page 437 when written on DOS.
[[nodiscard]] std::string decodeName(std::string_view raw, std::uint16_t flags, std::uint16_t versionMadeBy);
// The bytes to store for a name, and whether they need the UTF-8 flag.
[[nodiscard]] bool needsUtf8Flag(std::string_view name);

// The deflate level bits of the general purpose flags.
[[nodiscard]] std::uint16_t levelFlags(int level);

}  // namespace stores::zipformat
