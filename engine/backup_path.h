#pragma once
// Backups of files about to be overwritten or deleted: each below its folder relative to the
// synchronized root, in the backup folder of the settings (default: the platform's), never over
// another backup this process made.
#include <functional>
#include <memory>
#include <string>

#include "engine/settings.h"
#include "platform/content_reader.h"
#include "platform/file_time.h"
#include "platform/folder_tree.h"

namespace engine {

// The path a backup of `plain` goes to: `plain` itself, or "name (2).ext" and so on when this
// process already made a backup there or `taken` says the path holds a file, so no backup ever
// replaces another.
[[nodiscard]] std::string ClaimBackupPath(const std::string& plain, const std::function<bool(const std::string&)>& taken);

// The folder backups go to: the one the settings name, else the platform's default.
[[nodiscard]] std::string BackupFolderOf(const EngineSettings& settings);

class Backups {
 public:
  explicit Backups(const EngineSettings& settings) : settings_(settings) {}

  // Keeps `content` as the backup of the file at `relative` below its root. False with `error`.
  [[nodiscard]] bool Keep(const std::string& relative, platform::ContentReader& content, std::string& error);
  // The same for a link: a link with the same target text.
  [[nodiscard]] bool KeepLink(const std::string& relative, const std::string& target, platform::FileTime time,
                              std::string& error);

 private:
  // Where the backup of `relative` goes in the backup tree (folders made); empty with `error`.
  std::string claim(const std::string& relative, std::string& error);

  const EngineSettings& settings_;
  std::unique_ptr<platform::FolderTree> tree_;
};

}  // namespace engine
