#pragma once
// A ZIP archive as one side of a session: its entries are the files of a folder tree.
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <string>
#include <vector>

#include "engine/backup_path.h"
#include "stores/listing_store.h"
#include "stores/zip_container.h"

namespace stores {

class ZipStore : public ListingStore {
 public:
  explicit ZipStore(engine::StoreContext context);
  ~ZipStore() override;

  bool Attach(engine::ProgressSink* sink, bool recursive) override;
  bool Open(const std::string& root, engine::OpenOptions options) override;
  bool NoteWrittenContent(const std::string& path, platform::ContentReader& content) override;
  bool NoteWrittenLink(const std::string& path, const std::string& target, engine::FileTime time) override;
  bool CanHoldLinks() const override { return true; }
  bool DeleteFile(const std::string& path) override;
  std::unique_ptr<platform::ContentReader> OpenContent(const std::string& path) override;
  bool ReadLink(const std::string& path, std::string& target) override;
  std::vector<std::string> TakeLostWrites() override { return std::move(lostWrites_); }
  bool Finish() override;
  int GetFile(const std::string& path, std::string& localPath, unsigned flags) override;
  std::uint32_t GetCapabilities() const override { return 0x1B; }
  void BeginBatch(unsigned flag) override;
  void EndBatch() override;
  bool BackupFile(const std::string& path) override;
  bool IsArchive() const override { return true; }
  bool WriteBackCopies() override;
  // Small files are compressed ahead on copy threads; the archive takes them on the store's
  // thread in the order of the plan (FinishCopyJob). Entries are read on copy threads too.
  engine::CopyPool::Job CopyJob(const std::string& destination, engine::Store& source, const std::string& sourcePath,
                        const engine::PutChecks& checks, const std::atomic<bool>& cancelled) override;
  bool TakesCopyJobs() const override { return true; }
  bool FinishCopyJob(const std::string& destination) override;
  std::optional<engine::CopySource> ConcurrentSource(const std::string& path) override;
  [[nodiscard]] ZipContainer& GetArchive() { return archive_; }

  // Names queued for deletion when the batch ends (or at Finish).
  [[nodiscard]] const std::vector<std::string>& DeleteQueue() const { return deleteQueue_; }

  // Keeps the archive open while alive; the last scope to go closes it, which writes the changes.
  class ArchiveScope {
   public:
    ArchiveScope(ZipStore& store, bool create);
    ~ArchiveScope();
    ArchiveScope(const ArchiveScope&) = delete;
    ArchiveScope& operator=(const ArchiveScope&) = delete;
    [[nodiscard]] bool IsOpen() const { return store_.archive_.IsOpen(); }
    // Closes now when this is the last scope; false with the store's error when writing failed.
    bool Release();

   private:
    ZipStore& store_;
    bool counted_ = false;
  };

 private:
  friend class ArchiveScope;
  class ProgressAdapter;

  // zlib's default compression, as Info-ZIP's zip uses.
  static constexpr int kLevel = -1;
  using AddToArchive = std::function<void(const std::string& name, ZipProgressSink& progress)>;

  bool readListing();
  // Adds an entry under a path below the archive by `add` (which may throw CZipException);
  // `link` marks a link entry.
  bool addEntry(const std::string& path, bool link, const AddToArchive& add);
  // The listed entry of a path and its index in the archive (which must be open); -1 with
  // LastError set when there is none.
  int entryOf(const std::string& path, int& archiveIndex);
  bool applyDeleteQueue();
  // Remembers a change made while a batch holds the archive open: it is lost if the batch's
  // archive cannot be written.
  void noteBatchWrite(const std::string& path);
  [[nodiscard]] bool copiesChanged() const;
  void keepUnsavedCopies();

  ZipContainer archive_;
  unsigned openCount_ = 0;
  std::unique_ptr<ArchiveScope> held_;
  std::vector<std::string> deleteQueue_;
  std::string closeError_;
  std::vector<std::string> batchWrites_;
  std::vector<std::string> lostWrites_;
  // Entries compressed by copy jobs, by destination path, until FinishCopyJob adds them.
  std::mutex preparedMutex_;
  std::unordered_map<std::string, PreparedEntry> prepared_;
};

// Makes the store factory hand out ZIP stores for ".zip" paths, snapshots for ".pck" and
// packages for ".pkg".
void RegisterStores();

}  // namespace stores
