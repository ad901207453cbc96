#include "platform/drive_type.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/file_system.h"
#include "platform/path.h"

namespace platform {
namespace {

// Mount points in mountinfo escape blanks and backslashes as octal "\040" and the like.
std::string unescapeMountField(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

bool mountHolds(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return true;
  return path == mountPoint || (path.size() > mountPoint.size() && path.starts_with(mountPoint) &&
                                path[mountPoint.size()] == '/');
}

// The path itself, or the nearest folder above it that exists.
std::string nearestExisting(const std::string& path) {
  std::string current = path;
  while (!current.empty() && !exists(current)) {
    const std::string parent = parentOf(current);
    if (parent == current) break;
    current = parent;
  }
  return current.empty() ? std::string(".") : current;
}

bool hasCasefoldAttribute(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  const bool casefold = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0;
  close(fd);
  return casefold;
}

}  // namespace

bool sameDisk(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return stat(nearestExisting(a).c_str(), &first) == 0 && stat(nearestExisting(b).c_str(), &second) == 0 &&
         first.st_dev == second.st_dev;
}

bool mountTypeIgnoresCase(const std::string& type) {
  return type == "vfat" || type == "msdos" || type == "exfat" || type == "ntfs" || type == "ntfs3";
}

bool namesIgnoreCase(const std::string& path) {
  const std::string canonical = canonicalPath(nearestExisting(path));
  if (canonical.empty()) return false;
  if (isFolder(canonical) && hasCasefoldAttribute(canonical)) return true;
  const auto mountInfo = readWholeFile("/proc/self/mountinfo");
  return mountInfo && mountTypeIgnoresCase(mountTypeFromMountInfo(*mountInfo, canonical));
}

std::string mountTypeFromMountInfo(const std::string& mountInfo, const std::string& canonicalPath) {
  std::istringstream lines(mountInfo);
  std::string line;
  std::string bestType;
  std::size_t bestLength = 0;
  bool found = false;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<std::string> parts;
    std::string part;
    while (fields >> part) parts.push_back(part);
    // id parent major:minor root mount-point options [optional...] - type source super-options
    if (parts.size() < 7) continue;
    std::size_t dash = 6;
    while (dash < parts.size() && parts[dash] != "-") ++dash;
    if (dash + 1 >= parts.size()) continue;
    const std::string mountPoint = unescapeMountField(parts[4]);
    if (!mountHolds(mountPoint, canonicalPath)) continue;
    if (!found || mountPoint.size() >= bestLength) {
      found = true;
      bestLength = mountPoint.size();
      bestType = parts[dash + 1];
    }
  }
  return bestType;
}

DriveType driveTypeOf(const std::string& path) {
  const std::string canonical = canonicalPath(path);
  if (canonical.empty()) return DriveType::Unknown;
  const auto mountInfo = readWholeFile("/proc/self/mountinfo");
  if (!mountInfo) return DriveType::Unknown;
  const std::string type = mountTypeFromMountInfo(*mountInfo, canonical);
  if (type.empty()) return DriveType::Unknown;
  return type == "iso9660" || type == "udf" ? DriveType::CdRom : DriveType::Fixed;
}

}  // namespace platform
