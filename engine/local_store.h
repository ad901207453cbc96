#pragma once
// The store for a folder on a local or network disk: reads the file system on every query and
// keeps the folder tree's history. Every path below the root is reached through a FolderTree,
// so no operation follows a symbolic link below the root; links themselves are listed and
// copied as links.
#include <map>
#include <mutex>
#include <memory>
#include <optional>

#include "engine/backup_path.h"
#include "engine/history.h"
#include "engine/history_file.h"
#include "engine/store.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"

namespace engine {

class LocalStore : public Store, public HistoryFiles {
 public:
  static constexpr std::uint32_t kCapabilities = 0x13;

  explicit LocalStore(StoreContext context);
  ~LocalStore() override;

  bool Attach(ProgressSink* sink, bool recursive) override;
  bool Open(const std::string& root, OpenOptions options) override;
  bool Exists(const std::string& path) override;
  SearchHandle FindFirst(const std::string& pattern) override;
  bool FindNext(SearchHandle handle) override;
  bool FindClose(SearchHandle handle) override;
  bool PutFile(const std::string& destination, const CompareItem* item, Store& source, const std::string& sourcePath,
               unsigned flags, const PutChecks& checks) override;
  bool NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) override;
  bool DeleteFile(const std::string& path) override;
  bool IsListBased() const override { return false; }
  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool GetFileInfo(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  bool GetChecksum(const std::string& path, std::uint32_t& value) override;
  bool GetFileTime(const std::string& path, CalendarTime& time) override;
  bool SetFileTime(const std::string& path, FileTime time) override;
  bool SetFileTimeFromCalendar(const std::string& path, const CalendarTime& time) override;
  bool Finish() override;
  int GetFile(const std::string& path, std::string& localPath, unsigned flags) override;
  bool ReleaseFile(const std::string& localPath) override;
  std::uint32_t GetCapabilities() const override { return kCapabilities; }
  bool IsReadOnlyMedium() const override { return readOnlyMedium_; }
  void BeginBatch(unsigned) override {}
  void EndBatch() override {}
  bool BackupFile(const std::string& path) override;
  bool IsArchive() const override { return false; }
  bool HasContent(const std::string&) override { return true; }
  bool IsEntryAvailable(int) const override { return true; }
  bool RemoveEmptyFolder(const std::string& path) override;
  std::unique_ptr<platform::ContentReader> OpenContent(const std::string& path) override;
  CopyPool::Job CopyJob(const std::string& destination, Store& source, const std::string& sourcePath, const PutChecks& checks,
                        const std::atomic<bool>& cancelled) override;
  bool TakesCopyJobs() const override { return true; }
  std::optional<CopySource> ConcurrentSource(const std::string& path) override;
  bool ListFolder(const std::string& folder, std::vector<FindData>& entries, std::string& error) override;
  bool ListsConcurrently() const override { return true; }
  bool IgnoresCase() const override { return ignoresCase_; }
  bool CanHoldLinks() const override { return true; }
  bool ReadLink(const std::string& path, std::string& target) override;
  bool SetUnixMode(const std::string& path, std::uint32_t mode) override;

  std::optional<std::string> ReadHistoryText(const std::string& folder) override;
  bool WriteHistoryText(const std::string& folder, const std::string& content, std::string& error) override;

  [[nodiscard]] const std::string& GivenPath() const { return givenPath_; }
  // History bookkeeping for a file that is gone: its entry leaves the folder's history.
  void ForgetFile(const std::string& path);
  // What the last Finish could not write.
  [[nodiscard]] const HistorySaveReport& LastSaveReport() const { return saveReport_; }
  // Deletes the temporary files of killed runs that the listings met.
  void RemoveLeftovers();

 private:
  struct Search {
    std::unique_ptr<platform::DirectorySearch> directory;
    std::string mask;
    std::string folder;  // relative
  };
  bool advance(Search& search);
  // False for what a listing never shows (history files, temporary files, remembered as leftovers).
  bool listed(const FindData& entry, const std::string& relativeFolder);
  // The path below the root ("" for the root); empty when `path` is not below it (LastError set).
  [[nodiscard]] std::optional<std::string> relativeOf(const std::string& path);
  // The tree of the root, opened when the root exists; null with LastError set otherwise.
  platform::FolderTree* tree();
  bool fail(const std::string& what, const std::string& path, const std::string& reason);

  std::string givenPath_;
  std::unique_ptr<platform::FolderTree> tree_;
  Backups backups_;
  bool ignoresCase_ = false;
  HistorySaveReport saveReport_;
  std::map<SearchHandle, Search> searches_;
  SearchHandle nextHandle_ = 1;
  std::mutex leftoversMutex_;
  std::vector<std::string> leftovers_;
};

}  // namespace engine
