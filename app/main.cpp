#include <iostream>
#include <string>
#include <vector>

#include "config/startup.h"
#include "platform/locale_format.h"
#include "platform/special_folders.h"

int main(int argc, char** argv) {
  platform::useUserLocale();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const config::StartHooks hooks{};
  return config::StartUp(arguments, platform::executablePath(), hooks,
                         {std::cout, std::cerr, platform::standardErrorIsTerminal()});
}
