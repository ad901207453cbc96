#pragma once
// What a run is asked for on the command line beyond the folder pair: GNU-style long options
// that change the stored options for this run only (never saved), and how much it prints.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/settings.h"

namespace app {

enum class Verbosity { Quiet, Normal, Verbose };

struct RunOptions {
  std::optional<bool> history;
  std::optional<bool> backup;
  // "--backup=DIR": the backup folder of this run.
  std::string backupFolder;
  std::optional<bool> trash;
  bool emptyFolders = false;
  // A compare mode value of the sessions (0 date and size ... 3 size only).
  std::optional<int> compareMode;
  Verbosity verbosity = Verbosity::Normal;
  bool version = false;
  // Print the stored session and project names (for the shell's completion).
  bool listNames = false;
  // "-package=FILE": write this package of the comparison instead of synchronizing.
  std::string packageFile;

  // Takes one long option ("--name" or "--name=value", the leading "--" removed). False when
  // it is none of them; `error` then says so when the name is known but the value is not.
  bool Parse(const std::string& option, std::string& error);
  // The stored settings with this run's changes.
  [[nodiscard]] engine::EngineSettings Apply(engine::EngineSettings settings) const;
};

}  // namespace app
