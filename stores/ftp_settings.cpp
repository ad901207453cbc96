#include "stores/ftp_settings.h"

#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace stores {
namespace {

std::string withoutSlashes(std::string text) {
  while (!text.empty() && text.front() == '/') text.erase(0, 1);
  while (!text.empty() && text.back() == '/') text.pop_back();
  return text;
}

std::string joined(const std::string& a, const std::string& b) { return a.empty() ? b : (b.empty() ? a : a + "/" + b); }

std::optional<platform::FtpProtocol> protocolNamed(const std::string& name) {
  if (name.empty() || platform::equalNoCase(name, "FTP")) return platform::FtpProtocol::Ftp;
  if (platform::equalNoCase(name, "FTPS")) return platform::FtpProtocol::Ftps;
  if (platform::equalNoCase(name, "SFTP")) return platform::FtpProtocol::Sftp;
  return std::nullopt;
}

}  // namespace

std::optional<FtpTarget> ConnectionTarget(const FtpServerRecord& record, const std::vector<FtpProxyRecord>& proxies,
                                          const std::string& root, std::string& error) {
  auto refuse = [&](std::string text) {
    error = std::move(text);
    return std::nullopt;
  };
  FtpTarget target;
  platform::FtpSettings& settings = target.settings;
  const std::string protocol = engine::TrimBlanks(record.protocol);
  const auto kind = protocolNamed(protocol);
  if (!kind) return refuse(engine::TranslateFormat("${Unknown kind of connection (FTP, FTPS or SFTP):} Protocol=%s (%s)", {protocol, root}));
  settings.protocol = *kind;
  // "ftp://host:port/pub", "sftp://host/pub", "host:port" or "host": the path is where the store starts.
  std::string server = engine::TrimBlanks(record.server);
  if (const auto scheme = server.find("://"); scheme != std::string::npos) {
    const std::string name = server.substr(0, scheme);
    const bool sftpAddress = platform::equalNoCase(name, "sftp");
    // An "sftp://" address is SFTP even without Protocol=SFTP; "ftp://" suits FTP and FTPS.
    if (sftpAddress && protocol.empty()) settings.protocol = platform::FtpProtocol::Sftp;
    const bool suits = sftpAddress ? settings.protocol == platform::FtpProtocol::Sftp
                                   : platform::equalNoCase(name, "ftp") && settings.protocol != platform::FtpProtocol::Sftp;
    if (!suits) {
      return refuse(engine::TranslateFormat("${The server's address does not suit the kind of connection:} %s (%s)", {server, root}));
    }
    server.erase(0, scheme + 3);
  }
  const auto slash = server.find('/');
  std::string hostPort = server.substr(0, slash);
  std::string urlPath = slash == std::string::npos ? std::string() : server.substr(slash);
  // "sftp://host/~/pub" names the login folder as "~" does for OpenSSH's tools.
  if (urlPath == "/~" || urlPath.starts_with("/~/")) urlPath.erase(0, 2);
  settings.port = record.port;
  const auto colon = hostPort.rfind(':');
  if (colon != std::string::npos && hostPort.find_first_not_of("0123456789", colon + 1) == std::string::npos) {
    settings.port = std::atoi(hostPort.c_str() + colon + 1);
    hostPort.resize(colon);
  }
  if (hostPort.empty()) return refuse(engine::TranslateFormat("${Please enter a valid FTP URL}: %s", {root}));
  if (settings.port < 1 || settings.port > 65535) {
    return refuse(engine::TranslateFormat("${The connection's Port is no port number from 1 to 65535:} %s", {root}));
  }
  settings.host = hostPort;
  const bool anonymous = (record.flags & 1) != 0;
  settings.user = anonymous ? "anonymous" : record.user;
  settings.password = anonymous ? std::string() : record.password;
  settings.passive = (record.flags & 2) != 0;
  if (record.firewall >= 0 && record.firewall < static_cast<int>(proxies.size())) {
    const FtpProxyRecord& proxy = proxies[static_cast<std::size_t>(record.firewall)];
    settings.proxy = proxy.port.empty() ? proxy.server : proxy.server + ":" + proxy.port;
    settings.proxyUser = proxy.user;
    settings.proxyPassword = proxy.password;
  }
  settings.pinnedKey = engine::TrimBlanks(record.pinnedKey);
  if (!settings.pinnedKey.empty() &&
      (settings.protocol != platform::FtpProtocol::Ftps || !settings.pinnedKey.starts_with("sha256//") || settings.pinnedKey.size() <= 8)) {
    return refuse(engine::TranslateFormat("${A pinned key is for FTPS and reads sha256//BASE64:} PinnedKey=%s (%s)", {settings.pinnedKey, root}));
  }
  std::string keyFile = engine::TrimBlanks(record.keyFile);
  if (keyFile.starts_with("~/")) keyFile = platform::joinPath(platform::homeFolder(), keyFile.substr(2));
  if (!keyFile.empty() && (settings.protocol != platform::FtpProtocol::Sftp || !platform::isAbsolutePath(keyFile))) {
    return refuse(engine::TranslateFormat("${A key file is for SFTP and is named by its full path:} KeyFile=%s (%s)", {keyFile, root}));
  }
  settings.privateKeyFile = keyFile;
  if (settings.protocol == platform::FtpProtocol::Sftp) {
    settings.knownHostsFile = platform::joinPath(platform::joinPath(platform::userConfigFolder(), "velkor"), "known_hosts");
  }
  target.base = joined(withoutSlashes(urlPath), withoutSlashes(record.folder));
  // The side's folder is below the login folder: never "..", never the parent of where it says.
  if (!target.base.empty() && !platform::isSafeRelativePath(target.base)) {
    return refuse(engine::TranslateFormat("${An FTP folder must lie below the login folder:} %s (%s)", {target.base, root}));
  }
  return target;
}

}  // namespace stores
