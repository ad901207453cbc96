#pragma once
// The synchronization run: carries out the planned actions of the selected items (copy either
// way, delete), with confirmations, backups, byte progress and cancel, on worker threads that
// report through an observer and never touch a window.
#include <atomic>
#include <functional>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "engine/compare.h"

namespace engine {

namespace confirm {
inline constexpr std::uint32_t kOverwrite = 0x020;
inline constexpr std::uint32_t kDelete = 0x040;
inline constexpr std::uint32_t kOverwriteReadOnly = 0x080;
inline constexpr std::uint32_t kDeleteReadOnly = 0x100;
inline constexpr std::uint32_t kKinds = 0x1E0;
inline constexpr std::uint32_t kToTargetSide = 0x400;  // a copy to the target, or a deletion in the source
inline constexpr std::uint32_t kToSourceSide = 0x800;  // a copy to the source, or a deletion in the target
inline constexpr std::uint32_t kDirections = 0xC00;
// Answers of a confirmation besides "kind" (yes, remembered for this action) and
// "kind | kDirections" (yes, remembered for both sides).
inline constexpr int kYesOnce = 1;
inline constexpr int kCancel = 2;
inline constexpr int kSkipAll = 4;
inline constexpr int kSkipThisAction = 8;
inline constexpr int kSkipOnce = 0;
}  // namespace confirm

struct ConfirmRequest {
  std::string path;
  std::string secondPath;
  std::uint32_t kind = 0;
};

struct RunTotals {
  std::uint64_t copiedToTarget = 0;
  std::uint64_t copiedToSource = 0;
  std::uint64_t deleted = 0;
  std::uint64_t foldersMade = 0;
  std::uint64_t foldersRemoved = 0;
  std::uint64_t skipped = 0;
  std::uint64_t failed = 0;
  std::uint64_t bytes = 0;
  bool cancelled = false;
};

// What the run reports and asks. Called on the worker thread; a window's implementation hands
// each call to the window thread and waits for it.
class RunObserver : public CompareObserver {
 public:
  // One of the answers of `confirm`.
  [[nodiscard]] virtual int Confirm(const ConfirmRequest& request) = 0;
  virtual void ItemStarting(const CompareItem& /*item*/) {}
  virtual void ItemDone(const CompareItem& /*item*/) {}
  // A failed item keeps its action and mark; `reason` is in words for a person.
  virtual void ItemFailed(const CompareItem& /*item*/, const std::string& /*path*/, const std::string& /*reason*/) {}
  virtual void EndOfItems() {}
  virtual void ProgressTotal(std::uint64_t /*total*/) {}
  virtual void ProgressFile(const std::string& /*text*/, std::uint64_t /*size*/, int /*kind*/) {}
  virtual void ProgressBytes(std::uint64_t /*done*/, std::uint64_t /*runDone*/) {}
  virtual void StatusText(const std::string& /*text*/) {}
  virtual void RunFinished(const RunTotals& /*totals*/) {}
  // A store could not write back what the run left to it (history files, archives).
  virtual void FinishFailed(const std::string& /*text*/) {}
  // The worker's work is done (a comparison of every session, a run, the finishing of the stores,
  // a task); its last call on that thread, so a window told of it joins the thread at once.
  virtual void WorkerEnded() {}
};

// The engine is the progress sink of its stores and of the tasks it runs (StartTask).
class SyncEngine : public CompareEngine, public ProgressSink {
 public:
  SyncEngine(EngineSettings settings, StoreContext context, RunObserver& observer);
  ~SyncEngine() override;

  // Compares every session in order, stopping at the first that fails. With `wait` the caller
  // blocks until the thread ends. False when a session failed (only meaningful with `wait`).
  bool StartCompare(std::vector<SessionSpec> sessions, bool wait);
  // Carries out the given items (indexes into Items(); empty: every item).
  void StartSynchronize(std::vector<int> items, bool wait);
  // Has every store write back what it holds; false when one failed (only with `wait`).
  bool StartFinish(bool wait);
  // Makes the history files of a folder (and its subfolders) through a local store; the status
  // texts go to the observer. False when a file could not be written (only with `wait`).
  bool StartHistory(std::string folder, bool recursive, bool wait);
  // Runs other work on the comparison's results (making a package) on the worker thread; the
  // engine is its progress sink.
  void StartTask(std::function<void()> task, bool wait) { startWorker(std::move(task), wait); }
  // Waits for the running worker, if any.
  void Wait();
  // Stops the run after the current file (the copy in progress is cancelled too).
  void Cancel() { cancelled_ = true; }

  void RunSynchronization(const std::vector<int>& items);
  [[nodiscard]] const RunTotals& Totals() const { return totals_; }
  [[nodiscard]] bool ShouldContinue() override;

 protected:
  // True when the item is done now (a folder to remove is done at the end of the run).
  virtual bool DoItem(int index);
  virtual void DoFolder(int index);
  virtual bool DoFolderItem(int index);
  virtual bool DeleteItemFile(int index, Store& store, const std::string& path, bool isSource);
  virtual bool Confirm(const std::string& path, std::uint32_t kind, const std::string& secondPath);
  virtual void ResetConfirmations();

 private:
  void ProgressFile(const std::string& text, std::uint64_t size, int kind, int flag) override;
  void ProgressBytes(std::uint64_t done) override;

  // The fields of an item that one action needs, read under the list's lock.
  struct ItemView {
    std::string name;
    std::string sourcePath;
    std::string targetPath;
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
    FileTime sourceTime = 0;
    FileTime targetTime = 0;
    int action = 0;
    int presence = 0;
    int pairIndex = 0;
    bool folderRow = false;
  };
  [[nodiscard]] ItemView view(int index);
  // A copy's stores, paths and checks, made ready (asked, unlocked, folder made, backed up) on
  // the run's thread.
  struct PreparedCopy {
    int index = -1;
    bool toSource = false;
    Store* from = nullptr;
    Store* to = nullptr;
    std::string fromPath;
    std::string toPath;
    std::uint64_t size = 0;
    PutChecks checks;
  };
  struct InFlight {
    PreparedCopy copy;
    bool submitted = false;
    // Why it was not handed in (its folder could not be made), reported in its turn.
    std::string failure;
  };
  static constexpr std::size_t kMaxInFlight = 64;
  // With `deferred`, a failure is put there to be reported in its turn instead of at once.
  bool prepareCopy(int index, const ItemView& item, StorePair& pair, PreparedCopy& copy, std::string* deferred = nullptr);
  void finishCopy(const PreparedCopy& copy);
  bool copyItem(int index, const ItemView& item, StorePair& pair);
  // Hands a copy to the pool; false when the item is not one for the pool.
  bool copyInPool(int index, CopyPool& pool);
  // Reports the copies of the pool in the order they were handed in: those that have ended, or
  // with `all` every one (waiting for them).
  void reportPooled(CopyPool& pool, bool all);
  [[nodiscard]] std::unique_ptr<CopyPool> makeCopyPool();
  bool deleteItem(int index, const ItemView& item, StorePair& pair);
  // The file still is what the comparison saw (or still absent); else reported and false.
  bool unchangedSinceComparison(int index, Store& store, const std::string& path, bool present, std::uint64_t size,
                                FileTime time);
  void reportError(int index, const std::string& path, const std::string& reason);
  // A copy that did not complete: a failure, unless the run was cancelled.
  void reportFailure(int index, const std::string& path, const std::string& reason);
  void markDone(int index, int newPresence);
  // Makes `folder` in `to` and the folders above it that are missing.
  bool makeFolder(Store& to, const std::string& folder, Store& from);
  // Writes into list-based stores reach them only when their batch ends: the items of writes
  // that were lost then go back to what they were and count as failed.
  void rememberListedWrite(int index, const Store& store, const std::string& path);
  void undoLostWrites();
  // Each side's history of the folders compared: the names equal on both sides after the run,
  // plus the remembered names the comparison left out that are still there.
  void recordHistory();
  // A one-way session never writes into its source; such an item is reported and false.
  bool refusesSourceWrite(int index, const ItemView& item, const StorePair& pair);
  void removeEmptyFolders();
  [[nodiscard]] bool inCollapsedFolder(const CompareItem& item) const;
  void startWorker(std::function<void()> body, bool wait);
  // Lets every store of the last comparison write back what it holds.
  bool finishStores();

  RunObserver& observer_;
  std::jthread worker_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> lastOk_{true};
  struct Remembered {
    std::uint32_t kinds;
    std::uint32_t directions;
  };
  std::vector<Remembered> yesToAll_;
  std::uint32_t noToAll_ = 0;
  RunTotals totals_;
  std::uint64_t runTotal_ = 0;
  std::uint64_t runDone_ = 0;
  std::uint64_t fileSize_ = 0;
  std::vector<int> foldersToRemove_;
  struct ListedWrite {
    int index = -1;
    const Store* store = nullptr;
    std::string path;
    int action = 0;
    int presence = 0;
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
    FileTime sourceTime = 0;
    FileTime targetTime = 0;
    // What the copy added to the bytes moved.
    std::uint64_t bytes = 0;
  };
  std::vector<ListedWrite> listedWrites_;
  std::deque<InFlight> inFlight_;
  // The last folder each destination store was found to hold during this run.
  std::unordered_map<const Store*, std::string> foldersThere_;
};

}  // namespace engine
