#include "stores/package_store.h"

#include <algorithm>
#include <sys/stat.h>

#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "stores/listing_text.h"
#include "stores/zip_content.h"

namespace stores {
namespace {

constexpr std::string_view kListEntry = "LIST/list.txt";
constexpr std::string_view kContentFolder = "FILES/";

}  // namespace

PackageStore::PackageStore(engine::StoreContext context) : SnapshotStore(std::move(context)) {}

PackageStore::~PackageStore() { archive_.Discard(); }

bool PackageStore::Open(const std::string& root, engine::OpenOptions options) { return openFileRoot(root, options, true); }

bool PackageStore::Attach(engine::ProgressSink* sink, bool) {
  return startAttach(sink) && readFile();
}

bool PackageStore::ensureOpen(bool create) {
  if (archive_.IsOpen()) return true;
  try {
    archive_.Open(root_, create);
    return true;
  } catch (const CZipException& failure) {
    return fail(root_ + ": " + failure.ReasonAbout(root_));
  }
}

bool PackageStore::readFile() {
  clearListing();
  content_.clear();
  contentByCase_.clear();
  deleteQueue_.clear();
  copies_.clear();
  listEntry_.clear();
  archive_.Discard();
  // Only a package that does not exist is new and empty; one that cannot be read fails.
  if (!platform::exists(root_)) return true;
  if (!ensureOpen(false)) return false;
  int list = -1;
  for (int i = 0; i < archive_.Count(); ++i) {
    const ZipEntry& entry = archive_.Entry(i);
    if (entry.isFolder()) continue;
    // Packages made on Windows hold "\" between folders, whatever system their archiver said.
    const std::string name = platform::fromStoredName(entry.name);
    if (platform::equalNoCase(name, kListEntry)) {
      // Two lists (spelled differently) would be a guess between two folders.
      if (list >= 0 && archive_.Entry(list).name != entry.name) {
        return fail(engine::TranslateFormat("${This package holds more than one list:} %s", {root_}));
      }
      list = i;
    } else if (name.size() > kContentFolder.size() &&
               platform::equalNoCase(std::string_view(name).substr(0, kContentFolder.size()), kContentFolder)) {
      const std::string relative = name.substr(kContentFolder.size());
      if (platform::isSafeRelativeName(entry.name.substr(kContentFolder.size()))) {
        noteContent(relative, entry.name);
      } else {
        addWarning(engine::TranslateFormat("${A name that would leave the folder is left out:} %s (%s)", {entry.name, root_}));
      }
    }
  }
  if (list < 0) return true;
  listEntry_ = archive_.Entry(list).name;
  if (archive_.Entry(list).uncompressedSize > kMaxListSize) {
    return fail(engine::TranslateFormat("${No listing of files can be read from this file:} %s", {root_}));
  }
  std::string text;
  try {
    const auto reader = archive_.OpenEntry(list);
    char buffer[65536];
    while (const std::size_t got = reader->read(buffer, sizeof buffer)) text.append(buffer, got);
  } catch (const CZipException& failure) {
    return fail(engine::Translate("${cannot read}") + " " + root_ + ": " + failure.ReasonAbout(root_));
  }
  if (!readListingText(text)) return false;
  // The line holds the local time to the second; a file the package carries with its exact time
  // compares by that, wherever the package is read.
  for (int i = 0; i < listing_.SlotCount(); ++i) {
    if (!listing_.IsLive(i)) continue;
    engine::HistoryEntry& line = listing_.at(i);
    const std::string name = contentEntry(line.path);
    if (name.empty()) continue;
    const ZipEntry& carried = archive_.Entry(archive_.FindName(name));
    const std::int64_t apart = carried.exactTime ? static_cast<std::int64_t>(*carried.exactTime / platform::kTicksPerSecond) -
                                                       static_cast<std::int64_t>(line.time / platform::kTicksPerSecond)
                                                 : 1;
    // Written in another time zone: whole quarter hours apart, never more than the zones are.
    const bool shiftedByZone = apart % 900 == 0 && apart >= -26 * 3600 && apart <= 26 * 3600;
    if (carried.exactTime && carried.uncompressedSize == static_cast<std::uint64_t>(line.size) && shiftedByZone) {
      line.time = *carried.exactTime;
    }
  }
  return true;
}

void PackageStore::noteContent(const std::string& relative, const std::string& name) {
  content_[relative] = name;
  // Two spellings of one case key: no guess between them (empty).
  const auto [variant, added] = contentByCase_.emplace(platform::caseKey(relative), relative);
  if (!added && variant->second != relative) variant->second.clear();
}

std::string PackageStore::contentEntry(const std::string& relative) const {
  auto found = content_.find(relative);
  if (found == content_.end()) {
    // A variant that has a line of its own is another file (Linux tells "A" and "a" apart).
    const auto variant = contentByCase_.find(platform::caseKey(relative));
    if (variant != contentByCase_.end() && !variant->second.empty() && findEntry(variant->second) < 0) {
      found = content_.find(variant->second);
    }
  }
  return found == content_.end() ? std::string() : found->second;
}

void PackageStore::dropContent(const std::string& relative) {
  const std::string name = contentEntry(relative);
  if (name.empty()) return;
  if (std::find(deleteQueue_.begin(), deleteQueue_.end(), name) == deleteQueue_.end()) deleteQueue_.push_back(name);
  const std::string carried = platform::fromStoredName(name.substr(kContentFolder.size()));
  content_.erase(carried);
  const auto variant = contentByCase_.find(platform::caseKey(carried));
  if (variant != contentByCase_.end() && variant->second == carried) contentByCase_.erase(variant);
}

bool PackageStore::PutFile(const std::string& destination, const engine::CompareItem* item, engine::Store& source,
                           const std::string& sourcePath, unsigned flags, const engine::PutChecks& checks) {
  return ListingStore::PutFile(destination, item, source, sourcePath, flags, checks);
}

bool PackageStore::NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) {
  return ListingStore::NoteWrittenFile(path, localPath, keepExisting);
}

bool PackageStore::NoteWrittenContent(const std::string& path, platform::ContentReader& content) {
  const auto relative = relativeOf(path);
  if (!relative || relative->empty() || !IsListableName(*relative)) {
    return fail(engine::TranslateFormat("${This name cannot be written in a listing line:} %s", {path}));
  }
  if (!ensureOpen(true)) return false;
  const std::string old = contentEntry(*relative);
  const std::string name = std::string(kContentFolder) + *relative;
  // One entry more than the content and the list (to be written, if not there yet) hold.
  const int entries = archive_.Count() + (archive_.FindName(std::string(kListEntry)) < 0 ? 1 : 0);
  if (old.empty() && entries >= kMaxEntries) {
    return fail(engine::TranslateFormat("${A package holds at most 65,535 entries:} %s", {root_}));
  }
  ContentInput input(content);
  try {
    archive_.AddEntry(input, name, -1, nullptr);
    if (!old.empty() && old != name) archive_.DeleteNames({old}, nullptr);
  } catch (const CZipException& failure) {
    return fail(engine::Translate("${cannot write}") + " " + root_ + ": " + failure.ReasonAbout(root_));
  }
  std::erase(deleteQueue_, name);
  std::erase(deleteQueue_, old);
  noteContent(*relative, name);
  const ZipEntry& stored = archive_.Entry(archive_.FindName(name));
  const int entry = putEntry(*relative, static_cast<std::int64_t>(stored.uncompressedSize), stored.lastWriteTime(), 0);
  listing_.at(entry).state = 1;
  listing_.at(entry).copyIndex = -1;
  noteChange(path);
  return true;
}

bool PackageStore::NoteListOnly(const std::string& path, std::int64_t size, engine::FileTime time) {
  if (!recordLine(path, size, time)) return false;
  dropContent(*relativeOf(path));
  return true;
}

bool PackageStore::DeleteFile(const std::string& path) {
  if (!removeLine(path)) return false;
  dropContent(*relativeOf(path));
  return true;
}

void PackageStore::Empty() {
  for (int i = 0; i < listing_.SlotCount(); ++i) {
    if (listing_.IsLive(i)) (void)DeleteFile(platform::joinPath(root_, listing_.at(i).path));
  }
  // Content without a line goes too.
  for (const auto& [relative, name] : content_) {
    if (std::find(deleteQueue_.begin(), deleteQueue_.end(), name) == deleteQueue_.end()) deleteQueue_.push_back(name);
  }
  content_.clear();
  contentByCase_.clear();
}

std::unique_ptr<platform::ContentReader> PackageStore::OpenContent(const std::string& path) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  const std::string name = relative ? contentEntry(*relative) : std::string();
  if (entry < 0 || name.empty()) {
    setError(path + ": " + engine::Translate("${not in package}"));
    return nullptr;
  }
  if (!ensureOpen(false)) return nullptr;
  const int index = archive_.FindName(name);
  try {
    auto content = std::make_unique<EntryContent>(archive_.OpenEntry(index), archive_.Entry(index), nullptr);
    // The list line is what the comparison saw; the copy gets its time.
    if (content->size() == static_cast<std::uint64_t>(listing_.at(entry).size)) content->SetListedTime(listing_.at(entry).time);
    return content;
  } catch (const CZipException& failure) {
    setError(engine::Translate("${cannot read}") + " " + path + ": " + failure.what());
    return nullptr;
  }
}

bool PackageStore::HasContent(const std::string& path) {
  const auto relative = relativeOf(path);
  if (!relative) return false;
  // A folder's files are copied one by one, each as far as the package carries it.
  if (isFolder(*relative)) return true;
  return findEntry(*relative) >= 0 && !contentEntry(*relative).empty();
}

bool PackageStore::IsEntryAvailable(int index) const {
  return index >= 0 && index < listing_.SlotCount() && listing_.IsLive(index) && !contentEntry(listing_.at(index).path).empty();
}

int PackageStore::GetFile(const std::string& path, std::string& localPath, unsigned flags) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  if (entry < 0 || contentEntry(*relative).empty()) {
    setError(path + ": " + engine::Translate("${not in package}"));
    return -1;
  }
  const std::string destination = copyDestination(*relative, localPath);
  if (destination.empty()) return -1;
  if (!ensureOpen(false)) return -1;
  try {
    archive_.Extract(archive_.FindName(contentEntry(*relative)), destination, nullptr);
  } catch (const CZipException& failure) {
    setError(path + ": " + failure.what());
    return -1;
  }
  // The content leaves the package only now that its copy is out; the line stays.
  if ((flags & kRemoveAfterCopy) != 0) {
    dropContent(*relative);
    noteChange(path);
  }
  return handOutCopy(destination, localPath, entry);
}

bool PackageStore::BackupFile(const std::string& path) {
  const auto relative = relativeOf(path);
  // A line without content loses nothing when it is overwritten or removed.
  if (!relative || contentEntry(*relative).empty()) return true;
  return ListingStore::BackupFile(path);
}

void PackageStore::BeginBatch(unsigned flag) {
  // Files a killed run left beside the package (a new package it did not finish).
  if (platform::isFolder(platform::parentOf(root_))) platform::removeLeftoversIn(platform::parentOf(root_));
  SnapshotStore::BeginBatch(flag);
}

bool PackageStore::writeChanges(std::string& error) {
  if (sink_ != nullptr) {
    platform::FindData package;
    (void)platform::statEntry(root_, package);
    sink_->ProgressFile(engine::Translate("${Save to Package}"), package.size, 1, 0);
  }
  if (!ensureOpen(true)) {
    error = LastError();
    return false;
  }
  try {
    MemoryInput list(FormatListing(listing_), platform::fileTimeNow(), S_IFREG | platform::modeForCopy(0));
    archive_.AddEntry(list, std::string(kListEntry), -1, nullptr);
    // A list spelled otherwise by another program is the old list.
    if (!listEntry_.empty() && listEntry_ != kListEntry) deleteQueue_.push_back(listEntry_);
    if (!deleteQueue_.empty()) archive_.DeleteNames(deleteQueue_, nullptr);
    archive_.Close();
  } catch (const CZipException& failure) {
    error = engine::Translate("${cannot write}") + " " + root_ + ": " + failure.ReasonAbout(root_);
    archive_.Discard();
    return false;
  }
  deleteQueue_.clear();
  listEntry_ = std::string(kListEntry);
  return true;
}

bool PackageStore::WriteBackCopies() {
  bool ok = true;
  for (const TempCopy& copy : changedCopies()) {
    const std::string path = platform::joinPath(root_, listing_.at(copy.entry).path);
    if (!ListingStore::NoteWrittenFile(path, copy.path, false)) ok = false;
  }
  return ok;
}

bool PackageStore::Finish() {
  bool ok = WriteBackCopies();
  if (!commit()) ok = false;
  if (!ok) return false;
  for (const TempCopy& copy : copies_) (void)platform::deleteFile(copy.path);
  copies_.clear();
  for (int i = 0; i < listing_.SlotCount(); ++i) {
    if (listing_.IsLive(i)) listing_.at(i).copyIndex = -1;
  }
  return true;
}

}  // namespace stores
