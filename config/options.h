#pragma once
// The whole configuration in memory, loaded from and saved to the profile in one fixed order.
#include <cstdint>
#include <string>
#include <vector>

#include "config/path_variables.h"
#include "config/profile.h"
#include "config/records.h"
#include "config/session.h"
#include "engine/settings.h"

namespace config {

namespace optflag {
inline constexpr std::uint32_t kAdvancedFilterShown = 0x00001;
inline constexpr std::uint32_t kTreeShowsSessions = 0x00004;
inline constexpr std::uint32_t kLastStartWasProject = 0x00020;
inline constexpr std::uint32_t kStoredBits = 0xFFFFF;
}  // namespace optflag

class COptions {
 public:
  COptions();

  // Loads every record, in the fixed order, keeping current values for absent keys.
  void Load(CProfile& profile);
  void Save(CProfile& profile);

  // The options the engine reads.
  [[nodiscard]] engine::EngineSettings EngineSettings() const;

  // Sessions and projects. Names compare without regard to case.
  [[nodiscard]] CSession* FindSession(const std::string& name);
  [[nodiscard]] int FindProject(const std::string& name) const;
  // Appends a session; an error text (nothing added) when its name is unusable or taken.
  [[nodiscard]] std::string AddSession(const CSession& session);
  [[nodiscard]] std::string AddProject(const CProject& project);
  // Renames a session everywhere it is listed; an error text (nothing changed) when refused.
  [[nodiscard]] std::string RenameSession(const std::string& oldName, const std::string& newName);
  [[nodiscard]] std::string RenameProject(int index, const std::string& newName);
  // The projects listing a session: their count and their names joined by ", " (at most 50
  // characters, then "...").
  struct AffectedProjects {
    int count = 0;
    std::string text;
  };
  [[nodiscard]] AffectedProjects ProjectsListing(const std::string& sessionName) const;
  // The confirmation's detail text: "${Total} %d: %s" or "${No projects affected}".
  [[nodiscard]] std::string DeleteSessionDetail(const std::string& sessionName) const;
  void DeleteSession(int index, bool updateProjects);
  void DeleteProject(int index);
  // The run list becomes the project's sessions found by name; false (nothing changed) when
  // there is no such project.
  bool SelectProjectForRun(const std::string& name);
  void SelectCurrentSessionForRun();

  // Stored.
  std::string language;
  int version = 0;
  int optionsPage = 0;
  int logState = 0;
  std::string logFile;
  int ntfsHours = 1;
  std::uint32_t flags = engine::option::kDefaultFlags;
  int maxLogSize = 0;
  int maxLogState = 0;
  int listSort = 3;
  std::string backupPath;
  int mainWindowPair = 0;
  PathVariables pathVariables;
  std::vector<NamedFilter> filters;
  int currentFilter = 0;
  bool filtersChanged = false;
  LogFont listFont;
  CSession currentSession;
  std::vector<UserTool> userTools;
  std::vector<CSession> sessions;
  std::vector<FtpServer> ftpServers;
  std::vector<FtpProxy> ftpProxies;
  std::vector<CProject> projects;
  // The user's key customization ("Shortcuts"): hex numbers, see ui/shortcut_customization.h.
  std::string shortcutText;

  // Not stored.
  int logMode = 1;
  std::string logFileOverride;
  std::string archiverDescriptionPath;
  std::string currentProjectName;
  std::vector<CSession> runList;

 private:
  void transfer(CProfile& profile, Transfer direction);
  void loadFilters(const CProfile& profile);
  void saveFilters(CProfile& profile) const;
  void addFirstRunSamples();
  [[nodiscard]] std::string checkNewName(const std::string& name, const std::string& keep, bool forSession) const;
};

// The backup folder rule: an empty or relative folder becomes the default backup folder.
[[nodiscard]] std::string EffectiveBackupPath(const std::string& chosen);

}  // namespace config
