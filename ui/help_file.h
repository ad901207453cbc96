#pragma once
// Where the window's help page is: beside the program (a build that is not installed), else in
// the program's data folder. Never in the current folder, whatever is there.
#include <string>

namespace ui {

// The help page's absolute path, or empty when neither folder holds it. Folders that are empty or
// relative are passed over: they would name the current folder.
[[nodiscard]] std::string HelpFile(const std::string& programFolder, const std::string& dataFolder);

}  // namespace ui
