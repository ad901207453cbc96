#include "engine/folder_walker.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/local_store.h"
#include "platform/path.h"
#include "tests/support/temp_tree.h"

using engine::FolderWalker;

namespace {

// The walk as text: "+folder/" when a folder is entered, file names relative to the root.
std::string walk(FolderWalker& walker) {
  std::string out;
  for (;;) {
    const auto step = walker.Next();
    if (step == FolderWalker::kEnd) return out;
    if (!out.empty()) out += ' ';
    if (step == FolderWalker::kEnteredFolder) {
      out += "+" + walker.RelativeFolder();
    } else {
      out += walker.RelativeFolder() + walker.GetFindData().name;
    }
  }
}

struct WalkerFixture : ::testing::Test {
  testsupport::TempTree tree;
  engine::LocalStore store{engine::StoreContext{}};
  void SetUp() override {
    tree.write("top.txt", "1");
    tree.write("b/b1.txt", "1");
    tree.write("A/a1.cpp", "1");
    tree.write("A/deep/d.txt", "1");
    tree.write("c/c1.txt", "1");
    tree.write("c/synch.log", "");
    tree.write("c/Synch.log", "1");
    ASSERT_TRUE(store.Open(tree.root(), {true, false}));
  }
};

}  // namespace

TEST_F(WalkerFixture, VisitsSubfoldersInNameOrderIgnoringCase) {
  FolderWalker walker(store);
  walker.Start(tree.root(), "*.txt *.cpp ! synch.log", true, true);
  EXPECT_EQ(walk(walker), "top.txt +A/ A/a1.cpp +A/deep/ A/deep/d.txt +b/ b/b1.txt +c/ c/c1.txt");
}

TEST_F(WalkerFixture, ReportsFilesOfEachFolderAndLeavesOutTheHistoryFile) {
  FolderWalker walker(store);
  walker.Start(tree.root(), "*.*", true, true);
  std::vector<std::string> seen;
  for (auto step = walker.Next(); step != FolderWalker::kEnd; step = walker.Next()) {
    seen.push_back(step == FolderWalker::kEnteredFolder ? "+" + walker.RelativeFolder()
                                                         : walker.RelativeFolder() + walker.GetFindData().name);
  }
  std::vector<std::string> folders;
  for (const auto& s : seen) {
    if (s[0] == '+') folders.push_back(s);
  }
  EXPECT_EQ(folders, (std::vector<std::string>{"+A/", "+A/deep/", "+b/", "+c/"}));
  std::sort(seen.begin(), seen.end());
  EXPECT_TRUE(std::binary_search(seen.begin(), seen.end(), "c/Synch.log"));
  EXPECT_FALSE(std::binary_search(seen.begin(), seen.end(), "c/synch.log"));
  EXPECT_EQ(seen.size(), 10u);
}

TEST_F(WalkerFixture, MasksSwapAndNonRecursiveWalks) {
  FolderWalker walker(store);
  walker.Start(tree.root(), "*.txt ! b*", true, false);
  std::string out = walk(walker);
  EXPECT_EQ(out.find("a1.cpp"), std::string::npos);
  EXPECT_EQ(out.find("b1.txt"), std::string::npos);
  EXPECT_NE(out.find("A/deep/d.txt"), std::string::npos);

  walker.Start(tree.root(), "*.txt", true, false);
  walker.SetSwap(true);
  EXPECT_EQ(walk(walker), "A/a1.cpp c/Synch.log");

  walker.Start(tree.root(), "", false, true);
  EXPECT_EQ(walk(walker), "top.txt");
}

TEST_F(WalkerFixture, FolderFilterAndSkipFiles) {
  FolderWalker walker(store);
  walker.Start(tree.root(), "*.*", true, true);
  walker.SetFolderFilter([](const std::string& folder) { return platform::fileNameOf(platform::withoutTrailingSeparator(folder)) != "A"; });
  walker.SetSkipFiles(true);
  EXPECT_EQ(walk(walker), "+b/ +c/");
}
