#pragma once
// What the file system says of one file, folder or link, for the user to look at (the
// Properties dialog): never used to decide what a run does.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_time.h"

namespace platform {

struct FileDetails {
  bool folder = false;
  bool link = false;
  // A link's target as written in the link.
  std::string linkTarget;
  std::uint64_t size = 0;
  FileTime modified = 0;
  FileTime accessed = 0;
  // The last change of the file's entry (permissions, owner, name), as the system records it.
  FileTime statusChanged = 0;
  // The permission bits (07777).
  std::uint32_t permissions = 0;
  // Names where the system knows them, else the numbers.
  std::string owner;
  std::string group;
};

// The details of `path` itself (a link is not followed); empty with errno set when it cannot be read.
[[nodiscard]] std::optional<FileDetails> fileDetails(const std::string& path);
// "rwxr-x--- (0750)": the bits as ls shows them, with set-id and sticky letters, and in octal.
[[nodiscard]] std::string permissionText(std::uint32_t permissions);

}  // namespace platform
