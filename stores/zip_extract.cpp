// Reading entries: their content as a stream, link targets, and extraction to files.
#include <cerrno>
#include <vector>

#include "platform/content_reader.h"
#include "platform/file_system.h"
#include "platform/temp_names.h"
#include "stores/zip_container.h"
#include "stores/zip_format.h"

namespace stores {

using namespace zipformat;

namespace {

// The permission bits an extracted file gets: the entry's, or for entries without Unix bits
// what a new file gets, read-only when the DOS attribute says so; never set-uid, set-gid or sticky.
std::uint32_t extractedPermissions(const ZipEntry& entry) {
  const std::uint32_t mode = entry.unixMode();
  std::uint32_t permissions = mode != 0 ? (mode & 0777) : 0666;
  if (mode == 0 && (entry.externalAttributes & kDosReadOnly) != 0) permissions &= ~0222u;
  return permissions & ~platform::processUmask();
}

}  // namespace

const ZipEntry& ZipContainer::checkedEntry(int index) const {
  if (index < 0 || index >= Count()) throw CZipException(CZipException::kInternal, "no entry " + std::to_string(index));
  return entries_[static_cast<std::size_t>(index)];
}

std::uint64_t ZipContainer::dataOffset(const ZipEntry& entry) const {
  unsigned char header[kLocalHeaderSize];
  if (!file_->readAt(entry.localHeaderOffset, header, kLocalHeaderSize) || read32(header) != kLocalHeaderSignature) {
    throw CZipException(CZipException::kDamaged, entry.name + ": local header missing");
  }
  const std::uint64_t offset = entry.localHeaderOffset + kLocalHeaderSize + read16(header + 26) + read16(header + 28);
  // Data reaching into the next entry are damage (or a trick of overlapping entries).
  if (offset > entry.storedEnd || entry.compressedSize > entry.storedEnd - offset) {
    throw CZipException(CZipException::kDamaged, entry.name + ": data overlap the next entry");
  }
  return offset;
}

std::unique_ptr<ZipEntryReader> ZipContainer::OpenEntry(int index) const {
  const ZipEntry& entry = checkedEntry(index);
  if (entry.stagedOffset) return std::make_unique<ZipEntryReader>(*staging_, *entry.stagedOffset, entry);
  return std::make_unique<ZipEntryReader>(*file_, dataOffset(entry), entry);
}

std::string ZipContainer::ReadLinkTarget(int index) const {
  const ZipEntry& entry = checkedEntry(index);
  if (!entry.isLink()) throw CZipException(CZipException::kInternal, entry.name + ": not a link");
  if (entry.uncompressedSize > kMaxLinkTarget) {
    throw CZipException(CZipException::kDamaged, entry.name + ": link target longer than 4,096 bytes");
  }
  const auto reader = OpenEntry(index);
  std::string target(kMaxLinkTarget, '\0');
  std::size_t length = 0;
  // The reader refuses data longer than the size checked above.
  while (const std::size_t got = reader->read(target.data() + length, target.size() - length)) length += got;
  target.resize(length);
  return target;
}

void ZipContainer::Extract(int index, const std::string& destination, ZipProgressSink* sink) const {
  const ZipEntry& entry = checkedEntry(index);
  if (entry.isLink()) {
    throw CZipException(CZipException::kNotSupported, entry.name + ": a symbolic link is not extracted as a file");
  }
  const auto reader = OpenEntry(index);
  std::string tempPath;
  std::string error;
  auto out = platform::BinaryFile::adopt(platform::createTempFileBeside(destination, tempPath, &error));
  if (!out) throw CZipException(CZipException::CodeOfErrno(errno), destination + ": " + error);
  try {
    // Large pieces for large entries: fewer system calls per gigabyte.
    constexpr std::size_t kLargeBuffer = 1 << 20;
    std::vector<char> buffer(reader->size() > kBufferSize ? kLargeBuffer : kBufferSize);
    std::uint64_t written = 0;
    while (const std::size_t got = reader->read(buffer.data(), buffer.size())) {
      if (!out->append(buffer.data(), got)) throw CZipException(CZipException::CodeOfErrno(errno), destination);
      written += got;
      if (sink != nullptr && !sink->Callback(ZipProgressSink::kExtracting, reader->size(), written, entry.name)) {
        throw CZipException(CZipException::kAborted, entry.name);
      }
    }
    if (!out->close()) throw CZipException(CZipException::CodeOfErrno(errno), destination);
    out.reset();
    if (!platform::setLastWriteTime(tempPath, entry.lastWriteTime(), &error) ||
        !platform::setPermissions(tempPath, extractedPermissions(entry))) {
      throw CZipException(CZipException::CodeOfErrno(errno), destination + ": " + error);
    }
    if (!platform::renameReplace(tempPath, destination, &error)) throw CZipException(CZipException::kRenameFailed, error);
  } catch (...) {
    out.reset();
    (void)platform::deleteFile(tempPath);
    throw;
  }
}

}  // namespace stores
