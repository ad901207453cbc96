#pragma once
// Walks one folder tree of a store: each folder searched once, its files tested against the
// masks, its subfolders visited depth-first in ascending name order (letter case ignored).
#include <functional>
#include <string>
#include <vector>

#include "engine/file_masks.h"
#include "engine/store.h"

namespace engine {

class FolderWalker {
 public:
  enum Step { kEnd = 0, kFile = 1, kEnteredFolder = 2 };

  explicit FolderWalker(Store& store);
  ~FolderWalker();
  FolderWalker(const FolderWalker&) = delete;
  FolderWalker& operator=(const FolderWalker&) = delete;

  // Masks before " ! " are included, after it excluded. Opens the root folder (not reported by Next).
  void Start(const std::string& root, std::string_view masksText, bool recursive, bool reportFolderChanges);
  // kFile: GetFindData() holds an accepted file; kEnteredFolder (only with folder reports): the
  // walk has entered CurrentFolder(); kEnd: done.
  [[nodiscard]] Step Next();

  [[nodiscard]] const FindData& GetFindData() const { return found_; }
  // Full path of the current folder, ending with a separator.
  [[nodiscard]] const std::string& CurrentFolder() const { return currentFolder_; }
  // The current folder below the root ("" for the root, else ending with a separator).
  [[nodiscard]] std::string RelativeFolder() const;
  [[nodiscard]] const std::string& RootFolder() const { return root_; }
  [[nodiscard]] Store& GetStore() const { return store_; }

  // Exchanges the roles of the include and exclude lists (inverted masks).
  void SetSwap(bool swap) { masks_.SetSwap(swap); }
  // Masks of files always left out, whatever the swap.
  void SetAlwaysExcluded(std::string_view masksText) { masks_.SetAlwaysExcluded(masksText); }
  // While on, files of the current folder are not reported (subfolders still are walked).
  void SetSkipFiles(bool skip) { skipFiles_ = skip; }
  // Decides whether a subfolder (full path with separator) is entered; all are by default.
  void SetFolderFilter(std::function<bool(const std::string& folder)> filter) { folderFilter_ = std::move(filter); }
  [[nodiscard]] bool Accepts(std::string_view fileName) const { return masks_.Accepts(fileName); }

  // Folders that could not be listed, with the store's reason; their files are unknown.
  struct FailedFolder {
    std::string folder;
    std::string reason;
  };
  [[nodiscard]] const std::vector<FailedFolder>& FailedFolders() const { return failed_; }

 private:
  void enterFolder(const std::string& folder);
  void closeSearch();
  void sortPushedFolders();

  Store& store_;
  std::string root_;
  std::string currentFolder_;
  FileMasks masks_;
  bool recursive_ = false;
  bool reportFolderChanges_ = false;
  bool skipFiles_ = false;
  std::function<bool(const std::string&)> folderFilter_;
  std::vector<std::string> pending_;
  std::size_t pushedFromCurrent_ = 0;
  SearchHandle search_ = kNoSearch;
  bool haveNext_ = false;
  FindData next_;
  FindData found_;
  std::vector<FailedFolder> failed_;
};

}  // namespace engine
