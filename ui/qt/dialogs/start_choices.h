#pragma once
// What the start dialog is given and gives back: a copy of the options whose sessions, projects,
// current session, run list and start flags it edits, and the lists its boxes offer.
#include <functional>
#include <string>
#include <vector>

#include "config/options.h"
#include "ui/controls/folder_box.h"

namespace ui::qt {

struct StartChoices {
  config::COptions options;
  controls::FolderChoices sources;
  controls::FolderChoices targets;
  std::vector<std::string> masks;
};

// How a path of the dialog is judged before a scan; the window supplies it (path variables,
// stores). `message` says what is wrong.
enum class PathState { Usable, Missing, Unusable };
struct PathRules {
  std::function<PathState(const std::string& path, std::string& message)> check;
  // Makes a missing folder; false with `message` set when it cannot.
  std::function<bool(const std::string& path, std::string& message)> create;
};

}  // namespace ui::qt
