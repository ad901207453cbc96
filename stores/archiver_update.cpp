// How an archive of an outside archiver takes the changes of a run: on a copy beside it, checked,
// then renamed over it.
#include <algorithm>
#include <map>

#include <unistd.h>

#include "engine/text.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "platform/path.h"
#include "platform/temp_names.h"
#include "stores/archiver_store.h"

namespace stores {
namespace {

// Names handed to one command: enough to keep the number of runs small, few enough to stay far
// below the system's limit on the length of a command line.
constexpr std::size_t kNamesPerCommand = 500;

std::vector<std::vector<std::string>> inGroups(const std::vector<std::string>& names) {
  std::vector<std::vector<std::string>> groups;
  for (std::size_t start = 0; start < names.size(); start += kNamesPerCommand) {
    const auto end = names.begin() + static_cast<std::ptrdiff_t>(std::min(names.size(), start + kNamesPerCommand));
    groups.emplace_back(names.begin() + static_cast<std::ptrdiff_t>(start), end);
  }
  return groups;
}

}  // namespace

bool ArchiverStore::stageChangedCopies(std::string& error) {
  for (const TempCopy& copy : changedCopies()) {
    const std::string relative = listing_.at(copy.entry).path;
    const std::string staged = platform::joinPath(stageFolder(), relative);
    if (!platform::createFolderChain(platform::parentOf(staged), &error)) return false;
    const platform::CopyResult copied = platform::copyFile(copy.path, staged);
    if (!copied.ok()) {
      error = engine::Translate("${cannot read}") + " " + copy.path + ": " + copied.error;
      return false;
    }
    if (staged_.insert(relative).second) removed_.insert(memberOf(relative));
    noteWrittenAs(relative);
    platform::FindData data;
    if (platform::statEntry(staged, data)) (void)putEntry(relative, static_cast<std::int64_t>(data.size), data.lastWriteTime, 0);
  }
  return true;
}

bool ArchiverStore::commit() {
  std::string error;
  const bool prepared = stageChangedCopies(error) && keepHardLinkedContent(error);
  if (prepared && staged_.empty() && removed_.empty()) return true;
  std::string work;
  // Held open (and so locked) while the archiver works on it: no other run takes it for a
  // leftover of a killed one.
  const int reserved = prepared ? platform::createTempFileBeside(root_, work, &error) : -1;
  if (prepared && reserved < 0) error = engine::Translate("${cannot write}") + " " + root_ + ": " + error;
  engine::HistoryList written;
  std::vector<engine::ListedName> names;
  const bool ok = reserved >= 0 && writeArchive(work, error) && verify(work, written, names, error) &&
                  platform::renameReplace(work, root_, &error);
  if (reserved >= 0) ::close(reserved);
  if (!ok) {
    if (reserved >= 0) (void)platform::deleteFile(work);
    const std::string kept = keepStagedFiles();
    std::string text = engine::TranslateFormat("${The archive %s was left as it was:} %s", {root_, error});
    if (!kept.empty()) text += "\n" + kept;
    // The listing is the archive's again, so that nothing is taken for written that is not.
    std::string reread;
    if (!readArchive(reread)) text += "\n" + reread;
    return fail(text);
  }
  removed_.clear();
  (void)platform::removeTree(stageFolder());
  staged_.clear();
  // Later commands name the members as the new archive spells them.
  takeListing(std::move(written), names);
  unpacked_ = false;
  unpackFailed_ = false;
  return true;
}

bool ArchiverStore::keepHardLinkedContent(std::string& error) {
  for (const auto& [link, shared] : hardLinks_) {
    const int entry = findEntry(link);
    if (entry < 0 || staged_.count(link) > 0 || removed_.count(memberOf(shared)) == 0) continue;
    std::string copy;
    if (GetFile(platform::joinPath(root_, link), copy, 0) != 1) {
      error = LastError();
      return false;
    }
    auto content = platform::FileReader::open(copy, &error);
    if (!content || !writeInto(stageFolder(), link, *content, listing_.at(entry).time, error)) return false;
    staged_.insert(link);
    removed_.insert(memberOf(link));
  }
  return true;
}

bool ArchiverStore::writeArchive(const std::string& work, std::string& error) {
  // The copy keeps the archive's permissions: renamed over it, it is the user's archive.
  platform::FindData original;
  const bool exists = platform::statEntry(root_, original);
  const std::string edited = kind_.Compressed() ? platform::joinPath(work_->path(), "plain") : work;
  bool copied = true;
  if (!exists) {
    // The archiver makes the archive itself.
    copied = platform::deleteFile(work, &error) && (!platform::exists(edited) || platform::deleteFile(edited, &error));
  } else if (kind_.Compressed()) {
    copied = run(kind_.decompressTemplate, root_, {}, work_->path(), error, nullptr, edited);
  } else {
    const platform::CopyResult copy = platform::copyFile(root_, work);
    error = copy.error;
    copied = copy.ok();
  }
  bool written = copied && applyChanges(edited, error);
  if (kind_.Compressed()) {
    written = written && run(kind_.compressTemplate, edited, {}, work_->path(), error, nullptr, work);
    (void)platform::deleteFile(edited);
  }
  if (!written) return false;
  auto folder = platform::FolderTree::open(platform::parentOf(root_), &error);
  const std::uint32_t mode = exists && original.unixMode != 0 ? original.unixMode & 07777 : platform::modeForCopy(0);
  return folder && folder->setMode(platform::fileNameOf(work), mode, &error);
}

bool ArchiverStore::applyChanges(const std::string& archive, std::string& error) {
  const std::vector<std::string> removed(removed_.begin(), removed_.end());
  for (const auto& group : inGroups(removed)) {
    if (!run(kind_.deleteTemplate, archive, group, work_->path(), error)) return false;
  }
  const std::vector<std::string> added(staged_.begin(), staged_.end());
  for (const auto& group : inGroups(added)) {
    if (!run(kind_.addTemplate, archive, group, stageFolder(), error)) return false;
  }
  return true;
}

bool ArchiverStore::verify(const std::string& work, engine::HistoryList& written,
                           std::vector<engine::ListedName>& listedNames, std::string& error) {
  if (!list(work, written, listedNames, error)) return false;
  // The size of each name's last version, the one the archiver extracts.
  std::map<std::string, std::int64_t> sizes;
  for (int index = 0; index < written.SlotCount(); ++index) {
    const engine::HistoryEntry& entry = written.at(index);
    // A file put in must have replaced its old version, not been appended after it.
    if (!sizes.insert_or_assign(entry.path, entry.size).second && staged_.count(entry.path) > 0) {
      error = engine::TranslateFormat("${The new archive holds %s twice}", {entry.path});
      return false;
    }
  }
  for (const std::string& removed : removed_) {
    const std::string member = engine::ArchiverRelative(removed);
    if (staged_.count(member) == 0 && sizes.count(member) > 0) {
      error = engine::TranslateFormat("${The new archive still holds %s}", {member});
      return false;
    }
  }
  for (int index = 0; index < listing_.SlotCount(); ++index) {
    if (!listing_.IsLive(index)) continue;
    const engine::HistoryEntry& entry = listing_.at(index);
    const auto found = sizes.find(entry.path);
    if (found == sizes.end() || found->second != entry.size) {
      error = engine::TranslateFormat("${The new archive does not hold %s as it should}", {entry.path});
      return false;
    }
  }
  return true;
}

std::string ArchiverStore::keepStagedFiles() {
  const std::string kept = keepInRecovery(stageFolder());
  staged_.clear();
  return kept;
}

}  // namespace stores
