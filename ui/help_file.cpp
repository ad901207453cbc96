#include "ui/help_file.h"

#include "platform/file_system.h"
#include "platform/path.h"

namespace ui {

std::string HelpFile(const std::string& programFolder, const std::string& dataFolder) {
  for (const std::string& folder : {programFolder, dataFolder}) {
    if (!platform::isAbsolutePath(folder)) continue;
    const std::string page = platform::joinPath(folder, "help/index.html");
    if (platform::isRegularFile(page)) return page;
  }
  return {};
}

}  // namespace ui
