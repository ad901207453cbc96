#pragma once
#include <string>
#include <utility>
#include <vector>

namespace platform {

[[nodiscard]] std::string homeFolder();
// The XDG documents folder (user-dirs.dirs), else ~/Documents.
[[nodiscard]] std::string documentsFolder();
// $XDG_DATA_HOME, else ~/.local/share.
[[nodiscard]] std::string userDataFolder();
// $XDG_CONFIG_HOME, else ~/.config.
[[nodiscard]] std::string userConfigFolder();
// $XDG_STATE_HOME, else ~/.local/state.
[[nodiscard]] std::string userStateFolder();
// Where backups go unless the user chose a folder: per user, kept across reboots.
[[nodiscard]] std::string defaultBackupFolder();
// The running executable's full path and folder.
[[nodiscard]] std::string executablePath();
[[nodiscard]] std::string executableFolder();
// The value of an environment variable, empty when unset.
[[nodiscard]] std::string environmentValue(const char* name);

// The process environment as name and value pairs; entries without "=" or with an empty name
// are left out.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> environmentEntries();

}  // namespace platform

namespace platform {

// True when standard error (output) is a terminal (a person watches it).
[[nodiscard]] bool standardErrorIsTerminal();
[[nodiscard]] bool standardOutputIsTerminal();

}  // namespace platform
