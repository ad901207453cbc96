#include "engine/local_store.h"

#include "engine/backup_path.h"
#include "engine/checksum.h"
#include "engine/mask_list.h"
#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/drive_type.h"
#include "platform/file_copy.h"
#include "platform/path.h"
#include "platform/special_folders.h"
#include "platform/temp_names.h"
#include "platform/trash.h"

namespace engine {
LocalStore::LocalStore(StoreContext context) : Store(context) {}

LocalStore::~LocalStore() = default;

bool LocalStore::Attach(ProgressSink* sink, bool recursive) {
  if (root_.empty()) {
    setError(Translate("${No folder given}"));
    return false;
  }
  readOnlyMedium_ = platform::driveTypeOf(root_) == platform::DriveType::CdRom;
  history_.Clear();
  sink_ = sink;
  skippedLinks_ = 0;
  forgetFolderCache();
  if (settings().has(option::kUseHistory)) LoadHistory(*this, root_, recursive, history_);
  return true;
}

bool LocalStore::Open(const std::string& root, OpenOptions options) {
  givenPath_ = root;
  std::string expanded;
  if (!expandRoot(root, expanded)) {
    if (!options.quiet) prompt().ShowMessage(LastError(), PromptIcon::Error);
    return false;
  }
  if (!platform::isAbsolutePath(expanded)) expanded = platform::joinPath(platform::currentFolder(), expanded);
  root_ = platform::withoutTrailingSeparator(expanded);
  forgetFolderCache();

  if (!platform::exists(root_) && options.allowMissing) return true;
  if (!platform::exists(root_)) {
    const std::string missing = TranslateFormat("${Folder is not valid!}\n%s", {root_});
    if (!options.mayCreate) {
      setError(missing);
      if (!options.quiet) prompt().ShowMessage(missing, PromptIcon::Error);
      return false;
    }
    if (!options.quiet &&
        prompt().AskYesNo(TranslateFormat("${Folder is not valid!}\n%s\n${Do you want to create it?}", {root_}),
                          PromptIcon::Error) != PromptAnswer::Yes) {
      setError(missing);
      return false;
    }
    std::string reason;
    if (!platform::createFolderChain(root_, &reason)) {
      setError(missing + "\n" + reason);
      return false;
    }
  }
  if (!platform::isFolder(root_)) {
    const std::string text = Translate("${Can not open this file/archive}\n") + root_;
    setError(text);
    if (!options.quiet) prompt().ShowMessage(text, PromptIcon::Warning);
    return false;
  }
  return true;
}

std::string LocalStore::findNameIgnoringCase(const std::string& folder, const std::string& name) {
  if (cachedFolder_ != folder) {
    cachedNames_.clear();
    cachedFolder_ = folder;
    if (auto search = platform::DirectorySearch::open(folder)) {
      FindData entry;
      while (search->next(entry)) cachedNames_.emplace(platform::caseKey(entry.name), entry.name);
    }
  }
  const auto range = cachedNames_.equal_range(platform::caseKey(name));
  if (range.first == range.second || std::next(range.first) != range.second) return {};  // none, or not one
  return range.first->second;
}

std::string LocalStore::Resolve(const std::string& path) {
  if (root_.empty() || platform::exists(path)) return path;
  const std::string prefix = platform::withTrailingSeparator(root_);
  if (!path.starts_with(prefix)) return path;
  std::string resolved = root_;
  std::size_t pos = prefix.size();
  while (pos <= path.size()) {
    std::size_t end = path.find(platform::kSeparator, pos);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty()) continue;
    std::string candidate = platform::joinPath(resolved, part);
    if (!platform::exists(candidate)) {
      const std::string actual = findNameIgnoringCase(resolved, part);
      if (actual.empty()) {
        return end < path.size() ? platform::joinPath(candidate, path.substr(end + 1)) : candidate;
      }
      candidate = platform::joinPath(resolved, actual);
    }
    resolved = std::move(candidate);
  }
  if (!path.empty() && platform::isSeparator(path.back())) resolved += platform::kSeparator;
  return resolved;
}

bool LocalStore::Exists(const std::string& path) { return GetAttributes(path) != platform::attr::kInvalid; }

bool LocalStore::advance(Search& search) {
  FindData entry;
  while (search.directory->next(entry)) {
    if ((entry.attributes & platform::attr::kLink) != 0) {
      ++skippedLinks_;
      continue;
    }
    if (platform::isTemporaryName(entry.name)) {
      leftovers_.push_back(platform::joinPath(search.folder, entry.name));
      continue;
    }
    if (entry.name == kHistoryFileName) continue;
    if (entry.name != "." && entry.name != ".." && !MatchMask(entry.name, search.mask)) continue;
    current_ = std::move(entry);
    return true;
  }
  return false;
}

SearchHandle LocalStore::FindFirst(const std::string& pattern) {
  Search search;
  std::string reason;
  const std::string folder = Resolve(platform::parentOf(pattern));
  search.directory = platform::DirectorySearch::open(folder, &reason);
  if (!search.directory) {
    setError(platform::parentOf(pattern) + ": " + reason);
    return kNoSearch;
  }
  search.mask = platform::fileNameOf(pattern);
  search.folder = folder;
  if (!advance(search)) return kNoSearch;
  const SearchHandle handle = nextHandle_++;
  searches_.emplace(handle, std::move(search));
  return handle;
}

bool LocalStore::FindNext(SearchHandle handle) {
  const auto it = searches_.find(handle);
  return it != searches_.end() && advance(it->second);
}

bool LocalStore::FindClose(SearchHandle handle) { return searches_.erase(handle) > 0; }

bool LocalStore::PutFile(const std::string& destination, const CompareItem*, Store& source,
                         const std::string& sourcePath, unsigned flags) {
  std::string target = Resolve(destination);
  const std::uint64_t size = source.GetFileInfo(sourcePath) ? source.CurrentEntry().size : 0;
  if (sink_ != nullptr) sink_->ProgressFile(platform::fileNameOf(destination), size, 1, 0);
  forgetFolderCache();
  if (source.GetFile(sourcePath, target, flags) != 1) {
    setError(source.LastError());
    return false;
  }
  if (!NoteWrittenFile(target, std::string(), false)) {
    setError(target + ": " + Translate("${the copy is not there}"));
    return false;
  }
  return true;
}

bool LocalStore::NoteWrittenFile(const std::string& path, const std::string&, bool) {
  FindData entry;
  std::string resolved = path;
  if (!platform::statEntry(resolved, entry)) {
    resolved = Resolve(path);
    if (resolved == path || !platform::statEntry(resolved, entry)) return false;
  }
  if (!settings().has(option::kUseHistory)) return true;
  HistoryEntry noted;
  noted.folder = platform::withTrailingSeparator(platform::parentOf(resolved));
  noted.name = entry.name;
  noted.path = noted.folder + noted.name;
  noted.time = entry.lastWriteTime;
  noted.size = static_cast<std::int64_t>(entry.size);
  history_.Put(std::move(noted));
  return true;
}

bool LocalStore::DeleteFile(const std::string& path) {
  const std::string resolved = Resolve(path);
  std::string reason;
  const bool deleted = settings().has(option::kDeleteToTrash) ? platform::moveToTrash(resolved, &reason)
                                                               : platform::deleteFile(resolved, &reason);
  forgetFolderCache();
  if (!deleted) {
    setError(resolved + ": " + reason);
    return false;
  }
  ForgetFile(resolved);
  return true;
}

void LocalStore::ForgetFile(const std::string& path) {
  if (!settings().has(option::kUseHistory)) return;
  const std::string folder = platform::withTrailingSeparator(platform::parentOf(path));
  history_.RemoveName(folder, platform::fileNameOf(path));
  history_.MarkFolder(folder);
}

std::uint32_t LocalStore::GetAttributes(const std::string& path) {
  // The name as given first: looking for it without regard to case is the rare case.
  const std::uint32_t attributes = platform::getAttributes(path);
  return attributes != platform::attr::kInvalid ? attributes : platform::getAttributes(Resolve(path));
}

bool LocalStore::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return platform::setAttributes(Resolve(path), attributes);
}

bool LocalStore::GetFileInfo(const std::string& path) {
  FindData entry;
  if (!platform::statEntry(path, entry) && !platform::statEntry(Resolve(path), entry)) return false;
  if ((entry.attributes & platform::attr::kLink) != 0) return false;
  current_ = std::move(entry);
  return true;
}

bool LocalStore::CreateFolder(const std::string& path) {
  std::string reason;
  forgetFolderCache();
  if (platform::createFolderChain(Resolve(path), &reason)) return true;
  setError(path + ": " + reason);
  return false;
}

bool LocalStore::GetChecksum(const std::string& path, std::uint32_t& value) { return FileCrc32(Resolve(path), value); }

bool LocalStore::GetFileTime(const std::string& path, CalendarTime& time) {
  const auto written = platform::getLastWriteTime(Resolve(path));
  if (!written) return false;
  time = platform::utcCalendarFromFileTime(*written);
  return true;
}

bool LocalStore::SetFileTime(const std::string& path, FileTime time) {
  std::string reason;
  if (platform::setLastWriteTime(Resolve(path), time, &reason)) return true;
  setError(path + ": " + reason);
  return false;
}

bool LocalStore::SetFileTimeFromCalendar(const std::string& path, const CalendarTime& time) {
  const auto converted = platform::fileTimeFromUtcCalendar(time);
  return converted && SetFileTime(path, *converted);
}

bool LocalStore::Finish() {
  saveReport_ = {};
  if (!settings().has(option::kUseHistory)) return true;
  if (SaveHistory(history_, &saveReport_)) return true;
  std::string text = Translate("${History file not written:}");
  for (const std::string& failed : saveReport_.failedFolders) text += "\n" + failed;
  setError(text);
  return false;
}

int LocalStore::GetFile(const std::string& path, std::string& localPath, unsigned) {
  const std::string resolved = Resolve(path);
  if (localPath.empty()) {
    localPath = resolved;
    if (platform::canOpenForReading(resolved)) return 1;
    setError(resolved + ": " + Translate("${cannot be read}"));
    return -1;
  }
  ProgressSink* sink = sink_;
  const platform::CopyResult result = platform::copyFile(resolved, localPath, [sink](std::uint64_t done) {
    if (sink == nullptr) return true;
    sink->ProgressBytes(done);
    return sink->ShouldContinue();
  });
  if (result.ok()) return 1;
  setError(resolved + ": " + result.error);
  return -1;
}

bool LocalStore::ReleaseFile(const std::string&) { return true; }

bool LocalStore::RemoveEmptyFolder(const std::string& path) {
  std::string reason;
  forgetFolderCache();
  if (platform::removeEmptyTree(Resolve(path), &reason)) return true;
  setError(path + ": " + reason);
  return false;
}

void LocalStore::RemoveLeftovers() {
  for (const std::string& leftover : leftovers_) (void)platform::deleteFile(leftover);
  leftovers_.clear();
}

std::string LocalStore::backupFolder() const {
  const std::string& chosen = settings().backupPath;
  return chosen.empty() ? platform::defaultBackupFolder() : chosen;
}

std::string LocalStore::relativeToRoot(const std::string& path) const {
  const std::string prefix = platform::withTrailingSeparator(root_);
  return path.starts_with(prefix) ? path.substr(prefix.size()) : platform::fileNameOf(path);
}

bool LocalStore::BackupFile(const std::string& path) {
  const std::string resolved = Resolve(path);
  const std::string folder = backupFolder();
  std::string reason;
  if (!platform::isFolder(folder)) {
    const std::string parent = platform::parentOf(folder);
    if ((!parent.empty() && !platform::createFolderChain(parent, &reason)) ||
        !platform::createFolder(folder, 0700, &reason)) {
      setError(Translate("${Backup not made:} ") + folder + ": " + reason);
      return false;
    }
  }
  const std::string destination = ClaimBackupPath(platform::joinPath(folder, relativeToRoot(resolved)));
  if (!platform::createFolderChain(platform::parentOf(destination), &reason)) {
    setError(Translate("${Backup not made:} ") + destination + ": " + reason);
    return false;
  }
  const platform::CopyResult result = platform::copyFile(resolved, destination);
  if (!result.ok()) {
    setError(Translate("${Backup not made:} ") + resolved + ": " + result.error);
    return false;
  }
  return true;
}

}  // namespace engine
