#pragma once
// Finding a program or a data file of ours by name. The current folder is never searched: a
// file planted there (in a folder being synchronized, say) must not be run or read in its place.
#include <string>
#include <vector>

namespace platform {

// The folders of $PATH that are absolute paths, in order.
[[nodiscard]] std::vector<std::string> searchPathFolders();

// `name` when it is an absolute path of a file (an executable one when `executable`); a name
// without "/" is looked for in `folders` in order; a relative path with "/" below the first
// folder only. Empty when not found.
[[nodiscard]] std::string findFileIn(const std::string& name, const std::vector<std::string>& folders, bool executable);

}  // namespace platform
