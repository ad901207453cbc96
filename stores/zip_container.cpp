#include "stores/zip_container.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <zlib.h>

#include "engine/checksum.h"
#include "platform/case_fold.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/temp_names.h"
#include "stores/zip_format.h"

namespace stores {
namespace {

using namespace zipformat;

[[noreturn]] void throwErrno(const std::string& detail) { throw CZipException(CZipException::CodeOfErrno(errno), detail); }

std::string nameKey(std::string_view name) {
  std::string key = platform::caseKey(name);
  std::replace(key.begin(), key.end(), '\\', '/');
  return key;
}

// Streams the data of an entry, inflating deflated data, never past the declared size.
class EntryReader {
 public:
  EntryReader(const platform::BinaryFile& file, std::uint64_t offset, const ZipEntry& entry)
      : file_(file), offset_(offset), remaining_(entry.compressedSize), entry_(entry), input_(ZipContainer::kBufferSize) {
    if (entry.method == 8) {
      stream_ = {};
      if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK) throw CZipException(CZipException::kNoMemory);
      inflating_ = true;
    }
  }
  ~EntryReader() {
    if (inflating_) inflateEnd(&stream_);
  }
  EntryReader(const EntryReader&) = delete;
  EntryReader& operator=(const EntryReader&) = delete;

  // Fills up to `capacity` bytes; 0 at the end of the entry.
  std::size_t read(char* out, std::size_t capacity) {
    if (!inflating_) {
      const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, remaining_));
      if (chunk > 0 && !file_.readAt(offset_, out, chunk)) throwErrno(entry_.name);
      offset_ += chunk;
      remaining_ -= chunk;
      return chunk;
    }
    stream_.next_out = reinterpret_cast<Bytef*>(out);
    stream_.avail_out = static_cast<uInt>(capacity);
    while (stream_.avail_out > 0 && !ended_) {
      if (stream_.avail_in == 0 && remaining_ > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(input_.size(), remaining_));
        if (!file_.readAt(offset_, input_.data(), chunk)) throwErrno(entry_.name);
        offset_ += chunk;
        remaining_ -= chunk;
        stream_.next_in = reinterpret_cast<Bytef*>(input_.data());
        stream_.avail_in = static_cast<uInt>(chunk);
      }
      const int result = inflate(&stream_, Z_NO_FLUSH);
      if (result == Z_STREAM_END) {
        ended_ = true;
      } else if (result == Z_BUF_ERROR && stream_.avail_in == 0 && remaining_ == 0) {
        throw CZipException(CZipException::kZlibEndOfStream, entry_.name);
      } else if (result == Z_DATA_ERROR || result == Z_NEED_DICT) {
        throw CZipException(CZipException::kZlibData, entry_.name);
      } else if (result == Z_MEM_ERROR) {
        throw CZipException(CZipException::kNoMemory, entry_.name);
      } else if (result != Z_OK && result != Z_BUF_ERROR) {
        throw CZipException(CZipException::kZlibStream, entry_.name);
      }
    }
    return capacity - stream_.avail_out;
  }

 private:
  const platform::BinaryFile& file_;
  std::uint64_t offset_;
  std::uint64_t remaining_;
  const ZipEntry& entry_;
  std::vector<char> input_;
  z_stream stream_{};
  bool inflating_ = false;
  bool ended_ = false;
};

// The fields that the local header and the central record share, from "version needed" to the
// extra field's length.
void putSharedFields(std::string& out, const ZipEntry& entry) {
  put16(out, entry.versionNeeded);
  put16(out, static_cast<std::uint16_t>(entry.flags & ~kFlagDataDescriptor));
  put16(out, entry.method);
  put16(out, entry.dosTime);
  put16(out, entry.dosDate);
  put32(out, entry.crc);
  put32(out, entry.compressedSize);
  put32(out, entry.uncompressedSize);
  put16(out, static_cast<std::uint16_t>(entry.name.size()));
  put16(out, 0);
}

std::string localHeader(const ZipEntry& entry) {
  std::string out;
  put32(out, kLocalHeaderSignature);
  putSharedFields(out, entry);
  return out + entry.name;
}

std::string centralRecord(const ZipEntry& entry) {
  std::string out;
  put32(out, kCentralSignature);
  put16(out, entry.versionMadeBy);
  putSharedFields(out, entry);
  put16(out, 0);  // comment length
  put16(out, 0);  // disk number start
  put16(out, 0);  // internal attributes
  put32(out, entry.externalAttributes);
  put32(out, entry.localHeaderOffset);
  return out + entry.name;
}

}  // namespace

ZipContainer::ZipContainer() = default;

ZipContainer::~ZipContainer() {
  Discard();
  if (deflater_) deflateEnd(deflater_.get());
}

int ZipContainer::FindName(const std::string& name) const {
  if (!indexed_) {
    byName_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) byName_.emplace(nameKey(entries_[i].name), static_cast<int>(i));
    indexed_ = true;
  }
  const auto found = byName_.find(nameKey(name));
  return found == byName_.end() ? -1 : found->second;
}

void ZipContainer::Open(const std::string& path, bool create) {
  Discard();
  path_ = path;
  entries_.clear();
  indexed_ = false;
  centralOffset_ = 0;
  std::string error;
  file_ = platform::BinaryFile::open(path, platform::BinaryFile::Mode::Read, &error);
  if (!file_) {
    if (!create || platform::exists(path)) throw CZipException(CZipException::CodeOfErrno(errno), path + ": " + error);
    open_ = true;
    return;
  }
  readCentralDirectory();
  open_ = true;
}

void ZipContainer::readCentralDirectory() {
  const std::uint64_t size = file_->size();
  const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndSize + kMaxComment));
  if (size < kEndSize) throw CZipException(CZipException::kNoCentralDirectory, path_);
  std::vector<unsigned char> tail(tailSize);
  if (!file_->readAt(size - tailSize, tail.data(), tailSize)) throwErrno(path_);
  std::size_t end = std::string::npos;
  for (std::size_t i = tailSize - kEndSize + 1; i-- > 0;) {
    if (read32(&tail[i]) == kEndSignature) {
      end = i;
      break;
    }
  }
  if (end == std::string::npos) throw CZipException(CZipException::kNoCentralDirectory, path_);
  const std::uint64_t endOffset = size - tailSize + end;
  const unsigned char* record = &tail[end];
  const std::uint16_t disk = read16(record + 4);
  const std::uint16_t centralDisk = read16(record + 6);
  const std::uint16_t onDisk = read16(record + 8);
  const std::uint16_t total = read16(record + 10);
  const std::uint32_t centralSize = read32(record + 12);
  const std::uint32_t centralOffset = read32(record + 16);
  const std::uint16_t commentLength = read16(record + 20);
  if (endOffset >= 20) {
    unsigned char locator[4];
    if (file_->readAt(endOffset - 20, locator, 4) && read32(locator) == kZip64LocatorSignature) {
      throw CZipException(CZipException::kNotSupported, path_ + ": ZIP64");
    }
  }
  if (total == 0xFFFF || centralSize == 0xFFFFFFFF || centralOffset == 0xFFFFFFFF) {
    throw CZipException(CZipException::kNotSupported, path_ + ": ZIP64");
  }
  if (disk != 0 || centralDisk != 0 || onDisk != total) throw CZipException(CZipException::kNotSupported, path_ + ": multi-disk");
  if (endOffset + kEndSize + commentLength > size || static_cast<std::uint64_t>(centralOffset) + centralSize > endOffset) {
    throw CZipException(CZipException::kDamaged, path_);
  }
  std::vector<unsigned char> central(centralSize);
  if (centralSize > 0 && !file_->readAt(centralOffset, central.data(), centralSize)) throwErrno(path_);
  std::size_t at = 0;
  for (std::uint16_t i = 0; i < total; ++i) {
    if (at + kCentralHeaderSize > central.size() || read32(&central[at]) != kCentralSignature) {
      throw CZipException(CZipException::kDamaged, path_);
    }
    const unsigned char* r = &central[at];
    ZipEntry entry;
    entry.versionMadeBy = read16(r + 4);
    entry.versionNeeded = read16(r + 6);
    entry.flags = read16(r + 8);
    entry.method = read16(r + 10);
    entry.dosTime = read16(r + 12);
    entry.dosDate = read16(r + 14);
    entry.crc = read32(r + 16);
    entry.compressedSize = read32(r + 20);
    entry.uncompressedSize = read32(r + 24);
    const std::size_t nameLength = read16(r + 28);
    const std::size_t extraLength = read16(r + 30);
    const std::size_t commentLen = read16(r + 32);
    entry.externalAttributes = read32(r + 38);
    entry.localHeaderOffset = read32(r + 42);
    const std::size_t recordLength = kCentralHeaderSize + nameLength + extraLength + commentLen;
    if (at + recordLength > central.size() || entry.localHeaderOffset >= centralOffset) {
      throw CZipException(CZipException::kDamaged, path_);
    }
    if (entry.compressedSize == 0xFFFFFFFF || entry.uncompressedSize == 0xFFFFFFFF || entry.localHeaderOffset == 0xFFFFFFFF) {
      throw CZipException(CZipException::kNotSupported, path_ + ": ZIP64");
    }
    for (std::size_t extra = kCentralHeaderSize + nameLength; extra + 4 <= kCentralHeaderSize + nameLength + extraLength;) {
      if (read16(r + extra) == 0x0001) throw CZipException(CZipException::kNotSupported, path_ + ": ZIP64");
      extra += 4 + read16(r + extra + 2);
    }
    const std::string_view rawName(reinterpret_cast<const char*>(r + kCentralHeaderSize), nameLength);
    entry.name = decodeName(rawName, entry.flags, entry.versionMadeBy);
    std::replace(entry.name.begin(), entry.name.end(), '\\', '/');
    entries_.push_back(std::move(entry));
    at += recordLength;
  }
  centralOffset_ = centralOffset;
}

std::uint64_t ZipContainer::dataOffset(const ZipEntry& entry) const {
  if (entry.stagedOffset) return *entry.stagedOffset;
  unsigned char header[kLocalHeaderSize];
  if (!file_->readAt(entry.localHeaderOffset, header, kLocalHeaderSize) || read32(header) != kLocalHeaderSignature) {
    throw CZipException(CZipException::kDamaged, entry.name);
  }
  const std::uint64_t offset = entry.localHeaderOffset + kLocalHeaderSize + read16(header + 26) + read16(header + 28);
  if (offset + entry.compressedSize > (centralOffset_ != 0 ? centralOffset_ : file_->size())) {
    throw CZipException(CZipException::kDamaged, entry.name);
  }
  return offset;
}

void ZipContainer::Extract(int index, const std::string& destination, ZipProgressSink* sink) const {
  if (index < 0 || index >= Count()) throw CZipException(CZipException::kInternal, destination);
  const ZipEntry& entry = entries_[static_cast<std::size_t>(index)];
  if ((entry.flags & kFlagEncrypted) != 0) throw CZipException(CZipException::kNotSupported, entry.name + ": encrypted");
  if (entry.method != 0 && entry.method != 8) throw CZipException(CZipException::kNotSupported, entry.name + ": method");
  const platform::BinaryFile& source = entry.stagedOffset ? *staging_ : *file_;
  EntryReader reader(source, dataOffset(entry), entry);
  std::string tempPath;
  std::string error;
  auto out = platform::BinaryFile::adopt(platform::createTempFileBeside(destination, tempPath, &error));
  if (!out) throw CZipException(CZipException::CodeOfErrno(errno), destination + ": " + error);
  try {
    std::vector<char> buffer(kBufferSize);
    std::uint64_t written = 0;
    std::uint32_t crc = 0;
    for (;;) {
      const std::size_t got = reader.read(buffer.data(), buffer.size());
      if (got == 0) break;
      written += got;
      if (written > entry.uncompressedSize) throw CZipException(CZipException::kDamaged, entry.name + ": longer than declared");
      crc = engine::Crc32(std::string_view(buffer.data(), got), crc);
      if (!out->append(buffer.data(), got)) throwErrno(destination);
      if (sink != nullptr && !sink->Callback(ZipProgressSink::kExtracting, entry.uncompressedSize, written, entry.name)) {
        throw CZipException(CZipException::kAborted, entry.name);
      }
    }
    if (written != entry.uncompressedSize) throw CZipException(CZipException::kDamaged, entry.name + ": shorter than declared");
    if (crc != entry.crc) throw CZipException(CZipException::kCrcMismatch, entry.name);
    if (!out->close()) throwErrno(destination);
    out.reset();
    (void)platform::setLastWriteTime(tempPath, fromDos(entry.dosTime, entry.dosDate));
    if ((entry.externalAttributes & 0x01) != 0) (void)platform::setAttributes(tempPath, 0x01);
    if (!platform::renameReplace(tempPath, destination, &error)) throw CZipException(CZipException::kRenameFailed, error);
  } catch (...) {
    out.reset();
    (void)platform::deleteFile(tempPath);
    throw;
  }
}

void ZipContainer::AddFile(const std::string& localPath, const std::string& entryName, int level, int replaceIndex,
                           std::uint32_t attributes, ZipProgressSink* sink) {
  if (!open_) throw CZipException(CZipException::kInternal, "archive not open");
  std::string name = entryName;
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.size() > kMaxName) throw CZipException(CZipException::kNameTooLong, name.substr(0, 80));
  if (replaceIndex < 0 && entries_.size() >= kMaxEntries) {
    throw CZipException(CZipException::kNotSupported, "the archive holds 65,535 entries");
  }
  std::string error;
  auto input = platform::BinaryFile::open(localPath, platform::BinaryFile::Mode::Read, &error);
  if (!input) throw CZipException(CZipException::CodeOfErrno(errno), localPath + ": " + error);
  const std::uint64_t size = input->size();
  if (size > kMaxSize) throw CZipException(CZipException::kFileTooLarge, localPath);
  if (!staging_) {
    staging_ = platform::BinaryFile::adopt(platform::createTempFileBeside(path_, stagingPath_, &error));
    if (!staging_) throw CZipException(CZipException::CodeOfErrno(errno), path_ + ": " + error);
  }
  ZipEntry entry;
  entry.name = name;
  entry.flags = needsUtf8Flag(name) ? kFlagUtf8 : 0;
  const bool store = level == 0 || size < 5;
  entry.method = store ? 0 : 8;
  if (!store) entry.flags = static_cast<std::uint16_t>(entry.flags | levelFlags(level));
  toDos(input->lastWriteTime(), entry.dosTime, entry.dosDate);
  entry.externalAttributes = attributes;
  entry.uncompressedSize = static_cast<std::uint32_t>(size);
  const std::uint64_t start = staging_->position();
  entry.stagedOffset = start;

  const int kind = replaceIndex >= 0 ? ZipProgressSink::kReplacing : ZipProgressSink::kAdding;
  z_stream_s* stream = store ? nullptr : deflater(level);
  if (inBuffer_.empty()) {
    inBuffer_.resize(kBufferSize);
    outBuffer_.resize(kBufferSize);
  }
  std::uint32_t crc = 0;
  std::uint64_t done = 0;
  try {
    while (done < size || !store) {
      const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(inBuffer_.size(), size - done));
      if (chunk > 0 && !input->readAt(done, inBuffer_.data(), chunk)) throwErrno(localPath);
      done += chunk;
      crc = engine::Crc32(std::string_view(inBuffer_.data(), chunk), crc);
      if (store) {
        if (!staging_->append(inBuffer_.data(), chunk)) throwErrno(path_);
      } else {
        stream->next_in = reinterpret_cast<Bytef*>(inBuffer_.data());
        stream->avail_in = static_cast<uInt>(chunk);
        const int flush = done >= size ? Z_FINISH : Z_NO_FLUSH;
        int result = Z_OK;
        do {
          stream->next_out = reinterpret_cast<Bytef*>(outBuffer_.data());
          stream->avail_out = static_cast<uInt>(outBuffer_.size());
          result = deflate(stream, flush);
          if (result == Z_STREAM_ERROR) throw CZipException(CZipException::kZlibStream, name);
          if (!staging_->append(outBuffer_.data(), outBuffer_.size() - stream->avail_out)) throwErrno(path_);
        } while (stream->avail_out == 0);
        if (flush == Z_FINISH) {
          if (result != Z_STREAM_END) throw CZipException(CZipException::kZlibStream, name);
          break;
        }
      }
      // Adding runs to its end once begun, so the archive stays whole; only the progress shows.
      if (sink != nullptr) (void)sink->Callback(kind, size, done, name);
    }
  } catch (...) {
    if (sink != nullptr) (void)sink->Callback(ZipProgressSink::kRemovingPart, size, done, name);
    throw;
  }
  const std::uint64_t compressed = staging_->position() - start;
  if (compressed > kMaxSize) throw CZipException(CZipException::kFileTooLarge, name);
  entry.compressedSize = static_cast<std::uint32_t>(compressed);
  entry.crc = crc;
  if (replaceIndex >= 0 && replaceIndex < Count()) {
    entries_[static_cast<std::size_t>(replaceIndex)] = std::move(entry);
    indexed_ = false;
  } else {
    if (indexed_) byName_.emplace(nameKey(entry.name), Count());
    entries_.push_back(std::move(entry));
  }
  modified_ = true;
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

void ZipContainer::DeleteEntries(std::vector<int> indexes, ZipProgressSink* sink) {
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  if (sink != nullptr) (void)sink->Callback(ZipProgressSink::kCounting, indexes.size(), 0, {});
  for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
    if (*it < 0 || *it >= Count()) continue;
    if (sink != nullptr) (void)sink->Callback(ZipProgressSink::kDeleting, indexes.size(), 0, entries_[static_cast<std::size_t>(*it)].name);
    entries_.erase(entries_.begin() + *it);
    modified_ = true;
    indexed_ = false;
  }
}

void ZipContainer::commit() {
  std::uint64_t total = 0;
  for (const ZipEntry& entry : entries_) total += kLocalHeaderSize + entry.name.size() + entry.compressedSize + kCentralHeaderSize + entry.name.size();
  if (total + kEndSize > kMaxSize) throw CZipException(CZipException::kFileTooLarge, path_ + ": over 4 GiB");
  std::string tempPath;
  std::string error;
  auto out = platform::BinaryFile::adopt(platform::createTempFileBeside(path_, tempPath, &error));
  if (!out) throw CZipException(CZipException::CodeOfErrno(errno), path_ + ": " + error);
  try {
    std::vector<ZipEntry> written = entries_;
    // Small entries are gathered in memory and written in large pieces.
    std::string pending;
    std::uint64_t position = 0;
    auto flush = [&] {
      if (!pending.empty() && !out->append(pending.data(), pending.size())) throwErrno(path_);
      pending.clear();
    };
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const ZipEntry& entry = entries_[i];
      const std::uint64_t from = dataOffset(entry);
      const platform::BinaryFile& source = entry.stagedOffset ? *staging_ : *file_;
      written[i].localHeaderOffset = static_cast<std::uint32_t>(position);
      written[i].stagedOffset.reset();
      pending += localHeader(written[i]);
      if (entry.compressedSize <= kBufferSize) {
        const std::size_t at = pending.size();
        pending.resize(at + entry.compressedSize);
        if (entry.compressedSize > 0 && !source.readAt(from, pending.data() + at, entry.compressedSize)) throwErrno(path_);
      } else {
        flush();
        if (!out->appendFrom(source, from, entry.compressedSize)) throwErrno(path_);
      }
      position += kLocalHeaderSize + entry.name.size() + entry.compressedSize;
      if (pending.size() >= 16 * kBufferSize) flush();
    }
    flush();
    const auto centralOffset = static_cast<std::uint32_t>(out->position());
    std::string central;
    for (const ZipEntry& entry : written) central += centralRecord(entry);
    const auto centralSize = static_cast<std::uint32_t>(central.size());
    put32(central, kEndSignature);
    put16(central, 0);
    put16(central, 0);
    put16(central, static_cast<std::uint16_t>(written.size()));
    put16(central, static_cast<std::uint16_t>(written.size()));
    put32(central, centralSize);
    put32(central, centralOffset);
    put16(central, 0);
    // The new archive is on the disk before it takes the old one's name.
    if (!out->append(central.data(), central.size()) || !out->close(true)) throwErrno(path_);
    out.reset();
    if (!platform::renameReplace(tempPath, path_, &error)) throw CZipException(CZipException::kRenameFailed, error);
  } catch (...) {
    out.reset();
    (void)platform::deleteFile(tempPath);
    throw;
  }
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
  closeFiles();
  open_ = false;
  modified_ = false;
}

void ZipContainer::Discard() {
  closeFiles();
  open_ = false;
  modified_ = false;
  entries_.clear();
  indexed_ = false;
}

}  // namespace stores
