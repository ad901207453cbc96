#include "stores/snapshot_store.h"

#include "engine/text.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "platform/path.h"
#include "stores/listing_text.h"

namespace stores {

SnapshotStore::SnapshotStore(engine::StoreContext context) : ListingStore(std::move(context)) {}

bool SnapshotStore::Open(const std::string& root, engine::OpenOptions options) { return openFileRoot(root, options, false); }

bool SnapshotStore::Attach(engine::ProgressSink* sink, bool) {
  if (!startAttach(sink)) return false;
  dirty_ = false;
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
    setError(engine::TranslateFormat("${This file is no snapshot listing:} %s", {root_}));
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
  dirty_ = true;
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
  dirty_ = true;
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

bool SnapshotStore::Finish() {
  if (!dirty_) return true;
  std::string error;
  auto folder = platform::FolderTree::open(platform::parentOf(root_), &error);
  platform::FindData existing;
  const std::uint32_t mode = platform::statEntry(root_, existing) && existing.unixMode != 0 ? existing.unixMode & 07777
                                                                                         : platform::modeForCopy(0);
  if (!folder || !folder->writeWholeFile(platform::fileNameOf(root_), FormatListing(listing_), mode, &error)) {
    // The file stays as it was and the listing in memory: the next Finish tries again.
    setError(engine::Translate("${cannot write}") + " " + root_ + ": " + error);
    return false;
  }
  dirty_ = false;
  return true;
}

}  // namespace stores
