#include "stores/zip_container.h"

#include <algorithm>
#include <cerrno>
#include <zlib.h>

#include "engine/checksum.h"
#include "platform/file_system.h"
#include "platform/temp_names.h"
#include "stores/zip_format.h"

namespace stores {

using namespace zipformat;

ZipContainer::ZipContainer() = default;

ZipContainer::~ZipContainer() {
  Discard();
  if (deflater_) deflateEnd(deflater_.get());
}

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

void ZipContainer::AddEntry(ZipInput& input, const std::string& entryName, int level, ZipProgressSink* sink) {
  if (!open_) throw CZipException(CZipException::kInternal, "archive not open");
  ZipEntry entry;
  // "/" between folders; a "\" is part of a name, as it is on the Unix host this names.
  entry.rawName = entryName;
  if (entry.rawName.size() > kMaxName) throw CZipException(CZipException::kNameTooLong, entry.rawName.substr(0, 80));
  entry.flags = nameFlag(entry.rawName);
  entry.name = decodeName(entry.rawName, entry.flags, entry.versionMadeBy);
  const std::uint32_t mode = input.unixMode();
  entry.externalAttributes = externalAttributesOf(mode != 0 ? mode : kDefaultPermissions);
  toDos(input.lastWriteTime(), entry.dosTime, entry.dosDate);
  entry.exactTime = input.lastWriteTime();
  if (!staging_) {
    std::string error;
    staging_ = platform::BinaryFile::adopt(platform::createTempFileBeside(path_, stagingPath_, &error));
    if (!staging_) throw CZipException(CZipException::CodeOfErrno(errno), path_ + ": " + error);
  }
  const int kind = byName_.contains(entry.name) ? ZipProgressSink::kReplacing : ZipProgressSink::kAdding;
  compress(input, entry, level, kind, sink);
  placeEntry(std::move(entry));
  modified_ = true;
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

void ZipContainer::compress(ZipInput& input, ZipEntry& entry, int level, int kind, ZipProgressSink* sink) {
  const std::uint64_t expected = input.size();
  const bool store = level == 0 || expected < 5;
  entry.method = store ? 0 : 8;
  if (!store) entry.flags = static_cast<std::uint16_t>(entry.flags | levelFlags(level));
  z_stream_s* stream = store ? nullptr : deflater(level);
  if (inBuffer_.empty()) {
    inBuffer_.resize(kBufferSize);
    outBuffer_.resize(kBufferSize);
  }
  const std::uint64_t start = staging_->position();
  std::uint64_t done = 0;
  std::uint32_t crc = 0;
  try {
    for (;;) {
      const std::int64_t got = input.read(inBuffer_.data(), inBuffer_.size());
      if (got < 0) throw CZipException(CZipException::CodeOfErrno(errno), entry.name);
      const auto chunk = static_cast<std::size_t>(got);
      done += chunk;
      crc = engine::Crc32(std::string_view(inBuffer_.data(), chunk), crc);
      if (store) {
        if (!staging_->append(inBuffer_.data(), chunk)) throw CZipException(CZipException::CodeOfErrno(errno), path_);
      } else {
        stream->next_in = reinterpret_cast<Bytef*>(inBuffer_.data());
        stream->avail_in = static_cast<uInt>(chunk);
        const int flush = chunk == 0 ? Z_FINISH : Z_NO_FLUSH;
        int result = Z_OK;
        do {
          stream->next_out = reinterpret_cast<Bytef*>(outBuffer_.data());
          stream->avail_out = static_cast<uInt>(outBuffer_.size());
          result = deflate(stream, flush);
          if (result == Z_STREAM_ERROR) throw CZipException(CZipException::kZlibStream, entry.name);
          if (!staging_->append(outBuffer_.data(), outBuffer_.size() - stream->avail_out)) {
            throw CZipException(CZipException::CodeOfErrno(errno), path_);
          }
        } while (stream->avail_out == 0);
        if (flush == Z_FINISH && result != Z_STREAM_END) throw CZipException(CZipException::kZlibStream, entry.name);
      }
      if (chunk == 0) break;
      // Adding runs to its end once begun, so the archive stays whole; only the progress shows.
      if (sink != nullptr) (void)sink->Callback(kind, expected, done, entry.name);
    }
  } catch (...) {
    if (sink != nullptr) (void)sink->Callback(ZipProgressSink::kRemovingPart, expected, done, entry.name);
    throw;
  }
  entry.crc = crc;
  entry.uncompressedSize = done;
  entry.compressedSize = staging_->position() - start;
  entry.stagedOffset = start;
}

z_stream_s* ZipContainer::deflater(int level) {
  // One compressor, reset between files: setting one up for every small file costs more than
  // compressing it.
  if (deflater_ && deflaterLevel_ == level) {
    deflateReset(deflater_.get());
    return deflater_.get();
  }
  if (deflater_) deflateEnd(deflater_.get());
  deflater_ = std::make_unique<z_stream>();
  if (deflateInit2(deflater_.get(), level < 0 ? Z_DEFAULT_COMPRESSION : level, Z_DEFLATED, -MAX_WBITS, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    deflater_.reset();
    throw CZipException(CZipException::kNoMemory);
  }
  deflaterLevel_ = level;
  return deflater_.get();
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
