#include "stores/zip_format.h"

#include <algorithm>
#include <sys/stat.h>

#include "platform/case_fold.h"

namespace stores::zipformat {
namespace {

// Code page 437, bytes 0x80 to 0xFF.
constexpr char16_t kCp437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC,
    0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2,
    0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310,
    0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C,
    0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF,
    0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2,
    0x25A0, 0x00A0};

// Hosts whose tools write names in the DOS code page: MS-DOS (FAT), OS/2 (HPFS) and NTFS.


std::string fromCp437(std::string_view raw) {
  std::string out;
  for (const char ch : raw) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      platform::appendUtf8(out, kCp437[c - 0x80]);
    }
  }
  return out;
}

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::uint16_t read16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t read32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t read64(const unsigned char* p) { return read32(p) | (static_cast<std::uint64_t>(read32(p + 4)) << 32); }

void put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void put32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void put64(std::string& out, std::uint64_t value) {
  put32(out, static_cast<std::uint32_t>(value));
  put32(out, static_cast<std::uint32_t>(value >> 32));
}

void toDos(platform::FileTime time, std::uint16_t& dosTime, std::uint16_t& dosDate) {
  platform::CalendarTime local = platform::localFromFileTime(time);
  if (local.year < 1980) local = {1980, 1, 1, 0, 0, 0, 0};
  if (local.year > 2107) local = {2107, 12, 31, 23, 59, 58, 0};
  dosTime = static_cast<std::uint16_t>((local.hour << 11) | (local.minute << 5) | (local.second / 2));
  dosDate = static_cast<std::uint16_t>(((local.year - 1980) << 9) | (local.month << 5) | local.day);
}

platform::FileTime fromDos(std::uint16_t dosTime, std::uint16_t dosDate) {
  platform::CalendarTime local;
  local.year = 1980 + (dosDate >> 9);
  local.month = std::clamp((dosDate >> 5) & 0x0F, 1, 12);
  local.day = std::clamp(dosDate & 0x1F, 1, platform::daysInMonth(local.year, local.month));
  local.hour = std::min(dosTime >> 11, 23);
  local.minute = std::min((dosTime >> 5) & 0x3F, 59);
  local.second = std::min((dosTime & 0x1F) * 2, 58);
  return platform::fileTimeFromLocal(local).value_or(0);
}

bool madeOnWindows(std::uint16_t versionMadeBy) {
  const auto host = static_cast<std::uint8_t>(versionMadeBy >> 8);
  constexpr std::uint8_t kHostHpfs = 6;
  constexpr std::uint8_t kHostNtfs = 10;
  constexpr std::uint8_t kHostVfat = 14;
  return host == kHostDos || host == kHostHpfs || host == kHostNtfs || host == kHostVfat;
}

std::string decodeName(std::string_view raw, std::uint16_t flags, std::uint16_t versionMadeBy) {
  // Windows and DOS write names in a code page with "\" between folders; elsewhere a name is its
  // bytes (UTF-8 or not, as the file system had it) and a "\" is part of it.
  const bool windows = madeOnWindows(versionMadeBy);
  const bool utf8 = (flags & kFlagUtf8) != 0 && platform::isValidUtf8(raw);
  std::string name = windows && !utf8 ? fromCp437(raw) : std::string(raw);
  if (windows) std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

std::string lookupName(std::string_view name) { return decodeName(name, kFlagUtf8, kMadeByUnix); }

std::uint16_t nameFlag(std::string_view raw) { return !isAscii(raw) && platform::isValidUtf8(raw) ? kFlagUtf8 : 0; }

std::uint16_t levelFlags(int level) {
  if (level == 1) return 6;
  if (level == 2) return 4;
  if (level == 8 || level == 9) return 2;
  return 0;
}

std::uint32_t unixModeOf(std::uint16_t versionMadeBy, std::uint32_t externalAttributes) {
  const auto host = static_cast<std::uint8_t>(versionMadeBy >> 8);
  constexpr std::uint8_t kHostMacOs = 19;
  return host == kHostUnix || host == kHostMacOs ? externalAttributes >> 16 : 0;
}

std::uint32_t externalAttributesOf(std::uint32_t unixMode) {
  // A regular file unless the mode names another type (a link).
  const std::uint32_t type = (unixMode & S_IFMT) != 0 ? (unixMode & S_IFMT) : S_IFREG;
  const std::uint32_t mode = type | (unixMode & 07777);
  return (mode << 16) | ((mode & S_IWUSR) == 0 ? kDosReadOnly : 0);
}

}  // namespace stores::zipformat
