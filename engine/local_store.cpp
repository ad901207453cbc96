#include "engine/local_store.h"

#include "engine/backup_path.h"
#include "engine/content_copy.h"
#include "engine/copy_source.h"
#include "engine/checksum.h"
#include "engine/mask_list.h"
#include "engine/text.h"
#include "platform/drive_type.h"
#include "platform/file_copy.h"
#include "platform/path.h"
#include "platform/special_folders.h"
#include "platform/temp_names.h"
#include "platform/trash.h"

namespace engine {
namespace {

std::string historyFileIn(const std::string& relativeFolder) {
  return relativeFolder.empty() ? std::string(kHistoryFileName) : relativeFolder + "/" + std::string(kHistoryFileName);
}

}  // namespace

LocalStore::LocalStore(StoreContext context) : Store(context), backups_(settings()) {}

LocalStore::~LocalStore() = default;

bool LocalStore::fail(const std::string& what, const std::string& path, const std::string& reason) {
  setError(Translate(what) + " " + path + ": " + reason);
  return false;
}

std::optional<std::string> LocalStore::relativeOf(const std::string& path) {
  if (path == root_ || path == root_ + "/") return std::string();
  const std::string prefix = platform::withTrailingSeparator(root_);
  if (!path.starts_with(prefix)) {
    setError(path + ": " + Translate("${not inside the folder}") + " " + root_);
    return std::nullopt;
  }
  return platform::withoutTrailingSeparator(path.substr(prefix.size()));
}

platform::FolderTree* LocalStore::tree() {
  if (tree_) return tree_.get();
  std::string reason;
  tree_ = platform::FolderTree::open(root_, &reason);
  if (!tree_) setError(root_ + ": " + reason);
  return tree_.get();
}

bool LocalStore::Attach(ProgressSink* sink, bool recursive) {
  if (root_.empty()) {
    setError(Translate("${No folder given}"));
    return false;
  }
  readOnlyMedium_ = platform::driveTypeOf(root_) == platform::DriveType::CdRom;
  history_.Clear();
  history_.SetIgnoreCase(ignoresCase_);
  sink_ = sink;
  if (settings().has(option::kUseHistory) && platform::exists(root_)) LoadHistory(*this, *this, root_, recursive, history_);
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
  tree_.reset();
  ignoresCase_ = platform::namesIgnoreCase(root_);

  if (!platform::exists(root_) && options.allowMissing) return true;
  if (!platform::exists(root_)) {
    const std::string missing = TranslateFormat("${Folder is not valid!}\n%s", {root_}) + " (" + Translate("${does not exist}") + ")";
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
  return tree() != nullptr;
}

bool LocalStore::Exists(const std::string& path) { return GetAttributes(path) != platform::attr::kInvalid; }

bool LocalStore::listed(const FindData& entry, const std::string& folder) {
  if (platform::isTemporaryName(entry.name)) {
    const std::lock_guard lock(leftoversMutex_);
    leftovers_.push_back(folder.empty() ? entry.name : folder + "/" + entry.name);
    return false;
  }
  return entry.name != kHistoryFileName;
}

bool LocalStore::advance(Search& search) {
  FindData entry;
  while (search.directory->next(entry)) {
    if (!listed(entry, search.folder)) continue;
    if (entry.name != "." && entry.name != ".." && !MatchMask(entry.name, search.mask)) continue;
    current_ = std::move(entry);
    return true;
  }
  return false;
}

bool LocalStore::ListFolder(const std::string& folder, std::vector<FindData>& entries, std::string& error) {
  // No member but the tree (safe from several threads, made when the store was opened) and the
  // leftovers (locked) is touched: folders are listed from several threads at once.
  const std::string path = platform::withoutTrailingSeparator(folder);
  const std::string prefix = platform::withTrailingSeparator(root_);
  const std::string relative = path == root_ ? std::string() : (path.starts_with(prefix) ? path.substr(prefix.size()) : path);
  if (!tree_ || (!relative.empty() && !path.starts_with(prefix))) {
    error = folder + ": " + Translate("${cannot be read}");
    return false;
  }
  std::string reason;
  const auto directory = tree_->list(relative, &reason);
  if (!directory) {
    error = tree_->fullPath(relative) + ": " + reason;
    return false;
  }
  FindData entry;
  while (directory->next(entry)) {
    if (entry.name != "." && entry.name != ".." && listed(entry, relative)) entries.push_back(entry);
  }
  return true;
}

SearchHandle LocalStore::FindFirst(const std::string& pattern) {
  const auto folder = relativeOf(platform::parentOf(pattern));
  platform::FolderTree* root = folder ? tree() : nullptr;
  if (root == nullptr) return kNoSearch;
  Search search;
  std::string reason;
  search.directory = root->list(*folder, &reason);
  if (!search.directory) {
    setError(root->fullPath(*folder) + ": " + reason);
    return kNoSearch;
  }
  search.mask = platform::fileNameOf(pattern);
  search.folder = *folder;
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

namespace {

// Copies `source` to `relative` in `tree` while source and destination are as `checks` expect.
// The error names the operation and the path that failed.
bool copyFrom(platform::FolderTree& tree, const std::string& relative, const std::string& destination,
              const CopySource& source, const PutChecks& checks, ProgressSink* sink, std::string& error) {
  OpenedSource opened;
  if (!OpenForCopy(source, checks.source, opened, error)) return false;
  std::string reason;
  if (opened.link) {
    const auto& [entry, target] = *opened.link;
    if (tree.putLink(relative, target, entry.lastWriteTime, checks.destination, &reason)) return true;
    error = Translate("${cannot write}") + " " + destination + ": " + reason;
    return false;
  }
  const auto& content = opened.content;
  if (sink != nullptr) sink->ProgressFile(platform::fileNameOf(destination), content->size(), 1, 0);
  if (CopyContentInto(tree, relative, *content, checks.destination, sink, reason)) return true;
  // A failure of the source shows in its own words; everything else is the destination's.
  error = content->error().empty() ? Translate("${cannot write}") + " " + destination + ": " + reason
                                   : Translate("${cannot read}") + " " + source.path + ": " + content->error();
  return false;
}

// A progress sink that only says whether to go on: copies on pool threads report no bytes.
class CancelOnly : public ProgressSink {
 public:
  explicit CancelOnly(const std::atomic<bool>& cancelled) : cancelled_(cancelled) {}
  void ProgressFile(const std::string&, std::uint64_t, int, int) override {}
  void ProgressBytes(std::uint64_t) override {}
  bool ShouldContinue() override { return !cancelled_.load(); }

 private:
  const std::atomic<bool>& cancelled_;
};

}  // namespace

bool LocalStore::PutFile(const std::string& destination, const CompareItem*, Store& source, const std::string& sourcePath,
                         unsigned, const PutChecks& checks) {
  const auto relative = relativeOf(destination);
  platform::FolderTree* root = relative ? tree() : nullptr;
  if (root == nullptr || relative->empty()) return false;
  std::string error;
  if (!copyFrom(*root, *relative, destination, SourceOf(source, sourcePath), checks, sink_, error)) {
    setError(error);
    return false;
  }
  return NoteWrittenFile(destination, std::string(), false);
}

CopyPool::Job LocalStore::CopyJob(const std::string& destination, Store& source, const std::string& sourcePath,
                                  const PutChecks& checks, const std::atomic<bool>& cancelled) {
  const auto relative = relativeOf(destination);
  platform::FolderTree* to = relative && !relative->empty() ? tree() : nullptr;
  auto from = to != nullptr ? source.ConcurrentSource(sourcePath) : std::nullopt;
  if (!from) return {};
  // Only the tree and the source's thread-safe reader are used on the copy thread.
  return [to, relative = *relative, destination, from = std::move(*from), checks, &cancelled](std::string& error) {
    CancelOnly sink(cancelled);
    return copyFrom(*to, relative, destination, from, checks, &sink, error);
  };
}

std::optional<CopySource> LocalStore::ConcurrentSource(const std::string& path) {
  const auto relative = relativeOf(path);
  platform::FolderTree* from = relative ? tree() : nullptr;
  if (from == nullptr) return std::nullopt;
  // The tree may be used from several threads at once.
  return CopySource{path,
                    [from, relative = *relative, path](std::string& reason) -> std::unique_ptr<platform::ContentReader> {
                      auto content = from->openForReading(relative, &reason);
                      if (!content) reason = Translate("${cannot read}") + " " + path + ": " + reason;
                      return content;
                    },
                    [from, relative = *relative]() -> std::optional<std::pair<FindData, std::string>> {
                      FindData entry;
                      std::string target;
                      if (!from->stat(relative, entry) || (entry.attributes & platform::attr::kLink) == 0 ||
                          !from->readLink(relative, target)) {
                        return std::nullopt;
                      }
                      return std::pair{entry, target};
                    }};
}

bool LocalStore::NoteWrittenFile(const std::string& path, const std::string&, bool) {
  if (!settings().has(option::kUseHistory)) return true;
  FindData entry;
  if (!GetFileInfo(path)) return false;
  entry = current_;
  HistoryEntry noted;
  noted.folder = platform::withTrailingSeparator(platform::parentOf(path));
  noted.name = entry.name;
  noted.path = noted.folder + noted.name;
  noted.time = entry.lastWriteTime;
  noted.size = static_cast<std::int64_t>(entry.size);
  history_.Put(std::move(noted));
  return true;
}

bool LocalStore::DeleteFile(const std::string& path) {
  const auto relative = relativeOf(path);
  platform::FolderTree* root = relative ? tree() : nullptr;
  if (root == nullptr) return false;
  std::string reason;
  bool deleted = false;
  if (settings().has(option::kDeleteToTrash)) {
    // The trash takes a path: the one the system resolved without following links.
    const auto systemPath = root->systemPathOf(*relative, &reason);
    deleted = systemPath && platform::moveToTrash(*systemPath, &reason);
  } else {
    deleted = root->removeFile(*relative, &reason);
  }
  if (!deleted) return fail("${cannot delete}", path, reason);
  ForgetFile(path);
  return true;
}

void LocalStore::ForgetFile(const std::string& path) {
  if (!settings().has(option::kUseHistory)) return;
  const std::string folder = platform::withTrailingSeparator(platform::parentOf(path));
  history_.RemoveName(folder, platform::fileNameOf(path));
  history_.MarkFolder(folder);
}

std::uint32_t LocalStore::GetAttributes(const std::string& path) {
  return GetFileInfo(path) ? current_.attributes : platform::attr::kInvalid;
}

bool LocalStore::SetAttributes(const std::string& path, std::uint32_t attributes) {
  const auto relative = relativeOf(path);
  platform::FolderTree* root = relative ? tree() : nullptr;
  std::string reason;
  if (root != nullptr && root->setReadOnly(*relative, (attributes & platform::attr::kReadOnly) != 0, &reason)) return true;
  return root != nullptr && fail("${cannot change}", path, reason);
}

bool LocalStore::GetFileInfo(const std::string& path) {
  const auto relative = relativeOf(path);
  platform::FolderTree* root = relative ? tree() : nullptr;
  FindData entry;
  int code = 0;
  if (root == nullptr || !root->stat(*relative, entry, &code)) {
    if (root != nullptr && code != ENOENT) setError(path + ": " + platform::treeErrorText(code));
    return false;
  }
  current_ = std::move(entry);
  return true;
}

bool LocalStore::CreateFolder(const std::string& path) {
  const auto relative = relativeOf(path);
  if (!relative) return false;
  std::string reason;
  if (!platform::exists(root_)) {
    // The root is the user's choice of folder; it is made by its path.
    if (!platform::createFolderChain(root_, &reason)) return fail("${cannot create}", root_, reason);
  }
  platform::FolderTree* root = tree();
  if (root == nullptr) return false;
  if (relative->empty() || root->createFolders(*relative, &reason)) return true;
  return fail("${cannot create}", path, reason);
}

bool LocalStore::GetChecksum(const std::string& path, std::uint32_t& value) {
  const auto content = OpenContent(path);
  return content && ContentCrc32(*content, value);
}

bool LocalStore::GetFileTime(const std::string& path, CalendarTime& time) {
  if (!GetFileInfo(path)) return false;
  time = platform::utcCalendarFromFileTime(current_.lastWriteTime);
  return true;
}

bool LocalStore::SetFileTime(const std::string& path, FileTime time) {
  const auto relative = relativeOf(path);
  platform::FolderTree* root = relative ? tree() : nullptr;
  std::string reason;
  if (root != nullptr && root->setLastWriteTime(*relative, time, &reason)) return true;
  return root != nullptr && fail("${cannot change}", path, reason);
}

bool LocalStore::SetFileTimeFromCalendar(const std::string& path, const CalendarTime& time) {
  const auto converted = platform::fileTimeFromUtcCalendar(time);
  return converted && SetFileTime(path, *converted);
}

bool LocalStore::Finish() {
  saveReport_ = {};
  if (!settings().has(option::kUseHistory)) return true;
  if (SaveHistory(history_, *this, &saveReport_)) return true;
  std::string text;
  for (const std::string& failed : saveReport_.failedFolders) text += (text.empty() ? "" : "\n") + failed;
  setError(text);
  return false;
}

std::optional<std::string> LocalStore::ReadHistoryText(const std::string& folder) {
  const auto relative = relativeOf(platform::withoutTrailingSeparator(folder));
  platform::FolderTree* root = relative ? tree() : nullptr;
  return root != nullptr ? root->readWholeFile(historyFileIn(*relative)) : std::nullopt;
}

bool LocalStore::WriteHistoryText(const std::string& folder, const std::string& content, std::string& error) {
  const auto relative = relativeOf(platform::withoutTrailingSeparator(folder));
  platform::FolderTree* root = relative ? tree() : nullptr;
  const std::string file = platform::joinPath(folder, kHistoryFileName);
  if (root == nullptr) {
    error = Translate("${History file not written:} ") + file + ": " + LastError();
    return false;
  }
  const std::string name = historyFileIn(*relative);
  // Never over a file of the user's own that happens to carry the name (a link included).
  FindData there;
  const bool exists = root->stat(name, there);
  const auto existing = exists ? root->readWholeFile(name) : std::nullopt;
  if (exists && (!existing || !LooksLikeHistoryFile(*existing))) {
    error = Translate("${history not written, a file of its own is named synch.log:} ") + file;
    return false;
  }
  std::string reason;
  if (root->writeWholeFile(name, content, 0644, &reason)) return true;
  error = Translate("${History file not written:} ") + file + ": " + reason;
  return false;
}

int LocalStore::GetFile(const std::string& path, std::string& localPath, unsigned) {
  auto content = OpenContent(path);
  if (!content) return -1;
  if (localPath.empty()) {
    // The file itself is the local copy, named by the folders it was just read through: a folder
    // swapped for a link since the comparison must not lead a program out of the tree.
    std::string reason;
    const auto system = tree()->systemPathOf(*relativeOf(path), &reason);
    if (!system) {
      fail("${cannot read}", path, reason);
      return -1;
    }
    localPath = *system;
    return 1;
  }
  std::string folder = platform::parentOf(localPath);
  std::string reason;
  auto destination = platform::FolderTree::open(folder.empty() ? "." : folder, &reason);
  if (!destination || !CopyContentInto(*destination, platform::fileNameOf(localPath), *content, std::nullopt, sink_, reason)) {
    fail("${cannot write}", localPath, content->error().empty() ? reason : content->error());
    return -1;
  }
  return 1;
}

bool LocalStore::ReleaseFile(const std::string&) { return true; }

std::unique_ptr<platform::ContentReader> LocalStore::OpenContent(const std::string& path) {
  const auto relative = relativeOf(path);
  platform::FolderTree* root = relative ? tree() : nullptr;
  if (root == nullptr) return nullptr;
  std::string reason;
  auto reader = root->openForReading(*relative, &reason);
  if (!reader) setError(Translate("${cannot read}") + " " + path + ": " + reason);
  return reader;
}

bool LocalStore::SetUnixMode(const std::string& path, std::uint32_t mode) {
  const auto relative = relativeOf(path);
  platform::FolderTree* root = relative ? tree() : nullptr;
  std::string reason;
  if (root != nullptr && root->setMode(*relative, mode, &reason)) return true;
  return root != nullptr && fail("${cannot change}", path, reason);
}

bool LocalStore::ReadLink(const std::string& path, std::string& target) {
  const auto relative = relativeOf(path);
  platform::FolderTree* root = relative ? tree() : nullptr;
  std::string reason;
  if (root != nullptr && root->readLink(*relative, target, &reason)) return true;
  return root != nullptr && fail("${cannot read}", path, reason);
}

bool LocalStore::RemoveEmptyFolder(const std::string& path) {
  const auto relative = relativeOf(path);
  platform::FolderTree* root = relative ? tree() : nullptr;
  std::string reason;
  if (root != nullptr && root->removeEmptyTree(*relative, &reason)) return true;
  return root != nullptr && fail("${cannot remove}", path, reason);
}

void LocalStore::RemoveLeftovers() {
  const std::lock_guard lock(leftoversMutex_);
  if (platform::FolderTree* root = tree()) {
    for (const std::string& leftover : leftovers_) root->removeLeftover(leftover);
  }
  leftovers_.clear();
}

bool LocalStore::BackupFile(const std::string& path) {
  const auto relative = relativeOf(path);
  platform::FolderTree* root = relative ? tree() : nullptr;
  if (root == nullptr || relative->empty()) return false;
  std::string error;
  FindData entry;
  int code = 0;
  if (!root->stat(*relative, entry, &code)) return fail("${Backup not made:}", path, platform::treeErrorText(code));
  bool kept = false;
  if ((entry.attributes & platform::attr::kLink) != 0) {
    std::string target;
    kept = root->readLink(*relative, target, &error) && backups_.KeepLink(*relative, target, entry.lastWriteTime, error);
  } else {
    auto content = root->openForReading(*relative, &error);
    kept = content && backups_.Keep(*relative, *content, error);
  }
  if (!kept) setError(error);
  return kept;
}

}  // namespace engine
