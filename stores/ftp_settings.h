#pragma once
// A named connection as the configuration keeps it, and what it means for the link to the
// server: host and port from the server text, the login, the proxy, the kind (FTP, FTPS, SFTP)
// with its security, and the folder the side starts at.
#include <optional>
#include <string>
#include <vector>

#include "platform/ftp_connection.h"

namespace stores {

// One named connection, as the configuration keeps it.
struct FtpServerRecord {
  std::string name;
  // A host, "host:port" or a URL ("ftp://host/pub", "sftp://host/pub": the path is where the
  // store starts).
  std::string server;
  std::string user;
  std::string password;
  int port = 21;
  // Index of the proxy record; -1 for none.
  int firewall = -1;
  // Bit 0: anonymous login; bit 1: passive mode.
  int flags = 0;
  // The starting folder, below the login folder.
  std::string folder;
  // "FTP" or empty, "FTPS" or "SFTP", in any case.
  std::string protocol;
  // FTPS: "sha256//BASE64", the server's public key.
  std::string pinnedKey;
  // SFTP: the private key file ("~/" for the home folder); the password is its passphrase.
  std::string keyFile;
};

struct FtpProxyRecord {
  std::string server;
  std::string user;
  std::string password;
  std::string port;
};

struct FtpTarget {
  platform::FtpSettings settings;
  // The folder the side starts at, from the login folder ("" for it).
  std::string base;
};

// What `record` connects to, for the side named `root` ("ftp:NAME"). Empty with `error` when the
// record cannot be used as it stands: a server text without a host, an unknown kind, a pinned
// key or key file the kind does not use (never taken for plain FTP, which would send the
// password unencrypted), a starting folder above the login folder.
[[nodiscard]] std::optional<FtpTarget> ConnectionTarget(const FtpServerRecord& record, const std::vector<FtpProxyRecord>& proxies,
                                                        const std::string& root, std::string& error);

}  // namespace stores
