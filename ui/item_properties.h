#pragma once
// What the Properties dialog shows of a row's item: each side's path with what the comparison
// listed (size, time) and, for a file of a local folder, what the file system says now.
#include <optional>
#include <string>

#include "engine/compare.h"
#include "platform/file_details.h"

namespace ui {

struct SideProperties {
  // The item is on this side; nothing else is filled when it is not.
  bool present = false;
  bool folder = false;
  // The full path as the comparison names it (an archive's or server's own form for those).
  std::string path;
  std::uint64_t listedSize = 0;
  platform::FileTime listedTime = 0;
  // Read from the file system for a local folder's file; empty for archives and servers, or
  // with `unreadable` set when the file could not be read (gone since the comparison).
  std::optional<platform::FileDetails> details;
  std::string unreadable;
};

struct ItemProperties {
  // The path below the compared folders.
  std::string relativePath;
  SideProperties source;
  SideProperties target;
};

// The properties of item `itemIndex`. Takes the list's lock only to copy the item; reads the
// file system after it. No run may be going on (its stores are used to tell local folders).
[[nodiscard]] ItemProperties PropertiesOfItem(engine::CompareEngine& engine, int itemIndex);

}  // namespace ui
