#include "tests/support/ftp_server.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/path.h"

namespace testsupport {

FtpServer::FtpServer(const std::string& root, bool plain) {
  const std::string portFile = platform::joinPath(platform::parentOf(root), ".ftp-port-" + std::to_string(getpid()) + "-" +
                                                                              platform::fileNameOf(root));
  (void)platform::deleteFile(portFile);
  const std::string script = std::string(VELKOR_SOURCE_DIR) + "/tests/support/ftp_server.py";
  pid_ = fork();
  if (pid_ == 0) {
    // The server's own messages would only clutter the test's output.
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    execl("/usr/bin/python3", "python3", script.c_str(), root.c_str(), portFile.c_str(), plain ? "plain" : "full",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int tries = 0; tries < 200 && port_ == 0; ++tries) {
    if (const auto text = platform::readWholeFile(portFile)) {
      port_ = std::atoi(text->c_str());
      break;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      why_ = "pyftpdlib could not be started (install python3-pyftpdlib: scripts/install-deps)";
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  (void)platform::deleteFile(portFile);
  if (port_ == 0) why_ = "the FTP server did not start within 10 s";
}

FtpServer::~FtpServer() { stop(); }

void FtpServer::stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace testsupport
