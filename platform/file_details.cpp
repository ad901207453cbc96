#include "platform/file_details.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <vector>

#include "platform/file_system.h"

namespace platform {
namespace {

// The name of a user or group by its number; the number when the system has no name for it.
std::string userName(uid_t user) {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) return found->pw_name;
  return std::to_string(user);
}

std::string groupName(gid_t group) {
  std::vector<char> buffer(16384);
  struct group entry {};
  struct group* found = nullptr;
  if (getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) return found->gr_name;
  return std::to_string(group);
}

}  // namespace

std::optional<FileDetails> fileDetails(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return std::nullopt;
  FileDetails details;
  details.folder = S_ISDIR(status.st_mode);
  details.link = S_ISLNK(status.st_mode);
  if (details.link) (void)readSymbolicLink(path, details.linkTarget);
  details.size = static_cast<std::uint64_t>(status.st_size);
  details.modified = fileTimeFromTimespec(status.st_mtim);
  details.accessed = fileTimeFromTimespec(status.st_atim);
  details.statusChanged = fileTimeFromTimespec(status.st_ctim);
  details.permissions = status.st_mode & 07777;
  details.owner = userName(status.st_uid);
  details.group = groupName(status.st_gid);
  return details;
}

std::string permissionText(std::uint32_t permissions) {
  std::string text = "---------";
  constexpr std::array<char, 3> kLetters = {'r', 'w', 'x'};
  for (int bit = 0; bit < 9; ++bit) {
    if ((permissions & (0400u >> bit)) != 0) text[static_cast<std::size_t>(bit)] = kLetters[static_cast<std::size_t>(bit % 3)];
  }
  // Set-user-id, set-group-id and sticky show in the execute places: lower case when that bit is also set.
  const auto special = [&text](std::size_t place, bool on, char letter) {
    if (on) text[place] = text[place] == 'x' ? letter : static_cast<char>(letter - 'a' + 'A');
  };
  special(2, (permissions & 04000) != 0, 's');
  special(5, (permissions & 02000) != 0, 's');
  special(8, (permissions & 01000) != 0, 't');
  std::array<char, 8> octal{};
  std::snprintf(octal.data(), octal.size(), "%04o", permissions & 07777);
  return text + " (" + octal.data() + ")";
}

}  // namespace platform
