#include "platform/trash.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/special_folders.h"

// Runs with XDG_DATA_HOME set by the test's environment to a folder of the build tree, so the
// user's own trash is never touched.
TEST(Trash, FileLandsInTheTrashWithItsInfoFile) {
  const std::string dataHome = platform::environmentValue("XDG_DATA_HOME");
  ASSERT_FALSE(dataHome.empty());
  ASSERT_TRUE(platform::createFolderChain(dataHome));
  const std::string file = platform::joinPath(dataHome, "to-trash.txt");
  ASSERT_TRUE(platform::writeFileReplacing(file, "bye", 0644));

  std::string error;
  ASSERT_TRUE(platform::moveToTrash(file, &error)) << error;
  EXPECT_FALSE(platform::exists(file));
  EXPECT_EQ(platform::readWholeFile(platform::joinPath(dataHome, "Trash/files/to-trash.txt")).value_or(""), "bye");
  const auto info = platform::readWholeFile(platform::joinPath(dataHome, "Trash/info/to-trash.txt.trashinfo"));
  ASSERT_TRUE(info.has_value());
  EXPECT_NE(info->find("Path=" + file), std::string::npos);
  (void)platform::removeTree(platform::joinPath(dataHome, "Trash"));
}
