#pragma once
// The outside archivers the program can use, from the description file "orvandi3.arc".
#include <string>

namespace app {

inline constexpr const char* kArchiverDescriptionName = "orvandi3.arc";

// Finds the description file beside the executable, in the configuration's folder or along
// PATH (never in the current folder) and makes the kinds it describes open their archives.
// Returns its path; empty when there is none.
std::string RegisterArchivers(const std::string& executablePath, const std::string& configurationFile);

}  // namespace app
