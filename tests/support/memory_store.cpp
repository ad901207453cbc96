#include "tests/support/memory_store.h"

#include "engine/checksum.h"
#include "platform/case_fold.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace testsupport {

MemoryStore::MemoryStore(engine::StoreContext context, std::string root) : Store(std::move(context)) {
  root_ = std::move(root);
}

std::string MemoryStore::key(const std::string& relative) {
  return platform::caseKey(platform::withoutTrailingSeparator(platform::fromStoredName(relative)));
}

std::string MemoryStore::relativeOf(const std::string& path) const {
  const std::string prefix = platform::withTrailingSeparator(root_);
  if (path == root_ || path == prefix) return {};
  return path.starts_with(prefix) ? platform::withoutTrailingSeparator(path.substr(prefix.size())) : path;
}

void MemoryStore::AddFolder(const std::string& relative) {
  std::string path = platform::withoutTrailingSeparator(relative);
  while (!path.empty() && path != "/") {
    folders_.emplace(key(path), path);
    path = platform::parentOf(path);
  }
}

void MemoryStore::Put(const std::string& relative, const std::string& content, engine::FileTime time) {
  AddFolder(platform::parentOf(relative));
  files_[key(relative)] = File{platform::fileNameOf(relative), content, time, platform::attr::kNormal};
}

bool MemoryStore::Has(const std::string& relative) const { return files_.count(key(relative)) > 0; }

const MemoryStore::File* MemoryStore::Get(const std::string& relative) const {
  const auto it = files_.find(key(relative));
  return it == files_.end() ? nullptr : &it->second;
}

void MemoryStore::Remember(const std::string& relative, std::int64_t size, engine::FileTime time) {
  engine::HistoryEntry entry;
  const std::string parent = platform::parentOf(relative);
  entry.folder = platform::withTrailingSeparator(parent.empty() ? root_ : platform::joinPath(root_, parent));
  entry.name = platform::fileNameOf(relative);
  entry.path = entry.folder + entry.name;
  entry.size = size;
  entry.time = time;
  history_.Put(std::move(entry));
}

bool MemoryStore::Attach(engine::ProgressSink* sink, bool) {
  sink_ = sink;
  return true;
}

bool MemoryStore::Open(const std::string& root, engine::OpenOptions) {
  root_ = platform::withoutTrailingSeparator(root);
  return true;
}

bool MemoryStore::Exists(const std::string& path) { return GetAttributes(path) != platform::attr::kInvalid; }

engine::SearchHandle MemoryStore::FindFirst(const std::string& pattern) {
  const std::string folder = relativeOf(platform::parentOf(pattern));
  if (!unreadable_.empty() && key(folder) == key(unreadable_)) {
    setError("unreadable by the test's wish");
    return engine::kNoSearch;
  }
  if (!folder.empty() && folders_.count(key(folder)) == 0) return engine::kNoSearch;
  std::vector<platform::FindData> entries(2);
  entries[0].name = ".";
  entries[1].name = "..";
  entries[0].attributes = entries[1].attributes = platform::attr::kFolder;
  auto inFolder = [&](const std::string& relative) { return key(platform::parentOf(relative)) == key(folder); };
  for (const auto& [folderKey, relative] : folders_) {
    if (!inFolder(relative)) continue;
    platform::FindData data;
    data.name = platform::fileNameOf(relative);
    data.attributes = platform::attr::kFolder;
    entries.push_back(data);
  }
  for (const auto& [fileKey, file] : files_) {
    if (key(platform::parentOf(fileKey)) != key(folder)) continue;
    platform::FindData data;
    data.name = file.name;
    data.size = file.content.size();
    data.lastWriteTime = file.time;
    data.attributes = file.attributes;
    entries.push_back(data);
  }
  const engine::SearchHandle handle = nextHandle_++;
  current_ = entries.front();
  entries.erase(entries.begin());
  searches_[handle] = std::move(entries);
  return handle;
}

bool MemoryStore::FindNext(engine::SearchHandle handle) {
  auto it = searches_.find(handle);
  if (it == searches_.end() || it->second.empty()) return false;
  current_ = it->second.front();
  it->second.erase(it->second.begin());
  return true;
}

bool MemoryStore::FindClose(engine::SearchHandle handle) { return searches_.erase(handle) > 0; }

int MemoryStore::GetFile(const std::string& path, std::string& localPath, unsigned) {
  const File* file = Get(relativeOf(path));
  if (file == nullptr) {
    setError(path + ": not in the store");
    return -1;
  }
  if (localPath.empty()) {
    if (!temp_) temp_ = std::make_unique<platform::TempFolder>("velkor-memory-");
    localPath = platform::makeUniqueFile(temp_->path(), "copy");
  }
  if (sink_ != nullptr) {
    sink_->ProgressBytes(file->content.size());
    if (!sink_->ShouldContinue()) return -1;
  }
  if (!platform::writeFileReplacing(localPath, file->content, 0644)) return -1;
  return platform::setLastWriteTime(localPath, file->time) ? 1 : -1;
}

bool MemoryStore::ReleaseFile(const std::string& localPath) {
  if (temp_ && localPath.starts_with(temp_->path())) (void)platform::deleteFile(localPath);
  return true;
}

bool MemoryStore::PutFile(const std::string& destination, const engine::CompareItem*, engine::Store& source,
                          const std::string& sourcePath, unsigned flags, const engine::PutChecks& checks) {
  auto differs = [](bool there, const platform::FindData& found, const std::optional<engine::ExpectedFile>& expected) {
    return expected && (there != expected->present ||
                        (there && (found.size != expected->size || found.lastWriteTime != expected->lastWriteTime)));
  };
  const bool sourceThere = source.GetFileInfo(sourcePath);
  const bool destinationThere = GetFileInfo(destination);
  if (differs(sourceThere, source.CurrentEntry(), checks.source) || differs(destinationThere, current_, checks.destination)) {
    setError(destination + ": changed since comparison");
    return false;
  }
  std::string local;
  if (source.GetFile(sourcePath, local, flags) != 1) {
    setError(source.LastError());
    return false;
  }
  const bool noted = NoteWrittenFile(destination, local, false);
  source.ReleaseFile(local);
  return noted;
}

bool MemoryStore::NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) {
  const std::string relative = relativeOf(path);
  if (keepExisting && Has(relative)) return false;
  const auto content = platform::readWholeFile(localPath);
  const auto time = platform::getLastWriteTime(localPath);
  if (!content || !time) return false;
  const File* existing = Get(relative);
  const std::string name = existing != nullptr ? existing->name : platform::fileNameOf(relative);
  Put(platform::joinPath(platform::parentOf(relative), name), *content, *time);
  return true;
}

bool MemoryStore::DeleteFile(const std::string& path) { return files_.erase(key(relativeOf(path))) > 0; }

std::uint32_t MemoryStore::GetAttributes(const std::string& path) {
  const std::string relative = relativeOf(path);
  if (relative.empty() || folders_.count(key(relative)) > 0) return platform::attr::kFolder;
  const File* file = Get(relative);
  return file == nullptr ? platform::attr::kInvalid : file->attributes;
}

bool MemoryStore::SetAttributes(const std::string& path, std::uint32_t attributes) {
  auto it = files_.find(key(relativeOf(path)));
  if (it == files_.end()) return false;
  it->second.attributes = attributes == 0 ? platform::attr::kNormal : attributes;
  return true;
}

bool MemoryStore::GetFileInfo(const std::string& path) {
  const File* file = Get(relativeOf(path));
  if (file == nullptr) return false;
  current_ = {};
  current_.name = file->name;
  current_.size = file->content.size();
  current_.lastWriteTime = file->time;
  current_.attributes = file->attributes;
  return true;
}

bool MemoryStore::CreateFolder(const std::string& path) {
  AddFolder(relativeOf(path));
  return true;
}

bool MemoryStore::GetChecksum(const std::string& path, std::uint32_t& value) {
  const File* file = Get(relativeOf(path));
  if (file == nullptr) return false;
  value = engine::Crc32(file->content);
  return true;
}

bool MemoryStore::GetFileTime(const std::string& path, engine::CalendarTime& time) {
  const File* file = Get(relativeOf(path));
  if (file == nullptr) return false;
  time = platform::utcCalendarFromFileTime(file->time);
  return true;
}

bool MemoryStore::SetFileTime(const std::string& path, engine::FileTime time) {
  auto it = files_.find(key(relativeOf(path)));
  if (it == files_.end()) return false;
  it->second.time = time;
  return true;
}

bool MemoryStore::SetFileTimeFromCalendar(const std::string& path, const engine::CalendarTime& time) {
  const auto converted = platform::fileTimeFromUtcCalendar(time);
  return converted && SetFileTime(path, *converted);
}

bool MemoryStore::BackupFile(const std::string& path) {
  if (!Has(relativeOf(path))) return false;
  backups.push_back(relativeOf(path));
  return true;
}

}  // namespace testsupport
