#pragma once
// Whether a file is still the one that was read: its identity when it was opened and now.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/binary_file.h"
#include "platform/file_time.h"

namespace platform {

// What tells whether a file is still the one that was read.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  FileTime lastWrite = 0;
  // Who owns it: a file put in its place is given the same owner where the process may.
  std::uint32_t user = 0;
  std::uint32_t group = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Opens a regular file for reading, with the identity and permission bits of what was opened.
// Empty with errno set when it cannot.
[[nodiscard]] std::unique_ptr<BinaryFile> openForReading(const std::string& path, FileIdentity& identity,
                                                                   std::uint32_t& permissions);
// The identity of the file at `path` now, empty when there is none.
[[nodiscard]] std::optional<FileIdentity> identityOf(const std::string& path);
// False with errno set when the bits cannot be set.
[[nodiscard]] bool setPermissions(const std::string& path, std::uint32_t permissions);
// Gives the file (never a link's target) to a user and group; false with errno set.
[[nodiscard]] bool setOwner(const std::string& path, std::uint32_t user, std::uint32_t group);

}  // namespace platform
