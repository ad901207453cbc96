#include "platform/ftp_connection.h"

#include "platform/curl_session.h"
#include "platform/path.h"
#include "platform/sftp_connection.h"

namespace platform {
namespace {

std::string mfmtTime(FileTime time) {
  const CalendarTime utc = utcCalendarFromFileTime(time);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", utc.year, utc.month, utc.day, utc.hour, utc.minute,
                utc.second);
  return text;
}

// FtpConnection through libcurl's easy interface.
class CurlFtpConnection final : public FtpConnection {
 public:
  explicit CurlFtpConnection(FtpSettings settings) : session_(std::move(settings)) {}

  bool List(const std::string& folder, std::vector<FtpEntry>& entries, std::string& error) override;
  bool FolderRefused() const override { return folderRefused_; }
  bool Download(const std::string& path, const std::function<bool(const char*, std::size_t)>& write, std::string& error) override {
    return session_.download(path, write, error);
  }
  bool Upload(const std::string& path, ContentReader& content, std::optional<FileTime> time, std::string& error) override;
  bool Delete(const std::string& path, std::string& error) override {
    return session_.run(parentOf(path), {"DELE " + fileNameOf(path)}, error);
  }
  std::optional<std::pair<std::uint64_t, FileTime>> FileState(const std::string& path) override {
    std::string ignored;
    std::int64_t size = -1;
    const auto time = session_.fileTime(path, size, ignored);
    if (!time || size < 0) return std::nullopt;
    return std::pair{static_cast<std::uint64_t>(size), *time};
  }

 private:
  [[nodiscard]] bool listing(const std::string& folder, bool mlsd, std::string& reply, std::string& error);

  CurlSession session_;
  bool withoutMlsd_ = false;
  bool folderRefused_ = false;
};

bool CurlFtpConnection::listing(const std::string& folder, bool mlsd, std::string& reply, std::string& error) {
  const bool done = session_.fetch(session_.urlOf(folder, true), mlsd ? "MLSD" : nullptr, reply, error);
  folderRefused_ = !done && session_.lastCode() == CURLE_REMOTE_ACCESS_DENIED;
  return done;
}

bool CurlFtpConnection::List(const std::string& folder, std::vector<FtpEntry>& entries, std::string& error) {
  std::string reply;
  if (!withoutMlsd_ && !listing(folder, true, reply, error)) {
    long code = 0;
    (void)session_.replyCode(code);
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

bool CurlFtpConnection::Upload(const std::string& path, ContentReader& content, std::optional<FileTime> time, std::string& error) {
  const std::string temporary = joinPath(parentOf(path), temporaryUploadName());
  std::vector<std::string> after{"RNFR " + fileNameOf(temporary), "RNTO " + fileNameOf(path)};
  // A server without MFMT keeps the time of the upload ("*": its refusal fails nothing).
  if (time) after.push_back("*MFMT " + mfmtTime(*time) + " " + fileNameOf(path));
  if (session_.send(temporary, content, after, error)) return true;
  // The temporary file of a broken transfer goes; the user's file was never touched.
  std::string ignored;
  (void)Delete(temporary, ignored);
  return false;
}

}  // namespace

std::unique_ptr<FtpConnection> FtpConnection::Open(FtpSettings settings) {
  if (settings.protocol == FtpProtocol::Sftp) return OpenSftpConnection(std::move(settings));
  return std::make_unique<CurlFtpConnection>(std::move(settings));
}

}  // namespace platform
