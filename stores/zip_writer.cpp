// Writing the new archive: untouched entries copied byte for byte in runs as long as they lie
// together, new entries from the staging file, then the central directory and end records.
#include <cerrno>

#include "platform/content_reader.h"
#include "platform/file_system.h"
#include "platform/temp_names.h"
#include "stores/zip_container.h"
#include "stores/zip_format.h"
#include "stores/zip_records.h"

namespace stores {

using namespace zipformat;

namespace {

// Appends to a file, gathering small pieces in memory and copying large ones file to file.
class ArchiveOutput {
 public:
  ArchiveOutput(platform::BinaryFile& file, const std::string& path) : file_(file), path_(path) {}

  [[nodiscard]] std::uint64_t position() const { return file_.position() + pending_.size(); }

  void write(std::string_view bytes) {
    pending_ += bytes;
    if (pending_.size() >= kFlushSize) flush();
  }

  void copy(const platform::BinaryFile& source, std::uint64_t offset, std::uint64_t length) {
    if (length <= kSmallCopy) {
      const std::size_t at = pending_.size();
      pending_.resize(at + static_cast<std::size_t>(length));
      if (length > 0 && !source.readAt(offset, pending_.data() + at, static_cast<std::size_t>(length))) fail();
      if (pending_.size() >= kFlushSize) flush();
      return;
    }
    flush();
    if (!file_.appendFrom(source, offset, length)) fail();
  }

  void flush() {
    if (!pending_.empty() && !file_.append(pending_.data(), pending_.size())) fail();
    pending_.clear();
  }

 private:
  static constexpr std::uint64_t kSmallCopy = 65536;
  static constexpr std::size_t kFlushSize = 1 << 20;

  [[noreturn]] void fail() const { throw CZipException(CZipException::CodeOfErrno(errno), path_); }

  platform::BinaryFile& file_;
  const std::string& path_;
  std::string pending_;
};

}  // namespace

bool ZipContainer::archiveChangedSinceOpen() const {
  const auto now = platform::identityOf(path_);
  return identity_ ? now != identity_ : now.has_value();
}

void ZipContainer::commit() {
  std::string tempPath;
  std::string error;
  auto file = platform::BinaryFile::adopt(platform::createTempFileBeside(path_, tempPath, &error));
  if (!file) throw CZipException(CZipException::CodeOfErrno(errno), path_ + ": " + error);
  try {
    ArchiveOutput out(*file, path_);
    std::string central;
    // What stands before the first entry (the program of a self-extracting archive) stays.
    if (prefixEnd_ > 0) out.copy(*file_, 0, prefixEnd_);
    // A run of untouched entries that lie together in the old archive: [runStart, runEnd) there,
    // from runTarget on in the new one.
    std::uint64_t runStart = 0;
    std::uint64_t runEnd = 0;
    std::uint64_t runTarget = 0;
    auto flushRun = [&] {
      if (runEnd > runStart) out.copy(*file_, runStart, runEnd - runStart);
      runStart = runEnd = 0;
    };
    for (const ZipEntry& entry : entries_) {
      if (entry.stagedOffset) {
        flushRun();
        const std::uint64_t offset = out.position();
        out.write(newLocalHeader(entry));
        out.copy(*staging_, *entry.stagedOffset, entry.compressedSize);
        central += newCentralRecord(entry, offset);
        continue;
      }
      // A span too short for its entry's data (overlapping entries) would be copied cut short.
      const std::uint64_t span = entry.storedEnd - entry.localHeaderOffset;
      if (span < kLocalHeaderSize || entry.compressedSize > span - kLocalHeaderSize) {
        throw CZipException(CZipException::kDamaged, entry.name + ": data overlap the next entry");
      }
      if (runEnd == 0 || runEnd != entry.localHeaderOffset) {
        flushRun();
        runStart = entry.localHeaderOffset;
        runTarget = out.position();
      }
      runEnd = entry.storedEnd;
      central += movedCentralRecord(entry.centralRecord, runTarget + (entry.localHeaderOffset - runStart));
    }
    flushRun();
    const std::uint64_t centralOffset = out.position();
    out.write(central);
    out.write(endRecords(entries_.size(), centralOffset, central.size(), comment_));
    out.flush();
    const std::uint32_t permissions = identity_ ? permissions_ : 0666 & ~platform::processUmask();
    if (!platform::setPermissions(tempPath, permissions)) throw CZipException(CZipException::CodeOfErrno(errno), path_);
    if (identity_ && platform::mayChangeOwners() && !platform::setOwner(tempPath, identity_->user, identity_->group)) {
      throw CZipException(CZipException::CodeOfErrno(errno), path_);
    }
    // The new archive is on the disk before it takes the old one's name.
    if (!file->close(true)) throw CZipException(CZipException::CodeOfErrno(errno), path_);
    file.reset();
    if (archiveChangedSinceOpen()) throw CZipException(CZipException::kChangedByOther, path_);
    if (!platform::renameReplace(tempPath, path_, &error)) throw CZipException(CZipException::kRenameFailed, error);
  } catch (...) {
    file.reset();
    (void)platform::deleteFile(tempPath);
    throw;
  }
}

}  // namespace stores
