#include "platform/curl_session.h"

#include <cctype>
#include <random>

namespace platform {
namespace {

// curl's global set-up, once for the process.
struct CurlLibrary {
  CurlLibrary() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlLibrary() { curl_global_cleanup(); }
};

void useLibrary() { static const CurlLibrary library; }

// Each name of a path in a URL, percent-encoded ("a b/c#d" -> "a%20b/c%23d").
std::string encodedPath(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += hex[byte >> 4];
      out += hex[byte & 15];
    }
  }
  return out;
}

size_t discardText(char*, size_t size, size_t count, void*) { return size * count; }

// Keeps the server's last reply line (FTP's "550 ..."), which says why a request failed better
// than curl's own words. Its control characters become "?": it is printed to a terminal.
size_t keepReply(char* data, size_t size, size_t count, void* target) {
  std::string_view line(data, size * count);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.size() <= 4 || std::isdigit(static_cast<unsigned char>(line[0])) == 0) return size * count;
  std::string& reply = *static_cast<std::string*>(target);
  reply = line;
  for (char& c : reply) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return size * count;
}

// A reply the server refused with ("4xx" or "5xx").
bool isRefusal(const std::string& reply) { return !reply.empty() && (reply[0] == '4' || reply[0] == '5'); }

size_t collect(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

size_t handOver(char* data, size_t size, size_t count, void* target) {
  const auto& write = *static_cast<const std::function<bool(const char*, std::size_t)>*>(target);
  return write(data, size * count) ? size * count : 0;
}

struct UploadSource {
  ContentReader& content;
  bool failed = false;
};

size_t supply(char* buffer, size_t size, size_t count, void* source) {
  auto& upload = *static_cast<UploadSource*>(source);
  const std::int64_t got = upload.content.read(buffer, size * count);
  // The content is checked at its end: a source that changed meanwhile never takes a name.
  if (got < 0 || (got == 0 && !upload.content.verify())) {
    upload.failed = true;
    return CURL_READFUNC_ABORT;
  }
  return static_cast<size_t>(got);
}

}  // namespace

CommandList::CommandList(const std::vector<std::string>& commands) {
  for (const std::string& command : commands) add(command);
}

CommandList::~CommandList() { curl_slist_free_all(list_); }

void CommandList::add(const std::string& command) { list_ = curl_slist_append(list_, command.c_str()); }

CurlSession::CurlSession(FtpSettings settings) : settings_(std::move(settings)) {
  useLibrary();
  curl_ = curl_easy_init();
}

CurlSession::~CurlSession() {
  if (curl_ != nullptr) curl_easy_cleanup(curl_);
}

std::string CurlSession::urlOf(const std::string& path, bool folder) const {
  // An SFTP URL's path is from the root of the server's file system, "/~/" from the login folder.
  const bool sftp = settings_.protocol == FtpProtocol::Sftp;
  std::string url = (sftp ? "sftp://" : "ftp://") + settings_.host + ":" + std::to_string(settings_.port) + (sftp ? "/~/" : "/") +
                    encodedPath(path);
  if (folder && !path.empty()) url += '/';
  return url;
}

CURL* CurlSession::start(const std::string& url) {
  if (curl_ == nullptr) return nullptr;
  curl_easy_reset(curl_);
  curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
  // What a request does not collect goes nowhere (curl would print it on standard output).
  curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, discardText);
  curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, errorText_);
  curl_easy_setopt(curl_, CURLOPT_USERNAME, settings_.user.c_str());
  curl_easy_setopt(curl_, CURLOPT_PASSWORD, settings_.password.c_str());
  curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, 30L);
  // A server that stops answering ends the transfer instead of the run waiting for ever.
  curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, 60L);
  if (!settings_.passive) curl_easy_setopt(curl_, CURLOPT_FTPPORT, "-");
  if (!settings_.proxy.empty()) {
    curl_easy_setopt(curl_, CURLOPT_PROXY, settings_.proxy.c_str());
    curl_easy_setopt(curl_, CURLOPT_PROXYUSERNAME, settings_.proxyUser.c_str());
    curl_easy_setopt(curl_, CURLOPT_PROXYPASSWORD, settings_.proxyPassword.c_str());
    // Through a tunnel only: the encryption must reach the server itself, never end at the proxy.
    if (settings_.protocol != FtpProtocol::Ftp) curl_easy_setopt(curl_, CURLOPT_HTTPPROXYTUNNEL, 1L);
  }
  if (settings_.protocol == FtpProtocol::Ftps) useTls();
  if (settings_.protocol == FtpProtocol::Sftp) useSsh();
  curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, keepReply);
  curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &lastReply_);
  lastReply_.clear();
  errorText_[0] = '\0';
  return curl_;
}

void CurlSession::useTls() {
  // "AUTH TLS" before the login, and every data connection encrypted too; never plain instead.
  curl_easy_setopt(curl_, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  curl_easy_setopt(curl_, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
  if (!settings_.pinnedKey.starts_with("sha256//")) return;
  // A certificate of the server's own, which no authority signed: the pinned key is what tells
  // the server apart, and curl checks it whatever the other checks say.
  curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(curl_, CURLOPT_PINNEDPUBLICKEY, settings_.pinnedKey.c_str());
}

void CurlSession::useSsh() {
  hostKey_.file = settings_.knownHostsFile;
  hostKey_.host = settings_.host;
  hostKey_.port = settings_.port;
  // Every server's key is checked; without a known-hosts file curl would check none.
  curl_easy_setopt(curl_, CURLOPT_SSH_KNOWNHOSTS, settings_.knownHostsFile.c_str());
  curl_easy_setopt(curl_, CURLOPT_SSH_KEYFUNCTION, checkHostKey);
  curl_easy_setopt(curl_, CURLOPT_SSH_KEYDATA, &hostKey_);
  if (settings_.privateKeyFile.empty()) {
    curl_easy_setopt(curl_, CURLOPT_SSH_AUTH_TYPES, static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
    return;
  }
  curl_easy_setopt(curl_, CURLOPT_SSH_AUTH_TYPES, static_cast<long>(CURLSSH_AUTH_PUBLICKEY));
  curl_easy_setopt(curl_, CURLOPT_SSH_PRIVATE_KEYFILE, settings_.privateKeyFile.c_str());
  // Empty: libssh2 derives the public key from the private one (curl would otherwise look for
  // files of its own choosing in the home folder).
  curl_easy_setopt(curl_, CURLOPT_SSH_PUBLIC_KEYFILE, "");
  curl_easy_setopt(curl_, CURLOPT_KEYPASSWD, settings_.password.c_str());
}

bool CurlSession::perform(std::string& error) {
  if (curl_ == nullptr) {
    error = "cannot start the FTP client";
    return false;
  }
  code_ = curl_easy_perform(curl_);
  if (!hostKey_.notice.empty()) notices_.push_back(std::exchange(hostKey_.notice, std::string()));
  if (code_ == CURLE_OK) return true;
  error = errorText_[0] != '\0' ? std::string(errorText_) : std::string(curl_easy_strerror(code_));
  if (!hostKey_.refusal.empty()) {
    error = std::exchange(hostKey_.refusal, std::string());
  } else if (code_ == CURLE_PEER_FAILED_VERIFICATION && settings_.protocol == FtpProtocol::Ftps) {
    error += " (no authority this system trusts signed the server's certificate; a certificate of the server's own "
             "is trusted by pinning its key: PinnedKey=sha256//... in the connection's section)";
  } else if (code_ == CURLE_SSL_PINNEDPUBKEYNOTMATCH) {
    error += " (the server shows another key than the one pinned: not connected)";
  } else if (isRefusal(lastReply_) && error.find(lastReply_) == std::string::npos) {
    error += " (" + lastReply_ + ")";
  }
  // A server might repeat what it was sent; the password goes no further.
  if (!settings_.password.empty()) {
    for (auto at = error.find(settings_.password); at != std::string::npos; at = error.find(settings_.password, at + 3)) {
      error.replace(at, settings_.password.size(), "***");
    }
  }
  return false;
}

std::vector<std::string> CurlSession::takeNotices() { return std::exchange(notices_, {}); }

void CurlSession::addNotice(std::string text) { notices_.push_back(std::move(text)); }

bool CurlSession::replyCode(long& code) const {
  return curl_ != nullptr && curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK && code != 0;
}

bool CurlSession::fetch(const std::string& url, const char* command, std::string& reply, std::string& error) {
  CURL* curl = start(url);
  if (command != nullptr) curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, command);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  return perform(error);
}

bool CurlSession::download(const std::string& path, const std::function<bool(const char*, std::size_t)>& write,
                           std::string& error) {
  CURL* curl = start(urlOf(path, false));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, handOver);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &write);
  return perform(error);
}

bool CurlSession::send(const std::string& path, ContentReader& content, const std::vector<std::string>& after,
                       std::string& error) {
  CURL* curl = start(urlOf(path, false));
  const CommandList commands(after);
  UploadSource source{content};
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(content.size()));
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, supply);
  curl_easy_setopt(curl, CURLOPT_READDATA, &source);
  curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
  curl_easy_setopt(curl, CURLOPT_POSTQUOTE, commands.list());
  if (perform(error) && !source.failed) return true;
  if (source.failed) error = content.error().empty() ? "the source changed while it was sent" : content.error();
  return false;
}

bool CurlSession::run(const std::string& folder, const std::vector<std::string>& commands, std::string& error) {
  CURL* curl = start(urlOf(folder, true));
  const CommandList list(commands);
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTQUOTE, list.list());
  return perform(error);
}

std::optional<FileTime> CurlSession::fileTime(const std::string& path, std::int64_t& size, std::string& error) {
  CURL* curl = start(urlOf(path, false));
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_FILETIME, 1L);
  curl_off_t seconds = -1;
  curl_off_t length = -1;
  if (!perform(error)) return std::nullopt;
  if (curl_easy_getinfo(curl, CURLINFO_FILETIME_T, &seconds) != CURLE_OK || seconds < 0) {
    error = "the server does not tell the file's time";
    return std::nullopt;
  }
  size = curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK ? length : -1;
  return fileTimeFromUnixSeconds(static_cast<std::int64_t>(seconds));
}

std::string temporaryUploadName() {
  static const char* letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::string name = ".ovand~";
  for (int i = 0; i < 6; ++i) name += letters[random() % 62];
  return name + ".tmp";
}

}  // namespace platform
