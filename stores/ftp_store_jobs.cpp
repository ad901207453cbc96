// The part of the FTP store that sends new files on copy threads.
#include "engine/copy_source.h"
#include "engine/text.h"
#include "stores/ftp_store.h"

namespace stores {

std::unique_ptr<platform::FtpConnection> FtpStore::takeConnection() {
  {
    const std::lock_guard lock(jobsMutex_);
    if (!idle_.empty()) {
      auto connection = std::move(idle_.back());
      idle_.pop_back();
      return connection;
    }
  }
  return connect_(settings_);
}

void FtpStore::giveBack(std::unique_ptr<platform::FtpConnection> connection) {
  const std::lock_guard lock(jobsMutex_);
  idle_.push_back(std::move(connection));
}

engine::CopyPool::Job FtpStore::CopyJob(const std::string& destination, engine::Store& source, const std::string& sourcePath,
                                        const engine::PutChecks& checks, const std::atomic<bool>& cancelled) {
  const auto relative = relativeOf(destination);
  // A name the server cannot take is refused by PutFile, on the run's thread.
  if (!client_ || !relative || !Sendable(*relative)) return {};
  auto from = source.ConcurrentSource(sourcePath);
  if (!from) return {};
  return [this, destination, remote = remotePathOf(*relative), from = std::move(*from), checks, &cancelled](std::string& error) {
    if (cancelled.load()) {
      error = engine::Translate("${Cancelled}");
      return false;
    }
    engine::OpenedSource opened;
    if (!engine::OpenForCopy(from, checks.source, opened, error)) return false;
    if (opened.link) {
      error = destination + ": " + engine::Translate("${the other side cannot hold links}");
      return false;
    }
    auto connection = takeConnection();
    std::string reason;
    const bool sent = connection->Upload(remote, *opened.content, opened.content->lastWriteTime(), reason);
    giveBack(std::move(connection));
    if (!sent) {
      error = engine::Translate("${cannot write}") + " " + destination + ": " + reason;
      return false;
    }
    const std::lock_guard lock(jobsMutex_);
    sent_[destination] = {opened.content->size(), opened.content->lastWriteTime()};
    return true;
  };
}

bool FtpStore::FinishCopyJob(const std::string& destination) {
  std::pair<std::uint64_t, platform::FileTime> sent;
  {
    const std::lock_guard lock(jobsMutex_);
    const auto found = sent_.find(destination);
    if (found == sent_.end()) return fail(destination + ": " + engine::Translate("${not sent}"));
    sent = found->second;
    sent_.erase(found);
  }
  const auto relative = relativeOf(destination);
  (void)putEntry(*relative, static_cast<std::int64_t>(sent.first), sent.second, 0);
  std::erase(deleteQueue_, remotePathOf(*relative));
  return true;
}

}  // namespace stores
