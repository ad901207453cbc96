// A folder on a real SFTP server (OpenSSH's sshd on 127.0.0.1) as a side, through the binary.
#include <gtest/gtest.h>

#include "tests/app/program_test.h"
#include "tests/support/ssh_server.h"

namespace {

struct SftpProgram : testsupport::ProgramTest {
  std::unique_ptr<testsupport::SshServer> server;

  void SetUp() override {
    ProgramTest::SetUp();
    server = std::make_unique<testsupport::SshServer>(tree.folder("server"));
    if (!server->installed()) GTEST_SKIP() << server->why();
    ASSERT_TRUE(server->running()) << server->why();
    const std::string port = std::to_string(server->port());
    // One connection logging in with a key, one with a password the server refuses.
    (void)platform::writeFileReplacing(ini,
                                       "[Options]\nVersion=1\nFTPList=2\n"
                                       "[FTPServer1]\nName=Box\nProtocol=SFTP\nServer=127.0.0.1\nPort=" + port +
                                           "\nUser=" + server->user() + "\nKeyFile=" + server->loginKey() +
                                           "\nFolder=backup\nFlags=2\nFirewall=-1\n"
                                           "[FTPServer2]\nName=Wrong\nServer=sftp://127.0.0.1:" + port + "/backup\nUser=" +
                                           server->user() + "\nPass=not the password\nFlags=2\nFirewall=-1\n",
                                       0600);
  }
  std::string all(const platform::ProcessResult& result) { return result.output + result.errorOutput; }
};

}  // namespace

TEST_F(SftpProgram, SyncTrustsTheServerOnceAndASecondRunFindsNothingToDo) {
  tree.writeWithTime("src/a.txt", "alpha", testsupport::kOld);
  tree.write("src/sub dir/ü b.txt", "written just now");
  auto first = run({tree.path("src"), "ftp:Box", "-sync", "-R", "-auto"});
  ASSERT_EQ(first.exitCode, 0) << all(first);
  EXPECT_NE(first.errorOutput.find("first time"), std::string::npos) << "names the key it trusts: " << all(first);
  EXPECT_NE(first.errorOutput.find("SHA256:"), std::string::npos);
  EXPECT_TRUE(tree.exists("home/config/velkor/known_hosts"));
  EXPECT_EQ(tree.read("server/backup/sub dir/ü b.txt"), "written just now");

  auto again = run({tree.path("src"), "ftp:Box", "-sync", "-R", "-auto"});
  EXPECT_EQ(again.exitCode, 0) << all(again);
  EXPECT_NE(again.output.find("Folders seems to be identical!"), std::string::npos) << "times kept exactly: " << all(again);
  EXPECT_EQ(again.errorOutput.find("first time"), std::string::npos) << "the kept key is used";

  tree.write("server/backup/made there.txt", "on the server");
  tree.write("src/a.txt", "alpha, edited");
  auto both = run({tree.path("src"), "ftp:Box", "-sync", "-R", "-auto"});
  EXPECT_EQ(both.exitCode, 0) << all(both);
  EXPECT_EQ(tree.read("src/made there.txt"), "on the server");
  EXPECT_EQ(tree.read("server/backup/a.txt"), "alpha, edited");
}

TEST_F(SftpProgram, AWrongPasswordFailsTheRunWithTheReasonAndNeverShowsThePassword) {
  tree.write("src/a.txt", "alpha");
  auto wrong = run({tree.path("src"), "ftp:Wrong", "-sync", "-R", "-auto"});
  EXPECT_EQ(wrong.exitCode, 2) << all(wrong);
  EXPECT_NE(wrong.errorOutput.find("ftp:Wrong"), std::string::npos) << all(wrong);
  EXPECT_NE(wrong.errorOutput.find("Authentication failure"), std::string::npos) << all(wrong);
  EXPECT_EQ(all(wrong).find("not the password"), std::string::npos);
  EXPECT_FALSE(tree.exists("server/backup/a.txt"));
}
