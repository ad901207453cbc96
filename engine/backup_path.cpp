#include "engine/backup_path.h"

#include <mutex>
#include <set>

#include "engine/content_copy.h"
#include "engine/text.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace engine {
namespace {

std::string numberedName(const std::string& path, int number) {
  const std::string folder = platform::parentOf(path);
  const std::string name = platform::fileNameOf(path);
  const auto dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
  return platform::joinPath(folder, stem + " (" + std::to_string(number) + ")" + extension);
}

}  // namespace

std::string ClaimBackupPath(const std::string& plain, const std::function<bool(const std::string&)>& taken) {
  // Backups made by this process, by any store: the source and the target side of a run may
  // back up files of the same relative name into one folder. Backups of earlier runs are files.
  static std::mutex guard;
  static std::set<std::string> claimed;
  const std::lock_guard lock(guard);
  std::string path = plain;
  for (int number = 2; claimed.count(path) > 0 || taken(path); ++number) path = numberedName(plain, number);
  claimed.insert(path);
  return path;
}

std::string BackupFolderOf(const EngineSettings& settings) {
  return platform::withoutTrailingSeparator(settings.backupPath.empty() ? platform::defaultBackupFolder() : settings.backupPath);
}

std::string Backups::claim(const std::string& relative, std::string& error) {
  const std::string folder = BackupFolderOf(settings_);
  std::string reason;
  if (!tree_ || tree_->root() != folder) {
    tree_.reset();
    // Private: backups are copies of the user's files.
    const std::string parent = platform::parentOf(folder);
    if (!platform::isFolder(folder) &&
        ((!parent.empty() && !platform::createFolderChain(parent, &reason)) || !platform::createFolder(folder, 0700, &reason))) {
      error = Translate("${Backup not made:} ") + folder + ": " + reason;
      return {};
    }
    tree_ = platform::FolderTree::open(folder, &reason);
    if (!tree_) {
      error = Translate("${Backup not made:} ") + folder + ": " + reason;
      return {};
    }
  }
  // A name is taken when something is there; one that cannot be looked at (a link in the way)
  // is not taken here: making the backup then fails and says why.
  const std::string claimed = ClaimBackupPath(tree_->fullPath(relative), [&](const std::string& path) {
                                platform::FindData there;
                                return tree_->stat(path.substr(folder.size() + 1), there);
                              }).substr(folder.size() + 1);
  if (!tree_->createFolders(platform::parentOf(claimed), &reason)) {
    error = Translate("${Backup not made:} ") + tree_->fullPath(claimed) + ": " + reason;
    return {};
  }
  return claimed;
}

bool Backups::Keep(const std::string& relative, platform::ContentReader& content, std::string& error) {
  const std::string backup = claim(relative, error);
  if (backup.empty()) return false;
  if (CopyContentInto(*tree_, backup, content, std::nullopt, nullptr, error)) return true;
  error = Translate("${Backup not made:} ") + tree_->fullPath(backup) + ": " + error;
  return false;
}

bool Backups::KeepLink(const std::string& relative, const std::string& target, platform::FileTime time, std::string& error) {
  const std::string backup = claim(relative, error);
  if (backup.empty()) return false;
  if (tree_->putLink(backup, target, time, std::nullopt, &error)) return true;
  error = Translate("${Backup not made:} ") + tree_->fullPath(backup) + ": " + error;
  return false;
}

}  // namespace engine
