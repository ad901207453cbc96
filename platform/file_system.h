#pragma once
// File services: directory search, attributes, times, folders, deletion, renaming.
// Every function reports failure by its result and, where it takes `error`, a reason text.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_time.h"
#include "platform/find_data.h"

struct stat;

namespace platform {

// Fills `entry` from a status record and a name.
void findDataFromStat(const struct ::stat& st, std::string_view name, FindData& entry);

// Iterates the entries of one folder in the file system's order, "." and ".." included (as a
// Windows search reports them), links reported with attr::kLink and never followed.
class DirectorySearch {
 public:
  // Empty when the folder cannot be opened; `error` then says why.
  [[nodiscard]] static std::unique_ptr<DirectorySearch> open(const std::string& folder, std::string* error = nullptr);
  // Takes over a descriptor of a folder opened for reading.
  [[nodiscard]] static std::unique_ptr<DirectorySearch> adopt(int fd, std::string* error = nullptr);
  ~DirectorySearch();
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;

  // Fills `entry` with the next entry; false at the end. "." and ".." come as folders without
  // their times (nobody needs them, and asking costs two calls a folder).
  bool next(FindData& entry);

 private:
  explicit DirectorySearch(int fd);
  // Reads the next block of entries; false at the end or on failure.
  bool fill();

  int fd_;
  // Entries as the system hands them out, read a block at a time.
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::size_t next_ = 0;
};

// Fills `entry` from the path itself (not following a final link); false when it does not exist.
[[nodiscard]] bool statEntry(const std::string& path, FindData& entry);
// attr::kInvalid when the path does not exist.
[[nodiscard]] std::uint32_t getAttributes(const std::string& path);
// Only the read-only bit is applied: with it the write permission is taken away, without it
// the owner's write permission is given back.
[[nodiscard]] bool setAttributes(const std::string& path, std::uint32_t attributes);
[[nodiscard]] bool exists(const std::string& path);
[[nodiscard]] bool isFolder(const std::string& path);
// The target text of a symbolic link; false when the path is no link.
[[nodiscard]] bool readSymbolicLink(const std::string& path, std::string& target);
// A regular file, following links (not a pipe, a device or a folder).
[[nodiscard]] bool isRegularFile(const std::string& path);

[[nodiscard]] std::optional<FileTime> getLastWriteTime(const std::string& path);
// Sets only the last-write time, to the 100 ns.
[[nodiscard]] bool setLastWriteTime(const std::string& path, FileTime time, std::string* error = nullptr);

// Creates every missing folder of the chain (mode 0777 less the umask). True when the folder
// exists afterwards.
[[nodiscard]] bool createFolderChain(const std::string& path, std::string* error = nullptr);
// Creates one folder with the given mode; true when it exists afterwards as a folder.
[[nodiscard]] bool createFolder(const std::string& path, unsigned mode, std::string* error = nullptr);
[[nodiscard]] bool deleteFile(const std::string& path, std::string* error = nullptr);
// Removes an empty folder only.
[[nodiscard]] bool removeEmptyFolder(const std::string& path, std::string* error = nullptr);
// Removes a folder whose tree holds nothing but empty folders, bottom-up; a folder with any
// other entry below it is left (and false returned with `error`). Never deletes a file.
[[nodiscard]] bool removeEmptyTree(const std::string& path, std::string* error = nullptr);
// Removes a folder and everything in it, never following links, also where folders lack write
// permission.
[[nodiscard]] bool removeTree(const std::string& path);
// Renames `from` to `to`, replacing `to` atomically.
[[nodiscard]] bool renameReplace(const std::string& from, const std::string& to, std::string* error = nullptr);

// Reads or writes a whole small file. Writing goes through a temporary file beside `path` that
// reaches the disk and is then renamed over it, so `path` is never left half-written.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::string& path, std::string* error = nullptr);
[[nodiscard]] bool writeFileReplacing(const std::string& path, std::string_view content, unsigned mode,
                                      std::string* error = nullptr);

// The system's text for an errno value.
[[nodiscard]] std::string systemErrorText(int error);

}  // namespace platform

namespace platform {

// True when the file can be opened for reading now.
[[nodiscard]] bool canOpenForReading(const std::string& path);

}  // namespace platform

namespace platform {

// Every file in the folder and its subfolders (full paths), links left out.
[[nodiscard]] std::vector<std::string> filesBelow(const std::string& folder);
// True when new files can be made in the folder.
[[nodiscard]] bool isWritableFolder(const std::string& folder);

}  // namespace platform
