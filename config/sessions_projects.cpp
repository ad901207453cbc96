// The rules that keep sessions and projects consistent, and the run list built from them.
#include <algorithm>

#include "config/options.h"
#include "engine/text.h"
#include "platform/case_fold.h"

namespace config {

CSession* COptions::FindSession(const std::string& name) {
  for (CSession& session : sessions) {
    if (platform::equalNoCase(session.Name, name)) return &session;
  }
  return nullptr;
}

int COptions::FindProject(const std::string& name) const {
  for (std::size_t i = 0; i < projects.size(); ++i) {
    if (platform::equalNoCase(projects[i].Name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string COptions::checkNewName(const std::string& name, const std::string& keep, bool forSession) const {
  const std::string problem = CheckRecordName(name);
  if (!problem.empty()) return engine::Translate(problem) + ": \"" + name + "\"";
  if (!keep.empty() && platform::equalNoCase(name, keep)) return {};
  const bool taken = forSession ? std::any_of(sessions.begin(), sessions.end(),
                                              [&](const CSession& s) { return platform::equalNoCase(s.Name, name); })
                                : FindProject(name) >= 0;
  if (taken) return engine::TranslateFormat("${This name is already taken:} %s", {name});
  return {};
}

std::string COptions::AddSession(const CSession& session) {
  std::string problem = checkNewName(session.Name, "", true);
  if (problem.empty()) sessions.push_back(session);
  return problem;
}

std::string COptions::AddProject(const CProject& project) {
  std::string problem = checkNewName(project.Name, "", false);
  if (problem.empty()) projects.push_back(project);
  return problem;
}

std::string COptions::RenameSession(const std::string& oldName, const std::string& newName) {
  CSession* session = FindSession(oldName);
  if (session == nullptr) return engine::TranslateFormat("${Could not find Project or Session by this name!}\n%s", {oldName});
  std::string problem = checkNewName(newName, oldName, true);
  if (!problem.empty()) return problem;
  session->Name = newName;
  for (CProject& project : projects) {
    for (std::string& listed : project.Sessions) {
      if (platform::equalNoCase(listed, oldName)) listed = newName;
    }
  }
  return {};
}

std::string COptions::RenameProject(int index, const std::string& newName) {
  if (index < 0 || index >= static_cast<int>(projects.size())) return "${No projects}";
  CProject& project = projects[static_cast<std::size_t>(index)];
  std::string problem = checkNewName(newName, project.Name, false);
  if (problem.empty()) project.Name = newName;
  return problem;
}

COptions::AffectedProjects COptions::ProjectsListing(const std::string& sessionName) const {
  AffectedProjects affected;
  for (const CProject& project : projects) {
    const bool lists = std::any_of(project.Sessions.begin(), project.Sessions.end(),
                                   [&](const std::string& s) { return platform::equalNoCase(s, sessionName); });
    if (!lists) continue;
    ++affected.count;
    if (affected.text.size() < 51) affected.text += (affected.text.empty() ? "" : ", ") + project.Name;
  }
  if (affected.text.size() >= 51) affected.text = affected.text.substr(0, 50) + "...";
  return affected;
}

std::string COptions::DeleteSessionDetail(const std::string& sessionName) const {
  const AffectedProjects affected = ProjectsListing(sessionName);
  if (affected.count == 0) return engine::Translate("${No projects affected}");
  return engine::TranslateFormat("${Total} %d: %s", {std::to_string(affected.count), affected.text});
}

void COptions::DeleteSession(int index, bool updateProjects) {
  if (index < 0 || index >= static_cast<int>(sessions.size())) return;
  const std::string name = sessions[static_cast<std::size_t>(index)].Name;
  sessions.erase(sessions.begin() + index);
  if (!updateProjects) return;
  for (CProject& project : projects) {
    std::erase_if(project.Sessions, [&](const std::string& s) { return platform::equalNoCase(s, name); });
  }
}

void COptions::DeleteProject(int index) {
  if (index >= 0 && index < static_cast<int>(projects.size())) projects.erase(projects.begin() + index);
}

bool COptions::SelectProjectForRun(const std::string& name) {
  const int index = FindProject(name);
  if (index < 0) return false;
  const CProject& project = projects[static_cast<std::size_t>(index)];
  currentProjectName = project.Name;
  runList.clear();
  for (const std::string& sessionName : project.Sessions) {
    if (const CSession* session = FindSession(sessionName)) {
      CSession copy;
      copy.CopyFrom(*session);
      runList.push_back(std::move(copy));
    }
  }
  return true;
}

void COptions::SelectCurrentSessionForRun() {
  CSession copy;
  copy.CopyFrom(currentSession);
  runList.assign(1, std::move(copy));
}

}  // namespace config
