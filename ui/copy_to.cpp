#include "ui/copy_to.h"

#include "engine/content_copy.h"
#include "engine/text.h"
#include "platform/file_identity.h"
#include "platform/path.h"

namespace ui {
namespace {

namespace confirm = engine::confirm;

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The same file: one device and inode, whatever links lead there.
bool sameFile(const std::string& a, const std::string& b) {
  const auto first = platform::identityOf(a);
  const auto second = platform::identityOf(b);
  return first && second && first->device == second->device && first->inode == second->inode;
}

// What the user wants done with existing destinations from now on.
enum class Existing { Ask, Overwrite, Skip };

class CopyJob {
 public:
  CopyJob(engine::CompareEngine& engine, const CopyToRequest& request, CopyToObserver& observer, platform::FolderTree& tree)
      : engine_(engine), request_(request), observer_(observer), tree_(tree) {}

  // False when the job ends here.
  bool copy(const CopyToEntry& entry);
  bool fail(const std::string& path, const std::string& reason) {
    ++result.failed;
    result.cancelled = !observer_.FileFailed(path, reason);
    return !result.cancelled;
  }

  CopyToResult result;

 private:
  bool skip(const std::string& path, const std::string& reason) {
    ++result.skipped;
    observer_.FileSkipped(path, reason);
    return true;
  }
  // Whether to write over an existing destination; `go` false skips it. False ends the job.
  bool decideOverwrite(const std::string& destination, const std::string& source, bool& go);
  bool removeSource(engine::Store& store, const std::string& path, const platform::ContentReader& copied);

  engine::CompareEngine& engine_;
  const CopyToRequest& request_;
  CopyToObserver& observer_;
  platform::FolderTree& tree_;
  Existing existing_ = Existing::Ask;
};

bool CopyJob::decideOverwrite(const std::string& destination, const std::string& source, bool& go) {
  go = existing_ == Existing::Overwrite;
  if (existing_ != Existing::Ask) return true;
  const int answer = observer_.ConfirmOverwrite({destination, source, confirm::kOverwrite});
  switch (answer) {
    case confirm::kCancel: result.cancelled = true; return false;
    case confirm::kSkipOnce: return true;
    case confirm::kSkipAll:
    case confirm::kSkipThisAction: existing_ = Existing::Skip; return true;
    default:
      // Overwrite for all or for this action: the whole job is one action.
      if ((static_cast<std::uint32_t>(answer) & confirm::kOverwrite) != 0) existing_ = Existing::Overwrite;
      go = true;
      return true;
  }
}

bool CopyJob::removeSource(engine::Store& store, const std::string& path, const platform::ContentReader& copied) {
  // The file goes only while it is still what was copied.
  const bool unchanged = store.GetFileInfo(path) && store.CurrentEntry().size == copied.size() &&
                         store.CurrentEntry().lastWriteTime == copied.lastWriteTime();
  if (!unchanged) return fail(path, engine::Translate("${changed while it was copied; it stays where it was}"));
  return store.DeleteFile(path) || fail(path, store.LastError());
}

bool CopyJob::copy(const CopyToEntry& entry) {
  const std::string& path = entry.file.path;
  std::string reason;
  const std::string folder = platform::parentOf(entry.destination);
  if (!folder.empty() && !tree_.createFolders(folder, &reason)) return fail(tree_.fullPath(folder), reason);
  if (request_.action == CopyToAction::CreateTree) return true;

  engine::StorePair& pair = engine_.Pairs()[static_cast<std::size_t>(entry.file.pairIndex)];
  engine::Store& store = entry.file.sourceSide ? *pair.source : *pair.target;
  if (store.IsListBased()) return fail(path, engine::Translate("${not a file of a local folder}"));
  const std::string destination = tree_.fullPath(entry.destination);
  if (sameFile(path, destination)) return skip(path, engine::Translate("${the destination is the file itself}"));

  platform::FindData there;
  std::optional<platform::ExpectedFile> expected = platform::ExpectedFile{};
  if (tree_.stat(entry.destination, there)) {
    if (there.isFolder()) return fail(destination, engine::Translate("${a folder is in the way}"));
    bool go = false;
    if (!decideOverwrite(destination, path, go)) return false;
    if (!go) return skip(path, engine::Translate("${the destination exists}"));
    expected = platform::ExpectedFile{true, there.size, there.lastWriteTime};
  }
  const auto content = store.OpenContent(path);
  if (!content) return fail(path, store.LastError());
  if (!engine::CopyContentInto(tree_, entry.destination, *content, expected, nullptr, reason)) {
    return fail(path, content->error().empty() ? reason : content->error());
  }
  ++result.copied;
  return request_.action != CopyToAction::Move || removeSource(store, path, *content);
}

}  // namespace

std::vector<PlannedFile> CopyToFiles(engine::CompareEngine& engine, CopyToList list) {
  return list == CopyToList::NewFiles ? NewFiles(engine) : BackupFiles(engine);
}

config::ComboHistory CopyToTargets() { return config::ComboHistory("CopyToCmb"); }

std::string CopyToSummary(const CopyToResult& result) {
  return engine::TranslateFormat("${Total files copied}: %d, ${skipped}: %d, ${failed}: %d",
                                 {std::to_string(result.copied), std::to_string(result.skipped), std::to_string(result.failed)});
}

CopyToResult CopyTo(engine::CompareEngine& engine, const CopyToRequest& request, CopyToObserver& observer) {
  CopyToResult refused;
  const std::string target = trimmed(request.target);
  if (!platform::isAbsolutePath(target)) {
    refused.refused = engine::Translate("${The target must be a full folder path.}");
    return refused;
  }
  const auto plan = PlanCopyTo(CopyToFiles(engine, request.list), request.strip, refused.refused);
  if (!plan) return refused;
  std::string reason;
  const auto tree = platform::createFolderChain(target, &reason) ? platform::FolderTree::open(target, &reason) : nullptr;
  if (!tree) {
    refused.refused = target + ": " + reason;
    return refused;
  }
  CopyJob job(engine, request, observer, *tree);
  for (const auto& [path, why] : plan->refused) {
    if (!job.fail(path, why)) return job.result;
  }
  for (const CopyToEntry& entry : plan->entries) {
    if (!job.copy(entry)) break;
  }
  return job.result;
}

}  // namespace ui
