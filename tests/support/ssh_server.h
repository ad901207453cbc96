#pragma once
// A real SFTP server for the tests: Debian's OpenSSH sshd, run as the test's own user on
// 127.0.0.1 on a free port, with a host key and a login key made by ssh-keygen for the test. The
// SFTP session starts in the served folder, which is the login folder of its paths. Stopped when
// the object goes.
#include <string>

#include <sys/types.h>

namespace testsupport {

class SshServer {
 public:
  explicit SshServer(const std::string& root);
  ~SshServer();
  SshServer(const SshServer&) = delete;
  SshServer& operator=(const SshServer&) = delete;

  // False when sshd is not installed: the only reason a test may skip.
  [[nodiscard]] bool installed() const { return installed_; }
  // False when sshd is missing or could not be started; why() says so.
  [[nodiscard]] bool running() const { return port_ > 0; }
  [[nodiscard]] const std::string& why() const { return why_; }
  [[nodiscard]] int port() const { return port_; }
  // The test's own user, who logs in.
  [[nodiscard]] const std::string& user() const { return user_; }
  // The private key that logs in (its public half beside it, ".pub").
  [[nodiscard]] const std::string& loginKey() const { return loginKey_; }
  // The server's own key as its ".pub" file has it ("ssh-ed25519 AAAA... comment").
  [[nodiscard]] std::string hostKey() const;

 private:
  [[nodiscard]] bool start(const std::string& root, const std::string& folder);
  void stop();

  pid_t pid_ = -1;
  bool installed_ = false;
  int port_ = 0;
  std::string user_;
  std::string loginKey_;
  std::string hostKeyFile_;
  std::string why_;
};

}  // namespace testsupport
