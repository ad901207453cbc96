#include "stores/zip_store.h"

#include <algorithm>
#include <cstdio>

#include "engine/backup_path.h"
#include "stores/package_store.h"
#include "stores/snapshot_store.h"
#include "stores/zip_content.h"
#include "engine/store_factory.h"
#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/drive_type.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace stores {
namespace {

// A name that stays below the archive's folder: relative, no empty, "." or ".." part, no control
// character. Names arrive with "/" between folders (the container reads "\" of Windows archives
// so); a "\" of an archive made elsewhere is part of a name.
bool storableName(const std::string& relative) { return platform::isSafeRelativePath(relative); }

}  // namespace

// Passes the component's progress to the run; a cancel stops extraction, never a write.
class ZipStore::ProgressAdapter : public ZipProgressSink {
 public:
  explicit ProgressAdapter(ZipStore& store) : store_(store) {}
  bool Callback(int kind, std::uint64_t total, std::uint64_t done, const std::string& name) override {
    engine::ProgressSink* sink = store_.sink_;
    if (sink == nullptr) return true;
    if (kind != lastKind_) {
      lastKind_ = kind;
      const char* format = kind == kAdding         ? "${Adding:} %s"
                           : kind == kReplacing    ? "${Replacing:} %s"
                           : kind == kDeleting     ? "${Update archiv:} %s"
                           : kind == kRemovingPart ? "${!! Disk full !! Deleting part of:} %s"
                                                   : "%s";
      if (kind != kCounting && kind != kExtracting) sink->ProgressFile(engine::TranslateFormat(format, {name}), total, 1, 0);
    }
    sink->ProgressBytes(done);
    return sink->ShouldContinue();
  }

 private:
  ZipStore& store_;
  int lastKind_ = 0;
};

ZipStore::ArchiveScope::ArchiveScope(ZipStore& store, bool create) : store_(store) {
  if (store_.archive_.IsOpen()) {
    ++store_.openCount_;
    counted_ = true;
    return;
  }
  if (!create && !platform::exists(store_.root_)) return;
  ++store_.openCount_;
  counted_ = true;
  try {
    store_.archive_.Open(store_.root_, create);
  } catch (const CZipException& failure) {
    --store_.openCount_;
    counted_ = false;
    store_.setError(store_.root_ + ": " + failure.ReasonAbout(store_.root_));
  }
}

ZipStore::ArchiveScope::~ArchiveScope() { (void)Release(); }

bool ZipStore::ArchiveScope::Release() {
  if (!counted_) return true;
  counted_ = false;
  if (store_.openCount_ > 0) --store_.openCount_;
  if (store_.openCount_ > 0 || !store_.archive_.IsOpen()) return true;
  try {
    store_.archive_.Close();
    return true;
  } catch (const CZipException& failure) {
    store_.closeError_ = store_.root_ + ": " + failure.ReasonAbout(store_.root_);
    store_.setError(store_.closeError_);
    return false;
  }
}

ZipStore::ZipStore(engine::StoreContext context) : ListingStore(std::move(context)) {}

ZipStore::~ZipStore() {
  held_.reset();
  archive_.Discard();
}

bool ZipStore::Open(const std::string& root, engine::OpenOptions options) { return openFileRoot(root, options, true); }

bool ZipStore::Attach(engine::ProgressSink* sink, bool) {
  if (!startAttach(sink)) return false;
  readOnlyMedium_ = platform::driveTypeOf(platform::parentOf(root_)) == platform::DriveType::CdRom;
  return readListing();
}

bool ZipStore::readListing() {
  clearListing();
  copies_.clear();
  deleteQueue_.clear();
  // Only a file that does not exist is an empty archive; anything else that cannot be read fails.
  if (!platform::exists(root_)) return true;
  ArchiveScope scope(*this, false);
  if (!scope.IsOpen()) return false;
  // An archive made on Windows knows no letter case; one made on Unix (and every archive this
  // program writes) does.
  bool unixNames = false;
  bool windowsNames = false;
  for (int i = 0; i < archive_.Count(); ++i) {
    const ZipEntry& entry = archive_.Entry(i);
    (zipformat::madeOnWindows(entry.versionMadeBy) ? windowsNames : unixNames) = true;
    if (entry.isFolder()) continue;
    if (!storableName(entry.name)) {
      addWarning(engine::TranslateFormat("${An entry name that would leave the archive's folder is left out:} %s (%s)",
                                         {entry.name, root_}));
      continue;
    }
    const int listed = putEntry(entry.name, static_cast<std::int64_t>(entry.uncompressedSize), entry.lastWriteTime(), entry.crc);
    listing_.at(listed).link = entry.isLink();
  }
  ignoresCase_ = windowsNames && !unixNames;
  return true;
}

int ZipStore::entryOf(const std::string& path, int& archiveIndex) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  archiveIndex = entry >= 0 ? archive_.FindName(listing_.at(entry).path) : -1;
  if (archiveIndex < 0) setError(path + ": " + engine::Translate("${not in the archive}"));
  return archiveIndex < 0 ? -1 : entry;
}

void ZipStore::noteBatchWrite(const std::string& path) {
  if (held_) batchWrites_.push_back(path);
}

bool ZipStore::NoteWrittenContent(const std::string& path, platform::ContentReader& content) {
  ContentInput input(content);
  return addEntry(path, false, [&](const std::string& name, ZipProgressSink& progress) {
    archive_.AddEntry(input, name, kLevel, &progress);
  });
}

bool ZipStore::NoteWrittenLink(const std::string& path, const std::string& target, engine::FileTime time) {
  MemoryInput input = LinkInput(target, time);
  return addEntry(path, true, [&](const std::string& name, ZipProgressSink& progress) {
    archive_.AddEntry(input, name, kLevel, &progress);
  });
}

bool ZipStore::addEntry(const std::string& path, bool link, const AddToArchive& add) {
  const auto relative = relativeOf(path);
  if (!relative || relative->empty()) return fail(path + ": " + engine::Translate("${not inside the archive}"));
  if (!storableName(*relative)) {
    return fail(engine::TranslateFormat("${A name with a control character cannot be stored in an archive:} %s", {*relative}));
  }
  ArchiveScope scope(*this, true);
  if (!scope.IsOpen()) return false;
  ProgressAdapter progress(*this);
  try {
    add(*relative, progress);
  } catch (const CZipException& failure) {
    return fail(engine::Translate("${cannot write}") + " " + root_ + ": " + failure.ReasonAbout(root_));
  }
  const ZipEntry& stored = archive_.Entry(archive_.FindName(*relative));
  const int entry = putEntry(*relative, static_cast<std::int64_t>(stored.uncompressedSize), stored.lastWriteTime(), stored.crc);
  listing_.at(entry).state = 1;
  listing_.at(entry).link = link;
  // A copy made before this write is superseded: it is never written back over the new content.
  listing_.at(entry).copyIndex = -1;
  std::erase(deleteQueue_, *relative);
  noteBatchWrite(path);
  return scope.Release();
}

bool ZipStore::DeleteFile(const std::string& path) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  if (entry < 0) return fail(path + ": " + engine::Translate("${not in the archive}"));
  const std::string name = listing_.at(entry).path;
  if (std::find(deleteQueue_.begin(), deleteQueue_.end(), name) == deleteQueue_.end()) deleteQueue_.push_back(name);
  listing_.Remove(entry);
  noteBatchWrite(path);
  return true;
}

std::unique_ptr<platform::ContentReader> ZipStore::OpenContent(const std::string& path) {
  auto scope = std::make_shared<ArchiveScope>(*this, false);
  if (!scope->IsOpen()) return nullptr;
  int index = -1;
  const int entry = entryOf(path, index);
  if (entry < 0) return nullptr;
  if (listing_.at(entry).link) {
    setError(path + ": " + engine::Translate("${a link, not a file}"));
    return nullptr;
  }
  try {
    return std::make_unique<EntryContent>(archive_.OpenEntry(index), archive_.Entry(index), scope);
  } catch (const CZipException& failure) {
    setError(engine::Translate("${cannot read}") + " " + path + ": " + failure.what());
    return nullptr;
  }
}

bool ZipStore::ReadLink(const std::string& path, std::string& target) {
  ArchiveScope scope(*this, false);
  if (!scope.IsOpen()) return false;
  int index = -1;
  const int entry = entryOf(path, index);
  if (entry < 0 || !listing_.at(entry).link) return false;
  try {
    target = archive_.ReadLinkTarget(index);
    return true;
  } catch (const CZipException& failure) {
    return fail(engine::Translate("${cannot read}") + " " + path + ": " + failure.what());
  }
}

int ZipStore::GetFile(const std::string& path, std::string& localPath, unsigned) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  if (entry < 0) {
    setError(path + ": " + engine::Translate("${not in the archive}"));
    return -1;
  }
  const int copy = listing_.at(entry).copyIndex;
  if (localPath.empty() && copy >= 0 && platform::exists(copies_[static_cast<std::size_t>(copy)].path)) {
    localPath = copies_[static_cast<std::size_t>(copy)].path;
    return 1;
  }
  const std::string destination = copyDestination(*relative, localPath);
  if (destination.empty()) return -1;
  ArchiveScope scope(*this, false);
  if (!scope.IsOpen()) return -1;
  ProgressAdapter progress(*this);
  try {
    archive_.Extract(archive_.FindName(listing_.at(entry).path), destination, &progress);
  } catch (const CZipException& failure) {
    setError(path + ": " + failure.what());
    return -1;
  }
  return handOutCopy(destination, localPath, entry);
}

bool ZipStore::BackupFile(const std::string& path) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  if (entry < 0 || !listing_.at(entry).link) return ListingStore::BackupFile(path);
  std::string error;
  std::string target;
  if (ReadLink(path, target) && backups_.KeepLink(*relative, target, listing_.at(entry).time, error)) return true;
  setError(error.empty() ? LastError() : error);
  return false;
}

void ZipStore::BeginBatch(unsigned) {
  // Files a killed run left beside the archive (a new archive it did not finish); a dry run,
  // which never gets here, changes nothing.
  if (platform::isFolder(platform::parentOf(root_))) platform::removeLeftoversIn(platform::parentOf(root_));
  if (!held_) held_ = std::make_unique<ArchiveScope>(*this, true);
}

void ZipStore::EndBatch() {
  {
    // Entries of copy jobs that were never finished (the run stopped) are dropped.
    const std::lock_guard lock(preparedMutex_);
    prepared_.clear();
  }
  if (!held_) return;
  // Everything the batch changed reaches the archive in one new file, or nothing does.
  bool written = true;
  try {
    applyDeleteQueue();
  } catch (const CZipException& failure) {
    written = fail(root_ + ": " + failure.ReasonAbout(root_));
  }
  if (!written) archive_.Discard();
  if (!held_->Release()) written = false;
  held_.reset();
  if (!written) {
    lostWrites_ = std::move(batchWrites_);
    // The listing shows the archive as it is on disk again.
    const std::string reason = LastError();
    (void)readListing();
    setError(reason);
  }
  batchWrites_.clear();
}

bool ZipStore::copiesChanged() const {
  for (int i = 0; i < listing_.SlotCount(); ++i) {
    if (!listing_.IsLive(i)) continue;
    const engine::HistoryEntry& entry = listing_.at(i);
    if (entry.copyIndex < 0) continue;
    if (entry.state == 1) return true;
    const TempCopy& copy = copies_[static_cast<std::size_t>(entry.copyIndex)];
    platform::FindData now;
    if (platform::statEntry(copy.path, now) && (now.size != copy.size || now.lastWriteTime != copy.time)) return true;
  }
  return false;
}

bool ZipStore::applyDeleteQueue() {
  if (deleteQueue_.empty()) return true;
  ProgressAdapter progress(*this);
  archive_.DeleteNames(deleteQueue_, &progress);
  deleteQueue_.clear();
  return true;
}

bool ZipStore::WriteBackCopies() {
  ArchiveScope scope(*this, true);
  if (!scope.IsOpen()) return false;
  const std::vector<std::string> files = platform::filesBelow(TempFolder());
  ProgressAdapter progress(*this);
  for (const std::string& file : files) {
    int row = -1;
    for (std::size_t i = 0; i < copies_.size(); ++i) {
      if (copies_[i].path == file) row = static_cast<int>(i);
    }
    const int entry = row >= 0 ? copies_[static_cast<std::size_t>(row)].entry : -1;
    const bool current = entry >= 0 && listing_.IsLive(entry) && listing_.at(entry).copyIndex == row;
    platform::FindData now;
    const bool readable = platform::statEntry(file, now);
    const bool unchanged = current && readable && now.size == copies_[static_cast<std::size_t>(row)].size &&
                           now.lastWriteTime == copies_[static_cast<std::size_t>(row)].time;
    if (!current || !readable || (unchanged && listing_.at(entry).state != 1)) {
      (void)platform::deleteFile(file);
      continue;
    }
    const std::string name = listing_.at(entry).path;
    try {
      archive_.AddFile(file, name, -1, &progress);
    } catch (const CZipException& failure) {
      return fail(root_ + ": " + failure.ReasonAbout(root_));
    }
  }
  return scope.Release();
}

void ZipStore::keepUnsavedCopies() {
  const std::string kept = keepInRecovery(TempFolder());
  if (!kept.empty()) setError(LastError() + "\n" + kept);
}

bool ZipStore::Finish() {
  held_.reset();
  bool ok = closeError_.empty();
  if (!ok) setError(closeError_);
  closeError_.clear();
  if (deleteQueue_.empty() && !copiesChanged()) return ok;
  const bool changed = copiesChanged();
  ArchiveScope scope(*this, true);
  if (!scope.IsOpen()) return false;
  try {
    applyDeleteQueue();
  } catch (const CZipException& failure) {
    return fail(root_ + ": " + failure.ReasonAbout(root_));
  }
  if (changed && !WriteBackCopies()) ok = false;
  if (!scope.Release()) ok = false;
  if (!ok) {
    keepUnsavedCopies();
    return false;
  }
  // Everything is in the archive now: the copies are as the entries.
  const std::vector<std::string> files = platform::filesBelow(TempFolder());
  for (const std::string& file : files) (void)platform::deleteFile(file);
  copies_.clear();
  for (int i = 0; i < listing_.SlotCount(); ++i) {
    if (!listing_.IsLive(i)) continue;
    listing_.at(i).copyIndex = -1;
    listing_.at(i).state = 0;
  }
  return true;
}

void RegisterStores() {
  engine::StoreFactory::RegisterExtension(
      "zip", [](const engine::StoreContext& context) { return std::make_unique<ZipStore>(context); });
  engine::StoreFactory::RegisterExtension(
      "pck", [](const engine::StoreContext& context) { return std::make_unique<SnapshotStore>(context); });
  engine::StoreFactory::RegisterExtension(
      "pkg", [](const engine::StoreContext& context) { return std::make_unique<PackageStore>(context); });
}

}  // namespace stores
