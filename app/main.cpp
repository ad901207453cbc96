#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "engine/text.h"
#include "platform/interrupt.h"
#include "platform/locale_format.h"
#include "platform/special_folders.h"
#include "platform/temp_names.h"
#include "stores/zip_store.h"
#include "ui/qt/window_application.h"
#include "ui/translator.h"

int main(int argc, char** argv) {
  platform::installInterruptHandler();
  // A reader of the output that goes away (| head) must not end the run halfway.
  std::signal(SIGPIPE, SIG_IGN);
  platform::useUserLocale();
  // Private folders of earlier runs that were killed before they could remove them.
  platform::removeStaleTempFolders();
  stores::RegisterStores();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  app::StartHooks hooks;
  hooks.loadDictionary = [](const std::string& name) {
    if (!ui::UseDictionary(name, platform::executableFolder(), VELKOR_DATA_DIR)) {
      std::cerr << "Dictionary not found or not readable, texts stay English: " << name << '\n';
    }
  };
  hooks.runWindow = [](config::COptions& options, config::CProfile& profile, bool scanNow) {
    if (!ui::qt::HasDisplay()) {
      std::cerr << engine::Translate(
                       "${No display: the window cannot be shown. To run unattended add -auto, to see the plan "
                       "first add -scan:}\n  orvandi3 SOURCE TARGET [MASKS] -back -R -auto")
                << '\n';
      return app::exitcode::kCouldNotStart;
    }
    return ui::qt::RunWindow(options, profile, scanNow);
  };
  hooks.hasDisplay = &ui::qt::HasDisplay;
  return app::StartUp(arguments, platform::executablePath(), hooks,
                         {std::cout, std::cerr, platform::standardErrorIsTerminal(), platform::standardOutputIsTerminal()});
}
