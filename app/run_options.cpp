#include "app/run_options.h"

namespace app {
namespace {

// "name" or "name=value": the value when the option has that name; empty optional otherwise.
std::optional<std::string> valueOf(const std::string& option, const std::string& name) {
  if (!option.starts_with(name + "=")) return std::nullopt;
  return option.substr(name.size() + 1);
}

}  // namespace

bool RunOptions::Parse(const std::string& option, std::string& error) {
  struct Switch {
    const char* name;
    std::optional<bool>* field;
    bool value;
  };
  for (const Switch& s : {Switch{"history", &history, true}, Switch{"no-history", &history, false},
                          Switch{"backup", &backup, true}, Switch{"no-backup", &backup, false},
                          Switch{"trash", &trash, true}, Switch{"no-trash", &trash, false}}) {
    if (option == s.name) {
      *s.field = s.value;
      return true;
    }
  }
  if (const auto folder = valueOf(option, "backup")) {
    if (folder->empty()) {
      error = "--backup= needs a folder";
      return true;
    }
    backup = true;
    backupFolder = *folder;
    return true;
  }
  if (const auto mode = valueOf(option, "compare")) {
    static constexpr std::pair<const char*, int> kModes[] = {{"time", 0}, {"time-or-content", 1}, {"content", 2}, {"size", 3}};
    for (const auto& [name, value] : kModes) {
      if (*mode == name) {
        compareMode = value;
        return true;
      }
    }
    error = "--compare=" + *mode + ": use time, content, size or time-or-content";
    return true;
  }
  if (option == "empty-folders") {
    emptyFolders = true;
  } else if (option == "quiet") {
    verbosity = Verbosity::Quiet;
  } else if (option == "verbose") {
    verbosity = Verbosity::Verbose;
  } else if (option == "version") {
    version = true;
  } else if (option == "list-names") {
    listNames = true;
  } else {
    return false;
  }
  return true;
}

engine::EngineSettings RunOptions::Apply(engine::EngineSettings settings) const {
  auto set = [&](std::uint32_t bit, std::optional<bool> on) {
    if (on) settings.flags = *on ? (settings.flags | bit) : (settings.flags & ~bit);
  };
  set(engine::option::kUseHistory, history);
  set(engine::option::kMakeBackup, backup);
  set(engine::option::kDeleteToTrash, trash);
  if (emptyFolders) settings.flags |= engine::option::kHandleEmptyFolders;
  if (!backupFolder.empty()) settings.backupPath = backupFolder;
  return settings;
}

}  // namespace app
