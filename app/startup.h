#pragma once
// Start-up without a window: command line, configuration, dictionary, the start decision, the
// unattended run or its preview, and the configuration saved at exit.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/batch_run.h"

namespace app {

struct StartHooks {
  // Loads the dictionary named by the configuration ("_Lng"), when one is named.
  std::function<void(const std::string& language)> loadDictionary;
};

// Runs the program for `arguments` (without the program name); returns the exit status.
[[nodiscard]] int StartUp(const std::vector<std::string>& arguments, const std::string& executablePath,
                          const StartHooks& hooks, const BatchIo& io);
[[nodiscard]] std::string UsageText();

}  // namespace app
