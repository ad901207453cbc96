#pragma once
// A package (".pkg"): a ZIP archive that carries the listing of a folder on another machine as
// its entry "LIST/list.txt" and the content of chosen files under "FILES/". Compared with a local
// folder it shows what that folder holds; copied from, it brings the files it carries.
//
// Nothing on disk changes before a commit (at the end of a batch, or at Finish): every change
// of the list and of the files reaches the package in one new file renamed over the old one.
#include <string>
#include <unordered_map>
#include <vector>

#include "stores/snapshot_store.h"
#include "stores/zip_container.h"

namespace stores {

class PackageStore : public SnapshotStore {
 public:
  // GetFile's flag: the entry's content leaves the package (at the next commit) once it has been
  // copied out; its list line stays.
  static constexpr unsigned kRemoveAfterCopy = 0x1;
  // What the package's own format can count, its list included; a package never grows past it.
  static constexpr int kMaxEntries = 65535;
  // A list longer than this is no list of at most kMaxEntries names: it is refused unread.
  static constexpr std::uint64_t kMaxListSize = 512ULL << 20;

  explicit PackageStore(engine::StoreContext context);
  ~PackageStore() override;

  bool Open(const std::string& root, engine::OpenOptions options) override;
  bool Attach(engine::ProgressSink* sink, bool recursive) override;
  bool PutFile(const std::string& destination, const engine::CompareItem* item, engine::Store& source,
               const std::string& sourcePath, unsigned flags, const engine::PutChecks& checks) override;
  bool NoteWrittenFile(const std::string& path, const std::string& localPath, bool keepExisting) override;
  // The content under "FILES/" and its line; the content entry of the name is replaced, also
  // when it is spelled in another letter case and no other line has that spelling.
  bool NoteWrittenContent(const std::string& path, platform::ContentReader& content) override;
  // The line alone: the package describes the file without carrying it (a content entry of that
  // name goes, so list and content never disagree).
  bool NoteListOnly(const std::string& path, std::int64_t size, engine::FileTime time);
  bool DeleteFile(const std::string& path) override;
  // Removes every line and every content entry (written at the next commit).
  void Empty();
  int GetFile(const std::string& path, std::string& localPath, unsigned flags) override;
  std::unique_ptr<platform::ContentReader> OpenContent(const std::string& path) override;
  bool HasContent(const std::string& path) override;
  bool IsEntryAvailable(int index) const override;
  void BeginBatch(unsigned flag) override;
  bool BackupFile(const std::string& path) override;
  bool IsArchive() const override { return true; }
  bool ListsWholeFolder() const override { return false; }
  bool DescribesOnly() const override { return false; }
  bool WriteBackCopies() override;
  bool Finish() override;

 private:
  // The package as it is on disk: its list and which files it carries.
  bool readFile() override;
  // The list and every change into the package at once (a new file renamed over the old one).
  bool writeChanges(std::string& error) override;
  // The archive open for reading (`create`: for writing too, made when missing).
  bool ensureOpen(bool create);
  // The archive's name of the content of a relative path ("FILES/..."): the entry of exactly that
  // name, else one whose name differs only in letter case and has no line of its own; empty when
  // not carried.
  [[nodiscard]] std::string contentEntry(const std::string& relative) const;
  void dropContent(const std::string& relative);

  // Records that the package carries a relative path's content in the entry `name`.
  void noteContent(const std::string& relative, const std::string& name);

  ZipContainer archive_;
  // The list's entry as the package spells it ("LIST/list.txt" in any letter case); empty for none.
  std::string listEntry_;
  // Content entries by their relative path; and by its case key, for packages made on Windows
  // whose list and content spell a name differently.
  std::unordered_map<std::string, std::string> content_;
  std::unordered_map<std::string, std::string> contentByCase_;
  std::vector<std::string> deleteQueue_;
};

}  // namespace stores
