// What every store promises, checked on each of them the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "engine/folder_walker.h"
#include "engine/local_store.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "stores/archiver_store.h"
#include "stores/ftp_store.h"
#include "stores/package_store.h"
#include "stores/snapshot_store.h"
#include "stores/zip_store.h"
#include "tests/support/memory_store.h"
#include "tests/support/ftp_server.h"
#include "tests/support/ssh_server.h"
#include "tests/support/temp_tree.h"
#include "tests/support/tools.h"
#include "tests/stores/shipped_archivers.h"

namespace {

struct StoreKind {
  const char* name;
  std::unique_ptr<engine::Store> (*make)(const engine::StoreContext& context);
  const char* root;  // below the test's folder
};

std::unique_ptr<engine::Store> makeMemory(const engine::StoreContext& context) {
  return std::make_unique<testsupport::MemoryStore>(context);
}
std::unique_ptr<engine::Store> makeLocal(const engine::StoreContext& context) {
  return std::make_unique<engine::LocalStore>(context);
}
std::unique_ptr<engine::Store> makeZip(const engine::StoreContext& context) {
  return std::make_unique<stores::ZipStore>(context);
}
// One server for the process, serving a folder of its own.
testsupport::FtpServer& contractServer() {
  static testsupport::TempTree served;
  static testsupport::FtpServer server(served.folder("server"));
  return server;
}
std::unique_ptr<engine::Store> makeFtp(const engine::StoreContext& context) {
  const testsupport::FtpServer& server = contractServer();
  stores::FtpServerRecord record;
  record.name = "Contract";
  record.server = "127.0.0.1";
  record.port = server.port();
  record.user = "velkor";
  record.password = "secret pass";
  record.flags = 2;
  return std::make_unique<stores::FtpStore>(context, std::vector<stores::FtpServerRecord>{record},
                                            std::vector<stores::FtpProxyRecord>{});
}
std::unique_ptr<engine::Store> makeTar(const engine::StoreContext& context) {
  return std::make_unique<stores::ArchiverStore>(context, testsupport::ShippedArchiverFor("a.tar.gz"));
}
std::unique_ptr<engine::Store> make7z(const engine::StoreContext& context) {
  return std::make_unique<stores::ArchiverStore>(context, testsupport::ShippedArchiverFor("a.7z"));
}
// One SFTP server for the process, and a known-hosts file of its own.
testsupport::SshServer& contractSshServer() {
  static testsupport::TempTree served;
  static testsupport::SshServer server(served.folder("server"));
  setenv("XDG_CONFIG_HOME", served.folder("config").c_str(), 1);
  return server;
}
std::unique_ptr<engine::Store> makeSftp(const engine::StoreContext& context) {
  const testsupport::SshServer& server = contractSshServer();
  stores::FtpServerRecord record;
  record.name = "Contract";
  record.protocol = "SFTP";
  record.server = "127.0.0.1";
  record.port = server.port();
  record.user = server.user();
  record.keyFile = server.loginKey();
  return std::make_unique<stores::FtpStore>(context, std::vector<stores::FtpServerRecord>{record},
                                            std::vector<stores::FtpProxyRecord>{});
}
std::unique_ptr<engine::Store> makeSnapshot(const engine::StoreContext& context) {
  return std::make_unique<stores::SnapshotStore>(context);
}
std::unique_ptr<engine::Store> makePackage(const engine::StoreContext& context) {
  return std::make_unique<stores::PackageStore>(context);
}

class StoreContract : public ::testing::TestWithParam<StoreKind> {
 protected:
  testsupport::TempTree tree;
  engine::EngineSettings settings;
  engine::StoreContext context{&settings, nullptr, {}};
};

std::vector<std::string> walk(engine::Store& store) {
  engine::FolderWalker walker(store);
  walker.Start(store.Root(), "*.*", true, false);
  std::vector<std::string> files;
  while (walker.Next() == engine::FolderWalker::kFile) files.push_back(walker.RelativeFolder() + walker.GetFindData().name);
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TEST_P(StoreContract, PutListReadDeleteFinish) {
  engine::LocalStore source(context);
  tree.write("source/a.txt", "alpha");
  tree.write("source/sub/b.txt", "beta!");
  ASSERT_TRUE(source.Open(tree.path("source"), {true, false}));
  ASSERT_TRUE(source.Attach(nullptr, true));

  if (GetParam().make == &makeFtp && !contractServer().running()) GTEST_SKIP() << contractServer().why();
  if (GetParam().make == &makeTar && !testsupport::haveTool("tar")) GTEST_SKIP() << "tar is not installed";
  if (GetParam().make == &make7z && !testsupport::haveTool("7z")) GTEST_SKIP() << "7z is not installed";
  if (GetParam().make == &makeSftp) {
    if (!contractSshServer().installed()) GTEST_SKIP() << contractSshServer().why();
    ASSERT_TRUE(contractSshServer().running()) << contractSshServer().why();
  }
  auto store = GetParam().make(context);
  // "ftp:NAME" names a connection, anything else a path below the test's folder.
  const std::string root = std::string(GetParam().root).starts_with("ftp:") ? GetParam().root : tree.path(GetParam().root);
  ASSERT_TRUE(store->Open(root, {true, false, true})) << store->LastError();
  ASSERT_TRUE(store->Attach(nullptr, true)) << store->LastError();
  for (const char* name : {"a.txt", "sub/b.txt"}) {
    const std::string destination = platform::joinPath(store->Root(), name);
    if (!store->IsListBased()) {
      ASSERT_TRUE(store->CreateFolder(platform::parentOf(destination)));
    }
    ASSERT_TRUE(store->PutFile(destination, nullptr, source, tree.path(std::string("source/") + name), 0, {}))
        << store->LastError();
  }
  EXPECT_EQ(walk(*store), (std::vector<std::string>{"a.txt", "sub/b.txt"}));
  EXPECT_EQ(store->GetFileInfo(platform::joinPath(store->Root(), "SUB/B.TXT")), store->IgnoresCase())
      << "names ignore letter case where the side does";
  ASSERT_TRUE(store->GetFileInfo(platform::joinPath(store->Root(), "sub/b.txt")));
  EXPECT_EQ(store->CurrentEntry().size, 5u);
  std::string local;
  if (store->HasContent(platform::joinPath(store->Root(), "a.txt"))) {
    ASSERT_EQ(store->GetFile(platform::joinPath(store->Root(), "a.txt"), local, 0), 1);
    EXPECT_EQ(platform::readWholeFile(local).value_or(""), "alpha");
    store->ReleaseFile(local);
  } else {
    EXPECT_EQ(store->GetFile(platform::joinPath(store->Root(), "a.txt"), local, 0), -1) << "a store without content says so";
  }
  EXPECT_EQ(store->GetFile(platform::joinPath(store->Root(), "missing.txt"), local, 0), -1);

  ASSERT_TRUE(store->DeleteFile(platform::joinPath(store->Root(), "a.txt")));
  EXPECT_FALSE(store->Exists(platform::joinPath(store->Root(), "a.txt")));
  EXPECT_FALSE(store->DeleteFile(platform::joinPath(store->Root(), "a.txt")));
  ASSERT_TRUE(store->Finish()) << store->LastError();
  EXPECT_EQ(walk(*store), (std::vector<std::string>{"sub/b.txt"}));
  if (GetParam().make == &makeMemory) return;
  auto reopened = GetParam().make(context);
  ASSERT_TRUE(reopened->Open(root, {true, false, false}));
  ASSERT_TRUE(reopened->Attach(nullptr, true)) << reopened->LastError();
  EXPECT_EQ(walk(*reopened), (std::vector<std::string>{"sub/b.txt"})) << "what Finish wrote is what is read again";
}

INSTANTIATE_TEST_SUITE_P(EveryStore, StoreContract,
                         ::testing::Values(StoreKind{"Memory", &makeMemory, "memory"},
                                           StoreKind{"Local", &makeLocal, "folder"},
                                           StoreKind{"Zip", &makeZip, "archive.zip"},
                                           StoreKind{"Snapshot", &makeSnapshot, "listing.pck"},
                                           StoreKind{"Package", &makePackage, "update.pkg"},
                                           StoreKind{"Ftp", &makeFtp, "ftp:Contract"},
                                           StoreKind{"Tar", &makeTar, "archive.tar.gz"},
                                           StoreKind{"SevenZip", &make7z, "archive.7z"},
                                           StoreKind{"Sftp", &makeSftp, "ftp:Contract"}),
                         [](const ::testing::TestParamInfo<StoreKind>& kind) { return std::string(kind.param.name); });
