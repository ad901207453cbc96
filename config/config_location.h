#pragma once
#include <string>

namespace config {

// Where the configuration file is: a given path holding a folder separator is used as it is;
// otherwise the given name (".ini" added when it has no ".") or "<executable>.ini", beside the
// executable when such a file exists there, else in $XDG_CONFIG_HOME/velkor/.
[[nodiscard]] std::string LocateConfiguration(const std::string& given, const std::string& executablePath);

}  // namespace config
