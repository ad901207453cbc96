#include "stores/make_package.h"

#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/path.h"
#include "stores/package_store.h"

namespace stores {
namespace {

// One item to put, collected under the list lock.
struct PackageItem {
  std::string relative;
  engine::Store* side = nullptr;
  std::string sidePath;
  std::uint64_t size = 0;
  platform::FileTime time = 0;
  bool withContent = false;
};

bool carriesContent(PackageTask task, int action) {
  switch (task) {
    case PackageTask::UpdateTarget: return action == engine::action::kCopyToTarget;
    case PackageTask::UpdateSource: return action == engine::action::kCopyToSource;
    case PackageTask::Synchronize: return true;
  }
  return false;
}

std::vector<PackageItem> itemsToPut(engine::SyncEngine& engine, PackageTask task) {
  std::vector<PackageItem> items;
  const std::lock_guard lock(engine.Items().Lock());
  for (const int index : engine.Order()) {
    const engine::CompareItem& item = engine.Items().at(index);
    // Marked copies, also those the side cannot give (a snapshot's file): the package lists them.
    if (item.isFolder() || (item.flags & engine::itemflag::kSelected) == 0) continue;
    // A package carries files; a deletion has nothing to carry.
    if (item.action != engine::action::kCopyToSource && item.action != engine::action::kCopyToTarget) continue;
    const engine::StorePair& pair = engine.Pairs()[static_cast<std::size_t>(item.folderItem().folder->pairIndex)];
    const bool fromTarget = item.action == engine::action::kCopyToSource;
    PackageItem put;
    put.relative = item.relativePath();
    put.side = fromTarget ? pair.target.get() : pair.source.get();
    put.sidePath = fromTarget ? item.targetPath() : item.sourcePath();
    put.size = fromTarget ? item.targetSize : item.sourceSize;
    put.time = fromTarget ? item.targetTime : item.sourceTime;
    put.withContent = carriesContent(task, item.action);
    items.push_back(std::move(put));
  }
  return items;
}

}  // namespace

PackageResult MakePackage(engine::SyncEngine& engine, const std::string& packagePath, PackageTask task,
                          const engine::StoreContext& context, bool replaceExisting) {
  PackageResult result;
  auto refuse = [&](std::string text) {
    result.failures.push_back(std::move(text));
    result.refused = true;
    return result;
  };
  if (!platform::equalNoCase(platform::extensionOf(packagePath), "pkg")) {
    return refuse(engine::TranslateFormat("${A package file ends with .pkg:} %s", {packagePath}));
  }
  PackageStore package(context);
  if (!package.Open(packagePath, {true, true, true})) return refuse(package.LastError());
  const std::string packageFile = platform::pathAsItWillBe(package.Root());
  for (const engine::StorePair& pair : engine.Pairs()) {
    for (const engine::Store* side : {pair.source.get(), pair.target.get()}) {
      if (platform::pathAsItWillBe(side->Root()) == packageFile) {
        return refuse(engine::TranslateFormat("${The package is one of the compared sides:} %s", {package.Root()}));
      }
    }
  }
  const std::vector<PackageItem> items = itemsToPut(engine, task);
  result.nothingToPut = items.empty();
  // Nothing to put and no package there: none is made.
  if (result.nothingToPut && (!replaceExisting || !platform::exists(package.Root()))) return result;
  if (!package.Attach(&engine, false)) return refuse(package.LastError());
  package.BeginBatch(0);
  // The package describes this comparison alone: what an earlier one put there goes (in the same
  // commit, so the old package stays whole until the new one is), also when nothing comes instead.
  if (replaceExisting) package.Empty();
  for (const PackageItem& item : items) {
    if (!engine.ShouldContinue()) {
      result.cancelled = true;
      break;
    }
    const std::string destination = platform::joinPath(package.Root(), item.relative);
    bool put = false;
    if (item.withContent && item.side->HasContent(item.sidePath)) {
      const engine::PutChecks checks{platform::ExpectedFile{true, item.size, item.time}, std::nullopt};
      put = package.PutFile(destination, nullptr, *item.side, item.sidePath, 0, checks);
      if (put) ++result.withContent;
    } else {
      // What the task copies the other way, or a side that holds no content (a snapshot):
      // the package describes the file without carrying it.
      put = package.NoteListOnly(destination, static_cast<std::int64_t>(item.size), item.time);
      if (put) ++result.listOnly;
    }
    if (!put) result.failures.push_back(item.relative + ": " + package.LastError());
  }
  package.EndBatch();
  const std::vector<std::string> lost = package.TakeLostWrites();
  if (!lost.empty()) {
    result.failures.push_back(package.LastError());
    result.withContent = result.listOnly = 0;
  }
  // Written: something was put (or an old package emptied), and it reached the disk.
  result.written = (result.withContent + result.listOnly > 0 || result.nothingToPut) && lost.empty() && package.Finish() &&
                   platform::exists(package.Root());
  if (!result.written && result.failures.empty()) result.failures.push_back(package.LastError());
  return result;
}

}  // namespace stores
