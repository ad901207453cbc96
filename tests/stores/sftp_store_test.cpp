// The FTP store over SFTP against a real OpenSSH server on 127.0.0.1: host keys, replacing files
// and putting right a replace a killed run stopped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>

#include "platform/content_reader.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/process.h"
#include "stores/ftp_store.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/ssh_server.h"
#include "tests/support/temp_tree.h"

namespace {

struct Sftp : ::testing::Test {
  testsupport::TempTree tree;
  engine::EngineSettings settings;
  testsupport::ScriptedPrompt prompt;
  engine::StoreContext context{&settings, &prompt, {}};
  std::unique_ptr<testsupport::SshServer> server;
  std::string knownHosts;

  void SetUp() override {
    server = std::make_unique<testsupport::SshServer>(tree.folder("server"));
    if (!server->installed()) GTEST_SKIP() << server->why();
    ASSERT_TRUE(server->running()) << server->why();
    // The known-hosts file is ours, in the configuration folder.
    setenv("XDG_CONFIG_HOME", tree.folder("config").c_str(), 1);
    knownHosts = tree.path("config/velkor/known_hosts");
  }
  stores::FtpServerRecord record() const {
    stores::FtpServerRecord record;
    record.name = "Box";
    record.server = "127.0.0.1";
    record.port = server->port();
    record.user = server->user();
    record.protocol = "SFTP";
    record.keyFile = server->loginKey();
    return record;
  }
  std::unique_ptr<stores::FtpStore> open() {
    auto store = std::make_unique<stores::FtpStore>(context, std::vector<stores::FtpServerRecord>{record()},
                                                    std::vector<stores::FtpProxyRecord>{});
    EXPECT_TRUE(store->Open("ftp:Box", {true, false, false})) << store->LastError();
    return store;
  }
  std::unique_ptr<stores::FtpStore> attach() {
    auto store = open();
    EXPECT_TRUE(store->Attach(nullptr, true)) << store->LastError();
    return store;
  }
  // What ssh-keygen says a public key's fingerprint is ("SHA256:...").
  static std::string fingerprintOf(const std::string& publicKeyFile) {
    const std::string listed = platform::runProcess({"ssh-keygen", "-l", "-f", publicKeyFile}).output;
    const auto start = listed.find("SHA256:");
    return start == std::string::npos ? "none" : listed.substr(start, listed.find(' ', start) - start);
  }
  // The files below a folder of the test, by their relative paths.
  std::vector<std::string> filesIn(const std::string& relative) const {
    std::vector<std::string> files = platform::filesBelow(tree.path(relative));
    for (std::string& file : files) file.erase(0, tree.path(relative).size() + 1);
    std::sort(files.begin(), files.end());
    return files;
  }
  bool send(engine::Store& store, const std::string& name, const std::string& content, platform::FileTime time) {
    const std::string local = tree.writeWithTime("local/" + name, content, time);
    auto reader = platform::FileReader::open(local);
    return reader && dynamic_cast<stores::FtpStore&>(store).NoteWrittenContent(store.Root() + "/" + name, *reader);
  }
};

// Content that fails half-way, as a source read error would.
struct FailingHalfWay : platform::ContentReader {
  explicit FailingHalfWay(std::uint64_t size) { size_ = size; }
  std::int64_t read(char* buffer, std::size_t capacity) override {
    if (sent_ >= size_ / 2) {
      error_ = "the source failed";
      return -1;
    }
    const std::size_t part = std::min<std::uint64_t>(capacity, size_ / 2 - sent_);
    std::fill_n(buffer, part, 'x');
    sent_ += part;
    return static_cast<std::int64_t>(part);
  }
  bool verify() override { return true; }
  std::uint64_t sent_ = 0;
};

}  // namespace

TEST_F(Sftp, AServerMetFirstIsTrustedByItsKeyAndAChangedKeyIsRefusedBeforeAnythingIsListedOrWritten) {
  tree.write("server/a.txt", "alpha");
  auto first = attach();
  EXPECT_TRUE(first->Exists(first->Root() + "/a.txt"));
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_NE(prompt.shown[0].find("first time"), std::string::npos) << prompt.shown[0];
  EXPECT_NE(prompt.shown[0].find(fingerprintOf(platform::joinPath(platform::parentOf(server->loginKey()), "host_key.pub"))),
            std::string::npos)
      << "names the server's fingerprint: " << prompt.shown[0];
  const std::string hostKey = server->hostKey();
  const std::string keyText = hostKey.substr(0, hostKey.rfind(' '));  // without the comment
  const std::string kept = platform::readWholeFile(knownHosts).value_or("");
  EXPECT_EQ(kept, "[127.0.0.1]:" + std::to_string(server->port()) + " " + keyText + "\n");

  auto second = attach();
  EXPECT_EQ(prompt.shown.size(), 1u) << "the kept key is the one the second connection checks";
  EXPECT_EQ(platform::readWholeFile(knownHosts).value_or(""), kept);

  // The server now shows another key than the one kept (the login key stands in for it).
  const std::string other = platform::readWholeFile(server->loginKey() + ".pub").value_or("");
  ASSERT_TRUE(platform::writeFileReplacing(
      knownHosts, "[127.0.0.1]:" + std::to_string(server->port()) + " " + other.substr(0, other.rfind(' ')) + "\n", 0600));
  auto refused = open();
  EXPECT_FALSE(refused->Attach(nullptr, true));
  EXPECT_NE(refused->LastError().find("another key"), std::string::npos) << refused->LastError();
  EXPECT_NE(refused->LastError().find(knownHosts), std::string::npos) << "says where the kept key is";
  EXPECT_FALSE(send(*refused, "b.txt", "never sent", testsupport::utcTime(2020, 1, 1, 0, 0, 0)));
  EXPECT_FALSE(tree.exists("server/b.txt"));
  EXPECT_EQ(prompt.shown.size(), 1u) << "a changed key is never trusted anew";
}

TEST_F(Sftp, AFileIsReplacedThroughATemporaryNameWithItsExactTime) {
  tree.write("server/sub/a.txt", "the server's own");
  struct stat before {};
  ASSERT_EQ(stat(tree.path("server/sub/a.txt").c_str(), &before), 0);
  auto store = attach();
  const platform::FileTime time = testsupport::utcTime(2021, 6, 7, 8, 9, 10, 250);
  ASSERT_TRUE(send(*store, "sub/a.txt", "replaced", time)) << store->LastError();
  ASSERT_TRUE(send(*store, "new/deep/b.txt", "new", time)) << store->LastError();
  EXPECT_EQ(tree.read("server/sub/a.txt"), "replaced");
  EXPECT_EQ(tree.read("server/new/deep/b.txt"), "new") << "missing folders are made";
  struct stat after {};
  ASSERT_EQ(stat(tree.path("server/sub/a.txt").c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "a new file took the name; the old one was never written into";
  EXPECT_EQ(platform::getLastWriteTime(tree.path("server/sub/a.txt")), testsupport::utcTime(2021, 6, 7, 8, 9, 10))
      << "to the second, as SFTP keeps times";
  EXPECT_EQ(filesIn("server/sub"), std::vector<std::string>{"a.txt"}) << "nothing left beside it";

  FailingHalfWay failing(1 << 20);
  EXPECT_FALSE(store->NoteWrittenContent(store->Root() + "/sub/a.txt", failing));
  EXPECT_NE(store->LastError().find("the source failed"), std::string::npos) << store->LastError();
  EXPECT_EQ(tree.read("server/sub/a.txt"), "replaced");
  EXPECT_EQ(filesIn("server/sub"), std::vector<std::string>{"a.txt"});

  auto reread = attach();
  ASSERT_TRUE(reread->GetFileInfo(reread->Root() + "/sub/a.txt"));
  EXPECT_EQ(reread->CurrentEntry().lastWriteTime, testsupport::utcTime(2021, 6, 7, 8, 9, 10));
  EXPECT_EQ(reread->CurrentEntry().size, 8u);
}

TEST_F(Sftp, AReplaceAKilledRunStoppedIsPutRightByTheNextListing) {
  // Stopped after the old file stepped aside, before the new one took its name.
  tree.write("server/.ovand~old~a.txt", "old a");
  tree.write("server/.ovand~Ab12Cd.tmp", "the new a, sent whole");
  // Stopped after the new file took its name, before the old one went.
  tree.write("server/b.txt", "new b");
  tree.write("server/.ovand~old~b.txt", "old b");
  tree.write("server/empty.txt", "");
  auto store = attach();
  EXPECT_EQ(tree.read("server/a.txt"), "old a") << "the old file has its name back";
  ASSERT_TRUE(store->GetFileInfo(store->Root() + "/a.txt"));
  EXPECT_EQ(store->CurrentEntry().size, 5u);
  ASSERT_TRUE(store->GetFileInfo(store->Root() + "/empty.txt"));
  EXPECT_EQ(store->CurrentEntry().size, 0u);
  EXPECT_FALSE(store->Exists(store->Root() + "/.ovand~old~b.txt")) << "never taken for a user's file";
  EXPECT_EQ(prompt.shown.size(), 2u) << "the key trusted, and a.txt put right";
  store->BeginBatch(0);
  EXPECT_EQ(filesIn("server"), (std::vector<std::string>{"a.txt", "b.txt", "empty.txt"}));
  EXPECT_EQ(tree.read("server/b.txt"), "new b");
}
