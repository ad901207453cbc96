#pragma once
// Reads and writes ZIP archives. Changes (added, replaced and deleted entries) are collected and
// written when the archive is closed, into a new file beside the archive that is then renamed
// over it: at every moment the archive on disk is either the old one or the new one.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/binary_file.h"
#include "platform/file_time.h"
#include "stores/zip_exception.h"

struct z_stream_s;

namespace stores {

struct ZipEntry {
  std::string name;  // UTF-8, "/" between folders; a folder entry ends with "/"
  std::uint16_t versionMadeBy = 0x0014;
  std::uint16_t versionNeeded = 20;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t dosTime = 0;
  std::uint16_t dosDate = 0;
  std::uint32_t crc = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::uint32_t externalAttributes = 0;
  std::uint32_t localHeaderOffset = 0;  // in the archive as read
  // Data of an entry added since the archive was read: offset in the staging file.
  std::optional<std::uint64_t> stagedOffset;

  [[nodiscard]] bool isFolder() const { return !name.empty() && name.back() == '/'; }
};

// Progress of long steps. `kind`: kAdding, kReplacing, kDeleting, kRemovingPart or kCounting.
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
  static constexpr std::uint32_t kMaxSize = 0xFFFFFFFEu;
  static constexpr std::size_t kMaxEntries = 65535;
  static constexpr std::size_t kMaxName = 65535;
  static constexpr std::size_t kBufferSize = 65536;

  ZipContainer();
  ~ZipContainer();
  ZipContainer(const ZipContainer&) = delete;
  ZipContainer& operator=(const ZipContainer&) = delete;

  // Opens an archive; a missing file with `create` opens an empty archive that is written at
  // Close. Throws CZipException.
  void Open(const std::string& path, bool create);
  // Writes pending changes (throws CZipException, the archive then as it was) and closes.
  void Close();
  // Closes, dropping pending changes.
  void Discard();
  [[nodiscard]] bool IsOpen() const { return open_; }
  [[nodiscard]] bool IsModified() const { return modified_; }
  [[nodiscard]] const std::string& Path() const { return path_; }

  [[nodiscard]] int Count() const { return static_cast<int>(entries_.size()); }
  [[nodiscard]] const ZipEntry& Entry(int index) const { return entries_[static_cast<std::size_t>(index)]; }
  // Index of the entry with this name (letter case ignored, either separator), or -1.
  [[nodiscard]] int FindName(const std::string& name) const;

  // Adds a file under `entryName`, replacing the entry `replaceIndex` in its place (or, when
  // -1, appending). Files under 5 bytes are stored. Throws; the archive is then as it was.
  void AddFile(const std::string& localPath, const std::string& entryName, int level, int replaceIndex,
               std::uint32_t attributes, ZipProgressSink* sink);
  // Drops entries in one pass.
  void DeleteEntries(std::vector<int> indexes, ZipProgressSink* sink);
  // Extracts to exactly `destination` (through a temporary file beside it), checking size and
  // CRC; the file gets the entry's time. Throws; an existing destination is then untouched.
  void Extract(int index, const std::string& destination, ZipProgressSink* sink) const;

 private:
  void readCentralDirectory();
  [[nodiscard]] std::uint64_t dataOffset(const ZipEntry& entry) const;
  void commit();
  void closeFiles();
  z_stream_s* deflater(int level);

  std::string path_;
  bool open_ = false;
  bool modified_ = false;
  std::unique_ptr<platform::BinaryFile> file_;
  std::unique_ptr<platform::BinaryFile> staging_;
  std::string stagingPath_;
  std::vector<ZipEntry> entries_;
  std::uint32_t centralOffset_ = 0;
  // Name key -> index, rebuilt after changes.
  mutable std::unordered_map<std::string, int> byName_;
  mutable bool indexed_ = false;
  std::unique_ptr<z_stream_s> deflater_;
  int deflaterLevel_ = 0;
  std::vector<char> inBuffer_;
  std::vector<char> outBuffer_;
};

}  // namespace stores
