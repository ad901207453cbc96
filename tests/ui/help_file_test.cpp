#include "ui/help_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/temp_tree.h"

namespace {

// Runs in `folder` as the current folder, and goes back.
struct InFolder {
  explicit InFolder(const std::string& folder) {
    EXPECT_NE(getcwd(previous, sizeof previous), nullptr);
    EXPECT_EQ(chdir(folder.c_str()), 0);
  }
  ~InFolder() { EXPECT_EQ(chdir(previous), 0); }
  char previous[4096] = {};
};

}  // namespace

TEST(HelpFile, BesideTheProgramFirstThenTheDataFolderNeverTheCurrentFolder) {
  testsupport::TempTree tree;
  tree.write("here/help/index.html", "a page someone left in the current folder");
  const InFolder here(tree.path("here"));

  EXPECT_EQ(ui::HelpFile(tree.path("bin"), tree.path("data")), "") << "neither installed";
  EXPECT_EQ(ui::HelpFile("", ""), "") << "an unknown program folder is not the current one";
  EXPECT_EQ(ui::HelpFile(".", "help/.."), "");

  tree.write("data/help/index.html", "installed");
  EXPECT_EQ(ui::HelpFile(tree.path("bin"), tree.path("data")), tree.path("data/help/index.html"));
  tree.write("bin/help/index.html", "built");
  EXPECT_EQ(ui::HelpFile(tree.path("bin"), tree.path("data")), tree.path("bin/help/index.html"));
}
