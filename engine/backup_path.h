#pragma once
#include <string>

namespace engine {

// The path a backup of `plain` goes to: `plain` itself, or "name (2).ext" and so on when this
// process already made a backup there, so no backup of a run replaces another.
[[nodiscard]] std::string ClaimBackupPath(const std::string& plain);

}  // namespace engine
