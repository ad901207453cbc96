// The FTP store against a real server (pyftpdlib on 127.0.0.1), and the reading of MLSD lines.
#include <gtest/gtest.h>

#include <map>
#include <unistd.h>

#include "platform/content_reader.h"
#include "platform/file_system.h"
#include "platform/ftp_connection.h"
#include "platform/path.h"
#include "stores/ftp_store.h"
#include "tests/support/ftp_server.h"
#include "tests/support/temp_tree.h"

namespace {

// A connection to the test server's account, in passive mode.
stores::FtpServerRecord serverRecord(const std::string& name, const std::string& server, int port, const std::string& folder = "") {
  stores::FtpServerRecord record;
  record.name = name;
  record.server = server;
  record.user = "velkor";
  record.password = "secret pass";
  record.port = port;
  record.flags = 2;
  record.folder = folder;
  return record;
}

struct FtpFixture : ::testing::Test {
  testsupport::TempTree tree;
  engine::EngineSettings settings;
  engine::StoreContext context{&settings, nullptr, {}};
  std::unique_ptr<testsupport::FtpServer> server;

  void SetUp() override {
    server = std::make_unique<testsupport::FtpServer>(tree.folder("server"));
    if (!server->running()) GTEST_SKIP() << server->why();
  }
  std::unique_ptr<stores::FtpStore> attach() {
    return attachTo(serverRecord("Test", "127.0.0.1", server->port()));
  }
  std::unique_ptr<stores::FtpStore> attachTo(const stores::FtpServerRecord& record) {
    auto store = std::make_unique<stores::FtpStore>(context, std::vector<stores::FtpServerRecord>{record},
                                                    std::vector<stores::FtpProxyRecord>{});
    EXPECT_TRUE(store->Open("ftp: " + record.name, {true, false, false})) << store->LastError();
    EXPECT_TRUE(store->Attach(nullptr, true)) << store->LastError();
    return store;
  }
};

}  // namespace

TEST(FtpListing, MlsdLinesGiveFilesAndFoldersWithExactTimes) {
  platform::FtpEntry entry;
  ASSERT_TRUE(platform::ParseMlsdLine("type=file;size=5;modify=20240301120000.5;perm=r; a b.txt\r", entry));
  EXPECT_EQ(entry.name, "a b.txt");
  EXPECT_EQ(entry.size, 5u);
  EXPECT_EQ(entry.time, testsupport::utcTime(2024, 3, 1, 12, 0, 0, 500));
  EXPECT_FALSE(entry.folder);
  ASSERT_TRUE(platform::ParseMlsdLine("Type=dir;Modify=20240301120000; sub", entry));
  EXPECT_TRUE(entry.folder);
  for (const char* skipped : {"type=cdir; .", "type=pdir; ..", "type=OS.unix=slink:/etc; link", "no facts", "type=file;size=1;"}) {
    EXPECT_FALSE(platform::ParseMlsdLine(skipped, entry)) << skipped;
  }
}

TEST_F(FtpFixture, AServerWithoutMlsdIsListedByListWithTheTimesItKeeps) {
  server = std::make_unique<testsupport::FtpServer>(tree.folder("server"), testsupport::FtpServerKind::Plain);
  ASSERT_TRUE(server->running()) << server->why();
  tree.writeWithTime("server/a b.txt", "12345", testsupport::utcTime(2021, 5, 6, 7, 8, 9));
  tree.writeWithTime("server/sub/c.txt", "1", testsupport::utcTime(2001, 1, 2, 3, 4, 5));
  auto store = attach();
  ASSERT_TRUE(store->GetFileInfo(store->Root() + "/a b.txt"));
  EXPECT_EQ(store->CurrentEntry().size, 5u);
  EXPECT_EQ(store->CurrentEntry().lastWriteTime, testsupport::utcTime(2021, 5, 6, 7, 8, 9)) << "MDTM, to the second";
  ASSERT_TRUE(store->GetFileInfo(store->Root() + "/sub/c.txt"));
  EXPECT_EQ(store->CurrentEntry().lastWriteTime, testsupport::utcTime(2001, 1, 2, 3, 4, 5));

  platform::FtpEntry entry;
  ASSERT_TRUE(platform::ParseListLine("-rw-r--r--   1 root     root     4294967296 Dec 07 01:10  two  blanks.txt\r", entry));
  EXPECT_EQ(entry.name, " two  blanks.txt");
  EXPECT_EQ(entry.size, 4294967296u);
  EXPECT_FALSE(platform::ParseListLine("lrwxrwxrwx 1 u g 4 Dec 07 01:10 link -> x", entry)) << "links are not followed";
  EXPECT_FALSE(platform::ParseListLine("total 12", entry));
}

namespace {

// Content that ends the server when half of it was sent: a connection lost in the middle.
struct Interrupted : platform::ContentReader {
  Interrupted(testsupport::FtpServer& server, std::uint64_t size) : server_(server) { size_ = size; }
  std::int64_t read(char* buffer, std::size_t capacity) override {
    if (sent_ >= size_) return 0;
    if (sent_ >= size_ / 2) server_.stop();
    const std::size_t part = std::min<std::uint64_t>(capacity, size_ - sent_);
    std::fill_n(buffer, part, 'x');
    sent_ += part;
    return static_cast<std::int64_t>(part);
  }
  bool verify() override { return true; }
  testsupport::FtpServer& server_;
  std::uint64_t sent_ = 0;
};

}  // namespace

TEST_F(FtpFixture, AConnectionLostInTheMiddleOfAnUploadLeavesTheServersFile) {
  tree.write("server/big.bin", "the server's own");
  auto store = attach();
  Interrupted content(*server, 64 << 20);
  EXPECT_FALSE(store->NoteWrittenContent(store->Root() + "/big.bin", content));
  EXPECT_FALSE(store->LastError().empty());
  EXPECT_EQ(tree.read("server/big.bin"), "the server's own");
}

TEST_F(FtpFixture, AnUploadThatCannotBeCompletedLeavesTheServersFile) {
  tree.write("server/kept.txt", "the server's own");
  tree.write("server/back\\slash.txt", "a name that is no path here");
  tree.write("local/kept.txt", "newer, longer text");
  auto store = attach();
  std::vector<std::string> warnings = store->TakeWarnings();
  ASSERT_EQ(warnings.size(), 1u) << "a name holding \\ is left out and named";
  EXPECT_NE(warnings[0].find("back\\slash.txt"), std::string::npos);
  server->stop();
  auto content = platform::FileReader::open(tree.path("local/kept.txt"));
  ASSERT_TRUE(content);
  EXPECT_FALSE(store->NoteWrittenContent(store->Root() + "/kept.txt", *content));
  EXPECT_NE(store->LastError().find("ftp:Test/kept.txt"), std::string::npos) << store->LastError();
  EXPECT_EQ(tree.read("server/kept.txt"), "the server's own");
  EXPECT_EQ(store->LastError().find("secret pass"), std::string::npos);
}

TEST_F(FtpFixture, AChangedCopyIsSentBackOnlyOverTheFileItWasMadeOf) {
  tree.writeWithTime("server/a.txt", "first", testsupport::utcTime(2020, 1, 1, 0, 0, 0));
  tree.writeWithTime("server/b.txt", "second", testsupport::utcTime(2020, 1, 1, 0, 0, 0));
  auto store = attach();
  std::string copyA;
  std::string copyB;
  ASSERT_EQ(store->GetFile(store->Root() + "/a.txt", copyA, 0), 1);
  ASSERT_EQ(store->GetFile(store->Root() + "/b.txt", copyB, 0), 1);
  (void)platform::writeFileReplacing(copyA, "first, edited here", 0644);
  (void)platform::writeFileReplacing(copyB, "second, edited here", 0644);
  // Someone else changes b.txt on the server meanwhile.
  tree.writeWithTime("server/b.txt", "second, edited there", testsupport::utcTime(2021, 1, 1, 0, 0, 0));
  EXPECT_FALSE(store->Finish());
  EXPECT_NE(store->LastError().find("b.txt"), std::string::npos) << store->LastError();
  EXPECT_EQ(tree.read("server/a.txt"), "first, edited here");
  EXPECT_EQ(tree.read("server/b.txt"), "second, edited there") << "never written over";
}

TEST_F(FtpFixture, FoldersTheServerShowsTwiceLeftoversAndPathsAboveTheLoginAreNeverWorkedThrough) {
  tree.write("server/al/real/x.txt", "kept");
  ASSERT_EQ(symlink("real", tree.path("server/al/alias").c_str()), 0);
  ASSERT_EQ(symlink("..", tree.path("server/al/real/up").c_str()), 0);
  tree.write("server/al/.ovand~AbC123.tmp", "half an upload");
  stores::FtpServerRecord record = serverRecord("Links", "127.0.0.1", server->port(), "al");
  auto store = attachTo(record);
  EXPECT_FALSE(store->Exists(store->Root() + "/real/x.txt")) << "a deletion through one name would delete the other's";
  EXPECT_FALSE(store->Exists(store->Root() + "/alias/x.txt"));
  EXPECT_FALSE(store->TakeWarnings().empty());
  // The leftover of a killed upload goes in a real run only.
  EXPECT_TRUE(tree.exists("server/al/.ovand~AbC123.tmp"));
  store->BeginBatch(0);
  EXPECT_FALSE(tree.exists("server/al/.ovand~AbC123.tmp"));

  for (const char* above : {"../..", "a/../../b"}) {
    record.folder = above;
    stores::FtpStore refused(context, {record}, {});
    ASSERT_TRUE(refused.Open("ftp:Links", {true, false, false}));
    EXPECT_FALSE(refused.Attach(nullptr, true)) << above;
  }
}

namespace {

// A server in memory, for what a real one will not do on demand (refuse a deletion once).
struct FakeServer {
  std::map<std::string, std::string> files;
  int refusals = 0;
};

struct FakeConnection : platform::FtpConnection {
  explicit FakeConnection(FakeServer& server) : server_(server) {}
  bool List(const std::string& folder, std::vector<platform::FtpEntry>& entries, std::string&) override {
    for (const auto& [path, content] : server_.files) {
      if (platform::parentOf(path) != folder && !(folder.empty() && path.find('/') == std::string::npos)) continue;
      entries.push_back({platform::fileNameOf(path), false, content.size(), testsupport::utcTime(2020, 1, 1, 0, 0, 0), path});
    }
    return true;
  }
  bool FolderRefused() const override { return false; }
  bool Download(const std::string& path, const std::function<bool(const char*, std::size_t)>& write, std::string&) override {
    return write(server_.files[path].data(), server_.files[path].size());
  }
  bool Upload(const std::string&, platform::ContentReader&, std::optional<platform::FileTime>, std::string& error) override {
    error = "not in this test";
    return false;
  }
  bool Delete(const std::string& path, std::string& error) override {
    if (server_.refusals > 0) {
      --server_.refusals;
      error = "450 file busy";
      return false;
    }
    server_.files.erase(path);
    return true;
  }
  std::optional<std::pair<std::uint64_t, platform::FileTime>> FileState(const std::string&) override { return std::nullopt; }
  FakeServer& server_;
};

}  // namespace

TEST(FtpFinish, ADeletionTheServerRefusesIsNamedAndTriedAgainByTheNextFinish) {
  engine::EngineSettings settings;
  FakeServer server;
  server.files = {{"a.txt", "a"}, {"b.txt", "b"}};
  server.refusals = 1;
  stores::FtpStore store({&settings, nullptr, {}}, {serverRecord("Fake", "fake.example", 21)}, {},
                         [&](const platform::FtpSettings&) { return std::make_unique<FakeConnection>(server); });
  ASSERT_TRUE(store.Open("ftp:Fake", {true, false, false}));
  ASSERT_TRUE(store.Attach(nullptr, true)) << store.LastError();
  ASSERT_TRUE(store.DeleteFile("ftp:Fake/a.txt"));
  EXPECT_EQ(server.files.size(), 2u) << "nothing is deleted before Finish";
  EXPECT_FALSE(store.Finish());
  EXPECT_NE(store.LastError().find("ftp:Fake/a.txt: 450 file busy"), std::string::npos) << store.LastError();
  EXPECT_EQ(server.files.count("a.txt"), 1u);
  EXPECT_TRUE(store.Finish()) << store.LastError();
  EXPECT_EQ(server.files.count("a.txt"), 0u);
  EXPECT_EQ(server.files.count("b.txt"), 1u);
}

TEST_F(FtpFixture, FinishReconnectsWhenTheServerDroppedTheIdleConnection) {
  tree.write("server/a.txt", "a");
  tree.write("server/b.txt", "b");
  auto store = attach();
  ASSERT_TRUE(store->DeleteFile(store->Root() + "/a.txt"));
  ASSERT_TRUE(server->restart()) << "port " << server->port() << " could not be taken again";
  EXPECT_TRUE(store->Finish()) << store->LastError();
  EXPECT_FALSE(tree.exists("server/a.txt"));
  EXPECT_TRUE(tree.exists("server/b.txt"));
}

TEST_F(FtpFixture, ANameAServerWouldChangeIsNeverSent) {
  tree.write("local/x.txt", "x");
  auto store = attach();
  auto content = platform::FileReader::open(tree.path("local/x.txt"));
  ASSERT_TRUE(content);
  // Latin-1 bytes: the server would keep another name, and the next run would not find it.
  EXPECT_FALSE(store->NoteWrittenContent(store->Root() + "/caf\xE9.txt", *content));
  EXPECT_FALSE(tree.exists("server/caf\xE9.txt"));
}
