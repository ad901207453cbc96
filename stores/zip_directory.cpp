// Reading an archive's end records and central directory.
#include <algorithm>
#include <cerrno>
#include <numeric>
#include <vector>

#include "stores/zip_container.h"
#include "stores/zip_format.h"
#include "stores/zip_records.h"

namespace stores {

using namespace zipformat;

namespace {

struct CentralDirectory {
  std::uint64_t entryCount = 0;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  // Where the records after it (ZIP64 or classic end record) begin.
  std::uint64_t end = 0;
};

[[noreturn]] void throwReadFailure(const std::string& path) {
  throw CZipException(errno == EIO ? CZipException::kDamaged : CZipException::CodeOfErrno(errno), path);
}

// The ZIP64 end record that the locator at `locatorOffset` points to, read into `directory`.
void readZip64End(const platform::BinaryFile& file, const std::string& path, const unsigned char* locator,
                  std::uint64_t locatorOffset, CentralDirectory& directory) {
  if (read32(locator + 16) > 1) throw CZipException(CZipException::kNotSupported, path + ": multi-disk");
  unsigned char record[kZip64EndSize];
  // Where the locator says, or (data put in front of the archive moves it) just before the locator.
  std::uint64_t at = read64(locator + 8);
  const bool there = at + kZip64EndSize <= locatorOffset && file.readAt(at, record, kZip64EndSize) &&
                     read32(record) == kZip64EndSignature;
  if (!there) {
    at = locatorOffset - kZip64EndSize;
    if (locatorOffset < kZip64EndSize || !file.readAt(at, record, kZip64EndSize) ||
        read32(record) != kZip64EndSignature) {
      throw CZipException(CZipException::kDamaged, path + ": ZIP64 end record missing");
    }
  }
  if (read32(record + 16) != 0 || read32(record + 20) != 0 || read64(record + 24) != read64(record + 32)) {
    throw CZipException(CZipException::kNotSupported, path + ": multi-disk");
  }
  directory.entryCount = read64(record + 32);
  directory.size = read64(record + 40);
  directory.offset = read64(record + 48);
  directory.end = at;
}

}  // namespace

void ZipContainer::readCentralDirectory() {
  const std::uint64_t fileSize = file_->size();
  if (fileSize < kEndSize) throw CZipException(CZipException::kNoCentralDirectory, path_);
  const auto tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kEndSize + kMaxComment + kZip64LocatorSize));
  std::vector<unsigned char> tail(tailSize);
  if (!file_->readAt(fileSize - tailSize, tail.data(), tailSize)) throwReadFailure(path_);
  std::size_t end = std::string::npos;
  for (std::size_t i = tailSize - kEndSize + 1; i-- > 0;) {
    if (read32(&tail[i]) == kEndSignature) {
      end = i;
      break;
    }
  }
  if (end == std::string::npos) throw CZipException(CZipException::kNoCentralDirectory, path_);
  const std::uint64_t endOffset = fileSize - tailSize + end;
  const unsigned char* record = &tail[end];
  const std::size_t commentLength = read16(record + 20);
  if (end + kEndSize + commentLength > tailSize) throw CZipException(CZipException::kDamaged, path_);
  comment_.assign(reinterpret_cast<const char*>(record + kEndSize), commentLength);

  CentralDirectory directory{read16(record + 10), read32(record + 16), read32(record + 12), endOffset};
  if (end >= kZip64LocatorSize && read32(record - kZip64LocatorSize) == kZip64LocatorSignature) {
    readZip64End(*file_, path_, record - kZip64LocatorSize, endOffset - kZip64LocatorSize, directory);
  } else if (read16(record + 4) != 0 || read16(record + 6) != 0 || read16(record + 8) != read16(record + 10)) {
    throw CZipException(CZipException::kNotSupported, path_ + ": multi-disk");
  }
  if (directory.offset > directory.end || directory.size > directory.end - directory.offset) {
    throw CZipException(CZipException::kDamaged, path_);
  }

  // The whole directory in one read; the records are then taken from memory.
  std::vector<unsigned char> central(static_cast<std::size_t>(directory.size));
  if (!central.empty() && !file_->readAt(directory.offset, central.data(), central.size())) throwReadFailure(path_);
  entries_.clear();
  entries_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(directory.entryCount, central.size() / kCentralHeaderSize)));
  // As Python's zipfile does, the records are read to the directory's end whatever the count says
  // (writers without ZIP64 wrote the count modulo 65,536).
  for (std::size_t at = 0; at < central.size();) {
    ZipEntry entry;
    try {
      at += parseCentralRecord(&central[at], central.size() - at, entry);
    } catch (const CZipException& failure) {
      throw CZipException(failure.code(), path_ + ": " + failure.what());
    }
    if (directory.offset < kLocalHeaderSize || entry.localHeaderOffset > directory.offset - kLocalHeaderSize) {
      throw CZipException(CZipException::kDamaged, path_ + ": " + entry.name + ": local header past the directory");
    }
    entries_.push_back(std::move(entry));
  }

  prefixEnd_ = directory.offset;
  for (const ZipEntry& entry : entries_) prefixEnd_ = std::min(prefixEnd_, entry.localHeaderOffset);
  // An entry's bytes end where the next one's begin: that span is what a rewrite copies.
  std::vector<std::size_t> byOffset(entries_.size());
  std::iota(byOffset.begin(), byOffset.end(), 0);
  std::sort(byOffset.begin(), byOffset.end(),
            [&](std::size_t a, std::size_t b) { return entries_[a].localHeaderOffset < entries_[b].localHeaderOffset; });
  for (std::size_t k = 0; k < byOffset.size(); ++k) {
    entries_[byOffset[k]].storedEnd =
        k + 1 < byOffset.size() ? entries_[byOffset[k + 1]].localHeaderOffset : directory.offset;
  }
}

}  // namespace stores
