#pragma once
// The pieces of the ZIP format: little-endian fields, DOS dates, entry names, Unix modes.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_time.h"

namespace stores::zipformat {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralSignature = 0x02014B50;
inline constexpr std::uint32_t kEndSignature = 0x06054B50;
inline constexpr std::uint32_t kZip64EndSignature = 0x06064B50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndSize = 22;
inline constexpr std::size_t kZip64EndSize = 56;
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kMaxComment = 65535;
inline constexpr std::uint16_t kZip64ExtraId = 0x0001;
// Extra fields of times: NTFS (100 ns since 1601, what this program writes) and Info-ZIP's
// extended timestamp (seconds since 1970).
inline constexpr std::uint16_t kNtfsExtraId = 0x000A;
inline constexpr std::uint16_t kUnixTimeExtraId = 0x5455;
// A 16- or 32-bit field holding this says the value is in the ZIP64 records.
inline constexpr std::uint16_t kMax16 = 0xFFFF;
inline constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;
inline constexpr std::uint16_t kVersionDefault = 20;
inline constexpr std::uint16_t kVersionZip64 = 45;
inline constexpr std::uint8_t kHostDos = 0;
inline constexpr std::uint8_t kHostUnix = 3;
// What this program writes as "version made by": Unix, format version 4.5 (ZIP64).
inline constexpr std::uint16_t kMadeByUnix = (kHostUnix << 8) | kVersionZip64;
inline constexpr std::uint32_t kDosReadOnly = 0x01;

[[nodiscard]] std::uint16_t read16(const unsigned char* p);
[[nodiscard]] std::uint32_t read32(const unsigned char* p);
[[nodiscard]] std::uint64_t read64(const unsigned char* p);
void put16(std::string& out, std::uint16_t value);
void put32(std::string& out, std::uint32_t value);
void put64(std::string& out, std::uint64_t value);

// DOS date and time of a file time, in local time; times before 1980 become 1980-01-01.
void toDos(platform::FileTime time, std::uint16_t& dosTime, std::uint16_t& dosDate);
// The file time of a DOS date and time taken as local time. A field out of its range (hour 25,
// month 0, 31 February, second 60) is clamped into it: month to 1..12, day to the month's
// days, hour to 23, minute to 59, second to 58. So every entry has one valid time, the same for
// the listing and for the extracted file.
[[nodiscard]] platform::FileTime fromDos(std::uint16_t dosTime, std::uint16_t dosDate);

// Made on DOS, OS/2 or Windows: names in a code page, "\" between folders, letter case ignored.
[[nodiscard]] bool madeOnWindows(std::uint16_t versionMadeBy);
// A stored name as UTF-8. Flagged names and names of hosts other than DOS, OS/2 and NTFS are
// UTF-8 when they are valid UTF-8; the others are code page 437 (what DOS tools write).
[[nodiscard]] std::string decodeName(std::string_view raw, std::uint16_t flags, std::uint16_t versionMadeBy);
// The name that look-ups compare for a name as this program writes it (made on Unix).
[[nodiscard]] std::string lookupName(std::string_view name);
// The UTF-8 flag for a new entry's name bytes: set only for valid UTF-8 that is not pure ASCII.
[[nodiscard]] std::uint16_t nameFlag(std::string_view raw);

// The deflate level bits of the general purpose flags.
[[nodiscard]] std::uint16_t levelFlags(int level);

// The Unix mode in the external attributes, or 0 when the entry was made on a host without one.
[[nodiscard]] std::uint32_t unixModeOf(std::uint16_t versionMadeBy, std::uint32_t externalAttributes);
// External attributes of a regular file of this mode: the mode in the high half, the DOS
// read-only bit when the owner cannot write.
[[nodiscard]] std::uint32_t externalAttributesOf(std::uint32_t unixMode);

}  // namespace stores::zipformat
