#pragma once
// A folder tree reached only through its root. Every path below the root is resolved without
// following a symbolic link, so neither a name from a listing, an archive or a server nor a link
// planted in the tree can make an operation read or write outside it. Links at and above the
// root are followed: the root is the user's choice.
//
// Relative paths have "/" between names ("" is the root); a "\" is part of a name. A path that
// begins with "/" or has an empty, "." or ".." part fails with EINVAL; one that meets a link on
// the way fails with ELOOP. Every function reports failure by its result and, where it takes
// `error`, a reason text. Safe to use from several threads.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/content_reader.h"
#include "platform/file_system.h"

namespace platform {

// What must stand at a destination when a new file is put in its place.
struct ExpectedFile {
  bool present = false;
  std::uint64_t size = 0;
  FileTime lastWriteTime = 0;
};

// The text for a failure code, with ELOOP said in the tree's terms.
[[nodiscard]] std::string treeErrorText(int code);

class FolderTree;

// A file being written for a place in the tree; put there by commit, dropped otherwise.
class PendingFile {
 public:
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  [[nodiscard]] int descriptor() const { return fd_; }
  [[nodiscard]] bool setLastWriteTime(FileTime lastWriteTime, std::string* error = nullptr);
  // Gives the file to a user and group (only root may).
  [[nodiscard]] bool setOwner(std::int64_t user, std::int64_t group, std::string* error = nullptr);
  // Puts the file in place. With `expected`, only when the destination is still as expected
  // (absent, or a file of that size and time); otherwise nothing changes and `error` says the
  // destination changed. With `durable` the data reach the disk before the file takes the name.
  [[nodiscard]] bool commit(const std::optional<ExpectedFile>& expected, bool durable, std::string* error = nullptr);

 private:
  friend class FolderTree;
  struct Folder;
  PendingFile(std::shared_ptr<const Folder> folder, std::string name, int fd, std::string tempName);
  bool checkExpected(const ExpectedFile& expected, std::string* error) const;

  std::shared_ptr<const Folder> folder_;
  std::string name_;
  int fd_;
  // Named temporary file beside the destination; empty for an unnamed file (O_TMPFILE).
  std::string tempName_;
  bool committed_ = false;
};

class FolderTree {
 public:
  // Empty with `error` when `root` is no folder that can be opened.
  [[nodiscard]] static std::unique_ptr<FolderTree> open(const std::string& root, std::string* error = nullptr);
  ~FolderTree();
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;

  [[nodiscard]] const std::string& root() const { return root_; }
  // The full path of a relative one, for messages.
  [[nodiscard]] std::string fullPath(std::string_view relative) const;

  // The entry itself: a link is reported as a link (attr::kLink), never what it points to.
  [[nodiscard]] bool stat(std::string_view relative, FindData& entry, int* code = nullptr);
  [[nodiscard]] std::unique_ptr<DirectorySearch> list(std::string_view folder, std::string* error = nullptr);
  [[nodiscard]] std::unique_ptr<FileReader> openForReading(std::string_view relative, std::string* error = nullptr);
  [[nodiscard]] std::optional<std::string> readWholeFile(std::string_view relative, std::string* error = nullptr);
  // Makes every missing folder of the path.
  [[nodiscard]] bool createFolders(std::string_view folder, std::string* error = nullptr);
  [[nodiscard]] bool removeFile(std::string_view relative, std::string* error = nullptr);
  // Removes a folder whose tree holds nothing but empty folders, bottom-up; never a file.
  [[nodiscard]] bool removeEmptyTree(std::string_view folder, std::string* error = nullptr);
  // Sets the permission bits of an entry that is no link.
  [[nodiscard]] bool setMode(std::string_view relative, std::uint32_t mode, std::string* error = nullptr);
  // Takes the owner's write permission away, or gives it back.
  [[nodiscard]] bool setReadOnly(std::string_view relative, bool readOnly, std::string* error = nullptr);
  [[nodiscard]] bool setLastWriteTime(std::string_view relative, FileTime time, std::string* error = nullptr);
  [[nodiscard]] bool readLink(std::string_view relative, std::string& target, std::string* error = nullptr);
  // A new file for `relative`, written beside it (or unnamed) until committed; it has the
  // permission bits `mode` (a writable descriptor whatever they are).
  [[nodiscard]] std::unique_ptr<PendingFile> create(std::string_view relative, std::uint32_t mode, std::string* error = nullptr);
  // Puts a symbolic link with this target text at `relative`, with the expectation rule of
  // PendingFile::commit.
  [[nodiscard]] bool putLink(std::string_view relative, const std::string& target, FileTime lastWriteTime,
                             const std::optional<ExpectedFile>& expected, std::string* error = nullptr);
  // Writes a whole small file through a file beside it (mode as given); `durable`: on the disk
  // before it takes the old one's place.
  [[nodiscard]] bool writeWholeFile(std::string_view relative, std::string_view content, std::uint32_t mode,
                                    std::string* error = nullptr, bool durable = false);
  // The path by which the system knows the entry, its folders resolved without links (for
  // services that take a path, such as the trash).
  [[nodiscard]] std::optional<std::string> systemPathOf(std::string_view relative, std::string* error = nullptr);
  // Deletes a temporary file of a killed run, unless a running program still holds it.
  void removeLeftover(std::string_view relative);

  // Tests: resolve folders one name at a time, as on systems without openat2.
  static void useComponentWalkForTesting(bool on);
  // Tests: every new file of this name (in any folder) fails to be made, with an I/O error;
  // empty switches the fault off.
  static void failNewFilesNamedForTesting(std::optional<std::string> name);

 private:
  using Folder = PendingFile::Folder;
  // Where an entry is: its folder and its name.
  struct Place {
    std::shared_ptr<const Folder> folder;
    std::string name;
  };
  FolderTree(std::string root, int fd);
  // The place of a relative path; empty with `code` set (EINVAL for a name that is none).
  std::optional<Place> place(std::string_view relative, int& code);
  // The folder's descriptor, from a small cache; empty with `code` set on failure.
  std::shared_ptr<const Folder> folder(std::string_view relative, int* code);
  void forgetFolders(std::string_view below);

  std::string root_;
  std::shared_ptr<const Folder> rootFolder_;
  std::mutex cacheMutex_;
  std::vector<std::pair<std::string, std::shared_ptr<const Folder>>> cache_;  // most recent last
};

}  // namespace platform
