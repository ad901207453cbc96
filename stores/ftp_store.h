#pragma once
// A folder on an FTP, FTPS or SFTP server as one side of a session, named "ftp:NAME" after a
// connection kept in the configuration. The whole tree is listed when the store is attached;
// files are read through local copies; uploads go to a temporary name and are renamed into
// place; deletions wait for Finish.
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <string>
#include <vector>

#include "platform/ftp_connection.h"
#include "stores/ftp_settings.h"
#include "stores/listing_store.h"

namespace stores {

class FtpStore : public ListingStore {
 public:
  // Makes the link to a server: libcurl's by default, a fake in tests.
  using Connector = std::function<std::unique_ptr<platform::FtpConnection>(const platform::FtpSettings& settings)>;

  FtpStore(engine::StoreContext context, std::vector<FtpServerRecord> servers, std::vector<FtpProxyRecord> proxies,
           Connector connect = platform::FtpConnection::Open);
  ~FtpStore() override;

  bool Open(const std::string& root, engine::OpenOptions options) override;
  bool Attach(engine::ProgressSink* sink, bool recursive) override;
  bool NoteWrittenContent(const std::string& path, platform::ContentReader& content) override;
  bool DeleteFile(const std::string& path) override;
  int GetFile(const std::string& path, std::string& localPath, unsigned flags) override;
  std::uint32_t GetCapabilities() const override { return 0x13; }
  // Removes temporary files that killed runs left on the server.
  void BeginBatch(unsigned flag) override;
  void EndBatch() override {}
  bool IsArchive() const override { return false; }
  bool WriteBackCopies() override;
  // Deletes what waits for deletion and sends back changed copies; each failure is named.
  bool Finish() override;
  // New files are sent on copy threads, each over a connection of its own: a server's answers
  // take longer than sending small files, so waiting for two at once halves the time.
  engine::CopyPool::Job CopyJob(const std::string& destination, engine::Store& source, const std::string& sourcePath,
                                const engine::PutChecks& checks, const std::atomic<bool>& cancelled) override;
  bool TakesCopyJobs() const override { return true; }
  bool FinishCopyJob(const std::string& destination) override;

 private:
  // A relative path a server takes and gives back as it is: below the folder, no "\\" or control
  // character, valid UTF-8 (a server stores other bytes changed, and the next listing would not
  // find the file again).
  [[nodiscard]] static bool Sendable(const std::string& relative);
  // The path on the server, from the login folder.
  [[nodiscard]] std::string remotePathOf(const std::string& relative) const;
  bool listTree(bool recursive);

  std::vector<FtpServerRecord> servers_;
  Connector connect_;
  std::vector<FtpProxyRecord> proxies_;
  FtpServerRecord record_;
  // A connection for a copy thread: an idle one, or a new one.
  [[nodiscard]] std::unique_ptr<platform::FtpConnection> takeConnection();
  void giveBack(std::unique_ptr<platform::FtpConnection> connection);

  std::unique_ptr<platform::FtpConnection> client_;
  platform::FtpSettings settings_;
  // Connections of copy threads not in use, and what their uploads sent, by destination, until
  // FinishCopyJob lists it.
  std::mutex jobsMutex_;
  std::vector<std::unique_ptr<platform::FtpConnection>> idle_;
  std::unordered_map<std::string, std::pair<std::uint64_t, platform::FileTime>> sent_;
  // The folder the store starts at, from the login folder ("" for it).
  std::string base_;
  std::vector<std::string> deleteQueue_;
  // Temporary files of killed uploads met by the listing, by their path on the server.
  std::vector<std::string> leftovers_;
  // The starting folder may be missing: the side is then empty, and made by the first upload.
  bool mayBeMissing_ = false;
};

// Makes the store factory hand out FTP stores for "ftp:NAME" paths, with these connections.
void RegisterFtpStores(std::vector<FtpServerRecord> servers, std::vector<FtpProxyRecord> proxies);

}  // namespace stores
