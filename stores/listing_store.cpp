#include "stores/listing_store.h"

#include <cstdio>

#include "engine/copy_source.h"
#include "engine/mask_list.h"
#include "engine/text.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace stores {
namespace {

std::string folderOf(const std::string& relative) {
  const auto slash = relative.rfind('/');
  return slash == std::string::npos ? std::string() : relative.substr(0, slash + 1);
}

engine::FindData dataOf(const engine::HistoryEntry& entry) {
  engine::FindData data;
  data.name = entry.name;
  data.alternateName = entry.name;
  data.size = static_cast<std::uint64_t>(entry.size);
  data.lastWriteTime = entry.time;
  data.attributes = entry.link ? platform::attr::kLink : platform::attr::kNormal;
  return data;
}

}  // namespace

ListingStore::ListingStore(engine::StoreContext context)
    : Store(std::move(context)), backups_(settings()), temp_(std::make_unique<platform::TempFolder>("ovand")) {
  listing_.SetIgnoreCase(false);
}

ListingStore::~ListingStore() = default;

std::optional<std::string> ListingStore::relativeOf(const std::string& path) const {
  const std::string root = platform::withoutTrailingSeparator(root_);
  if (path == root || path == root + "/") return std::string();
  const std::string prefix = root + "/";
  if (!path.starts_with(prefix)) return std::nullopt;
  return platform::withoutTrailingSeparator(path.substr(prefix.size()));
}

int ListingStore::findEntry(const std::string& relative) const {
  return listing_.Find(folderOf(relative), platform::fileNameOf(relative));
}

int ListingStore::putEntry(const std::string& relative, std::int64_t size, engine::FileTime time, std::uint32_t checksum) {
  engine::HistoryEntry entry;
  entry.path = relative;
  entry.name = platform::fileNameOf(relative);
  entry.folder = folderOf(relative);
  entry.size = size;
  entry.time = time;
  entry.checksum = checksum;
  foldersIndexed_ = false;
  return listing_.Put(std::move(entry));
}

void ListingStore::clearListing() {
  listing_.Clear();
  foldersIndexed_ = false;
}

void ListingStore::replaceListing(engine::HistoryList listing) {
  listing_ = std::move(listing);
  foldersIndexed_ = false;
}

void ListingStore::indexFolders() const {
  if (foldersIndexed_) return;
  folders_.clear();
  folders_[""];
  for (int i = 0; i < listing_.SlotCount(); ++i) {
    if (!listing_.IsLive(i)) continue;
    std::string folder = listing_.at(i).folder;
    folders_[folder].files.push_back(i);
    while (!folder.empty()) {
      const std::string withoutSlash = folder.substr(0, folder.size() - 1);
      const std::string parent = folderOf(withoutSlash);
      if (!folders_[parent].subfolders.insert(platform::fileNameOf(withoutSlash)).second) break;  // known already
      folder = parent;
    }
  }
  foldersIndexed_ = true;
}

bool ListingStore::isFolder(const std::string& relative) const {
  indexFolders();
  return relative.empty() || folders_.count(relative + "/") > 0;
}

bool ListingStore::openFileRoot(const std::string& root, const engine::OpenOptions& options, bool askToCreate) {
  std::string expanded;
  if (!expandRoot(root, expanded)) return false;
  if (!platform::isAbsolutePath(expanded)) expanded = platform::joinPath(platform::currentFolder(), expanded);
  root_ = platform::withoutTrailingSeparator(expanded);
  // A file named through a link is read and written where the link points: a new file put in
  // its place would leave the one the user keeps behind.
  platform::FindData entry;
  if (platform::statEntry(root_, entry) && (entry.attributes & platform::attr::kLink) != 0) {
    std::string target = platform::canonicalPath(root_);
    // A link to a file not made yet: the file is made where it points.
    if (target.empty() && platform::readSymbolicLink(root_, target) && !target.empty()) {
      if (!platform::isAbsolutePath(target)) target = platform::joinPath(platform::parentOf(root_), target);
      target = platform::pathAsItWillBe(target);
    }
    if (!target.empty()) root_ = target;
  }
  if (platform::exists(root_) && !platform::isRegularFile(root_)) {
    const std::string text = engine::Translate("${Can not open this file/archive}\n") + root_;
    if (!options.quiet) prompt().ShowMessage(text, engine::PromptIcon::Warning);
    setError(text);
    return false;
  }
  if (platform::exists(root_)) return true;
  // A file to be made in a folder that is not there: said once here, not once for every file.
  if (!platform::isFolder(platform::parentOf(root_))) {
    setError(engine::TranslateFormat("${The folder to make this file in does not exist:} %s", {root_}));
    return false;
  }
  if (options.allowMissing || !askToCreate) return true;
  const bool agreed = options.mayCreate &&
                      (options.quiet || prompt().AskYesNo(engine::Translate("${Do you want to create this archive?}\n") + root_,
                                                          engine::PromptIcon::Question) == engine::PromptAnswer::Yes);
  if (!agreed) setError(engine::TranslateFormat("${Archive not found:} %s", {root_}));
  return agreed;
}

bool ListingStore::startAttach(engine::ProgressSink* sink) {
  if (root_.empty()) return fail(engine::Translate("${No folder given}"));
  sink_ = sink;
  history_.Clear();
  return true;
}

bool ListingStore::fail(const std::string& text) {
  setError(text);
  return false;
}

bool ListingStore::Exists(const std::string& path) { return GetAttributes(path) != platform::attr::kInvalid; }

std::uint32_t ListingStore::GetAttributes(const std::string& path) {
  const auto relative = relativeOf(path);
  if (!relative) return platform::attr::kInvalid;
  if (findEntry(*relative) >= 0) return platform::attr::kNormal;
  return isFolder(*relative) ? platform::attr::kFolder : platform::attr::kInvalid;
}

bool ListingStore::GetFileInfo(const std::string& path) {
  const auto relative = relativeOf(path);
  const int index = relative ? findEntry(*relative) : -1;
  if (index < 0) return false;
  current_ = dataOf(listing_.at(index));
  return true;
}

void ListingStore::folderEntries(const std::string& folderKey, const std::string& mask,
                                 std::vector<engine::FindData>& entries) const {
  indexFolders();
  const auto found = folders_.find(folderKey);
  if (found == folders_.end()) return;
  for (const std::string& name : found->second.subfolders) {
    if (!engine::MatchMask(name, mask)) continue;
    engine::FindData data;
    data.name = name;
    data.attributes = platform::attr::kFolder;
    entries.push_back(data);
  }
  for (const int index : found->second.files) {
    if (!listing_.IsLive(index)) continue;
    const std::string& name = listing_.at(index).name;
    // History files and the program's temporary files are never synchronized, wherever they are.
    if (name == engine::kHistoryFileName || platform::isTemporaryName(name)) continue;
    if (engine::MatchMask(name, mask)) entries.push_back(dataOf(listing_.at(index)));
  }
}

engine::SearchHandle ListingStore::FindFirst(const std::string& pattern) {
  const auto folder = relativeOf(platform::parentOf(pattern));
  if (!folder || !isFolder(*folder)) {
    setError(pattern + ": no such folder");
    return engine::kNoSearch;
  }
  Search search;
  search.entries.resize(2);
  search.entries[0].name = ".";
  search.entries[1].name = "..";
  search.entries[0].attributes = search.entries[1].attributes = platform::attr::kFolder;
  folderEntries(folder->empty() ? std::string() : *folder + "/", platform::fileNameOf(pattern), search.entries);
  const engine::SearchHandle handle = nextHandle_++;
  current_ = search.entries.front();
  search.next = 1;
  searches_[handle] = std::move(search);
  return handle;
}

bool ListingStore::FindNext(engine::SearchHandle handle) {
  const auto it = searches_.find(handle);
  if (it == searches_.end() || it->second.next >= it->second.entries.size()) return false;
  current_ = std::move(it->second.entries[it->second.next++]);
  return true;
}

bool ListingStore::ListFolder(const std::string& folder, std::vector<engine::FindData>& entries, std::string& error) {
  const auto relative = relativeOf(folder);
  if (!relative || !isFolder(*relative)) {
    error = folder + ": no such folder";
    return false;
  }
  folderEntries(relative->empty() ? std::string() : *relative + "/", "*.*", entries);
  return true;
}

bool ListingStore::FindClose(engine::SearchHandle handle) { return searches_.erase(handle) > 0; }

bool ListingStore::PutFile(const std::string& destination, const engine::CompareItem*, engine::Store& source,
                           const std::string& sourcePath, unsigned, const engine::PutChecks& checks) {
  engine::OpenedSource opened;
  std::string error;
  if (!engine::OpenForCopy(engine::SourceOf(source, sourcePath), checks.source, opened, error)) {
    setError(error);
    return false;
  }
  if (opened.link) return NoteWrittenLink(destination, opened.link->second, opened.link->first.lastWriteTime);
  // The source was checked as it was opened; the archive as a whole is checked when it is written.
  const auto& content = opened.content;
  if (sink_ != nullptr) sink_->ProgressFile(platform::fileNameOf(destination), content->size(), 1, 0);
  if (NoteWrittenContent(destination, *content)) return true;
  // A source that failed while it was read is named in its own words.
  if (!content->error().empty()) setError(engine::Translate("${cannot read}") + " " + sourcePath + ": " + content->error());
  return false;
}

bool ListingStore::NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) {
  const auto relative = relativeOf(path);
  if (keepExisting && relative && findEntry(*relative) >= 0) return false;
  std::string reason;
  auto content = platform::FileReader::open(localPath, &reason);
  if (!content) {
    setError(engine::Translate("${cannot read}") + " " + localPath + ": " + reason);
    return false;
  }
  if (!NoteWrittenContent(path, *content)) return false;
  recordCopy(localPath, findEntry(*relative));
  return true;
}

bool ListingStore::NoteWrittenLink(const std::string& path, const std::string&, engine::FileTime) {
  setError(path + ": " + engine::Translate("${the other side cannot hold links}"));
  return false;
}

bool ListingStore::GetChecksum(const std::string& path, std::uint32_t& value) {
  const auto relative = relativeOf(path);
  const int index = relative ? findEntry(*relative) : -1;
  if (index < 0 || (GetCapabilities() & kHasChecksum) == 0) return false;
  value = listing_.at(index).checksum;
  return true;
}

bool ListingStore::GetFileTime(const std::string& path, engine::CalendarTime& time) {
  const auto relative = relativeOf(path);
  const int index = relative ? findEntry(*relative) : -1;
  if (index < 0) return false;
  time = platform::utcCalendarFromFileTime(listing_.at(index).time);
  return true;
}

std::string ListingStore::copyDestination(const std::string& relative, const std::string& localPath) {
  if (!localPath.empty()) return localPath;
  const std::string destination = platform::joinPath(TempFolder(), relative);
  if (platform::createFolderChain(platform::parentOf(destination))) return destination;
  setError(destination + ": " + engine::Translate("${cannot be written}"));
  return {};
}

bool ListingStore::insideTempFolder(const std::string& path) const {
  return path.starts_with(platform::withTrailingSeparator(temp_->path()));
}

void ListingStore::recordCopy(const std::string& path, int entry) {
  if (!insideTempFolder(path)) return;
  TempCopy copy;
  copy.path = path;
  copy.entry = entry;
  platform::FindData data;
  if (platform::statEntry(path, data)) {
    copy.size = data.size;
    copy.time = data.lastWriteTime;
  }
  copies_.push_back(copy);
  if (entry >= 0 && listing_.IsLive(entry)) listing_.at(entry).copyIndex = static_cast<int>(copies_.size()) - 1;
}

std::string ListingStore::keepInRecovery(const std::string& folder) const {
  const std::vector<std::string> files = platform::filesBelow(folder);
  if (files.empty()) return {};
  const platform::CalendarTime now = platform::localFromFileTime(platform::fileTimeNow());
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute,
                now.second);
  const std::string recovery = platform::joinPath(platform::joinPath(platform::userDataFolder(), "velkor/recovery"),
                                                  platform::fileNameOf(root_) + "-" + stamp);
  std::string said;
  bool keptAny = false;
  for (const std::string& file : files) {
    const std::string target = platform::joinPath(recovery, file.substr(platform::withTrailingSeparator(folder).size()));
    std::string error;
    // The temporary folder may lie on another file system (a tmpfs) than the user's data.
    if (platform::createFolderChain(platform::parentOf(target), &error) && platform::moveFile(file, target, error)) {
      keptAny = true;
      continue;
    }
    said += "\n" + engine::TranslateFormat("${A copy that was not written back could not be kept:} %s (%s)", {file, error});
  }
  if (keptAny) said = engine::TranslateFormat("${Copies that were not written back are kept in:} %s", {recovery}) + said;
  return keptAny ? said : said.substr(1);
}

bool ListingStore::ReleaseFile(const std::string&) { return true; }

int ListingStore::handOutCopy(const std::string& destination, std::string& localPath, int entry) {
  if (localPath.empty()) {
    localPath = destination;
    recordCopy(destination, entry);
  }
  return 1;
}

std::vector<ListingStore::TempCopy> ListingStore::changedCopies() const {
  std::vector<TempCopy> changed;
  for (std::size_t row = 0; row < copies_.size(); ++row) {
    const TempCopy& copy = copies_[row];
    const bool current = copy.entry >= 0 && listing_.IsLive(copy.entry) && listing_.at(copy.entry).copyIndex == static_cast<int>(row);
    platform::FindData now;
    if (current && platform::statEntry(copy.path, now) && (now.size != copy.size || now.lastWriteTime != copy.time)) {
      changed.push_back(copy);
    }
  }
  return changed;
}

bool ListingStore::BackupFile(const std::string& path) {
  const auto relative = relativeOf(path);
  auto content = relative ? OpenContent(path) : nullptr;
  std::string error;
  if (content && backups_.Keep(*relative, *content, error)) return true;
  return fail(error.empty() ? LastError() : error);
}

}  // namespace stores
