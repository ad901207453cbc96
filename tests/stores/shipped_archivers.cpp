#include "tests/stores/shipped_archivers.h"

#include "config/profile.h"
#include "platform/file_system.h"
#include "platform/program_search.h"

namespace testsupport {

std::vector<stores::ArchiverDescription> ArchiversOf(const std::string& text) {
  config::CProfile profile;
  profile.LoadText(text);
  stores::DescriptionFile file;
  file.keys = [&](const std::string& section) { return profile.KeysOf(section); };
  file.text = [&](const std::string& section, const std::string& key) { return profile.GetText(section, key, ""); };
  return stores::ReadArchiverDescriptions(
      file, [](const std::string& program) { return platform::findFileIn(program, platform::searchPathFolders(), true); });
}

std::vector<stores::ArchiverDescription> ShippedArchivers() {
  return ArchiversOf(platform::readWholeFile(std::string(VELKOR_SOURCE_DIR) + "/data/orvandi3.arc").value_or(""));
}

stores::ArchiverDescription ShippedArchiverFor(const std::string& fileName) {
  const auto kinds = ShippedArchivers();
  for (const auto& kind : kinds) {
    if (kind.extensions.find(" " + fileName.substr(fileName.find('.') + 1) + " ") != std::string::npos) return kind;
  }
  return {};
}

}  // namespace testsupport
