#include "app/archivers.h"

#include "config/profile.h"
#include "platform/path.h"
#include "platform/program_search.h"
#include "stores/archiver_description.h"

namespace app {

std::string RegisterArchivers(const std::string& executablePath, const std::string& configurationFile) {
  std::vector<std::string> folders = {platform::parentOf(executablePath), platform::parentOf(configurationFile)};
  for (std::string& folder : platform::searchPathFolders()) folders.push_back(std::move(folder));
  const std::string file = platform::findFileIn(kArchiverDescriptionName, folders, false);
  if (file.empty()) return {};
  config::CProfile description;
  if (description.SetFile(file) != config::CProfile::LoadState::Loaded) return {};
  stores::DescriptionFile reader;
  reader.keys = [&](const std::string& section) { return description.KeysOf(section); };
  reader.text = [&](const std::string& section, const std::string& key) { return description.GetText(section, key, ""); };
  // Programs as the description names them: beside the executable, then along PATH.
  std::vector<std::string> programFolders = {platform::parentOf(executablePath)};
  for (std::string& folder : platform::searchPathFolders()) programFolders.push_back(std::move(folder));
  const stores::ProgramLookup lookup = [&](const std::string& program) {
    return platform::findFileIn(program, programFolders, true);
  };
  stores::RegisterArchivers(stores::ReadArchiverDescriptions(reader, lookup));
  return file;
}

}  // namespace app
