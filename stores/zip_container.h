#pragma once
// Reads and writes ZIP archives (ZIP64 included). Changes (added, replaced and deleted entries)
// are collected and written when the archive is closed, into a new file beside the archive that
// is then renamed over it: at every moment the archive on disk is either the old one or the new
// one. Entries this run did not add or replace are copied byte for byte.
//
// Names: the last entry of a name is the file. Look-ups compare names exactly (letter case counts;
// in archives made on Windows a "\" is read as "/"); adding a name replaces every entry of that
// name, deleting it removes them.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/binary_file.h"
#include "stores/zip_compressor.h"
#include "stores/zip_entry.h"
#include "stores/zip_entry_reader.h"
#include "stores/zip_exception.h"
#include "stores/zip_input.h"
#include "platform/file_identity.h"

namespace stores {

// Progress of long steps. `kind`: kAdding, kReplacing, kDeleting, kRemovingPart, kCounting or
// kExtracting.
class ZipProgressSink {
 public:
  static constexpr int kReplacing = 1024;
  static constexpr int kAdding = 2;
  static constexpr int kDeleting = 32;
  static constexpr int kRemovingPart = 4096;
  static constexpr int kCounting = 16;
  static constexpr int kExtracting = 8;
  virtual ~ZipProgressSink() = default;
  // False asks the component to stop (it may finish a step that must not be cut).
  [[nodiscard]] virtual bool Callback(int kind, std::uint64_t total, std::uint64_t done, const std::string& name) = 0;
};

class ZipContainer {
 public:
  static constexpr std::size_t kMaxName = 65535;
  static constexpr std::size_t kBufferSize = 65536;
  static constexpr std::size_t kMaxLinkTarget = 4096;
  // Permission bits of an entry added from an input that does not know its mode.
  static constexpr std::uint32_t kDefaultPermissions = 0644;

  ZipContainer();
  ~ZipContainer();
  ZipContainer(const ZipContainer&) = delete;
  ZipContainer& operator=(const ZipContainer&) = delete;

  // Opens an archive; a missing file with `create` opens an empty archive that is written at
  // Close. Throws CZipException.
  void Open(const std::string& path, bool create);
  // Writes pending changes and closes. Throws CZipException (the archive then as it was), also
  // when another program changed the archive file since Open.
  void Close();
  // Closes, dropping pending changes.
  void Discard();
  [[nodiscard]] bool IsOpen() const { return open_; }
  [[nodiscard]] bool IsModified() const { return modified_; }
  [[nodiscard]] const std::string& Path() const { return path_; }

  [[nodiscard]] int Count() const { return static_cast<int>(entries_.size()); }
  [[nodiscard]] const ZipEntry& Entry(int index) const { return entries_[static_cast<std::size_t>(index)]; }
  // Index of the last entry of exactly this name, or -1.
  [[nodiscard]] int FindName(const std::string& name) const;

  // Adds an entry of the input's content under `entryName`, replacing every entry of that name
  // (in the place of the last of them). `level`: 0 stores, -1 is zlib's default; inputs under 5
  // bytes are stored. Throws CZipException; the archive is then as it was.
  void AddEntry(ZipInput& input, const std::string& entryName, int level, ZipProgressSink* sink);
  // Adds an entry compressed ahead (on any thread, by ZipCompressor::Prepare), as AddEntry would
  // have added its input. Throws CZipException; the archive is then as it was.
  void AddPrepared(const PreparedEntry& prepared, const std::string& entryName);
  // AddEntry of a local file.
  void AddFile(const std::string& localPath, const std::string& entryName, int level, ZipProgressSink* sink);
  // Removes every entry of these names, in one pass.
  void DeleteNames(const std::vector<std::string>& names, ZipProgressSink* sink);

  // Reads an entry's content; valid until the archive is changed or closed. Throws CZipException.
  [[nodiscard]] std::unique_ptr<ZipEntryReader> OpenEntry(int index) const;
  // The target of a link entry (at most kMaxLinkTarget bytes). Throws CZipException.
  [[nodiscard]] std::string ReadLinkTarget(int index) const;
  // Extracts to exactly `destination` (through a temporary file beside it), checking size and
  // CRC; the file gets the entry's time and permission bits (less the umask, never set-uid,
  // set-gid or sticky). Refuses link entries. Throws; an existing destination is then untouched.
  void Extract(int index, const std::string& destination, ZipProgressSink* sink) const;

 private:
  void readCentralDirectory();
  // The entry of an index given by a caller; throws CZipException (kInternal) when there is none.
  [[nodiscard]] const ZipEntry& checkedEntry(int index) const;
  void indexNames();
  void placeEntry(ZipEntry entry);
  [[nodiscard]] std::uint64_t dataOffset(const ZipEntry& entry) const;
  void commit();
  [[nodiscard]] bool archiveChangedSinceOpen() const;
  void closeFiles();
  // A new entry of this name, mode and time whose data are about to be staged.
  ZipEntry newEntry(const std::string& entryName, std::uint32_t mode, platform::FileTime lastWriteTime);
  void stage(const char* data, std::size_t length);
  // Completes an entry whose data were staged since newEntry and puts it in its place.
  void addStaged(ZipEntry entry, const CompressedSizes& sizes);

  std::string path_;
  bool open_ = false;
  bool modified_ = false;
  std::unique_ptr<platform::BinaryFile> file_;
  // Of the archive file when opened; empty when there was none.
  std::optional<platform::FileIdentity> identity_;
  std::uint32_t permissions_ = 0;
  std::unique_ptr<platform::BinaryFile> staging_;
  std::string stagingPath_;
  std::vector<ZipEntry> entries_;
  std::string comment_;
  // Bytes before the first entry in the archive as read (a self-extractor's program), kept.
  std::uint64_t prefixEnd_ = 0;
  // Name -> index of its last entry; names held by more than one entry.
  std::unordered_map<std::string, int> byName_;
  std::unordered_set<std::string> duplicated_;
  ZipCompressor compressor_;
};

}  // namespace stores
