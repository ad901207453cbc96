// libFuzzer target: the configuration reader and the whole options load and save on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/options.h"
#include "config/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  config::CProfile profile;
  profile.LoadText(std::string_view(reinterpret_cast<const char*>(data), size));
  config::COptions options;
  options.Load(profile);
  options.Save(profile);
  config::CProfile reread;
  reread.LoadText(profile.ToText());
  config::COptions again;
  again.Load(reread);
  return 0;
}
