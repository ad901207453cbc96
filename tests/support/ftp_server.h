#pragma once
// A real FTP server for the tests (Debian's pyftpdlib), on 127.0.0.1 on a free port, serving a
// folder as the user "velkor" with the password "secret pass". Stopped when the object goes.
#include <string>

#include <sys/types.h>

namespace testsupport {

class FtpServer {
 public:
  // `plain`: a server that offers neither MLSD nor MFMT.
  FtpServer(const std::string& root, bool plain = false);
  ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  // False when the server could not be started (pyftpdlib missing); why() says so.
  [[nodiscard]] bool running() const { return port_ > 0; }
  [[nodiscard]] const std::string& why() const { return why_; }
  [[nodiscard]] int port() const { return port_; }
  // Ends the server at once (a connection lost in the middle of a transfer).
  void stop();

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string why_;
};

}  // namespace testsupport
