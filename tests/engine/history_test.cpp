#include "engine/history_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/list_parser.h"
#include "engine/local_store.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "tests/support/temp_tree.h"

using engine::HistoryEntry;
using engine::HistoryList;
using testsupport::TempTree;

namespace {

HistoryEntry entry(const std::string& folder, const std::string& name, std::int64_t size, platform::FileTime time) {
  HistoryEntry e;
  e.folder = platform::withTrailingSeparator(folder);
  e.name = name;
  e.path = e.folder + name;
  e.size = size;
  e.time = time;
  return e;
}

// A local store on the folder, which reads and writes its history files.
struct Folder {
  explicit Folder(const std::string& root) {
    EXPECT_TRUE(store.Open(root, {true, false})) << store.LastError();
  }
  engine::LocalStore store{engine::StoreContext{}};
};

}  // namespace

TEST(HistoryFile, LineLayoutIsByteExact) {
  testsupport::ScopedTimeZone zone("UTC");
  const auto line = engine::FormatHistoryLine(entry("/x", "my file.txt", 1234, testsupport::utcTime(2006, 12, 5, 13, 45, 10)));
  EXPECT_EQ(line, "        1234   05-12-2006 13:45:10  0  0  0   my file.txt\r\n");
  EXPECT_EQ(engine::FormatHistoryLine(entry("/x", "e", 0, testsupport::utcTime(2006, 1, 2, 3, 4, 5))).substr(0, 12),
            "           0");
}

TEST(HistoryFile, RoundTripKeepsNamesSizesAndTimesAcrossDaylightSaving) {
  testsupport::ScopedTimeZone zone("Europe/Berlin");
  TempTree tree;
  HistoryList list;
  const std::vector<HistoryEntry> written = {
      entry(tree.root(), "name with  spaces.txt", 77, testsupport::utcTime(2024, 7, 1, 12, 0, 1)),
      entry(tree.root(), "empty", 0, testsupport::utcTime(2024, 1, 15, 23, 30, 59)),
      entry(tree.root(), "Ünïcödé €.dat", 5000000000LL, testsupport::utcTime(2039, 6, 30, 0, 0, 0)),
  };
  for (const auto& e : written) list.Put(e);
  Folder folder(tree.root());
  ASSERT_TRUE(engine::SaveHistory(list, folder.store));
  EXPECT_EQ(list.Count(), 0);

  HistoryList read;
  const auto text = folder.store.ReadHistoryText(platform::withTrailingSeparator(tree.root()));
  ASSERT_TRUE(text && engine::LooksLikeHistoryFile(*text));
  engine::ParseHistoryText(*text, tree.root(), read);
  ASSERT_EQ(read.Count(), 3);
  for (const auto& e : written) {
    const int index = read.Find(tree.root(), e.name);
    ASSERT_GE(index, 0) << e.name;
    EXPECT_EQ(read.at(index).size, e.size);
    EXPECT_EQ(read.at(index).time, e.time) << e.name;
    EXPECT_EQ(read.at(index).path, platform::withTrailingSeparator(tree.root()) + e.name);
  }
  EXPECT_GE(read.Find(platform::withTrailingSeparator(tree.root()), "EMPTY"), 0) << "look-ups ignore letter case";
}

TEST(HistoryFile, TwoDigitYearsPivotAt1940) {
  const engine::ListLineFormat format = engine::ListLineFormat::Parse("L|dd-MM-yy|hh-mm-ss|N!");
  for (const auto& [text, year] : {std::pair{"1 01-02-39 13:45:10 a", 2039}, std::pair{"1 01-02-40 13:45:10 a", 1940},
                                   std::pair{"1 01-02-00 00:00:00 a", 2000}}) {
    engine::ParsedEntry parsed;
    engine::ParseRecord(text, format, parsed);
    EXPECT_EQ(parsed.local.year, year) << text;
    EXPECT_EQ(parsed.local.hour, std::string(text).find("13:") != std::string::npos ? 13 : 0);
  }
}

TEST(HistoryFile, SaveRewritesEmptiedFoldersSkipsUnwritableNamesAndCarriesOn) {
  TempTree tree;
  tree.write("keep/synch.log", "           1   01-01-2020 00:00:00  0  0  0   gone.txt\r\n");
  const std::string after = tree.folder("after");
  HistoryList list;
  list.MarkFolder(tree.path("keep"));
  list.Put(entry(tree.path("ok"), " leading", 1, testsupport::utcTime(2020, 1, 1, 0, 0, 0)));
  list.Put(entry(tree.path("ok"), "fine", 1, testsupport::utcTime(2020, 1, 1, 0, 0, 0)));
  list.Put(entry(tree.path("ok"), "tab\tname", 1, testsupport::utcTime(2020, 1, 1, 0, 0, 0)));
  list.Put(entry(tree.path("missing-folder"), "x", 1, testsupport::utcTime(2020, 1, 1, 0, 0, 0)));
  list.Put(entry(after, "y", 1, testsupport::utcTime(2020, 1, 1, 0, 0, 0)));
  tree.folder("ok");

  engine::HistorySaveReport report;
  Folder folder(tree.root());
  EXPECT_FALSE(engine::SaveHistory(list, folder.store, &report));
  EXPECT_EQ(tree.read("keep/synch.log"), "") << "the folder's last file was deleted: its history is emptied";
  EXPECT_EQ(report.skippedNames.size(), 2u);
  EXPECT_EQ(report.failedFolders.size(), 1u);
  EXPECT_TRUE(tree.exists("after/synch.log")) << "a failing folder does not stop the others";
  const std::string ok = tree.read("ok/synch.log");
  EXPECT_NE(ok.find("   fine\r\n"), std::string::npos);
  EXPECT_EQ(ok.find("leading"), std::string::npos);
}

TEST(HistoryFile, LoadTakesPresentFilesWhereAFolderHasNoHistory) {
  testsupport::ScopedTimeZone zone("UTC");
  TempTree tree;
  tree.writeWithTime("with/listed.txt", "abc", testsupport::utcTime(2020, 5, 5, 5, 5, 5));
  tree.write("with/synch.log", "          99   01-02-2003 04:05:06  0  0  0   old name.txt\r\n");
  tree.writeWithTime("without/present.txt", "abcd", testsupport::utcTime(2021, 6, 6, 6, 6, 6));
  engine::LocalStore store{engine::StoreContext{}};
  ASSERT_TRUE(store.Open(tree.root(), {true, false}));
  HistoryList list;
  engine::LoadHistory(store, store, store.Root(), true, list);
  const std::string with = platform::withTrailingSeparator(tree.path("with"));
  const std::string without = platform::withTrailingSeparator(tree.path("without"));
  EXPECT_LT(list.Find(with, "listed.txt"), 0) << "a folder with a history file is known by its file only";
  ASSERT_GE(list.Find(with, "old name.txt"), 0);
  EXPECT_EQ(list.at(list.Find(with, "old name.txt")).size, 99);
  ASSERT_GE(list.Find(without, "present.txt"), 0);
  EXPECT_EQ(list.at(list.Find(without, "present.txt")).time, testsupport::utcTime(2021, 6, 6, 6, 6, 6));
}

TEST(HistoryFile, AFileOfTheUsersOwnNamedSynchLogIsNeitherReadNorOverwritten) {
  testsupport::ScopedTimeZone zone("UTC");
  TempTree tree;
  const std::string own = "2024-05-01 12:00:01 started\n2024-05-01 12:00:02 stopped\n";
  tree.write("app/synch.log", own);
  tree.writeWithTime("app/data.txt", "abc", testsupport::utcTime(2020, 5, 5, 5, 5, 5));
  Folder folder(tree.root());
  HistoryList list;
  engine::LoadHistory(folder.store, folder.store, folder.store.Root(), true, list);
  const std::string app = platform::withTrailingSeparator(tree.path("app"));
  EXPECT_GE(list.Find(app, "data.txt"), 0) << "the folder counts as one without history: its files are taken";
  EXPECT_EQ(list.Count(), 1);

  engine::HistorySaveReport report;
  EXPECT_FALSE(engine::SaveHistory(list, folder.store, &report));
  EXPECT_EQ(tree.read("app/synch.log"), own);
  ASSERT_EQ(report.failedFolders.size(), 1u);
  EXPECT_NE(report.failedFolders[0].find("a file of its own is named synch.log"), std::string::npos);
  EXPECT_NE(report.failedFolders[0].find(tree.path("app/synch.log")), std::string::npos);

  tree.write("app/synch.log", "");
  EXPECT_TRUE(engine::SaveHistory(list, folder.store, &report)) << "an empty file is taken for one of ours";
}

TEST(HistoryFile, IsReplacedWholeNeverWrittenInPlace) {
  TempTree tree;
  const std::string old = "           1   01-01-2020 00:00:00  0  0  0   old.txt\r\n";
  tree.write("synch.log", old);
  // A second name for the old file: writing in place would change what it shows.
  ASSERT_EQ(link(tree.path("synch.log").c_str(), tree.path("old-history").c_str()), 0);
  HistoryList list;
  list.Put(entry(tree.root(), "new.txt", 2, testsupport::utcTime(2021, 1, 1, 0, 0, 0)));
  Folder folder(tree.root());
  ASSERT_TRUE(engine::SaveHistory(list, folder.store));
  EXPECT_EQ(tree.read("old-history"), old);
  EXPECT_NE(tree.read("synch.log").find("new.txt"), std::string::npos);
}

TEST(HistoryFile, WhatLooksLikeAHistoryFile) {
  EXPECT_TRUE(engine::LooksLikeHistoryFile(""));
  EXPECT_TRUE(engine::LooksLikeHistoryFile("        1234   05-12-2006 13:45:10  0  0  0   my file.txt\r\n\r\n"));
  EXPECT_TRUE(engine::LooksLikeHistoryFile("          -1   5-1-2006 3:45:10  1A2B  0  0   x\n"));
  for (const char* foreign : {"hello world\n", "        1234   05-12-2006 13:45:10  0  0  0\n",
                              "        12x4   05-12-2006 13:45:10  0  0  0   a\n", "1 05-12-2006 13:45:10 zz 0 0 a\n",
                              "        1234   05-12-2006 13:45:10  0  0  0   a\nfree text after\n"}) {
    EXPECT_FALSE(engine::LooksLikeHistoryFile(foreign)) << foreign;
  }
}

TEST(HistoryList, LetterCaseCountsWhereTheSideTellsItApart) {
  HistoryList list;
  list.SetIgnoreCase(false);
  list.Put(entry("/r", "Index.html", 1, 1));
  list.Put(entry("/r", "index.html", 2, 2));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.at(list.Find("/r", "index.html")).size, 2);
  EXPECT_EQ(list.Find("/R", "Index.html"), -1);
  EXPECT_TRUE(list.RemoveName("/r", "Index.html"));
  EXPECT_EQ(list.Count(), 1);
}

TEST(HistoryList, OneEntryPerNameAndStableIndexes) {
  HistoryList list;
  const int a = list.Put(entry("/r", "a", 1, 1));
  const int b = list.Put(entry("/r", "b", 2, 2));
  EXPECT_EQ(list.Put(entry("/r/", "A", 3, 3)), a);
  EXPECT_EQ(list.at(a).size, 3);
  list.Remove(a);
  EXPECT_EQ(list.Find("/r", "a"), -1);
  EXPECT_EQ(list.Find("/r", "b"), b);
  EXPECT_EQ(list.Count(), 1);
  list.Append(entry("/r", "b", 9, 9));
  EXPECT_TRUE(list.RemoveName("/r", "B"));
  EXPECT_EQ(list.Count(), 0);
}

TEST(MakeHistory, WritesEveryFolderOfTheWalk) {
  TempTree tree;
  tree.write("one.txt", "1");
  tree.write("sub/two.txt", "22");
  tree.folder("sub/empty");
  engine::LocalStore store{engine::StoreContext{}};
  ASSERT_TRUE(store.Open(tree.root(), {true, false}));
  std::vector<std::string> statuses;
  ASSERT_TRUE(engine::MakeHistoryFiles(store, store, tree.root(), true, [&](const std::string& s) { statuses.push_back(s); }));
  EXPECT_NE(tree.read("synch.log").find("one.txt"), std::string::npos);
  EXPECT_NE(tree.read("sub/synch.log").find("two.txt"), std::string::npos);
  EXPECT_EQ(tree.read("sub/empty/synch.log"), "");
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Scaning " + platform::withTrailingSeparator(tree.path("sub"))),
            statuses.end());
}
