#pragma once
// Getting a user tool ready to start on a row of the comparison: the row's files as local files
// (an archive's or a server's file is extracted or downloaded by its store, so call this on the
// worker thread, with no run going on), the run's list files written when the parameters name
// them, and the command as program and arguments.
#include <string>
#include <vector>

#include "engine/compare.h"

namespace ui {

struct ToolRequest {
  // The program, found already (an absolute path).
  std::string program;
  std::string parameters;
  // Where the program starts; empty: where the window was started.
  std::string startFolder;
  // Where "orvandi3.lst" and "orvandi3back.lst" are written.
  std::string listFolder;
};

struct ToolLaunch {
  // The program and its arguments; empty with `error` set when it cannot start.
  std::vector<std::string> arguments;
  std::string workingFolder;
  std::string error;
};

// The tool of `request` on item `itemIndex`, a file of the comparison.
[[nodiscard]] ToolLaunch PrepareToolLaunch(engine::CompareEngine& engine, int itemIndex, const ToolRequest& request);

// The local file "Open" hands to the desktop: the item's file in the source, or in the target
// when it is only there; a folder item's folder where the side is a local folder. Empty with
// `error` when there is none.
[[nodiscard]] std::string LocalFileToOpen(engine::CompareEngine& engine, int itemIndex, std::string& error);

// The list files' folder: the user's runtime folder ($XDG_RUNTIME_DIR), else the temporary one.
[[nodiscard]] std::string ToolListFolder();

}  // namespace ui
