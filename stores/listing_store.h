#pragma once
// The base of every store that keeps its whole listing in memory (archives, servers, packages):
// the listing, a temporary folder of its own for local copies, and the table of those copies.
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/backup_path.h"
#include "engine/history.h"
#include "engine/store.h"
#include "platform/temp_names.h"

namespace stores {

class ListingStore : public engine::Store {
 public:
  explicit ListingStore(engine::StoreContext context);
  ~ListingStore() override;

  bool Exists(const std::string& path) override;
  engine::SearchHandle FindFirst(const std::string& pattern) override;
  bool FindNext(engine::SearchHandle handle) override;
  bool FindClose(engine::SearchHandle handle) override;
  bool ListFolder(const std::string& folder, std::vector<engine::FindData>& entries, std::string& error) override;
  // Adds the local file as NoteWrittenContent does (refused when `keepExisting` and the path is
  // listed) and keeps it as the entry's local copy when it lies in the temporary folder.
  bool NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) override;
  // Reads the source's content into the store with NoteWrittenContent.
  bool PutFile(const std::string& destination, const engine::CompareItem* item, engine::Store& source,
               const std::string& sourcePath, unsigned flags, const engine::PutChecks& checks) override;
  // Adds or replaces the file at `path` with `content` (read to its end and verified). False
  // with LastError set; the store is then as it was.
  [[nodiscard]] virtual bool NoteWrittenContent(const std::string& path, platform::ContentReader& content) = 0;
  // Records a symbolic link (its target text) at `path`; false where the store holds no links.
  [[nodiscard]] virtual bool NoteWrittenLink(const std::string& path, const std::string& target, engine::FileTime time);
  bool IsListBased() const override { return true; }
  // Keeps the file's content in the backup folder, below its folder there.
  bool BackupFile(const std::string& path) override;
  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string&, std::uint32_t) override { return false; }
  bool GetFileInfo(const std::string& path) override;
  bool CreateFolder(const std::string&) override { return false; }
  bool HoldsFolders() const override { return false; }
  bool GetChecksum(const std::string& path, std::uint32_t& value) override;
  bool GetFileTime(const std::string& path, engine::CalendarTime& time) override;
  bool SetFileTime(const std::string&, engine::FileTime) override { return false; }
  bool SetFileTimeFromCalendar(const std::string&, const engine::CalendarTime&) override { return false; }
  bool ReleaseFile(const std::string& localPath) override;
  bool IsReadOnlyMedium() const override { return readOnlyMedium_; }
  bool HasContent(const std::string&) override { return true; }
  bool IsEntryAvailable(int) const override { return true; }
  bool IgnoresCase() const override { return ignoresCase_; }

  // The operations list-based stores add.
  virtual bool WriteBackCopies() = 0;
  [[nodiscard]] virtual bool InMemory() const { return false; }

  [[nodiscard]] const engine::HistoryList& Listing() const { return listing_; }
  [[nodiscard]] const std::string& TempFolder() const { return temp_->path(); }

 protected:
  // A local copy of a listed file, made by or handed to the store.
  struct TempCopy {
    std::string path;
    std::uint64_t size = 0;
    engine::FileTime time = 0;
    int entry = -1;
  };

  // Sets the root to a file (the store's archive or listing), path variables expanded and made
  // absolute. A folder is refused; a missing file is accepted when `options` allow it, or when
  // `askToCreate` and the user agrees (asked unless quiet), or else without asking when not
  // `askToCreate`.
  [[nodiscard]] bool openFileRoot(const std::string& root, const engine::OpenOptions& options, bool askToCreate);
  // What every Attach begins with: a root is needed; the sink and an empty history are taken.
  [[nodiscard]] bool startAttach(engine::ProgressSink* sink);
  // Sets LastError to `text`; false.
  bool fail(const std::string& text);
  // The path below the root with "/" between folders; empty when the path is not below it.
  [[nodiscard]] std::optional<std::string> relativeOf(const std::string& path) const;
  // Listing index of a relative path (exactly as listed), or -1.
  [[nodiscard]] int findEntry(const std::string& relative) const;
  // Adds or replaces the listing entry of a relative path.
  int putEntry(const std::string& relative, std::int64_t size, engine::FileTime time, std::uint32_t checksum);
  void clearListing();
  // Takes a whole listing read elsewhere, whose look-ups tell letter case apart.
  void replaceListing(engine::HistoryList listing);
  [[nodiscard]] bool isFolder(const std::string& relative) const;
  // Where GetFile puts a copy: `localPath` when given, else the temporary folder plus the
  // relative path, its folders made. Empty with LastError when they cannot be made.
  [[nodiscard]] std::string copyDestination(const std::string& relative, const std::string& localPath);
  // GetFile's last step: the copy at `destination` is the caller's `localPath` when it asked for
  // none (and then a copy of the store's own); 1.
  int handOutCopy(const std::string& destination, std::string& localPath, int entry);
  // The copies handed out that are still their entry's and were changed since (a copy written
  // back is a new row, so the rows are taken as they are now).
  [[nodiscard]] std::vector<TempCopy> changedCopies() const;
  // Moves every file below `folder` into a new folder of the user's data ("velkor/recovery/" and
  // the archive's name with the time), where it outlives the run and the temporary folder. What
  // to tell the user (that folder, and each file that could not be kept there), or empty when
  // there was nothing to keep.
  std::string keepInRecovery(const std::string& folder) const;
  // Records a copy inside the temporary folder; copies elsewhere are not the store's.
  void recordCopy(const std::string& path, int entry);
  [[nodiscard]] bool insideTempFolder(const std::string& path) const;

  engine::HistoryList listing_;
  std::vector<TempCopy> copies_;
  engine::Backups backups_;
  // The listing was made where letter case does not count (on Windows): the comparison pairs
  // its names with the other side's without regard to case. Its own look-ups are exact.
  bool ignoresCase_ = false;

 private:
  void indexFolders() const;
  // The entries of a folder ("" or ending with "/") whose names match `mask`.
  void folderEntries(const std::string& folderKey, const std::string& mask, std::vector<engine::FindData>& entries) const;

  std::unique_ptr<platform::TempFolder> temp_;
  struct Search {
    std::vector<engine::FindData> entries;
    std::size_t next = 0;
  };
  std::map<engine::SearchHandle, Search> searches_;
  engine::SearchHandle nextHandle_ = 1;
  mutable bool foldersIndexed_ = false;
  struct FolderContent {
    std::set<std::string> subfolders;
    std::vector<int> files;                         // listing indexes
  };
  // By folder ("" for the root, else ending with "/").
  mutable std::map<std::string, FolderContent> folders_;
};

}  // namespace stores
