#pragma once
// An archive of an outside archiver (tar, 7-Zip, ...) as one side of a session. The archive is
// listed, read and changed only by running the programs its description names, never through a
// shell. Changes wait in a folder of the store's own and reach the archive at the end of a batch
// (or at Finish): the archiver works on a copy beside the archive, the copy is listed to check
// that it holds what it should, and only then is it renamed over the archive.
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/process.h"
#include "stores/archiver_description.h"
#include "stores/listing_store.h"

namespace stores {

class ArchiverStore : public ListingStore {
 public:
  ArchiverStore(engine::StoreContext context, ArchiverDescription kind);
  ~ArchiverStore() override;

  bool Open(const std::string& root, engine::OpenOptions options) override;
  // A missing archive lists as empty; a listing command that fails fails the attach (an
  // unreadable archive is never taken for an empty one).
  bool Attach(engine::ProgressSink* sink, bool recursive) override;
  bool NoteWrittenContent(const std::string& path, platform::ContentReader& content) override;
  bool DeleteFile(const std::string& path) override;
  int GetFile(const std::string& path, std::string& localPath, unsigned flags) override;
  std::uint32_t GetCapabilities() const override;
  void BeginBatch(unsigned flag) override;
  // Writes what the batch changed; when that fails, the changed paths are lost writes.
  void EndBatch() override;
  std::vector<std::string> TakeLostWrites() override { return std::move(lostWrites_); }
  bool IsArchive() const override { return true; }
  bool WriteBackCopies() override;
  bool Finish() override;

 private:
  // Runs a template with the archive and file names, in `folder`, its output captured (or
  // written to `outputFile`); false with `error` holding the program's own words when it cannot
  // start, fails or is stopped.
  bool run(const std::string& command, const std::string& archive, const std::vector<std::string>& files,
           const std::string& folder, std::string& error, platform::ProcessResult* result = nullptr,
           const std::string& outputFile = {});
  // The archive's entries; `listedNames` as the archiver spells them. A hard link gets the size
  // of the name it shares its content with.
  bool list(const std::string& archive, engine::HistoryList& listing, std::vector<engine::ListedName>& listedNames,
            std::string& error);
  // Reads the archive into the listing (empty when it does not exist); what waited is dropped.
  bool readArchive(std::string& error);
  // Makes a listing read from the archive the store's.
  void takeListing(engine::HistoryList parsed, const std::vector<engine::ListedName>& listedNames);
  // Everything in the archive unpacked once into a folder of the store's (kinds that unpack whole).
  bool unpackAll(std::string& error);
  // Writes content as the file `relative` below `folder` (made as needed), complete or not at all.
  bool writeInto(const std::string& folder, const std::string& relative, platform::ContentReader& content,
                 platform::FileTime time, std::string& error);
  // Extracts the member of a relative path into a new empty folder: that folder, or empty with
  // `error`.
  std::string extractOne(const std::string& relative, std::string& error);
  // Hard links to names that leave the archive or are replaced get their content as files of
  // their own first: the archiver would otherwise leave them pointing at nothing.
  bool keepHardLinkedContent(std::string& error);
  // A file put in by the store goes in under its relative path.
  void noteWrittenAs(const std::string& relative);
  // The archive's name of a relative path: as listed, or the path itself for a new file.
  [[nodiscard]] std::string memberOf(const std::string& relative) const;
  // Takes a copy handed out and changed since as a file to add.
  bool stageChangedCopies(std::string& error);
  // Puts every waiting change into the archive (see the class comment).
  bool commit();
  // The archive with the changes at `work`: a copy of it (its plain form, for a compressed kind)
  // changed by the archiver.
  bool writeArchive(const std::string& work, std::string& error);
  bool applyChanges(const std::string& archive, std::string& error);
  // The work file holds what the listing says, each name once, and nothing that was removed;
  // `written` and `listedNames` receive its listing.
  bool verify(const std::string& work, engine::HistoryList& written, std::vector<engine::ListedName>& listedNames,
              std::string& error);
  // After a failed write: the files that were to be added are moved where the user can find them.
  std::string keepStagedFiles();
  [[nodiscard]] std::string stageFolder() const;
  [[nodiscard]] std::string unpackFolder() const;
  [[nodiscard]] bool shouldContinue() const;

  ArchiverDescription kind_;
  // Staged files, extractions, the unpacked archive: apart from the copies handed out.
  std::unique_ptr<platform::TempFolder> work_;
  int extractions_ = 0;
  bool unpacked_ = false;
  // Unpacking the whole archive failed: files are taken out one by one.
  bool unpackFailed_ = false;
  // What most names of the archive are listed with before the relative path ("./" or nothing),
  // and the names listed otherwise.
  std::string listedPrefix_;
  std::unordered_map<std::string, std::string> listedNames_;
  // Hard links: relative path -> the relative path whose content they share.
  std::unordered_map<std::string, std::string> hardLinks_;
  // Members that leave the archive at the next write (deleted, or replaced by a staged file).
  std::set<std::string> removed_;
  // Relative paths whose new content waits in the stage folder.
  std::set<std::string> staged_;
  bool inBatch_ = false;
  std::vector<std::string> batchPaths_;
  std::vector<std::string> lostWrites_;
};

}  // namespace stores
