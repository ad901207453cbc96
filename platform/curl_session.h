#pragma once
// One libcurl easy handle and what every request to a server shares: the login, time limits, the
// proxy and the kind's security (TLS for FTPS, the login and the host key check for SFTP). The
// handle is kept, so its link to the server is reused from one request to the next. Only the
// connections of platform/ see it; they add what their protocol needs.
#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/content_reader.h"
#include "platform/file_time.h"
#include "platform/ftp_connection.h"
#include "platform/ssh_host_keys.h"

namespace platform {

// curl's list of commands, freed with it.
class CommandList {
 public:
  CommandList() = default;
  explicit CommandList(const std::vector<std::string>& commands);
  ~CommandList();
  CommandList(const CommandList&) = delete;
  CommandList& operator=(const CommandList&) = delete;
  void add(const std::string& command);
  [[nodiscard]] curl_slist* list() const { return list_; }

 private:
  curl_slist* list_ = nullptr;
};

class CurlSession {
 public:
  explicit CurlSession(FtpSettings settings);
  ~CurlSession();
  CurlSession(const CurlSession&) = delete;
  CurlSession& operator=(const CurlSession&) = delete;

  [[nodiscard]] const FtpSettings& settings() const { return settings_; }
  // The URL of a path from the login folder ("" for it, else "a/b"), each name percent-encoded;
  // a folder's ends with "/".
  [[nodiscard]] std::string urlOf(const std::string& path, bool folder) const;
  // Begins a request for `url`: clears what the last one set and sets what all share. The
  // handle is returned for the request's own options.
  CURL* start(const std::string& url);
  // Runs the request; false with `error` in curl's words and the server's reply that refused it
  // (never the password).
  [[nodiscard]] bool perform(std::string& error);
  // curl's code of the last request.
  [[nodiscard]] CURLcode lastCode() const { return code_; }
  // The server's last reply code (FTP's three digits); false when there was none.
  bool replyCode(long& code) const;

  // The body of `url` (a folder listing), collected whole; `command` replaces the protocol's own
  // listing command when given.
  [[nodiscard]] bool fetch(const std::string& url, const char* command, std::string& reply, std::string& error);
  [[nodiscard]] bool download(const std::string& path, const std::function<bool(const char*, std::size_t)>& write,
                              std::string& error);
  // Sends the content to `path` (its missing folders made), then runs `after` (curl's post-quote
  // commands). False when the transfer, a command or the content fails; the content is verified
  // at its end, so a source that changed meanwhile fails the upload.
  [[nodiscard]] bool send(const std::string& path, ContentReader& content, const std::vector<std::string>& after,
                          std::string& error);
  // Reaches the folder `folder` ("" for the login folder) and runs curl's quote commands there
  // (FTP's take names in that folder, SFTP's paths from the login folder); nothing else.
  [[nodiscard]] bool run(const std::string& folder, const std::vector<std::string>& commands, std::string& error);
  // The file's time as the server keeps it now (to the second), and its size: -1 when the server
  // does not tell it (curl's SFTP says so for an empty file too). Empty with `error` when the
  // request fails or no time comes.
  [[nodiscard]] std::optional<FileTime> fileTime(const std::string& path, std::int64_t& size, std::string& error);

  // What the user should read (a server's key trusted for the first time); taken once.
  [[nodiscard]] std::vector<std::string> takeNotices();
  void addNotice(std::string text);

 private:
  void useTls();
  void useSsh();

  FtpSettings settings_;
  CURL* curl_ = nullptr;
  CURLcode code_ = CURLE_OK;
  char errorText_[CURL_ERROR_SIZE] = {};
  std::string lastReply_;
  HostKeyCheck hostKey_;
  std::vector<std::string> notices_;
};

// A name the program's own leftovers are known by, for an upload's temporary file.
[[nodiscard]] std::string temporaryUploadName();

}  // namespace platform
