#pragma once
// One directory entry as a directory search reports it.
#include <cstdint>
#include <string>

#include "platform/file_time.h"

namespace platform {

namespace attr {
inline constexpr std::uint32_t kReadOnly = 0x01;
inline constexpr std::uint32_t kHidden = 0x02;
inline constexpr std::uint32_t kSystem = 0x04;
inline constexpr std::uint32_t kFolder = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kNormal = 0x80;
// A symbolic link: never followed; listed only by stores that can copy it as a link.
inline constexpr std::uint32_t kLink = 0x400;
// What an attribute query answers for a path that does not exist.
inline constexpr std::uint32_t kInvalid = 0xFFFFFFFFu;
}  // namespace attr

struct FindData {
  std::uint32_t attributes = 0;
  FileTime creationTime = 0;
  FileTime lastAccessTime = 0;
  FileTime lastWriteTime = 0;
  // Bytes of a file; the length of a link's target text.
  std::uint64_t size = 0;
  // Unix permission bits; 0 when the store has none.
  std::uint32_t unixMode = 0;
  std::string name;
  // Short names are the names themselves here.
  std::string alternateName;

  [[nodiscard]] bool isFolder() const { return (attributes & attr::kFolder) != 0; }
};

}  // namespace platform
