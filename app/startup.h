#pragma once
// Start-up: command line, configuration, dictionary, the start decision (the unattended run, its
// preview or the window), and the configuration saved at exit.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/batch_run.h"
#include "config/options.h"
#include "config/profile.h"

namespace app {

struct StartHooks {
  // Loads the dictionary named by the configuration ("_Lng"), when one is named.
  std::function<void(const std::string& language)> loadDictionary;
  // Shows the main window on the loaded options and returns the exit status when it closes; the
  // options are saved afterwards. With `scanNow` the window scans the run list at once instead of
  // opening the start dialog. Empty: this build has no window.
  std::function<int(config::COptions& options, config::CProfile& profile, bool scanNow)> runWindow;
  // True when the window can be seen (a desktop is there). "-scan" opens the window only then;
  // else it is the dry run in the terminal. Empty: never.
  std::function<bool()> hasDisplay;
};

// Runs the program for `arguments` (without the program name); returns the exit status.
[[nodiscard]] int StartUp(const std::vector<std::string>& arguments, const std::string& executablePath,
                          const StartHooks& hooks, const BatchIo& io);
[[nodiscard]] std::string UsageText();

}  // namespace app
