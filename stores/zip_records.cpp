#include "stores/zip_records.h"

#include <algorithm>
#include <optional>

#include "stores/zip_exception.h"

namespace stores::zipformat {
namespace {

constexpr std::size_t kOffsetField = 42;
constexpr std::size_t kVersionNeededField = 6;

bool needsZip64(std::uint64_t value) { return value >= kMax32; }

struct ExtraBlock {
  std::size_t at = 0;  // of the block's header within the extra field
  std::size_t size = 0;
};

// The ZIP64 block of an extra field, when it has one.
std::optional<ExtraBlock> findZip64(std::string_view extra) {
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const auto* p = reinterpret_cast<const unsigned char*>(extra.data() + at);
    const std::size_t size = read16(p + 2);
    if (at + 4 + size > extra.size()) return std::nullopt;
    if (read16(p) == kZip64ExtraId) return ExtraBlock{at, size};
    at += 4 + size;
  }
  return std::nullopt;
}

// Where the offset is (or goes) in a ZIP64 block: after the sizes that the header leaves to it.
std::size_t offsetPosition(const unsigned char* record) {
  return 4 + (read32(record + 24) == kMax32 ? 8 : 0) + (read32(record + 20) == kMax32 ? 8 : 0);
}

void putRecordStart(std::string& out, const ZipEntry& entry, std::uint16_t versionNeeded, bool zip64Sizes) {
  put16(out, versionNeeded);
  put16(out, entry.flags);
  put16(out, entry.method);
  put16(out, entry.dosTime);
  put16(out, entry.dosDate);
  put32(out, entry.crc);
  put32(out, zip64Sizes ? kMax32 : static_cast<std::uint32_t>(entry.compressedSize));
  put32(out, zip64Sizes ? kMax32 : static_cast<std::uint32_t>(entry.uncompressedSize));
  put16(out, static_cast<std::uint16_t>(entry.rawName.size()));
}

// The last-write time of an extra field's time blocks, NTFS first, else the extended timestamp.
std::optional<platform::FileTime> exactTimeIn(std::string_view extra) {
  std::optional<platform::FileTime> unixTime;
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const auto* p = reinterpret_cast<const unsigned char*>(extra.data() + at);
    const std::size_t size = read16(p + 2);
    if (at + 4 + size > extra.size()) break;
    if (read16(p) == kNtfsExtraId && size >= 32 && read16(p + 8) == 1 && read16(p + 10) >= 8) {
      const std::uint64_t time = read64(p + 12);
      if (time != 0) return time;
    }
    // Flags, then the modification time when bit 0 says it is there.
    if (read16(p) == kUnixTimeExtraId && size >= 5 && (p[4] & 1) != 0) {
      unixTime = platform::fileTimeFromUnixSeconds(static_cast<std::int32_t>(read32(p + 5)));
    }
    at += 4 + size;
  }
  return unixTime;
}

// The NTFS block this program writes: the last-write time, as access and change time too.
std::string ntfsTimeBlock(platform::FileTime time) {
  std::string out;
  put16(out, kNtfsExtraId);
  put16(out, 32);
  put32(out, 0);  // reserved
  put16(out, 1);  // attribute tag: times
  put16(out, 24);
  for (int i = 0; i < 3; ++i) put64(out, time);
  return out;
}

}  // namespace

std::size_t parseCentralRecord(const unsigned char* r, std::size_t available, ZipEntry& entry) {
  if (available < kCentralHeaderSize || read32(r) != kCentralSignature) throw CZipException(CZipException::kDamaged);
  const std::size_t nameLength = read16(r + 28);
  const std::size_t extraLength = read16(r + 30);
  const std::size_t length = kCentralHeaderSize + nameLength + extraLength + read16(r + 32);
  if (length > available) throw CZipException(CZipException::kDamaged);
  entry.versionMadeBy = read16(r + 4);
  entry.versionNeeded = read16(r + 6);
  entry.flags = read16(r + 8);
  entry.method = read16(r + 10);
  entry.dosTime = read16(r + 12);
  entry.dosDate = read16(r + 14);
  entry.crc = read32(r + 16);
  entry.compressedSize = read32(r + 20);
  entry.uncompressedSize = read32(r + 24);
  entry.externalAttributes = read32(r + 38);
  entry.localHeaderOffset = read32(r + kOffsetField);
  entry.rawName.assign(reinterpret_cast<const char*>(r + kCentralHeaderSize), nameLength);
  entry.name = decodeName(entry.rawName, entry.flags, entry.versionMadeBy);
  entry.centralRecord.assign(reinterpret_cast<const char*>(r), length);
  entry.exactTime = exactTimeIn(std::string_view(reinterpret_cast<const char*>(r) + kCentralHeaderSize + nameLength, extraLength));
  if (entry.uncompressedSize == kMax32 || entry.compressedSize == kMax32 || entry.localHeaderOffset == kMax32) {
    const std::string_view extra(reinterpret_cast<const char*>(r) + kCentralHeaderSize + nameLength, extraLength);
    const auto block = findZip64(extra);
    if (!block) throw CZipException(CZipException::kDamaged, entry.name + ": ZIP64 field missing");
    const auto* field = reinterpret_cast<const unsigned char*>(extra.data() + block->at + 4);
    const unsigned char* end = field + block->size;
    for (std::uint64_t* value : {&entry.uncompressedSize, &entry.compressedSize, &entry.localHeaderOffset}) {
      if (*value != kMax32) continue;
      if (field + 8 > end) throw CZipException(CZipException::kDamaged, entry.name + ": ZIP64 field too short");
      *value = read64(field);
      field += 8;
    }
  }
  return length;
}

std::string movedCentralRecord(std::string_view record, std::uint64_t offset) {
  std::string out(record);
  auto* r = reinterpret_cast<unsigned char*>(out.data());
  const std::size_t extraAt = kCentralHeaderSize + read16(r + 28);
  const std::size_t extraLength = read16(r + 30);
  const std::string_view extra(out.data() + extraAt, extraLength);
  const auto block = findZip64(extra);
  std::string field;
  put64(field, offset);
  if (read32(r + kOffsetField) == kMax32) {
    // parseCentralRecord made sure the block and its offset field are there.
    out.replace(extraAt + block->at + offsetPosition(r), 8, field);
    return out;
  }
  if (!needsZip64(offset)) {
    std::string value;
    put32(value, static_cast<std::uint32_t>(offset));
    out.replace(kOffsetField, 4, value);
    return out;
  }
  std::string grown(extra);
  if (block) {
    grown.insert(block->at + offsetPosition(r), field);
    const auto blockSize = static_cast<std::uint16_t>(block->size + 8);
    grown[block->at + 2] = static_cast<char>(blockSize & 0xFF);
    grown[block->at + 3] = static_cast<char>(blockSize >> 8);
  } else {
    put16(grown, kZip64ExtraId);
    put16(grown, 8);
    grown += field;
  }
  if (grown.size() > kMax16) throw CZipException(CZipException::kNotSupported, "extra field too long for ZIP64");
  out.replace(extraAt, extraLength, grown);
  r = reinterpret_cast<unsigned char*>(out.data());
  std::string patch;
  put16(patch, static_cast<std::uint16_t>(grown.size()));
  out.replace(30, 2, patch);
  patch.clear();
  put16(patch, std::max(read16(r + kVersionNeededField), kVersionZip64));
  out.replace(kVersionNeededField, 2, patch);
  out.replace(kOffsetField, 4, std::string(4, '\xFF'));
  return out;
}

std::string newLocalHeader(const ZipEntry& entry) {
  const bool zip64 = needsZip64(entry.compressedSize) || needsZip64(entry.uncompressedSize);
  std::string extra;
  if (zip64) {
    // The local header has both sizes or neither.
    put16(extra, kZip64ExtraId);
    put16(extra, 16);
    put64(extra, entry.uncompressedSize);
    put64(extra, entry.compressedSize);
  }
  if (entry.exactTime) extra += ntfsTimeBlock(*entry.exactTime);
  std::string out;
  put32(out, kLocalHeaderSignature);
  putRecordStart(out, entry, zip64 ? kVersionZip64 : entry.versionNeeded, zip64);
  put16(out, static_cast<std::uint16_t>(extra.size()));
  out += entry.rawName;
  return out + extra;
}

std::string newCentralRecord(const ZipEntry& entry, std::uint64_t offset) {
  std::string zip64;
  for (const std::uint64_t value : {entry.uncompressedSize, entry.compressedSize, offset}) {
    if (needsZip64(value)) put64(zip64, value);
  }
  std::string extra;
  if (!zip64.empty()) {
    put16(extra, kZip64ExtraId);
    put16(extra, static_cast<std::uint16_t>(zip64.size()));
    extra += zip64;
  }
  if (entry.exactTime) extra += ntfsTimeBlock(*entry.exactTime);
  std::string out;
  put32(out, kCentralSignature);
  put16(out, entry.versionMadeBy);
  put16(out, zip64.empty() ? entry.versionNeeded : kVersionZip64);
  put16(out, entry.flags);
  put16(out, entry.method);
  put16(out, entry.dosTime);
  put16(out, entry.dosDate);
  put32(out, entry.crc);
  put32(out, needsZip64(entry.compressedSize) ? kMax32 : static_cast<std::uint32_t>(entry.compressedSize));
  put32(out, needsZip64(entry.uncompressedSize) ? kMax32 : static_cast<std::uint32_t>(entry.uncompressedSize));
  put16(out, static_cast<std::uint16_t>(entry.rawName.size()));
  put16(out, static_cast<std::uint16_t>(extra.size()));
  put16(out, 0);  // comment length
  put16(out, 0);  // disk number start
  put16(out, 0);  // internal attributes
  put32(out, entry.externalAttributes);
  put32(out, needsZip64(offset) ? kMax32 : static_cast<std::uint32_t>(offset));
  return out + entry.rawName + extra;
}

std::string endRecords(std::uint64_t entryCount, std::uint64_t centralOffset, std::uint64_t centralSize,
                       std::string_view comment) {
  const bool zip64 = entryCount >= kMax16 || needsZip64(centralOffset) || needsZip64(centralSize);
  std::string out;
  if (zip64) {
    const std::uint64_t zip64EndOffset = centralOffset + centralSize;
    put32(out, kZip64EndSignature);
    put64(out, kZip64EndSize - 12);  // the record's size after this field
    put16(out, kMadeByUnix);
    put16(out, kVersionZip64);
    put32(out, 0);  // this disk
    put32(out, 0);  // the disk where the central directory starts
    put64(out, entryCount);
    put64(out, entryCount);
    put64(out, centralSize);
    put64(out, centralOffset);
    put32(out, kZip64LocatorSignature);
    put32(out, 0);
    put64(out, zip64EndOffset);
    put32(out, 1);  // disks in all
  }
  const auto count = static_cast<std::uint16_t>(zip64 ? kMax16 : entryCount);
  put32(out, kEndSignature);
  put16(out, 0);
  put16(out, 0);
  put16(out, count);
  put16(out, count);
  put32(out, zip64 && needsZip64(centralSize) ? kMax32 : static_cast<std::uint32_t>(centralSize));
  put32(out, zip64 && needsZip64(centralOffset) ? kMax32 : static_cast<std::uint32_t>(centralOffset));
  put16(out, static_cast<std::uint16_t>(comment.size()));
  out += comment;
  return out;
}

}  // namespace stores::zipformat
