#pragma once
// A store kept in memory: names compare without regard to case, times are set by the test.
// Comparison and run tests use it to be exact and fast.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/compare.h"
#include "engine/store.h"
#include "platform/temp_names.h"

namespace testsupport {

class MemoryStore : public engine::Store {
 public:
  struct File {
    std::string name;
    std::string content;
    engine::FileTime time = 0;
    std::uint32_t attributes = platform::attr::kNormal;
  };

  explicit MemoryStore(engine::StoreContext context = {}, std::string root = "/memory");

  std::uint32_t capabilities = engine::Store::kHasChecksum;

  // Test set-up; `relative` uses "/" between folders.
  void Put(const std::string& relative, const std::string& content, engine::FileTime time);
  void AddFolder(const std::string& relative);
  [[nodiscard]] bool Has(const std::string& relative) const;
  [[nodiscard]] const File* Get(const std::string& relative) const;
  // Entries of the store's history, as a history file would hold them.
  void Remember(const std::string& relative, std::int64_t size, engine::FileTime time);
  // Makes the store answer HasContent with false (as a snapshot does).
  void SetContentless(bool contentless) { contentless_ = contentless; }
  // Listing a folder with this relative path fails.
  void SetUnreadableFolder(const std::string& relative) { unreadable_ = relative; }

  bool Attach(engine::ProgressSink* sink, bool recursive) override;
  bool Open(const std::string& root, engine::OpenOptions options) override;
  bool Exists(const std::string& path) override;
  engine::SearchHandle FindFirst(const std::string& pattern) override;
  bool FindNext(engine::SearchHandle handle) override;
  bool FindClose(engine::SearchHandle handle) override;
  bool PutFile(const std::string& destination, const engine::CompareItem* item, engine::Store& source,
               const std::string& sourcePath, unsigned flags, const engine::PutChecks& checks) override;
  bool NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) override;
  bool DeleteFile(const std::string& path) override;
  bool IsListBased() const override { return true; }
  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool GetFileInfo(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  bool GetChecksum(const std::string& path, std::uint32_t& value) override;
  bool GetFileTime(const std::string& path, engine::CalendarTime& time) override;
  bool SetFileTime(const std::string& path, engine::FileTime time) override;
  bool SetFileTimeFromCalendar(const std::string& path, const engine::CalendarTime& time) override;
  bool Finish() override { return true; }
  int GetFile(const std::string& path, std::string& localPath, unsigned flags) override;
  bool ReleaseFile(const std::string& localPath) override;
  std::uint32_t GetCapabilities() const override { return capabilities; }
  bool IsReadOnlyMedium() const override { return false; }
  void BeginBatch(unsigned) override {}
  void EndBatch() override {}
  bool BackupFile(const std::string& path) override;
  bool IsArchive() const override { return false; }
  bool HasContent(const std::string&) override { return !contentless_; }
  bool IsEntryAvailable(int) const override { return true; }
  bool IgnoresCase() const override { return true; }

  std::vector<std::string> backups;

 private:
  [[nodiscard]] std::string relativeOf(const std::string& path) const;
  [[nodiscard]] static std::string key(const std::string& relative);

  std::map<std::string, File> files_;         // by case key of the relative path
  std::map<std::string, std::string> folders_;  // case key -> relative path as made
  std::map<engine::SearchHandle, std::vector<platform::FindData>> searches_;
  engine::SearchHandle nextHandle_ = 1;
  std::unique_ptr<platform::TempFolder> temp_;
  bool contentless_ = false;
  std::string unreadable_;
};

// Compares `source` with an empty memory store, "/src" against "/dst".
inline bool CompareWithEmptyTarget(engine::CompareEngine& engine, std::unique_ptr<MemoryStore> source) {
  engine::SessionSpec session;
  session.source = "/src";
  session.target = "/dst";
  engine::CompareObserver quiet;
  return engine.CompareStores(session, quiet, std::move(source),
                              std::make_unique<MemoryStore>(engine::StoreContext{}, "/dst"));
}

}  // namespace testsupport
