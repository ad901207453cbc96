#include "engine/backup_path.h"

#include <mutex>
#include <set>

#include "platform/path.h"

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

std::string ClaimBackupPath(const std::string& plain) {
  // Backups made by this process, by any store: the source and the target side of a run may
  // back up files of the same relative name into one folder.
  static std::mutex guard;
  static std::set<std::string> claimed;
  const std::lock_guard lock(guard);
  std::string path = plain;
  for (int number = 2; !claimed.insert(path).second; ++number) path = numberedName(plain, number);
  return path;
}

}  // namespace engine
