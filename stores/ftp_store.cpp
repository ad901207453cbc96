#include "stores/ftp_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <unordered_map>

#include "engine/store_factory.h"
#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/temp_names.h"

namespace stores {
namespace {

std::string joined(const std::string& a, const std::string& b) { return a.empty() ? b : (b.empty() ? a : a + "/" + b); }

}  // namespace

FtpStore::FtpStore(engine::StoreContext context, std::vector<FtpServerRecord> servers, std::vector<FtpProxyRecord> proxies,
                   Connector connect)
    : ListingStore(std::move(context)),
      servers_(std::move(servers)),
      connect_(std::move(connect)),
      proxies_(std::move(proxies)) {}

FtpStore::~FtpStore() = default;

bool FtpStore::Open(const std::string& root, engine::OpenOptions options) {
  mayBeMissing_ = options.allowMissing;
  std::string expanded;
  if (!expandRoot(root, expanded)) return false;
  const std::string path = engine::TrimBlanks(expanded);
  const std::string name = engine::TrimBlanks(std::string_view(path).substr(std::min<std::size_t>(4, path.size())));
  const FtpServerRecord* found = nullptr;
  for (const FtpServerRecord& server : servers_) {
    if (platform::equalNoCase(engine::TrimBlanks(server.name), name)) {
      found = &server;
      break;
    }
  }
  if (found == nullptr || name.empty()) {
    return fail(engine::TranslateFormat("${There is no FTP connection of this name:} %s", {expanded}));
  }
  record_ = *found;
  root_ = "ftp:" + engine::TrimBlanks(record_.name);
  return true;
}

bool FtpStore::Sendable(const std::string& relative) {
  return !relative.empty() && platform::isSafeRelativePath(relative) && relative.find('\\') == std::string::npos &&
         platform::isValidUtf8(relative);
}

std::string FtpStore::remotePathOf(const std::string& relative) const { return joined(base_, relative); }

bool FtpStore::Attach(engine::ProgressSink* sink, bool recursive) {
  if (!startAttach(sink)) return false;
  clearListing();
  copies_.clear();
  deleteQueue_.clear();
  leftovers_.clear();
  std::string error;
  auto target = ConnectionTarget(record_, proxies_, root_, error);
  if (!target) return fail(error);
  base_ = target->base;
  settings_ = target->settings;
  client_ = connect_(settings_);
  const bool listed = listTree(recursive);
  // Shown also when the listing failed later on: a server's key was trusted all the same.
  for (const std::string& notice : client_->TakeNotices()) {
    prompt().ShowMessage(root_ + ": " + engine::PrintableText(notice), engine::PromptIcon::Information);
  }
  return listed;
}

bool FtpStore::listTree(bool recursive) {
  std::vector<std::string> folders{""};
  // Folders by the server's "unique" fact: one met under two names is a link the server
  // follows. Neither name is listed (a deletion through one would delete the other's files),
  // and the walk never goes round a link to a folder above.
  std::unordered_map<std::string, std::vector<std::string>> byUnique;
  while (!folders.empty()) {
    const std::string folder = folders.back();
    folders.pop_back();
    std::vector<platform::FtpEntry> entries;
    std::string error;
    // A folder that cannot be listed fails the whole listing: a partial one would look like
    // files deleted on the server.
    if (!client_->List(remotePathOf(folder), entries, error)) {
      if (folder.empty() && mayBeMissing_ && client_->FolderRefused()) return true;
      return fail(engine::Translate("${cannot read}") + " " + joined(root_, folder) + ": " + error);
    }
    for (const platform::FtpEntry& entry : entries) {
      const std::string relative = joined(folder, entry.name);
      if (entry.name.find('/') != std::string::npos || !Sendable(relative)) {
        addWarning(engine::TranslateFormat("${A name that cannot be a file here is left out:} %s (%s)",
                                           {engine::PrintableText(entry.name), root_}));
        continue;
      }
      if (entry.leftover || platform::isTemporaryName(entry.name)) {
        if (!entry.folder) leftovers_.push_back(remotePathOf(relative));
        continue;
      }
      if (entry.folder) {
        if (!recursive) continue;
        std::vector<std::string>* names = entry.unique.empty() ? nullptr : &byUnique[entry.unique];
        if (names != nullptr) names->push_back(relative);
        if (names == nullptr || names->size() == 1) folders.push_back(relative);
        continue;
      }
      (void)putEntry(relative, static_cast<std::int64_t>(entry.size), entry.time.value_or(0), 0);
    }
  }
  for (const auto& [unique, names] : byUnique) {
    if (names.size() < 2) continue;
    for (const std::string& name : names) {
      addWarning(engine::TranslateFormat("${A folder the server shows under two names is left out:} %s/%s",
                                         {root_, engine::PrintableText(name)}));
      for (int i = 0; i < listing_.SlotCount(); ++i) {
        if (listing_.IsLive(i) && (listing_.at(i).path.starts_with(name + "/"))) listing_.Remove(i);
      }
    }
  }
  return true;
}

void FtpStore::BeginBatch(unsigned) {
  // Only a real run gets here; a dry run leaves the server as it is.
  for (const std::string& leftover : leftovers_) {
    std::string ignored;
    if (client_) (void)client_->Delete(leftover, ignored);
  }
  leftovers_.clear();
}

bool FtpStore::NoteWrittenContent(const std::string& path, platform::ContentReader& content) {
  const auto relative = relativeOf(path);
  if (!relative || !Sendable(*relative)) {
    return fail(engine::TranslateFormat("${This name cannot be sent to a server:} %s", {path}));
  }
  if (!client_) return fail(path + ": " + engine::Translate("${not connected}"));
  if (sink_ != nullptr) sink_->ProgressFile(platform::fileNameOf(path), content.size(), 1, 0);
  std::string error;
  if (!client_->Upload(remotePathOf(*relative), content, content.lastWriteTime(), error)) {
    return fail(engine::Translate("${cannot write}") + " " + path + ": " + error);
  }
  const int entry = putEntry(*relative, static_cast<std::int64_t>(content.size()), content.lastWriteTime(), 0);
  listing_.at(entry).copyIndex = -1;
  std::erase(deleteQueue_, remotePathOf(*relative));
  return true;
}

bool FtpStore::DeleteFile(const std::string& path) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  if (entry < 0) return fail(path + ": " + engine::Translate("${not on the server}"));
  deleteQueue_.push_back(remotePathOf(*relative));
  listing_.Remove(entry);
  return true;
}

int FtpStore::GetFile(const std::string& path, std::string& localPath, unsigned) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  if (entry < 0 || !client_) {
    setError(path + ": " + engine::Translate("${not on the server}"));
    return -1;
  }
  const std::string destination = copyDestination(*relative, localPath);
  if (destination.empty()) return -1;
  // Into a file beside the destination, put in place only when whole.
  std::string temporary;
  std::string error;
  const int fd = platform::createTempFileBeside(destination, temporary, &error);
  if (fd < 0) {
    setError(engine::Translate("${cannot write}") + " " + destination + ": " + error);
    return -1;
  }
  std::uint64_t received = 0;
  bool written = true;
  const bool downloaded = client_->Download(remotePathOf(*relative), [&](const char* data, std::size_t length) {
    for (std::size_t done = 0; done < length;) {
      const ssize_t put = ::write(fd, data + done, length - done);
      if (put <= 0) return written = false;
      done += static_cast<std::size_t>(put);
    }
    received += length;
    return true;
  }, error);
  // A server keeps no permissions of ours: the copy is made as a new file would be.
  const bool moded = ::fchmod(fd, platform::modeForCopy(0)) == 0;
  const bool closed = ::close(fd) == 0 && moded;
  const engine::HistoryEntry& listed = listing_.at(entry);
  const bool whole = downloaded && written && closed && received == static_cast<std::uint64_t>(listed.size);
  if (!whole || !platform::setLastWriteTime(temporary, listed.time) || !platform::renameReplace(temporary, destination)) {
    (void)platform::deleteFile(temporary);
    if (error.empty()) error = engine::TranslateFormat("${%s bytes came of %s}", {std::to_string(received), std::to_string(listed.size)});
    setError(engine::Translate("${cannot read}") + " " + path + ": " + error);
    return -1;
  }
  return handOutCopy(destination, localPath, entry);
}

bool FtpStore::WriteBackCopies() {
  bool ok = true;
  for (const TempCopy& copy : changedCopies()) {
    const engine::HistoryEntry& listed = listing_.at(copy.entry);
    const std::string path = joined(root_, listed.path);
    // Only over the file the copy was made of: one changed on the server since is a conflict.
    const auto there = client_ ? client_->FileState(remotePathOf(listed.path)) : std::nullopt;
    const bool unchanged = there && there->first == static_cast<std::uint64_t>(listed.size) &&
                           there->second / platform::kTicksPerSecond == listed.time / platform::kTicksPerSecond;
    if (!unchanged) {
      setError(engine::TranslateFormat("${changed on the server since it was copied out; not written back:} %s", {path}));
      ok = false;
      continue;
    }
    if (!NoteWrittenFile(path, copy.path, false)) ok = false;
  }
  return ok;
}

bool FtpStore::Finish() {
  bool ok = WriteBackCopies();
  std::vector<std::string> failed;
  std::string reasons;
  for (const std::string& remote : deleteQueue_) {
    std::string error;
    if (client_ && client_->Delete(remote, error)) continue;
    failed.push_back(remote);
    const std::string relative = base_.empty() ? remote : remote.substr(std::min(remote.size(), base_.size() + 1));
    reasons += (reasons.empty() ? "" : "; ") + engine::Translate("${cannot delete}") + " " + joined(root_, relative) + ": " + error;
  }
  // Only what was done leaves the queue: the next Finish tries the rest again.
  deleteQueue_ = std::move(failed);
  if (!deleteQueue_.empty()) {
    setError(reasons);
    ok = false;
  }
  return ok;
}

void RegisterFtpStores(std::vector<FtpServerRecord> servers, std::vector<FtpProxyRecord> proxies) {
  engine::StoreFactory::RegisterScheme("ftp", [servers = std::move(servers), proxies = std::move(proxies)](
                                                  const engine::StoreContext& context) {
    return std::make_unique<FtpStore>(context, servers, proxies);
  });
}

}  // namespace stores
