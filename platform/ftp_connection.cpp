#include "platform/ftp_connection.h"

#include <curl/curl.h>

#include <random>

#include "platform/path.h"

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

// A name the program's own leftovers are known by, for the upload's temporary file.
std::string temporaryName() {
  static const char* letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::string name = ".ovand~";
  for (int i = 0; i < 6; ++i) name += letters[random() % 62];
  return name + ".tmp";
}

// "20240101120000" or "20240101120000.123" (UTC) as a file time.
std::optional<FileTime> mlsdTime(std::string_view text) {
  if (text.size() < 14) return std::nullopt;
  CalendarTime utc;
  auto number = [&](std::size_t from, std::size_t length) {
    int value = 0;
    for (std::size_t i = from; i < from + length; ++i) {
      if (text[i] < '0' || text[i] > '9') return -1;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  utc.year = number(0, 4);
  utc.month = number(4, 2);
  utc.day = number(6, 2);
  utc.hour = number(8, 2);
  utc.minute = number(10, 2);
  utc.second = number(12, 2);
  auto time = fileTimeFromUtcCalendar(utc);
  if (!time) return std::nullopt;
  if (text.size() > 15 && text[14] == '.') {
    // Fractions of a second, as many digits as the server gives (up to the file time's 100 ns).
    std::uint64_t ticks = 0;
    std::uint64_t scale = kTicksPerSecond / 10;
    for (std::size_t i = 15; i < text.size() && text[i] >= '0' && text[i] <= '9' && scale > 0; ++i, scale /= 10) {
      ticks += static_cast<std::uint64_t>(text[i] - '0') * scale;
    }
    *time += ticks;
  }
  return time;
}

std::string mfmtTime(FileTime time) {
  const CalendarTime utc = utcCalendarFromFileTime(time);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", utc.year, utc.month, utc.day, utc.hour, utc.minute,
                utc.second);
  return text;
}

size_t discardText(char*, size_t size, size_t count, void*) { return size * count; }

// curl's list of commands, freed with it.
struct CommandList {
  curl_slist* list = nullptr;
  ~CommandList() { curl_slist_free_all(list); }
  void add(const std::string& command) { list = curl_slist_append(list, command.c_str()); }
};

}  // namespace

bool ParseMlsdLine(std::string_view line, FtpEntry& entry) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  const auto gap = line.find(' ');
  if (gap == std::string_view::npos || gap + 1 >= line.size()) return false;
  entry = FtpEntry{};
  entry.name = std::string(line.substr(gap + 1));
  std::string_view facts = line.substr(0, gap);
  std::string type;
  while (!facts.empty()) {
    const auto end = facts.find(';');
    const std::string_view fact = facts.substr(0, end);
    facts = end == std::string_view::npos ? std::string_view() : facts.substr(end + 1);
    const auto equals = fact.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key(fact.substr(0, equals));
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string_view value = fact.substr(equals + 1);
    if (key == "type") {
      type = std::string(value);
      for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (key == "size") {
      std::uint64_t size = 0;
      for (const char c : value) {
        if (c < '0' || c > '9') break;
        size = size * 10 + static_cast<std::uint64_t>(c - '0');
      }
      entry.size = size;
    } else if (key == "modify") {
      entry.time = mlsdTime(value);
    } else if (key == "unique") {
      entry.unique = std::string(value);
    }
  }
  // Links ("OS.unix=slink...") and the listed folder itself are no entries to follow.
  if (type == "dir") entry.folder = true;
  return type == "file" || type == "dir";
}

bool ParseListLine(std::string_view line, FtpEntry& entry) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.size() < 10 || (line[0] != '-' && line[0] != 'd')) return false;
  // Eight columns (mode, links, owner, group, size, month, day, time or year), then the name.
  std::size_t at = 0;
  std::string_view columns[8];
  for (std::string_view& column : columns) {
    while (at < line.size() && line[at] == ' ') ++at;
    const std::size_t end = std::min(line.find(' ', at), line.size());
    column = line.substr(at, end - at);
    at = end;
  }
  if (at >= line.size() || columns[4].empty() || columns[4].find_first_not_of("0123456789") != std::string_view::npos) return false;
  entry = FtpEntry{};
  entry.name = std::string(line.substr(at + 1));
  entry.folder = line[0] == 'd';
  for (const char c : columns[4]) entry.size = entry.size * 10 + static_cast<std::uint64_t>(c - '0');
  return !entry.name.empty() && entry.name != "." && entry.name != "..";
}


// FtpConnection through libcurl's easy interface.
class CurlFtpConnection final : public FtpConnection {
 public:
  explicit CurlFtpConnection(FtpSettings settings);
  ~CurlFtpConnection() override;
  CurlFtpConnection(const CurlFtpConnection&) = delete;
  CurlFtpConnection& operator=(const CurlFtpConnection&) = delete;

  bool List(const std::string& folder, std::vector<FtpEntry>& entries, std::string& error) override;
  bool FolderRefused() const override { return folderRefused_; }
  bool Download(const std::string& path, const std::function<bool(const char*, std::size_t)>& write, std::string& error) override;
  bool Upload(const std::string& path, ContentReader& content, std::optional<FileTime> time, std::string& error) override;
  bool Delete(const std::string& path, std::string& error) override;
  std::optional<std::pair<std::uint64_t, FileTime>> FileState(const std::string& path) override;

 private:
  [[nodiscard]] std::string urlOf(const std::string& path, bool folder) const;
  // Sets what every request shares and clears what one request set.
  void reset();
  [[nodiscard]] bool perform(std::string& error);
  [[nodiscard]] bool listing(const std::string& folder, bool mlsd, std::string& reply, std::string& error);

  FtpSettings settings_;
  void* curl_ = nullptr;
  bool withoutMlsd_ = false;
  bool folderRefused_ = false;
  // curl's code of the last request.
  int errorCode_ = 0;
  char errorText_[256] = {};
};

std::unique_ptr<FtpConnection> FtpConnection::Open(FtpSettings settings) {
  return std::make_unique<CurlFtpConnection>(std::move(settings));
}

CurlFtpConnection::CurlFtpConnection(FtpSettings settings) : settings_(std::move(settings)) {
  useLibrary();
  curl_ = curl_easy_init();
}

CurlFtpConnection::~CurlFtpConnection() {
  if (curl_ != nullptr) curl_easy_cleanup(static_cast<CURL*>(curl_));
}

std::string CurlFtpConnection::urlOf(const std::string& path, bool folder) const {
  std::string url = "ftp://" + settings_.host + ":" + std::to_string(settings_.port) + "/" + encodedPath(path);
  if (folder && !path.empty()) url += '/';
  return url;
}

void CurlFtpConnection::reset() {
  CURL* curl = static_cast<CURL*>(curl_);
  curl_easy_reset(curl);
  // What a request does not collect goes nowhere (curl would print it on standard output).
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discardText);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText_);
  curl_easy_setopt(curl, CURLOPT_USERNAME, settings_.user.c_str());
  curl_easy_setopt(curl, CURLOPT_PASSWORD, settings_.password.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
  // A server that stops answering ends the transfer instead of the run waiting for ever.
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
  if (!settings_.passive) curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
  if (!settings_.proxy.empty()) {
    curl_easy_setopt(curl, CURLOPT_PROXY, settings_.proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, settings_.proxyUser.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, settings_.proxyPassword.c_str());
  }
  errorText_[0] = '\0';
}

bool CurlFtpConnection::perform(std::string& error) {
  if (curl_ == nullptr) {
    error = "cannot start the FTP client";
    return false;
  }
  const CURLcode code = curl_easy_perform(static_cast<CURL*>(curl_));
  errorCode_ = static_cast<int>(code);
  if (code == CURLE_OK) return true;
  error = errorText_[0] != '\0' ? std::string(errorText_) : std::string(curl_easy_strerror(code));
  return false;
}

namespace {

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

bool CurlFtpConnection::listing(const std::string& folder, bool mlsd, std::string& reply, std::string& error) {
  reset();
  CURL* curl = static_cast<CURL*>(curl_);
  const std::string url = urlOf(folder, true);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  if (mlsd) curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "MLSD");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  errorCode_ = 0;
  const bool done = perform(error);
  folderRefused_ = !done && errorCode_ == CURLE_REMOTE_ACCESS_DENIED;
  return done;
}

std::optional<std::pair<std::uint64_t, FileTime>> CurlFtpConnection::FileState(const std::string& path) {
  reset();
  CURL* curl = static_cast<CURL*>(curl_);
  const std::string url = urlOf(path, false);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_FILETIME, 1L);
  std::string error;
  curl_off_t seconds = -1;
  curl_off_t size = -1;
  if (!perform(error) || curl_easy_getinfo(curl, CURLINFO_FILETIME_T, &seconds) != CURLE_OK || seconds < 0 ||
      curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) != CURLE_OK || size < 0) {
    return std::nullopt;
  }
  return std::pair{static_cast<std::uint64_t>(size), fileTimeFromUnixSeconds(static_cast<std::int64_t>(seconds))};
}

bool CurlFtpConnection::List(const std::string& folder, std::vector<FtpEntry>& entries, std::string& error) {
  std::string reply;
  if (!withoutMlsd_ && !listing(folder, true, reply, error)) {
    long code = 0;
    curl_easy_getinfo(static_cast<CURL*>(curl_), CURLINFO_RESPONSE_CODE, &code);
    // "Command not understood" and its kin: a server of the time before MLSD.
    if (code != 500 && code != 501 && code != 502 && code != 504) return false;
    withoutMlsd_ = true;
    reply.clear();
  }
  if (withoutMlsd_ && !listing(folder, false, reply, error)) return false;
  std::size_t start = 0;
  while (start < reply.size()) {
    std::size_t end = reply.find('\n', start);
    if (end == std::string::npos) end = reply.size();
    const std::string_view line = std::string_view(reply).substr(start, end - start);
    FtpEntry entry;
    if (withoutMlsd_ ? ParseListLine(line, entry) : ParseMlsdLine(line, entry)) entries.push_back(std::move(entry));
    start = end + 1;
  }
  if (withoutMlsd_) {
    for (FtpEntry& entry : entries) {
      if (entry.folder) continue;
      const auto state = FileState(joinPath(folder, entry.name));
      if (state) entry.time = state->second;
    }
  }
  return true;
}

bool CurlFtpConnection::Download(const std::string& path, const std::function<bool(const char*, std::size_t)>& write,
                         std::string& error) {
  reset();
  CURL* curl = static_cast<CURL*>(curl_);
  const std::string url = urlOf(path, false);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, handOver);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &write);
  return perform(error);
}

bool CurlFtpConnection::Upload(const std::string& path, ContentReader& content, std::optional<FileTime> time, std::string& error) {
  reset();
  CURL* curl = static_cast<CURL*>(curl_);
  const std::string temporary = temporaryName();
  const std::string folder = parentOf(path);
  const std::string url = urlOf(joinPath(folder, temporary), false);
  CommandList after;
  after.add("RNFR " + temporary);
  after.add("RNTO " + fileNameOf(path));
  // A server without MFMT keeps the time of the upload ("*": its refusal fails nothing).
  if (time) after.add("*MFMT " + mfmtTime(*time) + " " + fileNameOf(path));
  UploadSource source{content};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(content.size()));
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, supply);
  curl_easy_setopt(curl, CURLOPT_READDATA, &source);
  curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
  curl_easy_setopt(curl, CURLOPT_POSTQUOTE, after.list);
  if (perform(error) && !source.failed) return true;
  if (source.failed) error = content.error().empty() ? "the source changed while it was sent" : content.error();
  // The temporary file of a broken transfer goes; the user's file was never touched.
  std::string ignored;
  (void)Delete(joinPath(folder, temporary), ignored);
  return false;
}

bool CurlFtpConnection::Delete(const std::string& path, std::string& error) {
  reset();
  CURL* curl = static_cast<CURL*>(curl_);
  const std::string url = urlOf(parentOf(path), true);
  CommandList after;
  after.add("DELE " + fileNameOf(path));
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTQUOTE, after.list);
  return perform(error);
}

}  // namespace platform
