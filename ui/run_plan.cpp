#include "ui/run_plan.h"

#include <mutex>
#include <unordered_map>

namespace ui {
namespace {

using engine::CompareItem;
namespace action = engine::action;
namespace presence = engine::presence;

bool inCollapsedFolder(const CompareItem& item) {
  return !item.isFolder() && item.parent != nullptr && (item.parent->flags & engine::itemflag::kCollapsed) != 0;
}

bool collapsedFolder(const CompareItem& item) {
  return item.isFolder() && !item.isFolderRow() && (item.flags & engine::itemflag::kCollapsed) != 0;
}

template <typename Visit>
void forEachPlannedFile(engine::CompareEngine& engine, Visit visit) {
  const RunRules rules = RunRulesOf(engine.Settings());
  const std::lock_guard lock(engine.Items().Lock());
  const auto& pairs = engine.Pairs();
  for (const int index : engine.Order()) {
    const CompareItem& item = engine.Items().at(index);
    if (!item.isFolder() && WillRun(item, rules, pairs)) visit(item);
  }
}

}  // namespace

RunRules RunRulesOf(const engine::EngineSettings& settings) {
  return {settings.has(engine::option::kSyncCollapsedFolders), settings.has(engine::option::kHandleEmptyFolders)};
}

bool WritesIntoSource(int act, int where) {
  return act == action::kCopyToSource || (act == action::kDelete && where != presence::kTarget);
}

bool PairAllows(const CompareItem& item, int act, const std::vector<engine::StorePair>& pairs) {
  const auto pair = static_cast<std::size_t>(item.folderItem().folder->pairIndex);
  const bool oneWay = pair < pairs.size() && pairs[pair].oneWay;
  return !oneWay || !WritesIntoSource(act, item.presence);
}

bool Executes(const CompareItem& item, const RunRules& rules, const std::vector<engine::StorePair>& pairs) {
  if (item.isFolder() && !item.isFolderRow()) return false;
  if (item.isFolderRow() && !rules.handleEmptyFolders) return false;
  return engine::IsSelected(item) && PairAllows(item, item.action, pairs);
}

bool WillRun(const CompareItem& item, const RunRules& rules, const std::vector<engine::StorePair>& pairs) {
  return Executes(item, rules, pairs) && (!inCollapsedFolder(item) || rules.syncCollapsedFolders);
}

std::vector<int> PlannedItems(engine::CompareEngine& engine, const std::vector<int>& indexes) {
  const RunRules rules = RunRulesOf(engine.Settings());
  const std::lock_guard lock(engine.Items().Lock());
  const auto& pairs = engine.Pairs();
  // The files a collapsed folder stands for, found in one pass over the list.
  std::unordered_map<const CompareItem*, std::vector<int>> collapsedFiles;
  if (rules.syncCollapsedFolders) {
    for (const int index : engine.Order()) {
      const CompareItem& file = engine.Items().at(index);
      if (inCollapsedFolder(file) && Executes(file, rules, pairs)) collapsedFiles[file.parent].push_back(index);
    }
  }
  const std::vector<int>& visited = indexes.empty() ? engine.Order() : indexes;
  std::vector<int> planned;
  for (const int index : visited) {
    const CompareItem& item = engine.Items().at(index);
    if (collapsedFolder(item) && rules.syncCollapsedFolders) {
      const auto found = collapsedFiles.find(&item);
      if (found != collapsedFiles.end()) planned.insert(planned.end(), found->second.begin(), found->second.end());
    } else if (!inCollapsedFolder(item) && Executes(item, rules, pairs)) {
      planned.push_back(index);
    }
  }
  return planned;
}

std::vector<PlannedFile> NewFiles(engine::CompareEngine& engine) {
  std::vector<PlannedFile> files;
  forEachPlannedFile(engine, [&](const CompareItem& item) {
    if (item.action == action::kDelete) return;
    const bool toSource = item.action == action::kCopyToSource;
    files.push_back({item.parent->folder->pairIndex, !toSource, toSource ? item.targetPath() : item.sourcePath()});
  });
  return files;
}

std::vector<PlannedFile> BackupFiles(engine::CompareEngine& engine) {
  std::vector<PlannedFile> files;
  forEachPlannedFile(engine, [&](const CompareItem& item) {
    const int pair = item.parent->folder->pairIndex;
    if (item.action == action::kDelete) {
      if (item.presence != presence::kTarget) files.push_back({pair, true, item.sourcePath()});
      if (item.presence != presence::kSource) files.push_back({pair, false, item.targetPath()});
    } else if (item.presence == presence::kBoth) {
      const bool toSource = item.action == action::kCopyToSource;
      files.push_back({pair, toSource, toSource ? item.sourcePath() : item.targetPath()});
    }
  });
  return files;
}

}  // namespace ui
