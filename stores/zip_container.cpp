#include "stores/zip_container.h"

#include <algorithm>
#include <cerrno>

#include "platform/file_system.h"
#include "platform/temp_names.h"
#include "stores/zip_format.h"

namespace stores {

using namespace zipformat;

ZipContainer::ZipContainer() = default;

ZipContainer::~ZipContainer() { Discard(); }

void ZipContainer::Open(const std::string& path, bool create) {
  Discard();
  path_ = path;
  comment_.clear();
  prefixEnd_ = 0;
  identity_.reset();
  platform::FileIdentity identity;
  file_ = platform::openForReading(path, identity, permissions_);
  if (!file_) {
    if (!create || errno != ENOENT) {
      const int error = errno;
      throw CZipException(CZipException::CodeOfErrno(error), path + ": " + platform::systemErrorText(error));
    }
    open_ = true;
    return;
  }
  identity_ = identity;
  readCentralDirectory();
  indexNames();
  open_ = true;
}

void ZipContainer::indexNames() {
  byName_.clear();
  duplicated_.clear();
  byName_.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const auto [at, added] = byName_.try_emplace(entries_[i].name, static_cast<int>(i));
    if (!added) {
      at->second = static_cast<int>(i);
      duplicated_.insert(entries_[i].name);
    }
  }
}

int ZipContainer::FindName(const std::string& name) const {
  const auto found = byName_.find(lookupName(name));
  return found == byName_.end() ? -1 : found->second;
}

void ZipContainer::AddFile(const std::string& localPath, const std::string& entryName, int level,
                           ZipProgressSink* sink) {
  ZipFileInput input(localPath);
  AddEntry(input, entryName, level, sink);
}

ZipEntry ZipContainer::newEntry(const std::string& entryName, std::uint32_t mode, platform::FileTime lastWriteTime) {
  if (!open_) throw CZipException(CZipException::kInternal, "archive not open");
  ZipEntry entry;
  // "/" between folders; a "\" is part of a name, as it is on the Unix host this names.
  entry.rawName = entryName;
  if (entry.rawName.size() > kMaxName) throw CZipException(CZipException::kNameTooLong, entry.rawName.substr(0, 80));
  entry.flags = nameFlag(entry.rawName);
  entry.name = decodeName(entry.rawName, entry.flags, entry.versionMadeBy);
  entry.externalAttributes = externalAttributesOf(mode != 0 ? mode : kDefaultPermissions);
  toDos(lastWriteTime, entry.dosTime, entry.dosDate);
  entry.exactTime = lastWriteTime;
  if (!staging_) {
    std::string error;
    staging_ = platform::BinaryFile::adopt(platform::createTempFileBeside(path_, stagingPath_, &error));
    if (!staging_) throw CZipException(CZipException::CodeOfErrno(errno), path_ + ": " + error);
  }
  entry.stagedOffset = staging_->position();
  return entry;
}

void ZipContainer::stage(const char* data, std::size_t length) {
  if (!staging_->append(data, length)) throw CZipException(CZipException::CodeOfErrno(errno), path_);
}

void ZipContainer::addStaged(ZipEntry entry, const CompressedSizes& sizes) {
  entry.method = sizes.method;
  entry.flags = static_cast<std::uint16_t>(entry.flags | sizes.levelFlags);
  entry.crc = sizes.crc;
  entry.uncompressedSize = sizes.size;
  entry.compressedSize = staging_->position() - *entry.stagedOffset;
  placeEntry(std::move(entry));
  modified_ = true;
}

void ZipContainer::AddEntry(ZipInput& input, const std::string& entryName, int level, ZipProgressSink* sink) {
  ZipEntry entry = newEntry(entryName, input.unixMode(), input.lastWriteTime());
  const int kind = byName_.contains(entry.name) ? ZipProgressSink::kReplacing : ZipProgressSink::kAdding;
  const std::uint64_t expected = input.size();
  std::uint64_t done = 0;
  CompressedSizes sizes;
  try {
    sizes = compressor_.Compress(
        input, level, entry.name, [&](const char* data, std::size_t length) { stage(data, length); },
        [&](std::uint64_t read) {
          done = read;
          // Adding runs to its end once begun, so the archive stays whole; only the progress shows.
          if (sink != nullptr) (void)sink->Callback(kind, expected, done, entry.name);
        });
  } catch (...) {
    if (sink != nullptr) (void)sink->Callback(ZipProgressSink::kRemovingPart, expected, done, entry.name);
    throw;
  }
  addStaged(std::move(entry), sizes);
}

void ZipContainer::AddPrepared(const PreparedEntry& prepared, const std::string& entryName) {
  ZipEntry entry = newEntry(entryName, prepared.mode, prepared.lastWriteTime);
  stage(prepared.data.data(), prepared.data.size());
  addStaged(std::move(entry), prepared.sizes);
}

void ZipContainer::placeEntry(ZipEntry entry) {
  const auto found = byName_.find(entry.name);
  if (found == byName_.end()) {
    byName_.emplace(entry.name, Count());
    entries_.push_back(std::move(entry));
    return;
  }
  const auto last = static_cast<std::size_t>(found->second);
  const std::string name = entry.name;
  entries_[last] = std::move(entry);
  if (duplicated_.contains(name)) {
    // Rare (archives of other tools): the earlier entries of the name go, the indexes move.
    std::size_t index = 0;
    std::erase_if(entries_, [&](const ZipEntry& other) { return index++ < last && other.name == name; });
    indexNames();
  }
}

void ZipContainer::DeleteNames(const std::vector<std::string>& names, ZipProgressSink* sink) {
  std::unordered_set<std::string> doomed;
  for (const std::string& name : names) {
    std::string key = lookupName(name);
    if (byName_.contains(key)) doomed.insert(std::move(key));
  }
  if (doomed.empty()) return;
  const std::uint64_t total = static_cast<std::uint64_t>(
      std::count_if(entries_.begin(), entries_.end(), [&](const ZipEntry& entry) { return doomed.contains(entry.name); }));
  if (sink != nullptr) (void)sink->Callback(ZipProgressSink::kCounting, total, 0, {});
  std::uint64_t done = 0;
  std::erase_if(entries_, [&](const ZipEntry& entry) {
    if (!doomed.contains(entry.name)) return false;
    if (sink != nullptr) (void)sink->Callback(ZipProgressSink::kDeleting, total, ++done, entry.name);
    return true;
  });
  indexNames();
  modified_ = true;
}

void ZipContainer::closeFiles() {
  file_.reset();
  staging_.reset();
  if (!stagingPath_.empty()) (void)platform::deleteFile(stagingPath_);
  stagingPath_.clear();
}

void ZipContainer::Close() {
  if (!open_) return;
  if (modified_) {
    try {
      commit();
    } catch (...) {
      Discard();
      throw;
    }
  }
  Discard();
}

void ZipContainer::Discard() {
  closeFiles();
  open_ = false;
  modified_ = false;
  entries_.clear();
  byName_.clear();
  duplicated_.clear();
}

}  // namespace stores
