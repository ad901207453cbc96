// A folder on a real FTP server (pyftpdlib on 127.0.0.1) as a side, through the binary.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/app/program_test.h"
#include "platform/content_reader.h"
#include "tests/support/ftp_server.h"

namespace {

struct Ftp : testsupport::ProgramTest {
  std::unique_ptr<testsupport::FtpServer> server;

  void SetUp() override {
    ProgramTest::SetUp();
    server = std::make_unique<testsupport::FtpServer>(tree.folder("server"));
    if (!server->running()) GTEST_SKIP() << server->why();
    // "start" is not there yet: the first backup makes it.
    tree.folder("server/pub");
    const std::string port = std::to_string(server->port());
    // One connection starting in a folder, one whose server text is a URL with a path.
    (void)platform::writeFileReplacing(ini,
                                       "[Options]\nVersion=1\nFTPList=2\n"
                                       "[FTPServer1]\nName=My Server\nServer=127.0.0.1\nPort=" + port +
                                           "\nUser=velkor\nPass=secret pass\nFolder=start\nFlags=2\nFirewall=-1\n"
                                           "[FTPServer2]\nName=Url\nServer=ftp://127.0.0.1:" + port +
                                           "/pub\nUser=velkor\nPass=secret pass\nFlags=2\nFirewall=-1\n",
                                       0600);
  }
  std::string all(const platform::ProcessResult& result) { return result.output + result.errorOutput; }
};

}  // namespace

TEST_F(Ftp, BackUpUpdateRestoreAndDeleteOnAServer) {
  tree.writeWithTime("src/a.txt", "alpha", testsupport::kOld);
  tree.write("src/sub dir/ü b.txt", "written just now");
  auto backup = run({tree.path("src"), " FTP: my server ", "-back", "-R", "-auto"});
  ASSERT_EQ(backup.exitCode, 0) << all(backup);
  EXPECT_EQ(tree.read("server/start/sub dir/ü b.txt"), "written just now");
  EXPECT_EQ(all(backup).find("secret pass"), std::string::npos) << "a password is never printed";

  auto again = run({tree.path("src"), "ftp:My Server", "-back", "-R", "-auto"});
  EXPECT_EQ(again.exitCode, 0) << all(again);
  EXPECT_NE(again.output.find("Folders seems to be identical!"), std::string::npos) << "times kept exactly: " << all(again);

  tree.write("src/a.txt", "alpha, edited");
  ASSERT_EQ(run({tree.path("src"), "ftp:My Server", "-back", "-R", "-auto"}).exitCode, 0);
  EXPECT_EQ(tree.read("server/start/a.txt"), "alpha, edited");

  auto restore = run({"ftp:My Server", tree.path("restored"), "-copy", "-R", "-auto"});
  ASSERT_EQ(restore.exitCode, 0) << all(restore);
  EXPECT_EQ(tree.read("restored/a.txt"), "alpha, edited");
  EXPECT_EQ(tree.read("restored/sub dir/ü b.txt"), "written just now");

  ASSERT_TRUE(platform::deleteFile(tree.path("src/a.txt")));
  auto mirror = run({tree.path("src"), "ftp:My Server", "-copy", "-R", "-auto"});
  EXPECT_EQ(mirror.exitCode, 0) << all(mirror);
  EXPECT_FALSE(tree.exists("server/start/a.txt")) << "deleted when the store finished";

  auto url = run({tree.path("src"), "ftp:Url", "-back", "-R", "-auto"});
  EXPECT_EQ(url.exitCode, 0) << all(url);
  EXPECT_EQ(tree.read("server/pub/sub dir/ü b.txt"), "written just now") << "the URL's path is where the store starts";

  auto unknown = run({tree.path("src"), "ftp:Nobody", "-back", "-R", "-auto"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.errorOutput.find("ftp:Nobody"), std::string::npos) << all(unknown);
}

TEST_F(Ftp, AServerThatGoesAwayFailsTheItemsAndLeavesTheOldFiles) {
  tree.write("server/start/kept.txt", "the server's own");
  tree.write("src/kept.txt", "newer, longer text");
  tree.write("src/other.txt", "other");
  server->stop();
  auto gone = run({tree.path("src"), "ftp:My Server", "-back", "-R", "-auto"});
  EXPECT_EQ(gone.exitCode, 2) << "a side that cannot be listed is never compared: " << all(gone);
  EXPECT_EQ(tree.read("server/start/kept.txt"), "the server's own");
}

TEST_F(Ftp, AServerWithoutMlsdPrintsNothingOfItsOwnAndCopiesComeAsNewFiles) {
  server = std::make_unique<testsupport::FtpServer>(tree.path("server"), testsupport::FtpServerKind::Plain);
  ASSERT_TRUE(server->running()) << server->why();
  (void)platform::writeFileReplacing(ini,
                                     "[Options]\nVersion=1\nFTPList=1\n[FTPServer1]\nName=Plain\nServer=127.0.0.1\nPort=" +
                                         std::to_string(server->port()) + "\nUser=velkor\nPass=secret pass\nFlags=2\nFirewall=-1\n",
                                     0600);
  tree.write("server/pub/p.txt", "from the server");
  auto restore = run({"ftp:Plain", tree.path("restored"), "-copy", "-R", "-auto", "--quiet"});
  EXPECT_EQ(restore.exitCode, 0) << all(restore);
  EXPECT_EQ(restore.output.find("Last-Modified"), std::string::npos) << restore.output;
  EXPECT_EQ(tree.read("restored/pub/p.txt"), "from the server");
  struct stat st {};
  ASSERT_EQ(stat(tree.path("restored/pub/p.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, platform::modeForCopy(0)) << "made as a new file is made";
}

TEST_F(Ftp, FtpsWithAPinnedKeyKeepsExactTimesAndNoOtherServerKeyIsTrusted) {
  server = std::make_unique<testsupport::FtpServer>(tree.path("server"), testsupport::FtpServerKind::Tls);
  ASSERT_TRUE(server->running()) << server->why();
  const std::string common = "Server=127.0.0.1\nPort=" + std::to_string(server->port()) +
                             "\nUser=velkor\nPass=secret pass\nFolder=tls\nFlags=2\nFirewall=-1\n";
  (void)platform::writeFileReplacing(ini,
                                     "[Options]\nVersion=1\nFTPList=5\n"
                                     "[FTPServer1]\nName=Pinned\nProtocol=FTPS\nPinnedKey=" + server->pinnedKey() + "\n" + common +
                                         "[FTPServer2]\nName=Unpinned\nProtocol=ftps\n" + common +
                                         "[FTPServer3]\nName=Other key\nProtocol=FTPS\n"
                                         "PinnedKey=sha256//AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\n" + common +
                                         "[FTPServer4]\nName=Plain\n" + common +
                                         "[FTPServer5]\nName=Wrong password\nProtocol=FTPS\nPinnedKey=" + server->pinnedKey() +
                                         "\nServer=127.0.0.1\nPort=" + std::to_string(server->port()) +
                                         "\nUser=velkor\nPass=not the password\nFlags=2\nFirewall=-1\n",
                                     0600);
  tree.writeWithTime("src/a.txt", "alpha", testsupport::kOld);
  tree.write("src/sub/b.txt", "beta");
  auto backup = run({tree.path("src"), "ftp:Pinned", "-back", "-R", "-auto"});
  ASSERT_EQ(backup.exitCode, 0) << all(backup);
  EXPECT_EQ(tree.read("server/tls/sub/b.txt"), "beta");
  auto again = run({tree.path("src"), "ftp:Pinned", "-back", "-R", "-auto"});
  EXPECT_NE(again.output.find("Folders seems to be identical!"), std::string::npos) << "times kept exactly: " << all(again);

  tree.write("src/new.txt", "never sent to a server that is not the one pinned");
  for (const char* name : {"ftp:Unpinned", "ftp:Other key", "ftp:Plain"}) {
    auto refused = run({tree.path("src"), name, "-back", "-R", "-auto"});
    EXPECT_EQ(refused.exitCode, 2) << name << ": " << all(refused);
    EXPECT_EQ(all(refused).find("secret pass"), std::string::npos);
    EXPECT_FALSE(tree.exists("server/tls/new.txt")) << name;
  }
  auto unpinned = run({tree.path("src"), "ftp:Unpinned", "-back", "-R", "-auto"});
  EXPECT_NE(unpinned.errorOutput.find("PinnedKey=sha256//"), std::string::npos) << "says how to trust it: " << all(unpinned);

  auto wrong = run({tree.path("src"), "ftp:Wrong password", "-back", "-R", "-auto"});
  EXPECT_EQ(wrong.exitCode, 2) << all(wrong);
  EXPECT_NE(wrong.errorOutput.find("530 Authentication failed"), std::string::npos) << "the server's words: " << all(wrong);
  EXPECT_EQ(all(wrong).find("not the password"), std::string::npos);
}
