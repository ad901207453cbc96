#include "platform/sftp_connection.h"

#include <set>

#include "platform/curl_session.h"
#include "platform/path.h"

namespace platform {
namespace {

// The old file's name while its new content takes its place: the name tells the file back, so
// a run stopped in between is put right by the next listing.
constexpr std::string_view kAsidePrefix = ".ovand~old~";

// The name of the file an entry was set aside for; empty for any other entry. Only a plain name
// is taken back: a server's listing never moves a file out of its folder.
std::optional<std::string> originalOfAside(const FtpEntry& entry) {
  if (entry.folder || !entry.name.starts_with(kAsidePrefix)) return std::nullopt;
  std::string name = entry.name.substr(kAsidePrefix.size());
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return std::nullopt;
  return name;
}

// A path for curl's SFTP commands, from the login folder, in double quotes ("\" and """
// escaped). curl takes a quoted path as it stands, where "/~/" would not name the login folder.
std::string quoted(const std::string& path) {
  std::string text = "\"";
  for (const char c : path) {
    if (c == '"' || c == '\\') text += '\\';
    text += c;
  }
  return text + '"';
}

// A time as curl's "mtime" command reads it; SFTP keeps whole seconds.
std::string commandTime(FileTime time) {
  const CalendarTime utc = utcCalendarFromFileTime(time);
  char text[40];
  std::snprintf(text, sizeof text, "%04d%02d%02d %02d:%02d:%02d GMT", utc.year, utc.month, utc.day, utc.hour, utc.minute,
                utc.second);
  return text;
}

class CurlSftpConnection final : public FtpConnection {
 public:
  explicit CurlSftpConnection(FtpSettings settings) : session_(std::move(settings)) {}

  bool List(const std::string& folder, std::vector<FtpEntry>& entries, std::string& error) override;
  bool FolderRefused() const override { return folderRefused_; }
  bool Download(const std::string& path, const std::function<bool(const char*, std::size_t)>& write, std::string& error) override {
    return session_.download(path, write, error);
  }
  bool Upload(const std::string& path, ContentReader& content, std::optional<FileTime> time, std::string& error) override;
  bool Delete(const std::string& path, std::string& error) override { return session_.run("", {"rm " + quoted(path)}, error); }
  std::optional<std::pair<std::uint64_t, FileTime>> FileState(const std::string& path) override {
    std::string ignored;
    std::int64_t size = -1;
    const auto time = session_.fileTime(path, size, ignored);
    if (!time) return std::nullopt;
    return std::pair{static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0)), *time};
  }
  std::vector<std::string> TakeNotices() override { return session_.takeNotices(); }

 private:
  [[nodiscard]] bool rename(const std::string& from, const std::string& to, std::string& error) {
    return session_.run("", {"rename " + quoted(from) + " " + quoted(to)}, error);
  }
  void removeQuietly(const std::string& path) {
    std::string ignored;
    (void)session_.run("", {"*rm " + quoted(path)}, ignored);
  }

  CurlSession session_;
  bool folderRefused_ = false;
};

bool CurlSftpConnection::List(const std::string& folder, std::vector<FtpEntry>& entries, std::string& error) {
  std::string reply;
  const bool listed = session_.fetch(session_.urlOf(folder, true), nullptr, reply, error);
  folderRefused_ = !listed && session_.lastCode() == CURLE_REMOTE_FILE_NOT_FOUND;
  if (!listed) return false;
  // "ls -l" lines: the kind, the size and the name; the time shown is to the minute at most.
  std::vector<FtpEntry> found;
  std::set<std::string> names;
  for (std::size_t start = 0; start < reply.size();) {
    std::size_t end = reply.find('\n', start);
    if (end == std::string::npos) end = reply.size();
    FtpEntry entry;
    if (ParseListLine(std::string_view(reply).substr(start, end - start), entry)) {
      names.insert(entry.name);
      found.push_back(std::move(entry));
    }
    start = end + 1;
  }
  for (FtpEntry& entry : found) {
    const std::string path = joinPath(folder, entry.name);
    if (const auto original = originalOfAside(entry)) {
      if (names.contains(*original)) {
        entry.leftover = true;
        entries.push_back(std::move(entry));
        continue;
      }
      // A replace stopped after the old file stepped aside and before the new one took its
      // name: the old file takes its name back.
      if (!rename(path, joinPath(folder, *original), error)) return false;
      session_.addNotice(joinPath(folder, *original) + " was being replaced when a run stopped; the old file has its name back.");
      entry.name = *original;
    }
    if (!entry.folder) {
      // Every file's own time, exact to the second. A file that cannot be asked fails the
      // listing: left out, it would look deleted on the server.
      std::int64_t size = -1;
      const auto time = session_.fileTime(joinPath(folder, entry.name), size, error);
      if (!time) {
        error = joinPath(folder, entry.name) + ": " + error;
        return false;
      }
      entry.time = time;
      if (size >= 0) entry.size = static_cast<std::uint64_t>(size);
    }
    entries.push_back(std::move(entry));
  }
  return true;
}

bool CurlSftpConnection::Upload(const std::string& path, ContentReader& content, std::optional<FileTime> time, std::string& error) {
  const std::string temporary = joinPath(parentOf(path), temporaryUploadName());
  std::vector<std::string> after;
  // The time is set before the name is taken: the file never shows under its name with another.
  if (time) after.push_back("mtime \"" + commandTime(*time) + "\" " + quoted(temporary));
  if (!session_.send(temporary, content, after, error)) {
    removeQuietly(temporary);
    return false;
  }
  std::string refused;
  if (rename(temporary, path, refused)) return true;
  // OpenSSH's SFTP renames only to a free name. The old file steps aside, the new one takes the
  // name, and only then the old one goes; the name is free for one request at most, and the old
  // file takes it back when the new one cannot.
  const std::string aside = joinPath(parentOf(path), std::string(kAsidePrefix) + fileNameOf(path));
  if (!rename(path, aside, error)) {
    error = refused + "; " + error;
    removeQuietly(temporary);
    return false;
  }
  if (!rename(temporary, path, error)) {
    std::string ignored;
    (void)rename(aside, path, ignored);
    removeQuietly(temporary);
    return false;
  }
  // One left here goes with the next real run's leftovers.
  removeQuietly(aside);
  return true;
}

}  // namespace

std::unique_ptr<FtpConnection> OpenSftpConnection(FtpSettings settings) {
  return std::make_unique<CurlSftpConnection>(std::move(settings));
}

}  // namespace platform
