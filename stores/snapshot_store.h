#pragma once
// A snapshot (".pck"): the listing of a folder that is not reachable, one line per file with its
// size, time and relative name, and no content. Comparing a folder with it shows what changed
// since it was written; a run into it brings the listing up to date.
#include <string>

#include "stores/listing_store.h"

namespace stores {

class SnapshotStore : public ListingStore {
 public:
  explicit SnapshotStore(engine::StoreContext context);

  bool Open(const std::string& root, engine::OpenOptions options) override;
  // Only a file that does not exist lists as empty; one that cannot be read or is no listing fails.
  bool Attach(engine::ProgressSink* sink, bool recursive) override;
  // Records the source's size and time; no content is read.
  bool PutFile(const std::string& destination, const engine::CompareItem* item, engine::Store& source,
               const std::string& sourcePath, unsigned flags, const engine::PutChecks& checks) override;
  bool NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) override;
  bool NoteWrittenContent(const std::string& path, platform::ContentReader& content) override;
  bool DeleteFile(const std::string& path) override;
  // A snapshot holds no content: there is nothing to read or to copy out.
  int GetFile(const std::string& path, std::string& localPath, unsigned flags) override;
  std::unique_ptr<platform::ContentReader> OpenContent(const std::string& path) override;
  bool HasContent(const std::string&) override { return false; }
  bool IsEntryAvailable(int) const override { return false; }
  std::uint32_t GetCapabilities() const override { return 0x13; }
  void BeginBatch(unsigned flag) override;
  // Writes what the batch changed; when that fails, the changed paths are lost writes.
  void EndBatch() override;
  std::vector<std::string> TakeLostWrites() override { return std::move(lostWrites_); }
  // Overwriting or removing a line loses no content: there is nothing to keep.
  bool BackupFile(const std::string&) override { return true; }
  bool IsArchive() const override { return false; }
  bool DescribesOnly() const override { return true; }
  bool WriteBackCopies() override { return true; }
  // Writes the listing anew (beside the file, on the disk, then renamed over it) when it changed.
  bool Finish() override;

 protected:
  // A change of the listing, for the write at the end of the batch (or at Finish).
  void noteChange(const std::string& path);
  // Writes what changed; false with LastError when it could not: the file is then as it was,
  // and so is the listing, read again.
  bool commit();
  [[nodiscard]] bool changed() const { return changed_; }
  // Puts the changes in place on disk at once; false with `error` (the file then as it was).
  [[nodiscard]] virtual bool writeChanges(std::string& error);
  // Reads the file as it is on disk; false with LastError when it cannot be read.
  virtual bool readFile();
  // Adds or replaces the line of `path`; false with LastError when the name cannot be listed.
  bool recordLine(const std::string& path, std::int64_t size, engine::FileTime time);
  // Removes the line of `path`; false when it is not listed.
  bool removeLine(const std::string& path);
  // Reads listing text into the listing; false with LastError when it is no listing.
  bool readListingText(std::string_view text);

 private:
  bool changed_ = false;
  bool inBatch_ = false;
  std::vector<std::string> changedPaths_;
  std::vector<std::string> lostWrites_;
};

}  // namespace stores
