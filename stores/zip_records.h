#pragma once
// The records of a ZIP archive: central records read and written, local headers of new entries,
// and the end records, each with the ZIP64 fields exactly where a value does not fit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "stores/zip_entry.h"

namespace stores::zipformat {

// Reads the central record at `record` (`available` bytes there) into `entry`, ZIP64 sizes and
// offset included; returns the record's length. Throws CZipException when it is damaged.
std::size_t parseCentralRecord(const unsigned char* record, std::size_t available, ZipEntry& entry);

// A central record as read, with the local-header offset changed to `offset` and nothing else
// (the offset moves into a ZIP64 field, added when needed, once it no longer fits).
[[nodiscard]] std::string movedCentralRecord(std::string_view record, std::uint64_t offset);

// The local header and the central record of an entry added by this program.
[[nodiscard]] std::string newLocalHeader(const ZipEntry& entry);
[[nodiscard]] std::string newCentralRecord(const ZipEntry& entry, std::uint64_t offset);

// The end of the archive: the ZIP64 end record and locator when a count, size or offset does
// not fit the classic record, then the classic one with the archive's comment.
[[nodiscard]] std::string endRecords(std::uint64_t entryCount, std::uint64_t centralOffset, std::uint64_t centralSize,
                                     std::string_view comment);

}  // namespace stores::zipformat
