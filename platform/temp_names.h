#pragma once
// Temporary files and folders. Files written beside a destination and renamed over it when
// complete all follow one name pattern, so a leftover of a killed run can be recognized and is
// never taken for a user's file.
#include <string>
#include <string_view>

namespace platform {

// True for names made by createTempFileBeside.
[[nodiscard]] bool isTemporaryName(std::string_view name);
// Creates an empty file with a unique temporary name in the folder of `path` (mode 0600) and
// opens it for writing, locked while the descriptor is open so that no other run takes it for
// a leftover. Returns the descriptor, or -1 with `error` set.
[[nodiscard]] int createTempFileBeside(const std::string& path, std::string& tempPath, std::string* error = nullptr);
// Deletes the temporary files of killed runs in `folder` (never one a running program holds).
void removeLeftoversIn(const std::string& folder);

// $TMPDIR, or /tmp.
[[nodiscard]] std::string tempFolder();
// A new folder (mode 0700) with a unique name beginning with `prefix` in the temporary folder;
// empty on failure.
[[nodiscard]] std::string makeTempFolder(std::string_view prefix);
// A unique path for a new file in `folder` with the given prefix; the file is created empty.
[[nodiscard]] std::string makeUniqueFile(const std::string& folder, std::string_view prefix);

// A private folder (mode 0700) in the temporary folder, removed with everything in it when the
// owner goes. It is locked while it lives, so that a folder left by a process that was killed
// can be told apart and removed by removeStaleTempFolders.
class TempFolder {
 public:
  explicit TempFolder(std::string_view prefix = "ovand");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  [[nodiscard]] const std::string& path() const { return path_; }

 private:
  std::string path_;
  int lock_ = -1;
};

// Removes the private folders of processes that are gone (made by TempFolder with `prefix`).
void removeStaleTempFolders(std::string_view prefix = "ovand");

}  // namespace platform
