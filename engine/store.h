#pragma once
// The store interface: every side of a synchronization (local folder, archive, server) is listed,
// read, written, deleted and time-stamped only through these operations, in this order. Paths
// are full native paths below the store's root. Nothing here throws; failures come back as
// false / -1 and a reason in LastError().
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/copy_pool.h"
#include "engine/history.h"
#include "engine/prompt.h"
#include "engine/settings.h"
#include "platform/content_reader.h"
#include "platform/file_time.h"
#include "platform/find_data.h"
#include "platform/folder_tree.h"

namespace engine {

using platform::CalendarTime;
using platform::ExpectedFile;
using platform::FileTime;
using platform::FindData;

struct CompareItem;

// Receives progress of long transfers and tells whether the run goes on. Called on the thread
// that uses the store.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // kind: 1 copy, 2 delete.
  virtual void ProgressFile(const std::string& text, std::uint64_t size, int kind, int flag) = 0;
  virtual void ProgressBytes(std::uint64_t done) = 0;
  [[nodiscard]] virtual bool ShouldContinue() = 0;
};

using SearchHandle = std::intptr_t;
inline constexpr SearchHandle kNoSearch = -1;

// What a store needs from its owner: the engine's options, who answers its questions, and the
// expansion of path variables.
struct StoreContext {
  const EngineSettings* settings = nullptr;
  Prompt* prompt = nullptr;
  // Returns false when the text cannot be expanded (a variable loop); `out` then says why.
  std::function<bool(const std::string& text, std::string& out)> expandPath;
};

// What a copy checks before it takes the destination's place: the source and the destination
// still as the comparison saw them (absent, or that size and time). Empty: not checked.
struct PutChecks {
  std::optional<ExpectedFile> source;
  std::optional<ExpectedFile> destination;
};

// Where a copy's content comes from: a file's content, or a link's entry and target text. The
// ways to reach them differ between a store's own thread and a copy thread.
struct CopySource {
  std::string path;
  std::function<std::unique_ptr<platform::ContentReader>(std::string& error)> open;
  // The entry and target text when the source is a link; empty otherwise.
  std::function<std::optional<std::pair<FindData, std::string>>()> link;
};

struct OpenOptions {
  // Ask nothing and show nothing.
  bool quiet = false;
  // A missing root may be created (after asking, unless quiet).
  bool mayCreate = true;
  // A missing root is accepted as it is, as an empty side that the run creates when it copies
  // into it.
  bool allowMissing = false;
};

class Store {
 public:
  explicit Store(StoreContext context);
  virtual ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Binds the store to a run: resets its history and loads it (recursively when asked). False
  // when the store has no root.
  [[nodiscard]] virtual bool Attach(ProgressSink* sink, bool recursive) = 0;
  // Sets the root; false when it is unusable (the reason shown unless quiet, and in LastError).
  [[nodiscard]] virtual bool Open(const std::string& root, OpenOptions options) = 0;
  [[nodiscard]] virtual bool Exists(const std::string& path) = 0;
  // `pattern` is a folder path joined with a file mask ("*.*" for all). Fills CurrentEntry();
  // kNoSearch when the folder cannot be listed.
  [[nodiscard]] virtual SearchHandle FindFirst(const std::string& pattern) = 0;
  // Next entry into CurrentEntry(); false at the end.
  [[nodiscard]] virtual bool FindNext(SearchHandle handle) = 0;
  virtual bool FindClose(SearchHandle handle) = 0;
  // Has `source` supply `sourcePath` and puts it at `destination`, then notes it, but only while
  // source and destination are as `checks` expect. False on failure, cancel or a change since the
  // comparison; an existing destination is then left as it was.
  [[nodiscard]] virtual bool PutFile(const std::string& destination, const CompareItem* item, Store& source,
                                     const std::string& sourcePath, unsigned flags, const PutChecks& checks) = 0;
  // Records a file now at `path` whose content is `localPath` (empty: already in place).
  [[nodiscard]] virtual bool NoteWrittenFile(const std::string& path, const std::string& localPath,
                                             bool keepExisting) = 0;
  [[nodiscard]] virtual bool DeleteFile(const std::string& path) = 0;
  [[nodiscard]] virtual bool IsListBased() const = 0;
  // platform::attr::kInvalid when absent.
  [[nodiscard]] virtual std::uint32_t GetAttributes(const std::string& path) = 0;
  [[nodiscard]] virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // Fills CurrentEntry(); false when the path is absent.
  [[nodiscard]] virtual bool GetFileInfo(const std::string& path) = 0;
  // True when the folder exists afterwards.
  [[nodiscard]] virtual bool CreateFolder(const std::string& path) = 0;
  [[nodiscard]] virtual bool GetChecksum(const std::string& path, std::uint32_t& value) = 0;
  [[nodiscard]] virtual bool GetFileTime(const std::string& path, CalendarTime& time) = 0;
  [[nodiscard]] virtual bool SetFileTime(const std::string& path, FileTime time) = 0;
  [[nodiscard]] virtual bool SetFileTimeFromCalendar(const std::string& path, const CalendarTime& time) = 0;
  // Writes back what the run left to write (history files, archive changes).
  [[nodiscard]] virtual bool Finish() = 0;
  // Copies the file to `localPath`; with `localPath` empty the store sets it to a readable local
  // copy (the file itself where it is local). 1 on success, -1 on failure or cancel; a failed
  // copy leaves an existing `localPath` untouched.
  [[nodiscard]] virtual int GetFile(const std::string& path, std::string& localPath, unsigned flags) = 0;
  // Drops a copy that GetFile made; true when there was nothing to do.
  virtual bool ReleaseFile(const std::string& localPath) = 0;
  // Bits: kNoSeconds, kHasChecksum among others.
  [[nodiscard]] virtual std::uint32_t GetCapabilities() const = 0;
  // The listing gives times to the minute only.
  static constexpr std::uint32_t kNoSeconds = 0x04;
  static constexpr std::uint32_t kHasChecksum = 0x08;
  [[nodiscard]] virtual bool IsReadOnlyMedium() const = 0;
  // Keeps the store open across a batch of changes, until EndBatch.
  virtual void BeginBatch(unsigned flag) = 0;
  virtual void EndBatch() = 0;
  // Copies the file into the backup folder, keeping its folder below the root. False when no
  // backup could be made: the caller must then not overwrite or delete the file.
  [[nodiscard]] virtual bool BackupFile(const std::string& path) = 0;
  [[nodiscard]] virtual bool IsArchive() const = 0;
  // True when the store can hand out the file's content.
  [[nodiscard]] virtual bool HasContent(const std::string& path) = 0;
  [[nodiscard]] virtual bool IsEntryAvailable(int index) const = 0;
  // Removes a folder only when nothing but empty folders is in it; false when it is not empty or
  // the store has no folders of its own.
  [[nodiscard]] virtual bool RemoveEmptyFolder(const std::string& path);
  // PutFile as a job that may run on a copy thread beside the store's other work (FinishCopyJob
  // is left to the caller, on the store's own thread, once the job succeeded); empty when the
  // store cannot copy from `source` that way. The job stops early once `cancelled` is set.
  [[nodiscard]] virtual CopyPool::Job CopyJob(const std::string& destination, Store& source, const std::string& sourcePath,
                                              const PutChecks& checks, const std::atomic<bool>& cancelled);
  // True when CopyJob may hand out jobs at all.
  [[nodiscard]] virtual bool TakesCopyJobs() const { return false; }
  // What PutFile does after its copy, for a job of CopyJob that succeeded. By default NoteWrittenFile.
  [[nodiscard]] virtual bool FinishCopyJob(const std::string& destination);
  // The file at `path` as a copy thread may read it, beside the store's other work; empty when
  // the store cannot be read that way.
  [[nodiscard]] virtual std::optional<CopySource> ConcurrentSource(const std::string& path);
  // The entries of a folder (a full path ending with a separator), "." and ".." left out. False
  // with `error` set when it cannot be listed. By default through FindFirst and FindNext.
  [[nodiscard]] virtual bool ListFolder(const std::string& folder, std::vector<FindData>& entries, std::string& error);
  // ListFolder may be called from several threads at once (and beside the store's other work).
  [[nodiscard]] virtual bool ListsConcurrently() const { return false; }
  // The file's content, read once front to back; empty with LastError when it cannot be read.
  // By default a local copy made by GetFile, released when the reader goes.
  [[nodiscard]] virtual std::unique_ptr<platform::ContentReader> OpenContent(const std::string& path);
  // Names on this side compare without regard to letter case (a FAT disk, an archive made on
  // Windows); elsewhere "Index.html" and "index.html" are two files.
  [[nodiscard]] virtual bool IgnoresCase() const = 0;
  // The listing is the whole folder: a file missing from it is not there. False for a package,
  // which lists only what it carries to the other machine; nothing is deleted for being absent
  // from it.
  [[nodiscard]] virtual bool ListsWholeFolder() const { return true; }
  // The store keeps folders of their own, empty ones included (not archives and listings, whose
  // folders come and go with their files).
  [[nodiscard]] virtual bool HoldsFolders() const { return true; }
  // A listing without any content (a snapshot): a one-way run into it keeps it the listing of its
  // source, lines of files the source no longer has included, as removing a line loses nothing.
  [[nodiscard]] virtual bool DescribesOnly() const { return false; }
  // The store keeps symbolic links as links (never following them).
  [[nodiscard]] virtual bool CanHoldLinks() const { return false; }
  // Sets the Unix permission bits; false when the store keeps none.
  [[nodiscard]] virtual bool SetUnixMode(const std::string& path, std::uint32_t mode);
  // The target text of a link; false when the path is no link or the store has none.
  [[nodiscard]] virtual bool ReadLink(const std::string& path, std::string& target);
  // Paths whose writes did not reach the store when its batch ended (an archive that could not
  // be rewritten); taken once.
  [[nodiscard]] virtual std::vector<std::string> TakeLostWrites() { return {}; }

  // The sink that receives progress from now on (the run sets itself).
  void SetProgressSink(ProgressSink* sink) { sink_ = sink; }

  [[nodiscard]] const FindData& CurrentEntry() const { return current_; }
  // What the store's folders held after the last run (empty without history files).
  [[nodiscard]] HistoryList& History() { return history_; }
  [[nodiscard]] const HistoryList& History() const { return history_; }
  [[nodiscard]] const std::string& Root() const { return root_; }
  // Reason of the last failure, in words for a person.
  [[nodiscard]] const std::string& LastError() const { return lastError_; }
  // What the store met and left alone (names it cannot take), for the user to read; taken once.
  [[nodiscard]] std::vector<std::string> TakeWarnings() { return std::move(warnings_); }

 protected:
  [[nodiscard]] const StoreContext& context() const { return context_; }
  [[nodiscard]] const EngineSettings& settings() const;
  [[nodiscard]] Prompt& prompt() const;
  // The root with path variables expanded; false with LastError set when expansion fails.
  [[nodiscard]] bool expandRoot(const std::string& given, std::string& expanded);
  void setError(std::string text) { lastError_ = std::move(text); }
  void addWarning(std::string text) { warnings_.push_back(std::move(text)); }

  FindData current_;
  HistoryList history_;
  std::string root_;
  ProgressSink* sink_ = nullptr;
  bool readOnlyMedium_ = false;

 private:
  StoreContext context_;
  std::string lastError_;
  std::vector<std::string> warnings_;
};

}  // namespace engine
