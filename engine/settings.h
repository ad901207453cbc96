#pragma once
// The options that the engine reads, filled from the configuration by its owner.
#include <cstdint>
#include <string>

namespace engine {

namespace option {
inline constexpr std::uint32_t kIgnoreDaylightHours = 0x00002;
inline constexpr std::uint32_t kArchiveIgnoreSeconds = 0x00008;
inline constexpr std::uint32_t kClearReadOnlyFromCd = 0x00010;
inline constexpr std::uint32_t kDeleteToTrash = 0x00100;
inline constexpr std::uint32_t kIgnoreTwoSeconds = 0x02000;
inline constexpr std::uint32_t kShowSameFiles = 0x04000;
inline constexpr std::uint32_t kSyncCollapsedFolders = 0x08000;
inline constexpr std::uint32_t kMakeBackup = 0x10000;
inline constexpr std::uint32_t kUseHistory = 0x20000;
inline constexpr std::uint32_t kHandleEmptyFolders = 0x40000;
inline constexpr std::uint32_t kNoConfirmations = 0x10000000;
inline constexpr std::uint32_t kDefaultFlags = 0xB402;
}  // namespace option

// A session's switches that the comparison reads ("SFlags").
namespace sessionflag {
inline constexpr std::uint32_t kSubfolders = 0x001;
inline constexpr std::uint32_t kMatchedFoldersOnly = 0x002;
inline constexpr std::uint32_t kExcludeFolders = 0x004;
inline constexpr std::uint32_t kOrphansOnly = 0x100;
inline constexpr std::uint32_t kMatchedFilesOnly = 0x200;
inline constexpr std::uint32_t kInvertedMasks = 0x400;
}  // namespace sessionflag

struct EngineSettings {
  std::uint32_t flags = option::kDefaultFlags;
  int ntfsHours = 1;
  // Folder for backup copies; empty means the platform's default backup folder.
  std::string backupPath;
  // Threads that copy files beside each other: 0 chooses by cores and disks, 1 copies one file
  // after the other.
  unsigned copyThreads = 0;

  [[nodiscard]] bool has(std::uint32_t bit) const { return (flags & bit) != 0; }
};

}  // namespace engine
