#include "config/options.h"

#include "platform/path.h"
#include "platform/special_folders.h"

namespace config {
namespace {

constexpr std::string_view kFilters = "Filters";

template <typename Record>
void transferList(CProfile& profile, std::string_view countKey, std::string_view sectionFormat,
                  std::vector<Record>& records, Transfer direction) {
  if (direction == Transfer::Load) {
    const int count = BoundedCount(profile.GetInt(kOptionsSection, countKey, 0), [&](int k) {
      return profile.HasSection(std::string(sectionFormat) + std::to_string(k));
    });
    records.resize(static_cast<std::size_t>(count));
  } else {
    profile.SetInt(kOptionsSection, countKey, static_cast<int>(records.size()));
  }
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i].Transfer(profile, std::string(sectionFormat) + std::to_string(i + 1), direction);
  }
}

}  // namespace

std::string EffectiveBackupPath(const std::string& chosen) {
  return chosen.empty() || !platform::isAbsolutePath(chosen) ? platform::defaultBackupFolder() : chosen;
}

COptions::COptions() : backupPath(platform::defaultBackupFolder()), filters(DefaultFilters()) {
  currentSession.Todo = kSynchronize;
}

engine::EngineSettings COptions::EngineSettings() const {
  engine::EngineSettings settings;
  settings.flags = flags;
  settings.ntfsHours = ntfsHours;
  settings.backupPath = EffectiveBackupPath(backupPath);
  return settings;
}

void COptions::Load(CProfile& profile) { transfer(profile, Transfer::Load); }

void COptions::Save(CProfile& profile) { transfer(profile, Transfer::Save); }

void COptions::loadFilters(const CProfile& profile) {
  const int total = BoundedCount(profile.GetInt(kFilters, "Total", 0),
                                 [&](int k) { return profile.HasKey(kFilters, "mask_" + std::to_string(k - 1)); });
  std::vector<NamedFilter> loaded;
  for (int i = 0; i < total; ++i) {
    const std::string key = "mask_" + std::to_string(i);
    NamedFilter filter;
    filter.name = profile.GetText(kFilters, std::to_string(i), "");
    filter.masks = profile.GetText(kFilters, key, "");
    filter.secondText = profile.GetText(kFilters, key.substr(1), "");
    filter.number = profile.GetInt(kFilters, key.substr(2), 1);
    loaded.push_back(std::move(filter));
  }
  filters = loaded.empty() ? DefaultFilters() : std::move(loaded);
  currentFilter = profile.GetInt(kFilters, "Cur", 0);
  if (currentFilter < 0 || currentFilter >= static_cast<int>(filters.size())) currentFilter = 0;
  filtersChanged = false;
}

void COptions::saveFilters(CProfile& profile) const {
  if (!filtersChanged) return;
  profile.SetInt(kFilters, "Total", static_cast<int>(filters.size()));
  profile.SetInt(kFilters, "Cur", currentFilter);
  for (std::size_t i = 0; i < filters.size(); ++i) {
    const std::string key = "mask_" + std::to_string(i);
    profile.SetText(kFilters, std::to_string(i), filters[i].name);
    profile.SetText(kFilters, key, filters[i].masks);
    profile.SetText(kFilters, key.substr(1), filters[i].secondText);
    profile.SetInt(kFilters, key.substr(2), filters[i].number);
  }
}

void COptions::addFirstRunSamples() {
  const std::string documents = platform::documentsFolder();
  const std::string home = platform::homeFolder();
  CSession docs;
  docs.Name = "My Docs";
  docs.Src = documents;
  docs.Dst = documents + ".back";
  docs.Todo = kBackup;
  CSession mail;
  mail.Name = "Outlook Backup";
  mail.Src = platform::joinPath(home, "Mail");
  mail.Dst = platform::joinPath(home, "outlook.zip");
  mail.Todo = kBackup;
  sessions.push_back(std::move(docs));
  sessions.push_back(std::move(mail));
}

void COptions::transfer(CProfile& profile, Transfer direction) {
  const bool load = direction == Transfer::Load;
  const std::string_view options = kOptionsSection;
  TransferText(profile, options, "_Lng", language, direction);
  version = load ? 0 : 1;
  TransferInt(profile, options, "Version", version, direction);
  const bool hadVersion = version != 0;
  TransferInt(profile, options, "OptPage", optionsPage, direction);
  TransferInt(profile, options, "LogState", logState, direction);
  TransferText(profile, options, "LogFile", logFile, direction);
  TransferInt(profile, options, "NTFSHours", ntfsHours, direction);
  if (load && (ntfsHours < 0 || ntfsHours > 24)) ntfsHours = 1;
  TransferUnsigned(profile, options, "Flags", flags, direction);
  TransferInt(profile, options, "MaxLogSize", maxLogSize, direction);
  TransferInt(profile, options, "MaxLogState", maxLogState, direction);
  TransferInt(profile, options, "ListSort", listSort, direction);
  if (load && (listSort < 0 || listSort > 3)) listSort = 3;
  TransferText(profile, options, "BackupPath", backupPath, direction);
  if (load) backupPath = EffectiveBackupPath(backupPath);
  TransferInt(profile, options, "MainWndXY", mainWindowPair, direction);

  if (load) {
    pathVariables.Load(profile);
    loadFilters(profile);
    flags &= optflag::kStoredBits;
  } else {
    saveFilters(profile);
    pathVariables.Save(profile);
  }

  if (!TransferFont(profile, "ListFont", listFont, direction) && load) listFont = LogFont{};

  currentSession.Transfer(profile, "", direction);
  transferList(profile, "UserTools", "UserTool", userTools, direction);
  transferList(profile, "Sessions", "Session", sessions, direction);
  transferList(profile, "FTPList", "FTPServer", ftpServers, direction);
  transferList(profile, "FTPProxies", "FTPProxy", ftpProxies, direction);

  if (load && !hadVersion && sessions.empty()) addFirstRunSamples();

  int projectCount = static_cast<int>(projects.size());
  if (load) {
    projectCount = BoundedCount(profile.GetInt(options, "Projects", 0),
                                [&](int k) { return profile.HasKey(options, "Project" + std::to_string(k)); });
    projects.assign(static_cast<std::size_t>(projectCount), CProject{});
  } else {
    profile.SetInt(options, "Projects", projectCount);
  }
  for (int k = 1; k <= projectCount; ++k) {
    CProject& project = projects[static_cast<std::size_t>(k - 1)];
    std::string text = load ? std::string() : project.ToText();
    TransferText(profile, options, "Project" + std::to_string(k), text, direction);
    if (load) project.Parse(text);
  }
  TransferText(profile, options, "Shortcuts", shortcutText, direction);
}

}  // namespace config
