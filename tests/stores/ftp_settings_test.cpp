// What a connection record connects to, and the records refused rather than taken for plain FTP.
#include "stores/ftp_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/special_folders.h"

namespace {

using platform::FtpProtocol;

stores::FtpServerRecord record(const char* server, const char* protocol, int port, const char* folder) {
  stores::FtpServerRecord record;
  record.name = "T";
  record.server = server;
  record.protocol = protocol;
  record.port = port;
  record.folder = folder;
  return record;
}

}  // namespace

TEST(FtpSettings, ServerTextsGiveTheKindHostPortAndStartingFolder) {
  setenv("XDG_CONFIG_HOME", "/home/me/config", 1);
  struct Case {
    stores::FtpServerRecord record;
    FtpProtocol kind;
    const char* host;
    int port;
    const char* base;
  };
  const Case cases[] = {
      {record("ftp.example", "", 21, ""), FtpProtocol::Ftp, "ftp.example", 21, ""},
      {record("ftp.example:2121", "FTP", 21, "pub"), FtpProtocol::Ftp, "ftp.example", 2121, "pub"},
      {record("FTP://ftp.example/pub/", "ftps", 21, "/a/"), FtpProtocol::Ftps, "ftp.example", 21, "pub/a"},
      {record("sftp://box.example:2222/~/docs", "", 22, ""), FtpProtocol::Sftp, "box.example", 2222, "docs"},
      {record(" box.example ", " SFTP ", 22, "backup"), FtpProtocol::Sftp, "box.example", 22, "backup"},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto target = stores::ConnectionTarget(c.record, {}, "ftp:T", error);
    ASSERT_TRUE(target) << c.record.server << ": " << error;
    EXPECT_EQ(target->settings.protocol, c.kind) << c.record.server;
    EXPECT_EQ(target->settings.host, c.host);
    EXPECT_EQ(target->settings.port, c.port) << c.record.server;
    EXPECT_EQ(target->base, c.base) << c.record.server;
    EXPECT_EQ(target->settings.knownHostsFile, c.kind == FtpProtocol::Sftp ? "/home/me/config/velkor/known_hosts" : "");
  }
  stores::FtpServerRecord withKey = record("box.example", "SFTP", 22, "");
  withKey.keyFile = "~/.ssh/id_ed25519";
  std::string error;
  EXPECT_EQ(stores::ConnectionTarget(withKey, {}, "ftp:T", error)->settings.privateKeyFile,
            platform::homeFolder() + "/.ssh/id_ed25519");
}

TEST(FtpSettings, ARecordThatCannotBeUsedAsItStandsIsRefusedAndNamed) {
  auto with = [](const char* server, const char* protocol, const char* pinnedKey, const char* keyFile, const char* folder) {
    stores::FtpServerRecord r = record(server, protocol, 21, folder);
    r.pinnedKey = pinnedKey;
    r.keyFile = keyFile;
    return r;
  };
  // A pinned key or key file on a plain connection would leave the password unencrypted while the
  // user believes otherwise.
  for (const auto& refused : {with("x.example", "SSH", "", "", ""), with("ftps://x.example", "", "", "", ""),
                              with("sftp://x.example", "FTP", "", "", ""), with("ftp://x.example", "SFTP", "", "", ""),
                              with("x.example", "", "sha256//abc=", "", ""), with("x.example", "FTPS", "abc=", "", ""),
                              with("x.example", "FTPS", "", "/home/me/key", ""), with("x.example", "SFTP", "", "key", ""),
                              with("x.example", "SFTP", "", "", "a/../.."), with(":21", "", "", "", ""),
                              with("x.example:99999", "", "", "", "")}) {
    std::string error;
    EXPECT_FALSE(stores::ConnectionTarget(refused, {}, "ftp:T", error)) << refused.server << " " << refused.protocol;
    EXPECT_NE(error.find("ftp:T"), std::string::npos) << error;
  }
  std::string error;
  EXPECT_FALSE(stores::ConnectionTarget(record("x.example", "", 0, ""), {}, "ftp:T", error)) << "a Port that was no port";
  EXPECT_NE(error.find("Port"), std::string::npos) << error;
}
