#pragma once
// A connection to an FTP server (plain, or FTPS: explicit TLS) or an SFTP server, through
// libcurl: folder listings, downloads, uploads and deletions, each naming its file by the full
// path from the login folder. One connection is kept and reused. Failures come back with the
// server's or the system's words; the password is never part of a URL or a message.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/content_reader.h"
#include "platform/file_time.h"
#include "platform/ftp_listing.h"

namespace platform {

enum class FtpProtocol { Ftp, Ftps, Sftp };

struct FtpSettings {
  FtpProtocol protocol = FtpProtocol::Ftp;
  std::string host;
  int port = 21;
  std::string user;
  std::string password;
  bool passive = true;
  // "host:port"; empty for none.
  std::string proxy;
  std::string proxyUser;
  std::string proxyPassword;
  // FTPS: the server's public key, "sha256//BASE64" (";" between several); empty: the
  // certificate must be signed by an authority the system trusts.
  std::string pinnedKey;
  // SFTP: a private key file to log in with (the password is then its passphrase); empty: the
  // password logs in.
  std::string privateKeyFile;
  // SFTP: the known-hosts file (OpenSSH's format) that servers' keys are checked against and
  // a key met for the first time is added to.
  std::string knownHostsFile;
};

// The store's link to a server. The store sees only this; tests may hand it a fake.
class FtpConnection {
 public:
  virtual ~FtpConnection() = default;

  // A connection through libcurl for the settings' kind (one connection, kept and reused).
  [[nodiscard]] static std::unique_ptr<FtpConnection> Open(FtpSettings settings);

  // The entries of a folder ("" for the login folder, else "a/b") with exact times: FTP lists by
  // MLSD, or by LIST asking each file's time (MDTM) where the server lacks MLSD; SFTP asks each
  // file's time. Leftovers of killed runs come marked.
  [[nodiscard]] virtual bool List(const std::string& folder, std::vector<FtpEntry>& entries, std::string& error) = 0;
  // After a List that failed: the server refused to enter the folder (it is missing, or closed).
  [[nodiscard]] virtual bool FolderRefused() const = 0;
  // The file's bytes, handed to `write` as they come; false when `write` refuses or the transfer fails.
  [[nodiscard]] virtual bool Download(const std::string& path, const std::function<bool(const char*, std::size_t)>& write,
                                      std::string& error) = 0;
  // Sends the content to a temporary name in the file's folder (made as needed), verifies it,
  // renames it over `path` and sets the file's time when given (a server without MFMT keeps
  // its own). A failure leaves an existing file as it was.
  [[nodiscard]] virtual bool Upload(const std::string& path, ContentReader& content, std::optional<FileTime> time,
                                    std::string& error) = 0;
  [[nodiscard]] virtual bool Delete(const std::string& path, std::string& error) = 0;
  // The file's size and time as the server keeps them now (SIZE and MDTM, the time to the
  // second); empty when the server says neither.
  [[nodiscard]] virtual std::optional<std::pair<std::uint64_t, FileTime>> FileState(const std::string& path) = 0;
  // What the user should read that is no failure (an SSH server's key trusted for the first
  // time, a file put right after a killed run); taken once.
  [[nodiscard]] virtual std::vector<std::string> TakeNotices() { return {}; }
};

}  // namespace platform
