#pragma once
// Comparison and action planning: both trees of a session are walked through their stores,
// files are paired by relative path (letter case ignored), judged by time, size or content and
// the history files, and every file gets its planned action from the session's action table.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/compare_item.h"
#include "engine/mask_list.h"
#include "engine/settings.h"
#include "engine/store.h"

namespace engine {

// The eight slots of a session's action table.
enum Slot : int {
  kSame = 0,
  kSourceOnly = 1,
  kSourceNewer = 2,
  kTargetOnly = 3,
  kTargetNewer = 4,
  kConflictSlot = 5,
  kSlot7 = 6,
  kDeletedOnOtherSide = 7,
};
using ActionTable = std::array<int, 8>;
// The table of a session's action (0 Synchronize, 1 Update target, 2 Backup, 3 Duplicate,
// 4 smart synchronization, which acts as 0).
[[nodiscard]] ActionTable ActionTableFor(int todo);

enum CompareModeValue : int { kCompareDateSize = 0, kCompareDateOrContent = 1, kCompareContent = 2, kCompareSizeOnly = 3 };

// What the engine needs of a session, filled by its owner.
struct SessionSpec {
  std::string name;
  std::string source;  // expanded
  std::string target;  // expanded
  std::string files;
  std::string excludeFiles;  // masks always left out (the command line's "X" masks)
  std::string folderList;
  std::uint32_t flags = 0;
  int todo = 0;
  int compareMode = kCompareDateSize;
  // The extended filter; accepts everything when empty.
  std::function<bool(const FindData* source, const FindData* target)> filter;
  // Hidden folders (names beginning with ".") are not entered, as hidden files are left out.
  bool skipHiddenFolders = false;
  // The run may create a missing target root (it copies into it).
  bool mayCreateTarget = true;
  bool quiet = true;
};

// The verdict on a pair present on both sides.
enum class Verdict { Same, SourceNewer, TargetNewer, Conflict };

// Reports of a comparison. Called on the comparing thread.
class CompareObserver {
 public:
  virtual ~CompareObserver() = default;
  virtual void ComparisonStarted() {}
  // A folder and its files are done; items up to `itemCount` exist.
  virtual void FolderPassed(const std::string& /*relativeFolder*/, int /*itemCount*/) {}
  virtual void ComparisonFinished(bool /*ok*/) {}
  // Something the user should know: a folder that cannot be listed, names that differ only in case.
  virtual void Problem(const std::string& /*text*/) {}
  // A file the masks or the filter leave out (full path).
  virtual void Filtered(const std::string& /*path*/) {}
  [[nodiscard]] virtual bool ShouldContinue() { return true; }
};

// Both stores of one compared session, kept attached for the run.
struct StorePair {
  std::unique_ptr<Store> source;
  std::unique_ptr<Store> target;
  std::string sessionName;
  // Files of each side that the masks and filters let take part.
  std::uint64_t sourceFiles = 0;
  std::uint64_t targetFiles = 0;
  // A one-way session (update, backup, duplicate): nothing is ever written into the source.
  bool oneWay = false;
  // Folders listed, as source and target path (full, ending with a separator; empty where the
  // side has no such folder): their history is rewritten after a run.
  std::vector<std::pair<std::string, std::string>> walked;
};

// What the comparisons met and left alone, each also named to the observer.
struct LeftAlone {
  // Names that differ only in letter case on a side that cannot tell them apart.
  std::uint64_t caseClashes = 0;
  // Links the other side cannot hold, or that would point outside the restored tree.
  std::uint64_t links = 0;
  // Names that are a folder on one side and a file on the other.
  std::uint64_t kindClashes = 0;
  // Names a store refused to list (an archive entry that would leave its folder).
  std::uint64_t refusedNames = 0;
  // Folders that could not be read: their files are unknown.
  std::uint64_t unreadFolders = 0;
  [[nodiscard]] std::uint64_t total() const { return caseClashes + links + kindClashes + refusedNames + unreadFolders; }
};

class CompareEngine {
 public:
  CompareEngine(EngineSettings settings, StoreContext context);
  virtual ~CompareEngine();
  CompareEngine(const CompareEngine&) = delete;
  CompareEngine& operator=(const CompareEngine&) = delete;

  // Compares one session and adds its items. False (with LastError) when a store cannot be
  // opened or attached, the roots overlap, or the comparison was cancelled.
  bool RunComparison(const SessionSpec& session, CompareObserver& observer);
  // The same with stores made by the caller (not yet opened).
  bool CompareStores(const SessionSpec& session, CompareObserver& observer, std::unique_ptr<Store> source,
                     std::unique_ptr<Store> target);
  // Drops the items and the stores of earlier comparisons (finish the stores first).
  void Reset();

  [[nodiscard]] ItemList& Items() { return items_; }
  [[nodiscard]] const ItemList& Items() const { return items_; }
  // Item indexes in list order: each folder item followed by its files.
  [[nodiscard]] const std::vector<int>& Order() const { return order_; }
  [[nodiscard]] std::vector<StorePair>& Pairs() { return pairs_; }
  [[nodiscard]] const std::string& LastError() const { return lastError_; }
  [[nodiscard]] const EngineSettings& Settings() const { return settings_; }
  // Takes changed options (the options dialog). Only while no comparison or run is going on:
  // workers and stores read them without a lock.
  void SetSettings(EngineSettings settings) { settings_ = std::move(settings); }
  // Files met by the comparisons (listed or not), to tell "nothing found" from "all the same".
  [[nodiscard]] std::uint64_t FilesSeen() const { return filesSeen_; }
  [[nodiscard]] const LeftAlone& LeftAloneCounts() const { return leftAlone_; }

  // -1, 0 or +1: the first time older, equal or newer, with the tolerances of the options
  // (two seconds; whole hours of daylight saving up to "NTFSHours").
  [[nodiscard]] virtual int CompareTimes(FileTime a, FileTime b) const;
  // True when both files have the same bytes.
  [[nodiscard]] virtual bool CompareContent(Store& source, const std::string& sourcePath, Store& target,
                                            const std::string& targetPath);

 protected:
  struct FolderContext;
  // kind: presence::kSource, kTarget or kBoth. False when nothing was added.
  virtual bool CompareEntry(FolderContext& folder, const FindData* source, const FindData* target, int kind);
  virtual bool AddFolderItem(FolderContext& folder, int kind);
  virtual void InsertItem(int index);
  // The item for an entry or pair, or -1 when nothing is to be added.
  virtual int AddResult(FolderContext& folder, const FindData* source, const FindData* target, Verdict verdict,
                        int kind);

 private:

  [[nodiscard]] Verdict judgePair(FolderContext& folder, const FindData& source, const FindData& target);
  [[nodiscard]] Verdict judgeLinks(FolderContext& folder, const FindData& source, const FindData& target);
  // A link of one side that the other side cannot hold: counted, named, true.
  // `alone`: the link has no counterpart on the other side.
  bool leaveLinkAlone(FolderContext& folder, const FindData& link, bool inSource, bool alone, CompareObserver& observer);
  // The action would restore a link of an archive that points outside the folder it goes to:
  // counted, named, true.
  bool restoresLinkOutside(FolderContext& folder, const FindData* source, const FindData* target, int act);
  [[nodiscard]] bool unchangedAgainstHistory(const Store& store, const std::string& folder, const FindData& file) const;
  int folderItemFor(FolderContext& folder);
  // A file item lies in `relative`: the folder rows of that folder and of the folders above it
  // are rows no more.
  void dropRowsAbove(const std::string& relative, bool ignoreCase);
  bool walkSession(int pairIndex, CompareObserver& observer);

  EngineSettings settings_;
  StoreContext context_;
  ItemList items_;
  std::vector<int> order_;
  std::vector<StorePair> pairs_;
  std::string lastError_;
  std::uint64_t filesSeen_ = 0;
  LeftAlone leftAlone_;
  std::vector<char> bufferA_;
  std::vector<char> bufferB_;
  const SessionSpec* session_ = nullptr;
  CompareObserver* observer_ = nullptr;
  std::unordered_map<std::string, int> openRows_;
  // The backup folder's path below the source and the target root, where it lies inside one.
  std::array<std::string, 2> backupBelow_;
  ActionTable table_{};
};

}  // namespace engine
