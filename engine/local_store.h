#pragma once
// The store for a folder on a local or network disk: reads the file system on every query and
// keeps the folder tree's history.
#include <map>
#include <memory>
#include <unordered_map>

#include "engine/history.h"
#include "engine/history_file.h"
#include "engine/store.h"
#include "platform/file_system.h"

namespace engine {

class LocalStore : public Store {
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
               unsigned flags) override;
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

  [[nodiscard]] const std::string& GivenPath() const { return givenPath_; }
  // History bookkeeping for a file that is gone: its entry leaves the folder's history.
  void ForgetFile(const std::string& path);
  // Symbolic links met by the find operations, which never list them.
  [[nodiscard]] std::uint64_t SkippedLinks() const { return skippedLinks_; }
  // What the last Finish could not write.
  [[nodiscard]] const HistorySaveReport& LastSaveReport() const { return saveReport_; }
  // Deletes the temporary files of killed runs that the listings met.
  void RemoveLeftovers();
  // The existing path that `path` names when letter case is ignored, or `path` itself.
  [[nodiscard]] std::string Resolve(const std::string& path);

 private:
  struct Search {
    std::unique_ptr<platform::DirectorySearch> directory;
    std::string mask;
    std::string folder;
  };
  bool advance(Search& search);
  [[nodiscard]] std::string backupFolder() const;
  [[nodiscard]] std::string relativeToRoot(const std::string& path) const;
  std::string findNameIgnoringCase(const std::string& folder, const std::string& name);
  void forgetFolderCache() { cachedFolder_.clear(); }

  std::string givenPath_;
  HistorySaveReport saveReport_;
  std::map<SearchHandle, Search> searches_;
  SearchHandle nextHandle_ = 1;
  std::uint64_t skippedLinks_ = 0;
  std::vector<std::string> leftovers_;
  std::string cachedFolder_;
  std::unordered_multimap<std::string, std::string> cachedNames_;
};

}  // namespace engine
