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
  // A configuration beside the program makes a portable install; otherwise it lives where the
  // desktop keeps configurations.
  const std::string beside = platform::joinPath(platform::parentOf(executablePath), name);
  if (platform::exists(beside)) return beside;
  const std::string own = platform::joinPath(platform::userConfigFolder(), "velkor");
  (void)platform::createFolderChain(own);
  return platform::joinPath(own, name);
}

}  // namespace config
