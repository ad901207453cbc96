#pragma once
// A real FTP server for the tests (Debian's pyftpdlib), on 127.0.0.1 on a free port, serving a
// folder as the user "velkor" with the password "secret pass". Stopped when the object goes.
#include <string>

#include <sys/types.h>

namespace testsupport {

enum class FtpServerKind {
  Full,
  // Offers neither MLSD nor MFMT.
  Plain,
  // FTPS: explicit TLS ("AUTH TLS") required on both channels, with a certificate of its own
  // made by openssl for the test.
  Tls,
};

class FtpServer {
 public:
  explicit FtpServer(const std::string& root, FtpServerKind kind = FtpServerKind::Full);
  ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  // False when the server could not be started (pyftpdlib missing); why() says so.
  [[nodiscard]] bool running() const { return port_ > 0; }
  [[nodiscard]] const std::string& why() const { return why_; }
  [[nodiscard]] int port() const { return port_; }
  // A TLS server's public key as a pin ("sha256//BASE64").
  [[nodiscard]] const std::string& pinnedKey() const { return pinnedKey_; }
  // Ends the server at once (a connection lost in the middle of a transfer).
  void stop();
  // A new server on the same port (the old one's connections are gone); false when the port
  // could not be taken again.
  bool restart();

 private:
  void start(int port);
  // Makes the certificate and key in `folder`; false with why_ set.
  bool makeCertificate(const std::string& folder, std::string& certificate, std::string& key);

  std::string root_;
  FtpServerKind kind_;
  pid_t pid_ = -1;
  int port_ = 0;
  std::string pinnedKey_;
  std::string why_;
};

}  // namespace testsupport
