#include "platform/special_folders.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/path.h"

extern char** environ;

namespace platform {
namespace {

std::string xdgFolder(const char* variable, const char* fallback) {
  const std::string value = environmentValue(variable);
  if (!value.empty() && isAbsolutePath(value)) return withoutTrailingSeparator(value);
  return joinPath(homeFolder(), fallback);
}

// XDG_DOCUMENTS_DIR="$HOME/Documents" in user-dirs.dirs.
std::string documentsFromUserDirs() {
  const auto content = readWholeFile(joinPath(userConfigFolder(), "user-dirs.dirs"));
  if (!content) return {};
  std::istringstream lines(*content);
  std::string line;
  while (std::getline(lines, line)) {
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    if (!line.starts_with(kKey)) continue;
    std::string value = line.substr(kKey.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.starts_with("$HOME")) value = homeFolder() + value.substr(5);
    return isAbsolutePath(value) ? withoutTrailingSeparator(value) : std::string();
  }
  return {};
}

}  // namespace

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::vector<std::pair<std::string, std::string>> environmentEntries() {
  std::vector<std::pair<std::string, std::string>> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    entries.emplace_back(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
  }
  return entries;
}

std::string homeFolder() {
  const std::string home = environmentValue("HOME");
  if (!home.empty()) return withoutTrailingSeparator(home);
  const passwd* user = getpwuid(getuid());
  return user != nullptr && user->pw_dir != nullptr ? std::string(user->pw_dir) : std::string("/");
}

std::string documentsFolder() {
  const std::string fromUserDirs = documentsFromUserDirs();
  return fromUserDirs.empty() ? joinPath(homeFolder(), "Documents") : fromUserDirs;
}

std::string userDataFolder() { return xdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string userConfigFolder() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string userStateFolder() { return xdgFolder("XDG_STATE_HOME", ".local/state"); }

std::string defaultBackupFolder() { return joinPath(joinPath(userDataFolder(), "velkor"), "Orvandi"); }

std::string executablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(length));
}

std::string executableFolder() { return parentOf(executablePath()); }

}  // namespace platform

namespace platform {

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

bool standardOutputIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

}  // namespace platform
