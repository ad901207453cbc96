#include "engine/syncrun.h"

#include <algorithm>
#include <unordered_set>

#include "engine/history_file.h"
#include "engine/local_store.h"
#include "engine/text.h"
#include "platform/drive_type.h"
#include "platform/interrupt.h"
#include "platform/path.h"

namespace engine {
namespace {

std::uint64_t bytesReadFor(const CompareItem& item) {
  if (item.action == action::kCopyToSource) return item.targetSize;
  if (item.action == action::kDelete) return std::max(item.sourceSize, item.targetSize);
  return item.sourceSize;
}

}  // namespace

SyncEngine::SyncEngine(EngineSettings settings, StoreContext context, RunObserver& observer)
    : CompareEngine(std::move(settings), std::move(context)), observer_(observer) {}

SyncEngine::~SyncEngine() { Wait(); }

void SyncEngine::Wait() {
  if (worker_.joinable()) worker_.join();
}

void SyncEngine::startWorker(std::function<void()> body, bool wait) {
  Wait();
  worker_ = std::jthread([this, body = std::move(body)] {
    body();
    observer_.WorkerEnded();
  });
  if (wait) Wait();
}

bool SyncEngine::StartCompare(std::vector<SessionSpec> sessions, bool wait) {
  lastOk_ = true;
  startWorker(
      [this, sessions = std::move(sessions)] {
        // The stores of the previous comparison write back before the new one starts.
        if (!finishStores()) lastOk_ = false;
        Reset();
        cancelled_ = false;
        for (const SessionSpec& session : sessions) {
          if (!RunComparison(session, observer_)) {
            lastOk_ = false;
            break;
          }
        }
      },
      wait);
  return lastOk_;
}

void SyncEngine::StartSynchronize(std::vector<int> items, bool wait) {
  startWorker([this, items = std::move(items)] { RunSynchronization(items); }, wait);
}

bool SyncEngine::finishStores() {
  bool ok = true;
  for (StorePair& pair : Pairs()) {
    for (Store* store : {pair.source.get(), pair.target.get()}) {
      if (store != nullptr && !store->Finish()) {
        ok = false;
        observer_.FinishFailed(store->LastError());
      }
    }
  }
  return ok;
}

bool SyncEngine::StartFinish(bool wait) {
  lastOk_ = true;
  startWorker([this] { lastOk_ = finishStores(); }, wait);
  return lastOk_;
}

bool SyncEngine::StartHistory(std::string folder, bool recursive, bool wait) {
  lastOk_ = true;
  startWorker(
      [this, folder = std::move(folder), recursive] {
        LocalStore store(StoreContext{&Settings(), nullptr, {}});
        if (!store.Open(folder, {true, false, false})) {
          lastOk_ = false;
          observer_.Problem(store.LastError());
          return;
        }
        HistorySaveReport report;
        lastOk_ = MakeHistoryFiles(store, store, store.Root(), recursive,
                                   [this](const std::string& text) { observer_.StatusText(text); }, &report);
        for (const std::string& failed : report.failedFolders) observer_.Problem(failed);
        observer_.RunFinished(RunTotals{});
      },
      wait);
  return lastOk_;
}

bool SyncEngine::ShouldContinue() {
  if (platform::interruptRequested()) cancelled_ = true;
  return !cancelled_;
}

void SyncEngine::ResetConfirmations() {
  cancelled_ = false;
  yesToAll_.clear();
  noToAll_ = 0;
  if (Settings().has(option::kNoConfirmations)) yesToAll_.push_back({confirm::kKinds, confirm::kDirections});
  foldersToRemove_.clear();
}

bool SyncEngine::Confirm(const std::string& path, std::uint32_t kind, const std::string& secondPath) {
  // A remembered yes answers requests of its own kind only, so agreeing to overwrites never
  // agrees to deletions; a remembered no answers every request it shares a bit with.
  for (const Remembered& yes : yesToAll_) {
    if ((yes.kinds & kind & confirm::kKinds) != 0 && (yes.directions & kind & confirm::kDirections) != 0) return true;
  }
  if ((noToAll_ & kind) != 0) return false;
  const int answer = observer_.Confirm({path, secondPath, kind});
  const auto bits = static_cast<std::uint32_t>(answer);
  if (answer > 0 && (bits & kind) == kind) {
    yesToAll_.push_back({bits & confirm::kKinds, bits & confirm::kDirections});
    return true;
  }
  switch (answer) {
    case confirm::kSkipThisAction: noToAll_ |= kind; return false;
    case confirm::kSkipAll: noToAll_ |= kind | confirm::kDirections; return false;
    case confirm::kCancel: cancelled_ = true; return false;
    case confirm::kSkipOnce: return false;
    default: return true;
  }
}

void SyncEngine::ProgressFile(const std::string& text, std::uint64_t size, int kind, int) {
  fileSize_ = size;
  observer_.ProgressFile(text, size, kind);
}

void SyncEngine::ProgressBytes(std::uint64_t done) { observer_.ProgressBytes(done, runDone_ + done); }

SyncEngine::ItemView SyncEngine::view(int index) {
  const std::lock_guard lock(Items().Lock());
  const CompareItem& item = Items().at(index);
  ItemView v;
  v.name = item.name;
  v.sourcePath = item.sourcePath();
  v.targetPath = item.targetPath();
  v.sourceSize = item.sourceSize;
  v.targetSize = item.targetSize;
  v.sourceTime = item.sourceTime;
  v.targetTime = item.targetTime;
  v.action = item.action;
  v.presence = item.presence;
  v.pairIndex = item.folderItem().folder->pairIndex;
  v.folderRow = item.isFolderRow();
  return v;
}

bool SyncEngine::inCollapsedFolder(const CompareItem& item) const {
  return !item.isFolder() && item.parent != nullptr && (item.parent->flags & itemflag::kCollapsed) != 0;
}

void SyncEngine::RunSynchronization(const std::vector<int>& requested) {
  ResetConfirmations();
  totals_ = {};
  runDone_ = 0;
  listedWrites_.clear();
  foldersThere_.clear();
  std::vector<int> indexes = requested.empty() ? Order() : requested;
  for (StorePair& pair : Pairs()) {
    for (Store* store : {pair.source.get(), pair.target.get()}) {
      store->SetProgressSink(this);
      store->BeginBatch(0);
    }
  }
  const bool syncCollapsed = Settings().has(option::kSyncCollapsedFolders);
  {
    const std::lock_guard lock(Items().Lock());
    runTotal_ = 0;
    for (const int index : indexes) {
      const CompareItem& item = Items().at(index);
      if (!item.isFolder() && IsSelected(item) && (!inCollapsedFolder(item) || syncCollapsed)) {
        runTotal_ += bytesReadFor(item);
      }
    }
  }
  observer_.ProgressTotal(runTotal_);
  const std::unique_ptr<CopyPool> pool = makeCopyPool();
  inFlight_.clear();

  for (const int index : indexes) {
    if (!ShouldContinue()) break;
    bool selected = false;
    bool collapsedFolder = false;
    bool skipAsCollapsed = false;
    {
      const std::lock_guard lock(Items().Lock());
      const CompareItem& item = Items().at(index);
      collapsedFolder = item.isFolder() && !item.isFolderRow() && (item.flags & itemflag::kCollapsed) != 0;
      skipAsCollapsed = inCollapsedFolder(item);
      selected = IsSelected(item);
    }
    if (collapsedFolder && syncCollapsed) {
      DoFolder(index);
      continue;
    }
    if (!selected || skipAsCollapsed) continue;
    if (pool && copyInPool(index, *pool)) continue;
    // Everything else runs here, after the copies before it have ended and been reported.
    if (pool) reportPooled(*pool, true);
    observer_.ItemStarting(Items().at(index));
    if (DoItem(index)) observer_.ItemDone(Items().at(index));
  }
  if (pool) reportPooled(*pool, true);
  removeEmptyFolders();
  observer_.EndOfItems();
  for (StorePair& pair : Pairs()) {
    pair.source->EndBatch();
    pair.target->EndBatch();
  }
  undoLostWrites();
  if (Settings().has(option::kUseHistory)) recordHistory();
  // Leftovers of killed runs are removed only where this run wrote: a side it only read (the
  // source of a one-way run above all) stays as it is.
  for (StorePair& pair : Pairs()) {
    for (Store* store : {pair.source.get(), pair.target.get()}) {
      auto* local = dynamic_cast<LocalStore*>(store);
      if (local != nullptr && foldersThere_.count(store) > 0) local->RemoveLeftovers();
    }
  }
  totals_.cancelled = cancelled_;
  observer_.RunFinished(totals_);
  cancelled_ = false;
}

bool SyncEngine::makeFolder(Store& to, const std::string& folder, Store& from) {
  // The folders that are missing, from the top: each is made with the permissions of its
  // counterpart in the store copied from (a private folder stays private).
  const std::string toRoot = platform::withTrailingSeparator(to.Root());
  if (!folder.starts_with(toRoot)) return to.CreateFolder(folder);
  std::vector<std::string> missing;
  for (std::string level = folder; level.size() > toRoot.size() && !to.Exists(level); level = platform::parentOf(level)) {
    missing.push_back(level);
  }
  if (missing.empty() && !to.Exists(to.Root()) && !to.CreateFolder(to.Root())) return false;
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    if (!to.CreateFolder(*level)) return false;
    const std::string counterpart = platform::joinPath(from.Root(), level->substr(toRoot.size()));
    if (from.GetFileInfo(counterpart) && from.CurrentEntry().isFolder() && from.CurrentEntry().unixMode != 0) {
      (void)to.SetUnixMode(*level, platform::modeForCopy(from.CurrentEntry().unixMode));
    }
  }
  return true;
}

std::unique_ptr<CopyPool> SyncEngine::makeCopyPool() {
  // Copies run beside each other where a store takes copy jobs (each job then says whether it
  // can read its source that way); threads by cores and disks.
  bool jobs = false;
  bool sameDisk = false;
  for (StorePair& pair : Pairs()) {
    jobs = jobs || pair.source->TakesCopyJobs() || pair.target->TakesCopyJobs();
    sameDisk = sameDisk || platform::sameDisk(pair.source->Root(), pair.target->Root());
  }
  const unsigned threads = Settings().copyThreads != 0 ? Settings().copyThreads
                                                       : CopyThreadsFor(std::thread::hardware_concurrency(), sameDisk);
  if (!jobs || threads <= 1) return nullptr;
  return std::make_unique<CopyPool>(threads);
}

void SyncEngine::DoFolder(int folderIndex) {
  std::vector<int> inside;
  {
    const std::lock_guard lock(Items().Lock());
    const CompareItem* folder = &Items().at(folderIndex);
    for (const int index : Order()) {
      const CompareItem& item = Items().at(index);
      // Folder rows below it are carried out through their own indexes.
      if (!item.isFolder() && item.parent == folder && IsSelected(item)) inside.push_back(index);
    }
  }
  for (const int index : inside) {
    if (!ShouldContinue()) return;
    observer_.ItemStarting(Items().at(index));
    if (DoItem(index)) observer_.ItemDone(Items().at(index));
  }
}

void SyncEngine::reportError(int index, const std::string& path, const std::string& reason) {
  ++totals_.failed;
  observer_.ItemFailed(Items().at(index), path, reason);
}

void SyncEngine::reportFailure(int index, const std::string& path, const std::string& reason) {
  // A copy stopped by Cancel did not fail: it is left planned, as every item after it.
  if (!ShouldContinue()) return;
  reportError(index, path, reason);
}

void SyncEngine::markDone(int index, int newPresence) {
  const std::lock_guard lock(Items().Lock());
  CompareItem& item = Items().at(index);
  if (!item.isFolder() && item.action != action::kDelete && newPresence == presence::kBoth) {
    // The copy is now on both sides, equal to the side it came from.
    if (item.action == action::kCopyToSource) {
      item.sourceSize = item.targetSize;
      item.sourceTime = item.targetTime;
    } else {
      item.targetSize = item.sourceSize;
      item.targetTime = item.sourceTime;
    }
    // The copy made the folders it lies in where they were missing: they are on both sides now.
    for (CompareItem* folder = item.parent; folder != nullptr && folder->presence != presence::kBoth; folder = folder->parent) {
      if (folder->action != action::kDelete) folder->presence = presence::kBoth;
    }
  }
  item.presence = newPresence;
  item.action = action::kNone;
  item.flags = static_cast<std::uint16_t>(item.flags & ~itemflag::kSelected);
}

bool SyncEngine::unchangedSinceComparison(int index, Store& store, const std::string& path, bool present,
                                          std::uint64_t size, FileTime time) {
  const bool there = store.GetFileInfo(path);
  if (there == present && (!there || (store.CurrentEntry().size == size && store.CurrentEntry().lastWriteTime == time))) {
    return true;
  }
  reportError(index, path, Translate("${changed since comparison}"));
  return false;
}

bool SyncEngine::DoItem(int index) {
  bool folderRow = false;
  {
    const std::lock_guard lock(Items().Lock());
    folderRow = Items().at(index).isFolderRow();
  }
  if (folderRow) return Settings().has(option::kHandleEmptyFolders) && DoFolderItem(index);
  const ItemView item = view(index);
  if (item.pairIndex < 0 || item.pairIndex >= static_cast<int>(Pairs().size())) return false;
  StorePair& pair = Pairs()[static_cast<std::size_t>(item.pairIndex)];
  if (refusesSourceWrite(index, item, pair)) return false;
  return item.action == action::kDelete ? deleteItem(index, item, pair) : copyItem(index, item, pair);
}

bool SyncEngine::refusesSourceWrite(int index, const ItemView& item, const StorePair& pair) {
  const bool writesSource = item.action == action::kCopyToSource ||
                            (item.action == action::kDelete && item.presence != presence::kTarget);
  if (!pair.oneWay || !writesSource) return false;
  reportError(index, item.sourcePath, Translate("${a one-way session never changes its source}"));
  return true;
}

bool SyncEngine::deleteItem(int index, const ItemView& item, StorePair& pair) {
  const bool inSource = item.presence == presence::kSource || item.presence == presence::kBoth;
  const bool inTarget = item.presence == presence::kTarget || item.presence == presence::kBoth;
  // A file that changed since the comparison is never deleted unseen.
  if (inSource && !unchangedSinceComparison(index, *pair.source, item.sourcePath, true, item.sourceSize, item.sourceTime)) {
    return false;
  }
  if (inTarget && !unchangedSinceComparison(index, *pair.target, item.targetPath, true, item.targetSize, item.targetTime)) {
    return false;
  }
  int remaining = item.presence;
  if (inSource) {
    if (!DeleteItemFile(index, *pair.source, item.sourcePath, true)) return false;
    rememberListedWrite(index, *pair.source, item.sourcePath);
    remaining = inTarget ? presence::kTarget : 0;
  }
  if (inTarget && ShouldContinue()) {
    if (!DeleteItemFile(index, *pair.target, item.targetPath, false)) {
      const std::lock_guard lock(Items().Lock());
      Items().at(index).presence = remaining;
      return false;
    }
    rememberListedWrite(index, *pair.target, item.targetPath);
    remaining = 0;
  }
  if (remaining != 0) return false;
  runDone_ += std::max(item.sourceSize, item.targetSize);
  markDone(index, 0);
  return true;
}

bool SyncEngine::DeleteItemFile(int index, Store& store, const std::string& path, bool isSource) {
  const std::uint32_t attributes = store.GetAttributes(path);
  if (attributes == platform::attr::kInvalid) return true;
  const std::uint32_t direction = isSource ? confirm::kToTargetSide : confirm::kToSourceSide;
  if (!Confirm(path, confirm::kDelete | direction, "")) {
    ++totals_.skipped;
    return false;
  }
  if ((attributes & platform::attr::kReadOnly) != 0) {
    if (!Confirm(path, confirm::kDeleteReadOnly | direction, "")) {
      ++totals_.skipped;
      return false;
    }
    (void)store.SetAttributes(path, platform::attr::kNormal);
  }
  if (Settings().has(option::kMakeBackup) && !store.BackupFile(path)) {
    reportError(index, path, store.LastError());
    return false;
  }
  const ItemView item = view(index);
  ProgressFile(TranslateFormat("${Deleting: %s}", {item.name}), std::max(item.sourceSize, item.targetSize), 2, 0);
  if (!store.DeleteFile(path)) {
    reportError(index, path, store.LastError());
    return false;
  }
  ++totals_.deleted;
  return true;
}

bool SyncEngine::prepareCopy(int index, const ItemView& item, StorePair& pair, PreparedCopy& copy, std::string* deferred) {
  const bool toSource = item.action == action::kCopyToSource;
  copy.index = index;
  copy.toSource = toSource;
  copy.from = toSource ? pair.target.get() : pair.source.get();
  copy.to = toSource ? pair.source.get() : pair.target.get();
  copy.fromPath = toSource ? item.targetPath : item.sourcePath;
  copy.toPath = toSource ? item.sourcePath : item.targetPath;
  copy.size = toSource ? item.targetSize : item.sourceSize;
  Store& to = *copy.to;
  const std::uint32_t direction = toSource ? confirm::kToSourceSide : confirm::kToTargetSide;
  const bool destinationExists = item.presence == presence::kBoth;

  if (destinationExists) {
    // Nothing is asked about, unlocked or backed up for a file that changed since the comparison.
    if (!unchangedSinceComparison(index, to, copy.toPath, true, toSource ? item.sourceSize : item.targetSize,
                                  toSource ? item.sourceTime : item.targetTime)) {
      return false;
    }
    const std::uint32_t attributes = to.CurrentEntry().attributes;
    if (!Confirm(copy.toPath, confirm::kOverwrite | direction, copy.fromPath)) {
      ++totals_.skipped;
      return false;
    }
    if ((attributes & platform::attr::kReadOnly) != 0) {
      if (!Confirm(copy.toPath, confirm::kOverwriteReadOnly | direction, copy.fromPath)) {
        ++totals_.skipped;
        return false;
      }
      (void)to.SetAttributes(copy.toPath, platform::attr::kNormal);
    }
  }
  const std::string folder = platform::parentOf(copy.toPath);
  // List-based stores have no folders of their own: a file's folder comes with it. Files come
  // folder by folder: a folder known to be there is not looked at again for each of its files.
  std::string& known = foldersThere_[&to];
  if (!to.IsListBased() && known != folder) {
    if (!to.Exists(folder) && !makeFolder(to, folder, *copy.from)) {
      if (deferred != nullptr) {
        *deferred = to.LastError();
      } else {
        reportError(index, folder, to.LastError());
      }
      return false;
    }
    known = folder;
  }
  // Nothing is overwritten without its backup.
  if (destinationExists && Settings().has(option::kMakeBackup) && !to.BackupFile(copy.toPath)) {
    reportError(index, copy.toPath, to.LastError());
    return false;
  }
  // Source and destination are still what the comparison saw, or nothing is written: the store
  // checks them at the last moment.
  copy.checks = PutChecks{ExpectedFile{true, copy.size, toSource ? item.targetTime : item.sourceTime},
                          ExpectedFile{destinationExists, toSource ? item.sourceSize : item.targetSize,
                                       toSource ? item.sourceTime : item.targetTime}};
  return true;
}

void SyncEngine::finishCopy(const PreparedCopy& copy) {
  Store& to = *copy.to;
  if (Settings().has(option::kClearReadOnlyFromCd) && copy.from->IsReadOnlyMedium()) {
    const std::uint32_t attributes = to.GetAttributes(copy.toPath);
    if (attributes != platform::attr::kInvalid && (attributes & platform::attr::kReadOnly) != 0) {
      (void)to.SetAttributes(copy.toPath, attributes & ~platform::attr::kReadOnly);
    }
  }
  runDone_ += copy.size;
  // A listing (a snapshot) records the file without taking its bytes.
  const std::uint64_t moved = to.HasContent(copy.toPath) ? copy.size : 0;
  totals_.bytes += moved;
  for (auto write = listedWrites_.rbegin(); write != listedWrites_.rend(); ++write) {
    if (write->index != copy.index) continue;
    write->bytes = moved;
    break;
  }
  ++(copy.toSource ? totals_.copiedToSource : totals_.copiedToTarget);
  markDone(copy.index, presence::kBoth);
}

bool SyncEngine::copyItem(int index, const ItemView& item, StorePair& pair) {
  PreparedCopy copy;
  if (!prepareCopy(index, item, pair, copy)) return false;
  rememberListedWrite(index, *copy.to, copy.toPath);
  if (!copy.to->PutFile(copy.toPath, &Items().at(index), *copy.from, copy.fromPath, 0, copy.checks)) {
    if (!listedWrites_.empty() && listedWrites_.back().index == index) listedWrites_.pop_back();
    reportFailure(index, copy.toPath, copy.to->LastError());
    return false;
  }
  finishCopy(copy);
  return true;
}

bool SyncEngine::copyInPool(int index, CopyPool& pool) {
  const ItemView item = view(index);
  // New files, not large ones (those are copied one at a time, with their bytes shown as they
  // go), where the stores take copy jobs. Anything that asks, backs up or refuses runs on the
  // run's thread.
  constexpr std::uint64_t kLargeFile = 8 << 20;
  const bool copy = item.action == action::kCopyToTarget || item.action == action::kCopyToSource || item.action == action::kConflict;
  const std::uint64_t size = item.action == action::kCopyToSource ? item.targetSize : item.sourceSize;
  if (!copy || item.folderRow || item.presence == presence::kBoth || size >= kLargeFile || item.pairIndex < 0 ||
      item.pairIndex >= static_cast<int>(Pairs().size())) {
    return false;
  }
  StorePair& pair = Pairs()[static_cast<std::size_t>(item.pairIndex)];
  const bool toSource = item.action == action::kCopyToSource;
  if (toSource && pair.oneWay) return false;
  PreparedCopy prepared;
  std::string failure;
  if (!prepareCopy(index, item, pair, prepared, &failure)) {
    inFlight_.push_back({prepared, false, failure});
    reportPooled(pool, false);
    return true;
  }
  CopyPool::Job job = prepared.to->CopyJob(prepared.toPath, *prepared.from, prepared.fromPath, prepared.checks, cancelled_);
  if (!job) return false;
  pool.Submit(std::move(job));
  inFlight_.push_back({prepared, true, {}});
  reportPooled(pool, false);
  return true;
}

void SyncEngine::reportPooled(CopyPool& pool, bool all) {
  // A full pipeline is drained by half at a time, so the run sleeps once for many copies.
  if (!all && inFlight_.size() >= kMaxInFlight) pool.WaitForOldest(kMaxInFlight / 2);
  while (!inFlight_.empty()) {
    const InFlight& front = inFlight_.front();
    CopyPool::Outcome outcome;
    if (front.submitted) {
      const auto taken = pool.TakeOldest(all);
      if (!taken) return;
      outcome = *taken;
    }
    const PreparedCopy copy = front.copy;
    if (!front.submitted) outcome.error = front.failure;
    inFlight_.pop_front();
    // Reported in the order of the plan, whatever order the copies ended in.
    observer_.ItemStarting(Items().at(copy.index));
    // An archive's write can still be lost when its batch ends: remembered as on the run's thread.
    if (outcome.ok) rememberListedWrite(copy.index, *copy.to, copy.toPath);
    if (outcome.ok && copy.to->FinishCopyJob(copy.toPath)) {
      observer_.ProgressFile(platform::fileNameOf(copy.toPath), copy.size, 1);
      finishCopy(copy);
      observer_.ProgressBytes(copy.size, runDone_);
      observer_.ItemDone(Items().at(copy.index));
    } else {
      if (outcome.ok && !listedWrites_.empty() && listedWrites_.back().index == copy.index) listedWrites_.pop_back();
      const std::string reason = outcome.ok ? copy.to->LastError() : outcome.error;
      reportFailure(copy.index, copy.toPath, reason);
    }
  }
}

bool SyncEngine::DoFolderItem(int index) {
  const ItemView item = view(index);
  StorePair& pair = Pairs()[static_cast<std::size_t>(item.pairIndex)];
  if (refusesSourceWrite(index, item, pair)) return false;
  if (item.action == action::kDelete) {
    // Removed at the end of the run, deepest first, and only when nothing but empty folders is in
    // it; it is reported done then.
    foldersToRemove_.push_back(index);
    return false;
  }
  const bool toSource = item.action == action::kCopyToSource;
  Store& to = toSource ? *pair.source : *pair.target;
  Store& from = toSource ? *pair.target : *pair.source;
  const std::string& folder = toSource ? item.sourcePath : item.targetPath;
  if (!to.Exists(folder)) {
    if (!makeFolder(to, folder, from)) {
      reportError(index, folder, to.LastError());
      return false;
    }
    ++totals_.foldersMade;
    if (Settings().has(option::kClearReadOnlyFromCd) && from.IsReadOnlyMedium()) {
      (void)to.SetAttributes(folder, platform::attr::kNormal);
    }
  }
  markDone(index, presence::kBoth);
  return true;
}

void SyncEngine::removeEmptyFolders() {
  std::sort(foldersToRemove_.begin(), foldersToRemove_.end(), [this](int a, int b) {
    return Items().at(a).name.size() > Items().at(b).name.size();
  });
  for (const int index : foldersToRemove_) {
    const ItemView item = view(index);
    StorePair& pair = Pairs()[static_cast<std::size_t>(item.pairIndex)];
    bool ok = true;
    if (item.presence == presence::kSource || item.presence == presence::kBoth) {
      ok = pair.source->RemoveEmptyFolder(item.sourcePath);
      if (!ok) reportError(index, item.sourcePath, Translate("${Folder not removed, it is not empty:} ") + pair.source->LastError());
    }
    if (ok && (item.presence == presence::kTarget || item.presence == presence::kBoth)) {
      ok = pair.target->RemoveEmptyFolder(item.targetPath);
      if (!ok) reportError(index, item.targetPath, Translate("${Folder not removed, it is not empty:} ") + pair.target->LastError());
    }
    if (!ok) continue;
    ++totals_.foldersRemoved;
    markDone(index, 0);
    observer_.ItemDone(Items().at(index));
  }
  foldersToRemove_.clear();
}

void SyncEngine::rememberListedWrite(int index, const Store& store, const std::string& path) {
  if (!store.IsListBased()) return;
  const std::lock_guard lock(Items().Lock());
  const CompareItem& item = Items().at(index);
  listedWrites_.push_back({index, &store, path, item.action, item.presence, item.sourceSize, item.targetSize,
                           item.sourceTime, item.targetTime});
}

void SyncEngine::undoLostWrites() {
  for (StorePair& pair : Pairs()) {
    for (Store* store : {pair.source.get(), pair.target.get()}) {
      for (const std::string& lost : store->TakeLostWrites()) {
        for (const ListedWrite& write : listedWrites_) {
          if (write.store != store || write.path != lost) continue;
          {
            const std::lock_guard lock(Items().Lock());
            CompareItem& item = Items().at(write.index);
            if (item.action == action::kNone) {
              if (write.action == action::kDelete) {
                --totals_.deleted;
              } else {
                --(write.action == action::kCopyToSource ? totals_.copiedToSource : totals_.copiedToTarget);
                totals_.bytes -= write.bytes;
              }
            }
            item.action = write.action;
            item.presence = write.presence;
            item.sourceSize = write.sourceSize;
            item.targetSize = write.targetSize;
            item.sourceTime = write.sourceTime;
            item.targetTime = write.targetTime;
            item.flags |= itemflag::kSelected;
          }
          reportError(write.index, lost, store->LastError());
        }
      }
    }
  }
  listedWrites_.clear();
}

void SyncEngine::recordHistory() {
  // History lists are read and changed here, on the run's thread, while no other thread uses the
  // stores.
  const std::lock_guard lock(Items().Lock());
  for (std::size_t pairIndex = 0; pairIndex < Pairs().size(); ++pairIndex) {
    StorePair& pair = Pairs()[pairIndex];
    for (const bool sourceSide : {true, false}) {
      Store& store = sourceSide ? *pair.source : *pair.target;
      Store& other = sourceSide ? *pair.target : *pair.source;
      if (store.IsListBased()) continue;
      HistoryList& history = store.History();
      if (sourceSide && pair.oneWay) {
        // A one-way session writes nothing into its source, history files included.
        history.Clear();
        continue;
      }
      // Names still waiting for an action (a conflict left alone, a failure, an item not
      // chosen) keep what they had: the next run must see them as this one did.
      std::unordered_set<std::string> waiting;
      std::vector<int> equal;
      for (const int index : Order()) {
        const CompareItem& item = Items().at(index);
        if (item.isFolder() || static_cast<std::size_t>(item.folderItem().folder->pairIndex) != pairIndex) continue;
        const std::string path = sourceSide ? item.sourcePath() : item.targetPath();
        if (item.action != action::kNone) {
          waiting.insert(path);
          continue;
        }
        history.RemoveName(platform::withTrailingSeparator(platform::parentOf(path)), platform::fileNameOf(path));
        if (item.presence == presence::kBoth) equal.push_back(index);
      }
      // Of the rest (names the masks or filters left out, names gone), a name is forgotten only
      // when it is on neither side.
      std::unordered_map<std::string, std::string> otherFolderOf;
      for (const auto& [sourceFolder, targetFolder] : pair.walked) {
        const std::string& own = sourceSide ? sourceFolder : targetFolder;
        if (!own.empty()) otherFolderOf.emplace(own, sourceSide ? targetFolder : sourceFolder);
      }
      for (int entry = 0; entry < history.SlotCount(); ++entry) {
        if (!history.IsLive(entry)) continue;
        const HistoryEntry& remembered = history.at(entry);
        const auto walked = otherFolderOf.find(remembered.folder);
        if (walked == otherFolderOf.end() || waiting.count(remembered.folder + remembered.name) > 0) continue;
        const bool here = store.Exists(remembered.folder + remembered.name);
        const bool there = !walked->second.empty() && other.Exists(walked->second + remembered.name);
        if (!here && !there) history.Remove(entry);
      }
      for (const int index : equal) {
        const CompareItem& item = Items().at(index);
        const std::string path = sourceSide ? item.sourcePath() : item.targetPath();
        HistoryEntry noted;
        noted.folder = platform::withTrailingSeparator(platform::parentOf(path));
        noted.name = platform::fileNameOf(path);
        noted.path = path;
        noted.time = sourceSide ? item.sourceTime : item.targetTime;
        noted.size = static_cast<std::int64_t>(sourceSide ? item.sourceSize : item.targetSize);
        history.Put(std::move(noted));
      }
      for (const auto& entry : otherFolderOf) history.MarkFolder(entry.first);
    }
  }
}

}  // namespace engine
