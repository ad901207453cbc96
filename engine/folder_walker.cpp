#include "engine/folder_walker.h"

#include <algorithm>

#include "platform/case_fold.h"
#include "platform/path.h"

namespace engine {

FolderWalker::FolderWalker(Store& store) : store_(store) {}

FolderWalker::~FolderWalker() { closeSearch(); }

void FolderWalker::Start(const std::string& root, std::string_view masksText, bool recursive,
                         bool reportFolderChanges) {
  closeSearch();
  masks_ = FileMasks(masksText);
  recursive_ = recursive;
  reportFolderChanges_ = reportFolderChanges;
  skipFiles_ = false;
  pending_.clear();
  failed_.clear();
  root_ = platform::withTrailingSeparator(root);
  enterFolder(root_);
}

std::string FolderWalker::RelativeFolder() const {
  return currentFolder_.size() > root_.size() ? currentFolder_.substr(root_.size()) : std::string();
}

void FolderWalker::enterFolder(const std::string& folder) {
  currentFolder_ = folder;
  pushedFromCurrent_ = 0;
  search_ = store_.FindFirst(folder + "*.*");
  haveNext_ = search_ != kNoSearch;
  if (haveNext_) {
    next_ = store_.CurrentEntry();
  } else {
    failed_.push_back({folder, store_.LastError()});
  }
}

void FolderWalker::closeSearch() {
  if (search_ != kNoSearch) store_.FindClose(search_);
  search_ = kNoSearch;
  haveNext_ = false;
}

void FolderWalker::sortPushedFolders() {
  // The folders leave the stack from its end, so the run is sorted in descending order.
  const auto first = pending_.end() - static_cast<std::ptrdiff_t>(pushedFromCurrent_);
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(pushedFromCurrent_);
  for (auto it = first; it != pending_.end(); ++it) keyed.emplace_back(platform::caseKey(*it), std::move(*it));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second > b.second;
  });
  auto out = first;
  for (auto& item : keyed) *out++ = std::move(item.second);
  pushedFromCurrent_ = 0;
}

FolderWalker::Step FolderWalker::Next() {
  for (;;) {
    if (!haveNext_) {
      closeSearch();
      if (pushedFromCurrent_ > 1) sortPushedFolders();
      pushedFromCurrent_ = 0;
      if (pending_.empty()) return kEnd;
      std::string folder = std::move(pending_.back());
      pending_.pop_back();
      enterFolder(folder);
      if (reportFolderChanges_) return kEnteredFolder;
      continue;
    }
    std::swap(found_, next_);
    haveNext_ = store_.FindNext(search_);
    if (haveNext_) next_ = store_.CurrentEntry();

    if (found_.isFolder()) {
      if (!recursive_ || found_.name == "." || found_.name == "..") continue;
      std::string folder = currentFolder_ + found_.name;
      folder += platform::kSeparator;
      if (folderFilter_ && !folderFilter_(folder)) continue;
      pending_.push_back(std::move(folder));
      ++pushedFromCurrent_;
      continue;
    }
    if (skipFiles_ || !Accepts(found_.name)) continue;
    return kFile;
  }
}

}  // namespace engine
