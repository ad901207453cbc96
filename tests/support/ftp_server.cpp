#include "tests/support/ftp_server.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/process.h"

namespace testsupport {

FtpServer::FtpServer(const std::string& root, FtpServerKind kind) : root_(root), kind_(kind) { start(0); }

bool FtpServer::restart() {
  const int port = port_;
  stop();
  port_ = 0;
  start(port);
  return port_ == port;
}

void FtpServer::start(int port) {
  const std::string root = root_;
  const FtpServerKind kind = kind_;
  const std::string beside = platform::joinPath(platform::parentOf(root), ".ftp-" + std::to_string(getpid()) + "-" +
                                                                           platform::fileNameOf(root));
  const std::string portFile = beside + ".port";
  (void)platform::deleteFile(portFile);
  std::vector<std::string> arguments{"python3", std::string(VELKOR_SOURCE_DIR) + "/tests/support/ftp_server.py", root, portFile,
                                     kind == FtpServerKind::Plain ? "plain" : kind == FtpServerKind::Tls ? "tls" : "full"};
  if (kind == FtpServerKind::Tls) {
    std::string certificate;
    std::string key;
    if (!makeCertificate(beside, certificate, key)) return;
    arguments.push_back(certificate);
    arguments.push_back(key);
  }
  arguments.insert(arguments.begin() + 5, std::to_string(port));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    // The server's own messages would only clutter the test's output.
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    execv("/usr/bin/python3", argv.data());
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
      why_ = "pyftpdlib could not be started (install python3-pyftpdlib and python3-openssl: scripts/install-deps)";
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  (void)platform::deleteFile(portFile);
  if (port_ == 0) why_ = "the FTP server did not start within 10 s";
}

bool FtpServer::makeCertificate(const std::string& folder, std::string& certificate, std::string& key) {
  (void)platform::createFolderChain(folder);
  certificate = platform::joinPath(folder, "certificate.pem");
  key = platform::joinPath(folder, "key.pem");
  const auto made = platform::runProcess({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                          "-nodes", "-keyout", key, "-out", certificate, "-days", "2", "-subj", "/CN=127.0.0.1"});
  // The pin as curl's documentation makes it: the SHA-256 of the DER public key, in Base64.
  const auto pin = platform::runProcess({"/bin/sh", "-c", "openssl x509 -in '" + certificate +
                                                              "' -pubkey -noout | openssl pkey -pubin -outform der | "
                                                              "openssl dgst -sha256 -binary | openssl enc -base64 -A"});
  if (made.exitCode != 0 || pin.exitCode != 0 || pin.output.empty()) {
    why_ = "openssl could not make the server's certificate (install openssl: scripts/install-deps): " + made.errorOutput;
    return false;
  }
  pinnedKey_ = "sha256//" + pin.output;
  return true;
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
