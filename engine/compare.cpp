#include "engine/compare.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "engine/backup_path.h"
#include "engine/file_masks.h"
#include "engine/folder_filter.h"
#include "engine/folder_lister.h"
#include "engine/history_file.h"
#include "engine/local_store.h"
#include "engine/store_factory.h"
#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/path.h"

namespace engine {

ActionTable ActionTableFor(int todo) {
  switch (todo) {
    case 1: return {0, 3, 3, 0, 0, 0, 1, 0};
    case 2: return {0, 3, 3, 1, 0, 3, 1, 0};
    case 3: return {0, 3, 3, 1, 3, 3, 1, 1};
    default: return {0, 3, 3, 2, 2, 4, 1, 1};
  }
}

struct CompareEngine::FolderContext {
  std::string relative;  // "" for the root, else "a/b"
  std::string sourceFolder;
  std::string targetFolder;
  bool inSource = false;
  bool inTarget = false;
  int pairIndex = 0;
  int folderItem = -1;
  // The nearest folder above that has an item (-1: none): the new folder item's parent.
  int aboveItem = -1;
  Store* source = nullptr;
  Store* target = nullptr;
  // Names pair without regard to letter case: one side cannot tell them apart.
  bool ignoreCase = false;
};

namespace {

constexpr std::size_t kContentBuffer = 100000;

// The key by which names of two sides pair.
std::string pairKey(const std::string& name, bool ignoreCase) { return ignoreCase ? platform::caseKey(name) : name; }

// Entries by pairing key; keys held by two names (twins, only where case is ignored) are
// collected apart and left out.
struct Keyed {
  std::vector<std::pair<std::string, const FindData*>> entries;  // sorted by key
  std::vector<std::string> twins;
  [[nodiscard]] const FindData* find(const std::string& key) const {
    const auto it = std::lower_bound(entries.begin(), entries.end(), key,
                                     [](const auto& entry, const std::string& k) { return entry.first < k; });
    return it != entries.end() && it->first == key ? it->second : nullptr;
  }
};

Keyed keyed(const std::vector<FindData>& list, bool ignoreCase) {
  Keyed result;
  result.entries.reserve(list.size());
  for (const FindData& entry : list) result.entries.emplace_back(pairKey(entry.name, ignoreCase), &entry);
  std::sort(result.entries.begin(), result.entries.end(),
            [](const auto& a, const auto& b) { return a.first != b.first ? a.first < b.first : a.second->name < b.second->name; });
  std::vector<std::pair<std::string, const FindData*>> unique;
  for (std::size_t i = 0; i < result.entries.size(); ++i) {
    const bool sameAsNext = i + 1 < result.entries.size() && result.entries[i + 1].first == result.entries[i].first;
    const bool sameAsPrevious = i > 0 && result.entries[i - 1].first == result.entries[i].first;
    if (sameAsNext || sameAsPrevious) {
      result.twins.push_back(result.entries[i].second->name);
    } else {
      unique.push_back(result.entries[i]);
    }
  }
  result.entries = std::move(unique);
  return result;
}

std::int64_t wholeSeconds(FileTime time) { return static_cast<std::int64_t>(time / platform::kTicksPerSecond); }

int rawOrder(FileTime a, FileTime b) { return a == b ? 0 : (a < b ? -1 : 1); }

Verdict verdictOf(int order) {
  return order == 0 ? Verdict::Same : (order > 0 ? Verdict::SourceNewer : Verdict::TargetNewer);
}

bool isLink(const FindData& entry) { return (entry.attributes & platform::attr::kLink) != 0; }

bool rootsOverlap(const std::string& a, const std::string& b) {
  // A root that does not exist yet is compared as it will be once it is made.
  const std::string ca = platform::pathAsItWillBe(a);
  const std::string cb = platform::pathAsItWillBe(b);
  if (ca.empty() || cb.empty()) return false;
  auto inside = [](const std::string& inner, const std::string& outer) {
    return inner == outer || inner.starts_with(platform::withTrailingSeparator(outer));
  };
  return inside(ca, cb) || inside(cb, ca);
}

}  // namespace

CompareEngine::CompareEngine(EngineSettings settings, StoreContext context)
    : settings_(std::move(settings)), context_(std::move(context)) {
  context_.settings = &settings_;
}

CompareEngine::~CompareEngine() = default;

void CompareEngine::Reset() {
  const std::lock_guard lock(items_.Lock());
  items_.Clear();
  order_.clear();
  pairs_.clear();
  filesSeen_ = 0;
  leftAlone_ = {};
  lastError_.clear();
}

int CompareEngine::CompareTimes(FileTime a, FileTime b) const {
  if (a == b) return 0;
  const int raw = a < b ? -1 : 1;
  const std::int64_t d = std::llabs(wholeSeconds(a) - wholeSeconds(b));
  // A side that keeps whole seconds only (a snapshot, a package's list) holds the same time as a
  // file written within that second.
  if (d == 0 && (a % platform::kTicksPerSecond == 0 || b % platform::kTicksPerSecond == 0)) return 0;
  const bool twoSeconds = settings_.has(option::kIgnoreTwoSeconds);
  if (d <= 2 && twoSeconds) return 0;
  if (!settings_.has(option::kIgnoreDaylightHours)) return raw;
  const std::int64_t hours = d / 3600;
  const std::int64_t rest = d % 3600;
  const std::int64_t allowed = settings_.ntfsHours;
  if (rest == 0 && hours <= allowed) return 0;
  if (hours > allowed || !twoSeconds) return raw;
  if (rest <= 2) return 0;
  // Just below the next whole hour counts only when that hour is still allowed.
  if ((hours + 1) * 3600 - d <= 2 && hours + 1 <= allowed) return 0;
  return raw;
}

bool CompareEngine::CompareContent(Store& source, const std::string& sourcePath, Store& target,
                                   const std::string& targetPath) {
  const auto a = source.OpenContent(sourcePath);
  const auto b = a ? target.OpenContent(targetPath) : nullptr;
  if (!a || !b || a->size() != b->size()) return false;
  if (bufferA_.empty()) {
    bufferA_.resize(kContentBuffer);
    bufferB_.resize(kContentBuffer);
  }
  // Reads whole blocks, so that both sides are compared at the same offsets.
  auto fill = [](platform::ContentReader& reader, std::vector<char>& buffer) -> std::int64_t {
    std::size_t got = 0;
    while (got < buffer.size()) {
      const std::int64_t part = reader.read(buffer.data() + got, buffer.size() - got);
      if (part < 0) return -1;
      if (part == 0) break;
      got += static_cast<std::size_t>(part);
    }
    return static_cast<std::int64_t>(got);
  };
  for (;;) {
    const std::int64_t gotA = fill(*a, bufferA_);
    const std::int64_t gotB = fill(*b, bufferB_);
    if (gotA < 0 || gotA != gotB || !std::equal(bufferA_.begin(), bufferA_.begin() + gotA, bufferB_.begin())) return false;
    if (gotA == 0) return a->verify() && b->verify();
  }
}

bool CompareEngine::unchangedAgainstHistory(const Store& store, const std::string& folder, const FindData& file) const {
  // A name no history line can hold is never known as unchanged: it is never deleted for the
  // other side's sake, and an edit on both sides of it is a conflict.
  if (!IsHistoryName(file.name)) return false;
  const int index = store.History().Find(folder, file.name);
  if (index < 0) return true;
  const HistoryEntry& entry = store.History().at(index);
  // Exactly as remembered, to the second the history holds: a tolerance here would take a
  // same-size edit made soon after the last run for no edit at all.
  return entry.size == static_cast<std::int64_t>(file.size) && wholeSeconds(entry.time) == wholeSeconds(file.lastWriteTime);
}

Verdict CompareEngine::judgeLinks(FolderContext& folder, const FindData& source, const FindData& target) {
  // A link is compared by its target text, never by what it points to.
  std::string sourceText;
  std::string targetText;
  const bool same = isLink(source) && isLink(target) && folder.source->ReadLink(folder.sourceFolder + source.name, sourceText) &&
                    folder.target->ReadLink(folder.targetFolder + target.name, targetText) && sourceText == targetText;
  if (same) return Verdict::Same;
  const int raw = rawOrder(source.lastWriteTime, target.lastWriteTime);
  return raw == 0 ? Verdict::Conflict : verdictOf(raw);
}

bool CompareEngine::leaveLinkAlone(FolderContext& folder, const FindData& link, bool inSource, bool alone,
                                   CompareObserver& observer) {
  const Store& other = inSource ? *folder.target : *folder.source;
  if (other.CanHoldLinks()) return false;
  // A link on one side only that this action leaves where it is anyway (the target's own, in an
  // update) is no link left out.
  if (alone && table_[inSource ? kSourceOnly : kTargetOnly] == action::kNone) return true;
  const std::string path = (inSource ? folder.sourceFolder : folder.targetFolder) + link.name;
  ++leftAlone_.links;
  observer.Problem(TranslateFormat("${Link left out:} %s (%s)", {path, Translate("${the other side cannot hold links}")}));
  return true;
}

bool CompareEngine::restoresLinkOutside(FolderContext& folder, const FindData* source, const FindData* target, int act) {
  const bool toTarget = act == action::kCopyToTarget || act == action::kConflict;
  const bool toSource = act == action::kCopyToSource;
  const FindData* from = toTarget ? source : (toSource ? target : nullptr);
  Store* fromStore = toTarget ? folder.source : folder.target;
  Store* toStore = toTarget ? folder.target : folder.source;
  if (from == nullptr || !isLink(*from) || !fromStore->IsListBased() || toStore->IsListBased()) return false;
  // A link from an archive or a listing is data from outside: it is made only where its target
  // stays inside the folder it is restored into.
  const std::string path = (toTarget ? folder.sourceFolder : folder.targetFolder) + from->name;
  std::string text;
  if (fromStore->ReadLink(path, text) && platform::linkTargetStaysBelow(folder.relative, text)) return false;
  ++leftAlone_.links;
  if (observer_ != nullptr) {
    observer_->Problem(TranslateFormat("${Link left out:} %s (%s)", {path, Translate("${it would point outside the restored folder}")}));
  }
  return true;
}

Verdict CompareEngine::judgePair(FolderContext& folder, const FindData& source, const FindData& target) {
  if (isLink(source) || isLink(target)) return judgeLinks(folder, source, target);
  const bool sameSize = source.size == target.size;
  const int raw = rawOrder(source.lastWriteTime, target.lastWriteTime);
  // Files of different sizes are never the same; with equal times no side can be called newer.
  // A listing without seconds (an outside archiver's) holds the minute of a file written at any
  // second of it, when the user asked for that.
  const bool toTheMinute = settings_.has(option::kArchiveIgnoreSeconds) &&
                           ((folder.source->GetCapabilities() | folder.target->GetCapabilities()) & Store::kNoSeconds) != 0;
  const bool sameMinute = toTheMinute && source.lastWriteTime / (60 * platform::kTicksPerSecond) ==
                                             target.lastWriteTime / (60 * platform::kTicksPerSecond);
  const int byTime = sameMinute ? 0 : CompareTimes(source.lastWriteTime, target.lastWriteTime);
  const Verdict bySizeAndTime = sameSize ? verdictOf(byTime) : (raw == 0 ? Verdict::Conflict : verdictOf(raw));
  auto identical = [&] {
    return sameSize && CompareContent(*folder.source, folder.sourceFolder + source.name, *folder.target,
                                      folder.targetFolder + target.name);
  };
  switch (session_->compareMode) {
    case kCompareSizeOnly: return sameSize ? Verdict::Same : bySizeAndTime;
    case kCompareDateOrContent:
      return bySizeAndTime != Verdict::Same && sameSize && identical() ? Verdict::Same : bySizeAndTime;
    case kCompareContent:
      if (identical()) return Verdict::Same;
      return bySizeAndTime == Verdict::Same ? Verdict::Conflict : bySizeAndTime;
    default: return bySizeAndTime;
  }
}

int CompareEngine::folderItemFor(FolderContext& folder) {
  if (folder.folderItem >= 0) return folder.folderItem;
  int index = -1;
  CompareItem& item = items_.Add(index);
  item.name = folder.relative;
  item.flags = itemflag::kFolder;
  item.presence = folder.inSource && folder.inTarget ? presence::kBoth : (folder.inSource ? presence::kSource : presence::kTarget);
  item.folder = std::make_unique<FolderInfo>();
  item.folder->sourceFolder = folder.sourceFolder;
  item.folder->targetFolder = folder.targetFolder;
  item.folder->pairIndex = folder.pairIndex;
  if (folder.aboveItem >= 0) item.parent = &items_.at(folder.aboveItem);
  InsertItem(index);
  folder.folderItem = index;
  return index;
}

bool CompareEngine::AddFolderItem(FolderContext& folder, int kind) {
  if (!settings_.has(option::kHandleEmptyFolders)) return false;
  if (!folder.source->HoldsFolders() || !folder.target->HoldsFolders()) return false;
  int act = kind == presence::kSource ? table_[kSourceOnly] : (kind == presence::kTarget ? table_[kTargetOnly] : table_[kSame]);
  const Store& other = kind == presence::kSource ? *folder.target : *folder.source;
  if (act == action::kDelete && !other.ListsWholeFolder()) act = action::kNone;
  const int index = folderItemFor(folder);
  CompareItem& item = items_.at(index);
  item.flags = itemflag::kFolder | itemflag::kFolderRow;
  item.presence = kind;
  item.action = act;
  item.plannedAction = act;
  const bool sourceHas = folder.source->HasContent(platform::withoutTrailingSeparator(folder.sourceFolder));
  const bool targetHas = folder.target->HasContent(platform::withoutTrailingSeparator(folder.targetFolder));
  item.directionLock = (sourceHas ? presence::kSource : 0) | (targetHas ? presence::kTarget : 0);
  if (item.directionLock == (presence::kSource | presence::kTarget)) item.directionLock = presence::kBoth;
  if (act != action::kNone) item.flags |= itemflag::kSelected;
  openRows_[pairKey(folder.relative, folder.ignoreCase)] = index;
  return true;
}

void CompareEngine::dropRowsAbove(const std::string& relative, bool ignoreCase) {
  if (openRows_.empty()) return;
  std::string path = relative;
  for (;;) {
    const auto it = openRows_.find(pairKey(path, ignoreCase));
    if (it != openRows_.end()) {
      CompareItem& row = items_.at(it->second);
      row.flags = itemflag::kFolder;
      row.action = action::kNone;
      row.plannedAction = action::kNone;
      openRows_.erase(it);
    }
    if (path.empty()) return;
    path = platform::parentOf(path);
  }
}

void CompareEngine::InsertItem(int index) {
  // The order is the walk's: each folder item before its files, folders depth-first in name order.
  order_.push_back(index);
}

int CompareEngine::AddResult(FolderContext& folder, const FindData* source, const FindData* target, Verdict verdict,
                             int kind) {
  if (session_->filter && !session_->filter(source, target)) {
    if (observer_ != nullptr) {
      observer_->Filtered(source != nullptr ? folder.sourceFolder + source->name : folder.targetFolder + target->name);
    }
    return -1;
  }
  const bool history = settings_.has(option::kUseHistory);
  const bool sourceUnchanged = !history || source == nullptr || unchangedAgainstHistory(*folder.source, folder.sourceFolder, *source);
  const bool targetUnchanged = !history || target == nullptr || unchangedAgainstHistory(*folder.target, folder.targetFolder, *target);
  const std::string& name = source != nullptr ? source->name : target->name;

  int act = action::kNone;
  if (kind == presence::kBoth) {
    switch (verdict) {
      case Verdict::Same: act = table_[kSame]; break;
      case Verdict::SourceNewer: act = targetUnchanged ? table_[kSourceNewer] : table_[kConflictSlot]; break;
      case Verdict::TargetNewer: act = sourceUnchanged ? table_[kTargetNewer] : table_[kConflictSlot]; break;
      case Verdict::Conflict: act = table_[kConflictSlot]; break;
    }
    if (verdict != Verdict::Same && act == action::kNone) return -1;
  } else {
    // Deleted on the other side only while this side's file is as it was after the last run: a
    // file changed since then is offered for copying, never deleted. A one-way session never
    // deletes in its source: a file only there is copied whatever the target remembers.
    const Store& other = kind == presence::kSource ? *folder.target : *folder.source;
    const std::string& otherFolder = kind == presence::kSource ? folder.targetFolder : folder.sourceFolder;
    const bool unchanged = kind == presence::kSource ? sourceUnchanged : targetUnchanged;
    const bool oneWaySource = kind == presence::kSource && pairs_[static_cast<std::size_t>(folder.pairIndex)].oneWay;
    const bool deletedThere = history && !oneWaySource && other.History().Find(otherFolder, name) >= 0 && unchanged;
    act = deletedThere ? table_[kDeletedOnOtherSide] : table_[kind == presence::kSource ? kSourceOnly : kTargetOnly];
    if (act == action::kDelete && !other.ListsWholeFolder()) act = action::kNone;
    const bool oneWay = pairs_[static_cast<std::size_t>(folder.pairIndex)].oneWay;
    if (kind == presence::kTarget && oneWay && folder.target->DescribesOnly()) act = action::kDelete;
  }

  if (restoresLinkOutside(folder, source, target, act)) return -1;
  const int folderIndex = folderItemFor(folder);
  dropRowsAbove(folder.relative, folder.ignoreCase);
  int index = -1;
  CompareItem& item = items_.Add(index);
  item.name = name;
  if (source != nullptr && target != nullptr && target->name != source->name) item.targetName = target->name;
  item.parent = &items_.at(folderIndex);
  if (source != nullptr) {
    item.sourceTime = source->lastWriteTime;
    item.sourceSize = source->size;
  }
  if (target != nullptr) {
    item.targetTime = target->lastWriteTime;
    item.targetSize = target->size;
  }
  item.presence = kind;
  item.action = act;
  item.plannedAction = act;
  const bool sourceHas = folder.source->HasContent(folder.sourceFolder + name);
  const bool targetHas = folder.target->HasContent(folder.targetFolder + (target != nullptr ? target->name : name));
  item.directionLock = sourceHas && targetHas ? presence::kBoth
                                              : (sourceHas ? presence::kSource : (targetHas ? presence::kTarget : 0));
  if (act != action::kNone) item.flags |= itemflag::kSelected;
  InsertItem(index);
  return index;
}

bool CompareEngine::CompareEntry(FolderContext& folder, const FindData* source, const FindData* target, int kind) {
  if (kind == presence::kSource && table_[kSourceOnly] == 0) return false;
  // A one-way run into a listing (a snapshot) still takes in what only the listing has: it goes.
  if (kind == presence::kTarget && table_[kTargetOnly] == 0 &&
      !(pairs_[static_cast<std::size_t>(folder.pairIndex)].oneWay && folder.target->DescribesOnly())) {
    return false;
  }
  const Verdict verdict = kind == presence::kBoth ? judgePair(folder, *source, *target) : Verdict::Same;
  return AddResult(folder, source, target, verdict, kind) >= 0;
}

bool CompareEngine::RunComparison(const SessionSpec& session, CompareObserver& observer) {
  for (const std::string& path : {session.source, session.target}) {
    const std::string kind = StoreFactory::UnknownKindOf(path, context_);
    if (kind.empty()) continue;
    lastError_ = TranslateFormat("${This program cannot open paths of the kind \"%s:\" (a local folder of that name is ./%s):} %s",
                                 {kind, path, path});
    observer.Problem(lastError_);
    return false;
  }
  return CompareStores(session, observer, StoreFactory::Create(session.source, context_),
                       StoreFactory::Create(session.target, context_));
}

bool CompareEngine::CompareStores(const SessionSpec& session, CompareObserver& observer, std::unique_ptr<Store> source,
                                  std::unique_ptr<Store> target) {
  lastError_.clear();
  session_ = &session;
  observer_ = &observer;
  table_ = ActionTableFor(session.todo);
  observer.ComparisonStarted();
  StorePair pair{std::move(source), std::move(target), session.name, 0, 0, session.todo >= 1 && session.todo <= 3, {}};
  const bool recursive = (session.flags & sessionflag::kSubfolders) != 0;
  auto fail = [&](std::string text) {
    lastError_ = std::move(text);
    session_ = nullptr;
    observer_ = nullptr;
    observer.Problem(lastError_);
    observer.ComparisonFinished(false);
    return false;
  };
  if (!pair.source->Open(session.source, {session.quiet, false, false})) return fail(pair.source->LastError());
  if (!pair.target->Open(session.target, {session.quiet, false, true})) return fail(pair.target->LastError());
  const bool bothLocal = dynamic_cast<LocalStore*>(pair.source.get()) != nullptr &&
                         dynamic_cast<LocalStore*>(pair.target.get()) != nullptr;
  if (bothLocal && rootsOverlap(pair.source->Root(), pair.target->Root())) {
    return fail(TranslateFormat("${Source and target overlap; nothing is compared:}\n%s\n%s",
                                {pair.source->Root(), pair.target->Root()}));
  }
  // Backups are never compared or backed up again: the backup folder is left out of the walk
  // when it lies inside a side, and a one-way run never writes it into its source.
  backupBelow_ = {};
  if (settings_.has(option::kMakeBackup)) {
    const std::string backups = platform::pathAsItWillBe(BackupFolderOf(settings_));
    for (int side = 0; side < 2; ++side) {
      Store& store = side == 0 ? *pair.source : *pair.target;
      const std::string root = store.IsListBased() ? std::string() : platform::pathAsItWillBe(store.Root());
      if (root.empty() || backups.size() <= root.size() || !backups.starts_with(platform::withTrailingSeparator(root))) continue;
      if (side == 0 && pair.oneWay) {
        return fail(TranslateFormat("${The backup folder lies inside the source, which a one-way run never changes:} %s",
                                    {backups}));
      }
      backupBelow_[side] = backups.substr(root.size() + 1);
    }
  }
  if (!pair.source->Attach(nullptr, recursive)) return fail(pair.source->LastError());
  if (!pair.target->Attach(nullptr, recursive)) return fail(pair.target->LastError());
  for (Store* store : {pair.source.get(), pair.target.get()}) {
    for (const std::string& warning : store->TakeWarnings()) {
      ++leftAlone_.refusedNames;
      observer.Problem(warning);
    }
  }
  int pairIndex = 0;
  {
    const std::lock_guard lock(items_.Lock());
    pairs_.push_back(std::move(pair));
    pairIndex = static_cast<int>(pairs_.size()) - 1;
  }
  const bool ok = walkSession(pairIndex, observer);
  openRows_.clear();
  session_ = nullptr;
  observer_ = nullptr;
  observer.ComparisonFinished(ok);
  return ok;
}

bool CompareEngine::walkSession(int pairIndex, CompareObserver& observer) {
  const SessionSpec& session = *session_;
  Store& source = *pairs_[static_cast<std::size_t>(pairIndex)].source;
  Store& target = *pairs_[static_cast<std::size_t>(pairIndex)].target;
  FileMasks masks(session.files);
  const std::string& files = session.files;
  masks.SetSwap((session.flags & sessionflag::kInvertedMasks) != 0 && !files.empty() && files != "*" && files != "*.*");
  masks.SetAlwaysExcluded(session.excludeFiles);
  const FolderFilter folderFilter(session.folderList, (session.flags & sessionflag::kExcludeFolders) != 0);
  const bool recursive = (session.flags & sessionflag::kSubfolders) != 0;
  const bool matchedFoldersOnly = (session.flags & sessionflag::kMatchedFoldersOnly) != 0;
  const bool orphansOnly = (session.flags & sessionflag::kOrphansOnly) != 0;
  const bool matchedFilesOnly = (session.flags & sessionflag::kMatchedFilesOnly) != 0;

  struct Task {
    FolderContext folder;
    bool included = false;     // inside a folder that an include filter named
    bool row = false;          // one-sided: offered as a folder row
    bool passThrough = false;  // only on the way to a listed folder: its files take no part
  };
  std::vector<Task> pending;
  Task root;
  root.folder.sourceFolder = platform::withTrailingSeparator(source.Root());
  root.folder.targetFolder = platform::withTrailingSeparator(target.Root());
  root.folder.inSource = true;
  root.folder.inTarget = target.Exists(target.Root());
  root.folder.pairIndex = pairIndex;
  root.folder.source = &source;
  root.folder.target = &target;
  root.folder.ignoreCase = source.IgnoresCase() || target.IgnoresCase();
  pending.push_back(std::move(root));
  FolderLister lister(source, target);

  while (!pending.empty()) {
    if (!observer.ShouldContinue()) {
      lastError_ = Translate("${Cancelled}");
      return false;
    }
    Task task = std::move(pending.back());
    pending.pop_back();
    FolderContext& folder = task.folder;
    const FolderListing inSource = folder.inSource ? lister.Take(FolderLister::kSource, folder.sourceFolder) : FolderListing{};
    const FolderListing inTarget = folder.inTarget ? lister.Take(FolderLister::kTarget, folder.targetFolder) : FolderListing{};
    if (!inSource.ok || !inTarget.ok) {
      // Unknown content must never look like deleted content: nothing below is compared.
      ++leftAlone_.unreadFolders;
      observer.Problem(TranslateFormat("${Folder cannot be read, left out:} %s (%s)",
                                       {!inSource.ok ? folder.sourceFolder : folder.targetFolder,
                                        !inSource.ok ? inSource.error : inTarget.error}));
      continue;
    }

    std::vector<FindData> sourceFiles;
    std::vector<FindData> targetFiles;
    // An archive that is the other side, lying inside this side's tree, is not one of its files.
    for (const FindData& entry : task.passThrough ? std::vector<FindData>{} : inSource.files) {
      if (!masks.Accepts(entry.name)) {
        observer.Filtered(folder.sourceFolder + entry.name);
      } else if (folder.sourceFolder + entry.name != target.Root()) {
        sourceFiles.push_back(entry);
      }
    }
    for (const FindData& entry : task.passThrough ? std::vector<FindData>{} : inTarget.files) {
      if (!masks.Accepts(entry.name)) {
        observer.Filtered(folder.targetFolder + entry.name);
      } else if (folder.targetFolder + entry.name != source.Root()) {
        targetFiles.push_back(entry);
      }
    }
    StorePair& pair = pairs_[static_cast<std::size_t>(pairIndex)];
    filesSeen_ += sourceFiles.size() + targetFiles.size();
    pair.sourceFiles += sourceFiles.size();
    pair.targetFiles += targetFiles.size();
    if (!task.passThrough) {
      pair.walked.emplace_back(folder.inSource ? folder.sourceFolder : std::string(),
                               folder.inTarget ? folder.targetFolder : std::string());
    }
    const bool ignoreCase = folder.ignoreCase;
    const Keyed sourceKeyed = keyed(sourceFiles, ignoreCase);
    const Keyed targetKeyed = keyed(targetFiles, ignoreCase);
    // Names left alone on both sides: case twins, and links one side cannot take.
    std::unordered_set<std::string> leftKeys;
    for (const Keyed* side : {&sourceKeyed, &targetKeyed}) {
      for (const std::string& twin : side->twins) {
        ++leftAlone_.caseClashes;
        leftKeys.insert(pairKey(twin, ignoreCase));
        observer.Problem(TranslateFormat("${Names differ only in letter case, left alone:} %s",
                                         {platform::joinPath(side == &sourceKeyed ? folder.sourceFolder : folder.targetFolder, twin)}));
      }
      for (const auto& [key, entry] : side->entries) {
        const Keyed& otherSide = side == &sourceKeyed ? targetKeyed : sourceKeyed;
        if (isLink(*entry) && leaveLinkAlone(folder, *entry, side == &sourceKeyed, otherSide.find(key) == nullptr, observer)) {
          leftKeys.insert(key);
        }
      }
    }
    // A name that is a folder on one side and a file (or link) on the other, or both in one
    // archive: neither can take the other's place, so both are left alone.
    const Keyed sourceFolders = keyed(inSource.folders, ignoreCase);
    const Keyed targetFolders = keyed(inTarget.folders, ignoreCase);
    for (const auto& [fileSide, folderSide, folderRoot] : {std::tuple{&sourceKeyed, &targetFolders, &folder.targetFolder},
                                                           std::tuple{&targetKeyed, &sourceFolders, &folder.sourceFolder},
                                                           std::tuple{&sourceKeyed, &sourceFolders, &folder.sourceFolder},
                                                           std::tuple{&targetKeyed, &targetFolders, &folder.targetFolder}}) {
      for (const auto& [key, entry] : fileSide->entries) {
        if (folderSide->find(key) == nullptr) continue;
        ++leftAlone_.kindClashes;
        leftKeys.insert(key);
        observer.Problem(TranslateFormat("${A folder on one side and a file on the other, left alone:} %s",
                                         {*folderRoot + folderSide->find(key)->name}));
      }
    }
    auto isLeftAlone = [&](const std::string& key) { return leftKeys.count(key) > 0; };
    {
      const std::lock_guard lock(items_.Lock());
      if (task.row) AddFolderItem(folder, folder.inSource ? presence::kSource : presence::kTarget);
      for (const auto& [key, entry] : sourceKeyed.entries) {
        if (isLeftAlone(key)) continue;
        const FindData* match = targetKeyed.find(key);
        if (match != nullptr) {
          if (!orphansOnly && (table_[kSourceNewer] != 0 || table_[kTargetNewer] != 0)) {
            CompareEntry(folder, entry, match, presence::kBoth);
          }
        } else if (!matchedFilesOnly) {
          CompareEntry(folder, entry, nullptr, presence::kSource);
        }
      }
      if (!matchedFilesOnly) {
        for (const auto& [key, entry] : targetKeyed.entries) {
          if (!isLeftAlone(key) && sourceKeyed.find(key) == nullptr) CompareEntry(folder, nullptr, entry, presence::kTarget);
        }
      }
    }
    observer.FolderPassed(folder.relative, items_.Count());
    if (!recursive) continue;

    // Subfolders of both sides, paired by name, visited in ascending name order.
    std::vector<std::pair<std::string, std::pair<const FindData*, const FindData*>>> subfolders;

    for (const Keyed* side : {&sourceFolders, &targetFolders}) {
      for (const std::string& twin : side->twins) {
        ++leftAlone_.caseClashes;
        leftKeys.insert(pairKey(twin, ignoreCase));
        observer.Problem(TranslateFormat("${Names differ only in letter case, left alone:} %s",
                                         {platform::joinPath(side == &sourceFolders ? folder.sourceFolder : folder.targetFolder, twin)}));
      }
    }
    for (const auto& [key, entry] : sourceFolders.entries) subfolders.push_back({key, {entry, targetFolders.find(key)}});
    for (const auto& [key, entry] : targetFolders.entries) {
      if (sourceFolders.find(key) == nullptr) subfolders.push_back({key, {nullptr, entry}});
    }
    std::sort(subfolders.begin(), subfolders.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [key, sides] : subfolders) {
      const auto [inSourceEntry, inTargetEntry] = sides;
      if (isLeftAlone(key)) continue;
      const std::string& name = inSourceEntry != nullptr ? inSourceEntry->name : inTargetEntry->name;
      Task child;
      child.folder.relative = folder.relative.empty() ? name : platform::joinPath(folder.relative, name);
      const FolderFilter::Decision decision = folderFilter.Decide(child.folder.relative, task.included);
      if (decision == FolderFilter::Decision::Skip) continue;
      if ((inSourceEntry != nullptr && child.folder.relative == backupBelow_[0]) ||
          (inTargetEntry != nullptr && child.folder.relative == backupBelow_[1])) {
        continue;
      }
      if (session.skipHiddenFolders && name.starts_with('.')) {
        observer.Filtered((inSourceEntry != nullptr ? folder.sourceFolder : folder.targetFolder) + name);
        continue;
      }
      child.passThrough = decision == FolderFilter::Decision::PassThrough;
      child.included = folderFilter.IncludeMode() && !child.passThrough;
      child.folder.inSource = inSourceEntry != nullptr;
      child.folder.inTarget = inTargetEntry != nullptr;
      if ((!child.folder.inSource || !child.folder.inTarget) && matchedFoldersOnly) continue;
      child.folder.sourceFolder = folder.sourceFolder + (inSourceEntry != nullptr ? inSourceEntry->name : name) + platform::kSeparator;
      child.folder.targetFolder = folder.targetFolder + (inTargetEntry != nullptr ? inTargetEntry->name : name) + platform::kSeparator;
      child.folder.pairIndex = pairIndex;
      // Folders are passed before the folders below them, so every item above exists by now.
      child.folder.aboveItem = folder.folderItem >= 0 ? folder.folderItem : folder.aboveItem;
      child.folder.source = &source;
      child.folder.target = &target;
      child.folder.ignoreCase = ignoreCase;
      child.row = !child.passThrough && (!child.folder.inSource || !child.folder.inTarget);
      if (child.folder.inSource) lister.Prefetch(FolderLister::kSource, child.folder.sourceFolder);
      if (child.folder.inTarget) lister.Prefetch(FolderLister::kTarget, child.folder.targetFolder);
      pending.push_back(std::move(child));
    }
  }
  return true;
}

}  // namespace engine
