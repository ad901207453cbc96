// Snapshots: the listing line byte for byte, listings written by the Windows program, and a
// snapshot file that only ever holds a whole listing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/path.h"
#include "stores/listing_text.h"
#include "stores/snapshot_store.h"
#include "tests/support/temp_tree.h"

namespace {

std::string golden(const char* name) {
  return platform::readWholeFile(std::string(VELKOR_SOURCE_DIR) + "/tests/stores/data/" + name).value_or("");
}

struct Listed {
  std::string path;
  std::int64_t size;
  platform::FileTime time;
  bool operator==(const Listed&) const = default;
};

std::vector<Listed> linesOf(const engine::HistoryList& listing) {
  std::vector<Listed> lines;
  for (int i = 0; i < listing.SlotCount(); ++i) {
    if (listing.IsLive(i)) lines.push_back({listing.at(i).path, listing.at(i).size, listing.at(i).time});
  }
  return lines;
}

struct SnapshotFixture : ::testing::Test {
  testsupport::TempTree tree;
  engine::EngineSettings settings;
  engine::StoreContext context{&settings, nullptr, {}};
  testsupport::ScopedTimeZone zone{"UTC"};

  std::unique_ptr<stores::SnapshotStore> open(const std::string& file) {
    auto store = std::make_unique<stores::SnapshotStore>(context);
    EXPECT_TRUE(store->Open(tree.path(file), {true, false, false})) << store->LastError();
    return store;
  }
};

}  // namespace

TEST_F(SnapshotFixture, TheLineOfAFileIsTheHistoryLineWithTheRelativeName) {
  testsupport::ScopedTimeZone berlin("Europe/Berlin");
  engine::HistoryList listing;
  engine::HistoryEntry entry;
  entry.path = "a/b.txt";
  entry.folder = "a/";
  entry.name = "b.txt";
  entry.size = 5;
  entry.time = testsupport::localTime(2004, 3, 3, 7, 8, 9);
  listing.Put(entry);
  EXPECT_EQ(stores::FormatListing(listing), "           5   03-03-2004 07:08:09  0  0  0   a\\b.txt\r\n");

  EXPECT_TRUE(stores::IsListableName("Ordner mit Leerzeichen/Größe ä.txt"));
  EXPECT_TRUE(stores::IsListableName("notes/5:00 meeting.txt"));
  // What a reader would take for something else is never written: it would come back renamed.
  for (const char* unlistable : {"a\\b.txt", "tab\tname", " lead", "trail /x", "x/line\nbreak", "", "caf\xE9.txt", "a:b.txt"}) {
    EXPECT_FALSE(stores::IsListableName(unlistable)) << unlistable;
  }
}

TEST_F(SnapshotFixture, ListingsOfTheWindowsProgramReadInEitherEncodingAndNamesThatLeaveTheFolderStayOut) {
  const std::vector<Listed> expected{
      {"a/b.txt", 5, testsupport::utcTime(2004, 3, 3, 7, 8, 9)},
      {"Ordner mit Leerzeichen/Größe ä.txt", 1234, testsupport::utcTime(2019, 12, 31, 23, 59, 58)},
      {"Preis 100€ – Liste.txt", 4294967296, testsupport::utcTime(2000, 2, 29, 12, 0, 0)},
  };
  for (const char* file : {"listing_utf8.pck", "listing_1252.pck"}) {
    engine::HistoryList listing;
    engine::RejectedNames rejected;
    ASSERT_TRUE(stores::ParseListing(golden(file), listing, rejected)) << file;
    EXPECT_EQ(linesOf(listing), expected) << file;
    EXPECT_EQ(rejected, (engine::RejectedNames{"..\\escape.txt", "C:\\drive.txt"})) << file;
    // Written back: UTF-8, the lines as they were, the refused names gone.
    const std::string utf8 = golden("listing_utf8.pck");
    EXPECT_EQ(stores::FormatListing(listing), utf8.substr(0, utf8.find("           0   01-01-1999"))) << file;
  }
  // Line ends of Unix editors are read too; names differing only in letter case are two files.
  engine::HistoryList listing;
  engine::RejectedNames rejected;
  ASSERT_TRUE(stores::ParseListing("           5   03-03-2004 07:08:09  0  0  0   x y\\z.txt\n"
                                   "           6   03-03-2004 07:08:09  0  0  0   x y\\Z.txt\n",
                                   listing, rejected));
  EXPECT_EQ(linesOf(listing), (std::vector<Listed>{{"x y/z.txt", 5, testsupport::utcTime(2004, 3, 3, 7, 8, 9)},
                                                   {"x y/Z.txt", 6, testsupport::utcTime(2004, 3, 3, 7, 8, 9)}}));
}

TEST_F(SnapshotFixture, OnlyAMissingFileListsAsEmpty) {
  EXPECT_TRUE(open("none.pck")->Attach(nullptr, true));
  tree.write("other.pck", "PK\x03\x04 this is an archive, not a listing");
  auto other = open("other.pck");
  EXPECT_FALSE(other->Attach(nullptr, true)) << "an empty side would plan deleting the other";
  EXPECT_NE(other->LastError().find("other.pck"), std::string::npos) << other->LastError();
  tree.write("empty.pck", "");
  EXPECT_TRUE(open("empty.pck")->Attach(nullptr, true));
  // Lines shaped like listing lines whose time or size cannot be: no listing either.
  tree.write("impossible.pck", "           2   32-13-2023 25:61:61  0  0  0   f1\r\n");
  EXPECT_FALSE(open("impossible.pck")->Attach(nullptr, true));
  tree.write("negative.pck", "          -5   03-03-2004 07:08:09  0  0  0   f1\r\n");
  EXPECT_FALSE(open("negative.pck")->Attach(nullptr, true));
  // Never a pipe (reading it would wait for ever) nor a device.
  ASSERT_EQ(mkfifo(tree.path("pipe.pck").c_str(), 0600), 0);
  stores::SnapshotStore pipe(context);
  EXPECT_FALSE(pipe.Open(tree.path("pipe.pck"), {true, false, false}));
  ASSERT_EQ(symlink("/dev/null", tree.path("null.pck").c_str()), 0);
  stores::SnapshotStore null(context);
  EXPECT_FALSE(null.Open(tree.path("null.pck"), {true, false, false}));
}

TEST_F(SnapshotFixture, AWriteThatFailsIsLostForTheRunAndALinkIsWrittenThrough) {
  tree.write("src/one.txt", "12345");
  tree.write("real/kept.pck", "");
  ASSERT_EQ(symlink("real/kept.pck", tree.path("link.pck").c_str()), 0);
  auto linked = open("link.pck");
  ASSERT_TRUE(linked->Attach(nullptr, true));
  ASSERT_TRUE(linked->NoteWrittenFile(linked->Root() + "/one.txt", tree.path("src/one.txt"), false));
  ASSERT_TRUE(linked->Finish());
  EXPECT_NE(tree.read("real/kept.pck").find("one.txt"), std::string::npos) << "the file the link names is the snapshot";
  platform::FindData link;
  ASSERT_TRUE(platform::statEntry(tree.path("link.pck"), link));
  EXPECT_NE(link.attributes & platform::attr::kLink, 0u) << "the link stays a link";

  tree.folder("gone");
  auto snapshot = open("gone/snap.pck");
  ASSERT_TRUE(snapshot->Attach(nullptr, true));
  snapshot->BeginBatch(0);
  ASSERT_TRUE(snapshot->NoteWrittenFile(tree.path("gone/snap.pck/one.txt"), tree.path("src/one.txt"), false));
  ASSERT_EQ(rmdir(tree.path("gone").c_str()), 0);
  snapshot->EndBatch();
  EXPECT_EQ(snapshot->TakeLostWrites(), std::vector<std::string>{tree.path("gone/snap.pck/one.txt")});
  EXPECT_NE(snapshot->LastError().find("gone/snap.pck"), std::string::npos) << snapshot->LastError();
  EXPECT_FALSE(snapshot->Exists(tree.path("gone/snap.pck/one.txt"))) << "the listing is the file on disk again";
}

TEST_F(SnapshotFixture, TheFileIsWrittenWholeAndOnlyWhenTheListingChanged) {
  tree.writeWithTime("src/sub/one.txt", "12345", testsupport::utcTime(2004, 3, 3, 7, 8, 9, 250));
  tree.write("snap.pck", golden("listing_utf8.pck"));
  // A second name for the old file: what a reader holding it sees must never change.
  ASSERT_EQ(link(tree.path("snap.pck").c_str(), tree.path("old.pck").c_str()), 0);
  auto snapshot = open("snap.pck");
  ASSERT_TRUE(snapshot->Attach(nullptr, true));
  ASSERT_TRUE(snapshot->NoteWrittenFile(tree.path("snap.pck/sub/one.txt"), tree.path("src/sub/one.txt"), false));
  ASSERT_TRUE(snapshot->DeleteFile(tree.path("snap.pck/a/b.txt")));
  EXPECT_FALSE(snapshot->DeleteFile(tree.path("snap.pck/a/b.txt"))) << "a name not listed";
  EXPECT_FALSE(snapshot->NoteWrittenFile(tree.path("snap.pck/back\\slash.txt"), tree.path("src/sub/one.txt"), false));
  std::string local;
  EXPECT_EQ(snapshot->GetFile(tree.path("snap.pck/sub/one.txt"), local, 0), -1) << "a snapshot holds no content";
  EXPECT_EQ(tree.read("snap.pck"), golden("listing_utf8.pck")) << "nothing is written before Finish";
  ASSERT_TRUE(snapshot->Finish()) << snapshot->LastError();
  EXPECT_EQ(tree.read("old.pck"), golden("listing_utf8.pck"));
  const std::string written = tree.read("snap.pck");
  EXPECT_NE(written.find("           5   03-03-2004 07:08:09  0  0  0   sub\\one.txt\r\n"), std::string::npos) << written;
  EXPECT_EQ(written.find("a\\b.txt"), std::string::npos);

  struct stat before {};
  ASSERT_EQ(stat(tree.path("snap.pck").c_str(), &before), 0);
  ASSERT_TRUE(snapshot->Finish());
  struct stat after {};
  ASSERT_EQ(stat(tree.path("snap.pck").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino) << "a second Finish writes nothing";

  auto again = open("snap.pck");
  ASSERT_TRUE(again->Attach(nullptr, true));
  ASSERT_TRUE(again->GetFileInfo(tree.path("snap.pck/sub/one.txt")));
  EXPECT_EQ(again->CurrentEntry().size, 5u);
}
