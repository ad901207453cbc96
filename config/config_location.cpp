#include "config/config_location.h"

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace config {

std::string LocateConfiguration(const std::string& given, const std::string& executablePath) {
  if (given.find('/') != std::string::npos || given.find('\\') != std::string::npos) return given;
  std::string name = given;
  if (name.empty()) {
    std::string base = platform::fileNameOf(executablePath);
    if (base.empty()) base = "orvandi3";
    name = base + ".ini";
  } else if (name.find('.') == std::string::npos) {
    name += ".ini";
  }
  const std::string folder = platform::parentOf(executablePath);
  const std::string beside = platform::joinPath(folder, name);
  if (platform::exists(beside) || platform::isWritableFolder(folder)) return beside;
  const std::string own = platform::joinPath(platform::userConfigFolder(), "velkor");
  (void)platform::createFolderChain(own);
  return platform::joinPath(own, name);
}

}  // namespace config
