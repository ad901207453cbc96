#include "stores/snapshot_store.h"

#include "engine/text.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "platform/path.h"
#include "stores/listing_text.h"

namespace stores {

SnapshotStore::SnapshotStore(engine::StoreContext context) : ListingStore(std::move(context)) {}

bool SnapshotStore::Open(const std::string& root, engine::OpenOptions options) { return openFileRoot(root, options, false); }

bool SnapshotStore::Attach(engine::ProgressSink* sink, bool) { return startAttach(sink) && readFile(); }

bool SnapshotStore::readFile() {
  changed_ = false;
  clearListing();
  if (!platform::exists(root_)) return true;
  std::string reason;
  const auto text = platform::readWholeFile(root_, &reason);
  if (!text) {
    setError(engine::Translate("${cannot read}") + " " + root_ + ": " + reason);
    return false;
  }
  return readListingText(*text);
}

bool SnapshotStore::readListingText(std::string_view text) {
  engine::RejectedNames rejected;
  engine::HistoryList parsed;
  // An empty listing as a side would plan deleting everything on the other: a file that is no
  // listing is never read as one.
  if (!ParseListing(text, parsed, rejected)) {
    setError(engine::TranslateFormat("${No listing of files can be read from this file:} %s", {root_}));
    return false;
  }
  for (const std::string& name : rejected) {
    addWarning(engine::TranslateFormat("${A name that would leave the folder is left out:} %s (%s)", {name, root_}));
  }
  replaceListing(std::move(parsed));
  return true;
}

bool SnapshotStore::recordLine(const std::string& path, std::int64_t size, engine::FileTime time) {
  const auto relative = relativeOf(path);
  if (!relative || relative->empty() || !IsListableName(*relative)) {
    setError(engine::TranslateFormat("${This name cannot be written in a listing line:} %s", {path}));
    return false;
  }
  (void)putEntry(*relative, size, time, 0);
  noteChange(path);
  return true;
}

bool SnapshotStore::removeLine(const std::string& path) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  if (entry < 0) {
    setError(path + ": " + engine::Translate("${not listed}"));
    return false;
  }
  listing_.Remove(entry);
  noteChange(path);
  return true;
}

bool SnapshotStore::PutFile(const std::string& destination, const engine::CompareItem*, engine::Store& source,
                            const std::string& sourcePath, unsigned, const engine::PutChecks& checks) {
  if (!source.GetFileInfo(sourcePath)) {
    setError(engine::Translate("${cannot read}") + " " + sourcePath + ": " + engine::Translate("${does not exist}"));
    return false;
  }
  const engine::FindData found = source.CurrentEntry();
  if ((found.attributes & platform::attr::kLink) != 0) return NoteWrittenLink(destination, {}, found.lastWriteTime);
  if (checks.source && (!checks.source->present || found.size != checks.source->size ||
                        found.lastWriteTime != checks.source->lastWriteTime)) {
    setError(sourcePath + ": " + engine::Translate("${changed since comparison}"));
    return false;
  }
  if (sink_ != nullptr) sink_->ProgressFile(platform::fileNameOf(destination), 0, 1, 0);
  return recordLine(destination, static_cast<std::int64_t>(found.size), found.lastWriteTime);
}

bool SnapshotStore::NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) {
  const auto relative = relativeOf(path);
  if (keepExisting && relative && findEntry(*relative) >= 0) return false;
  platform::FindData local;
  if (!platform::statEntry(localPath, local)) {
    setError(engine::Translate("${cannot read}") + " " + localPath + ": " + engine::Translate("${does not exist}"));
    return false;
  }
  return recordLine(path, static_cast<std::int64_t>(local.size), local.lastWriteTime);
}

bool SnapshotStore::NoteWrittenContent(const std::string& path, platform::ContentReader& content) {
  return recordLine(path, static_cast<std::int64_t>(content.size()), content.lastWriteTime());
}

bool SnapshotStore::DeleteFile(const std::string& path) { return removeLine(path); }

int SnapshotStore::GetFile(const std::string& path, std::string&, unsigned) {
  setError(path + ": " + engine::Translate("${a snapshot holds no content}"));
  return -1;
}

std::unique_ptr<platform::ContentReader> SnapshotStore::OpenContent(const std::string& path) {
  setError(path + ": " + engine::Translate("${a snapshot holds no content}"));
  return nullptr;
}

void SnapshotStore::noteChange(const std::string& path) {
  changed_ = true;
  if (inBatch_) changedPaths_.push_back(path);
}

void SnapshotStore::BeginBatch(unsigned) { inBatch_ = true; }

void SnapshotStore::EndBatch() {
  if (!inBatch_) return;
  inBatch_ = false;
  if (!commit()) lostWrites_ = std::move(changedPaths_);
  changedPaths_.clear();
}

bool SnapshotStore::Finish() { return commit(); }

bool SnapshotStore::commit() {
  if (!changed_) return true;
  std::string error;
  if (writeChanges(error)) {
    changed_ = false;
    return true;
  }
  (void)readFile();
  setError(error);
  return false;
}

bool SnapshotStore::writeChanges(std::string& error) {
  std::string reason;
  auto folder = platform::FolderTree::open(platform::parentOf(root_), &reason);
  platform::FindData existing;
  const std::uint32_t mode = platform::statEntry(root_, existing) && existing.unixMode != 0 ? existing.unixMode & 07777
                                                                                             : platform::modeForCopy(0);
  if (folder && folder->writeWholeFile(platform::fileNameOf(root_), FormatListing(listing_), mode, &reason, true)) return true;
  error = engine::Translate("${cannot write}") + " " + root_ + ": " + reason;
  return false;
}

}  // namespace stores
