#include "tests/support/ssh_server.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/process.h"

namespace testsupport {
namespace {

constexpr const char* kSshd = "/usr/sbin/sshd";

sockaddr_in loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port nothing listens on now, as the system hands one out.
int freePort() {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopback(0);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(socket);
  return port;
}

bool accepts(int port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = loopback(port);
  const bool connected = connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(socket);
  return connected;
}

}  // namespace

SshServer::SshServer(const std::string& root) {
  if (access(kSshd, X_OK) != 0) {
    why_ = "sshd is missing (install openssh-server: scripts/install-deps)";
    return;
  }
  installed_ = true;
  const passwd* account = getpwuid(geteuid());
  user_ = account != nullptr ? account->pw_name : "";
  const std::string folder = platform::joinPath(platform::parentOf(root), ".ssh-" + std::to_string(getpid()) + "-" +
                                                                           platform::fileNameOf(root));
  if (!start(root, folder)) stop();
}

bool SshServer::start(const std::string& root, const std::string& folder) {
  (void)platform::createFolderChain(folder);
  hostKeyFile_ = platform::joinPath(folder, "host_key");
  loginKey_ = platform::joinPath(folder, "login_key");
  for (const std::string& key : {hostKeyFile_, loginKey_}) {
    const auto made = platform::runProcess({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-C", "velkor-test", "-f", key});
    if (made.exitCode != 0) {
      why_ = "ssh-keygen could not make a key: " + made.errorOutput;
      return false;
    }
  }
  const std::string authorized = platform::joinPath(folder, "authorized_keys");
  (void)platform::writeFileReplacing(authorized, platform::readWholeFile(loginKey_ + ".pub").value_or(""), 0600);
  // Run as root (in CI), sshd wants its privilege separation folder, which Debian makes at boot.
  if (geteuid() == 0) (void)mkdir("/run/sshd", 0755);
  const std::string config = platform::joinPath(folder, "sshd_config");
  (void)platform::writeFileReplacing(config,
                                     "ListenAddress 127.0.0.1\nHostKey " + hostKeyFile_ + "\nAuthorizedKeysFile " + authorized +
                                         "\nPidFile " + platform::joinPath(folder, "sshd.pid") +
                                         "\nUsePAM no\nStrictModes no\nPermitRootLogin prohibit-password\n"
                                         "PasswordAuthentication yes\nKbdInteractiveAuthentication no\n"
                                         "Subsystem sftp internal-sftp -d " + root + "\n",
                                     0600);
  const std::string log = platform::joinPath(folder, "sshd.log");
  const int port = freePort();
  const std::string portText = std::to_string(port);
  pid_ = fork();
  if (pid_ == 0) {
    const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(output, STDOUT_FILENO);
    dup2(output, STDERR_FILENO);
    execl(kSshd, kSshd, "-D", "-e", "-f", config.c_str(), "-p", portText.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int tries = 0; tries < 200; ++tries) {
    if (accepts(port)) {
      port_ = port;
      return true;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      why_ = "sshd could not be started: " + platform::readWholeFile(log).value_or("");
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  why_ = "sshd did not start within 10 s";
  return false;
}

std::string SshServer::hostKey() const { return platform::readWholeFile(hostKeyFile_ + ".pub").value_or(""); }

SshServer::~SshServer() { stop(); }

void SshServer::stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace testsupport
