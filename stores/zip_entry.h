#pragma once
// One entry of a ZIP archive as the central directory describes it.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_time.h"
#include "stores/zip_format.h"

namespace stores {

struct ZipEntry {
  // UTF-8, "/" between folders, a folder entry ends with "/"; what look-ups compare.
  std::string name;
  // The name's bytes as stored (a DOS code page, UTF-8 or whatever the writer used).
  std::string rawName;
  std::uint16_t versionMadeBy = zipformat::kMadeByUnix;
  std::uint16_t versionNeeded = zipformat::kVersionDefault;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t dosTime = 0;
  std::uint16_t dosDate = 0;
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint32_t externalAttributes = 0;
  // In the archive as read.
  std::uint64_t localHeaderOffset = 0;
  // Where the entry's bytes (local header, data, data descriptor) end in the archive as read:
  // the next entry's local header or the central directory.
  std::uint64_t storedEnd = 0;
  // The central record as read, written again with only the local-header offset changed; empty
  // for an entry added since the archive was read.
  std::string centralRecord;
  // Data of an entry added since the archive was read: offset in the staging file.
  std::optional<std::uint64_t> stagedOffset;
  // The last-write time an extra field holds (NTFS to the 100 ns, Unix to the second), which
  // has neither the two-second steps nor the 1980 to 2107 bounds of the DOS time.
  std::optional<platform::FileTime> exactTime;

  [[nodiscard]] bool isFolder() const { return !name.empty() && name.back() == '/'; }
  // The Unix mode (file type and permission bits), 0 when the writer's host has none.
  [[nodiscard]] std::uint32_t unixMode() const { return zipformat::unixModeOf(versionMadeBy, externalAttributes); }
  // A symbolic link: its data are the link's target.
  [[nodiscard]] bool isLink() const { return (unixMode() & 0170000) == 0120000; }
  [[nodiscard]] bool isEncrypted() const { return (flags & zipformat::kFlagEncrypted) != 0; }
  // The time listed and given to extracted files: the exact one where an extra field holds it,
  // else the DOS time as one valid time (see zipformat::fromDos).
  [[nodiscard]] platform::FileTime lastWriteTime() const {
    return exactTime ? *exactTime : zipformat::fromDos(dosTime, dosDate);
  }
};

}  // namespace stores
