#include "platform/file_details.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_tree.h"

TEST(FileDetails, PermissionsReadAsLsWritesThem) {
  const struct {
    std::uint32_t bits;
    const char* text;
  } cases[] = {
      {0644, "rw-r--r-- (0644)"},  {0750, "rwxr-x--- (0750)"}, {0, "--------- (0000)"},
      {04755, "rwsr-xr-x (4755)"}, {04644, "rwSr--r-- (4644)"}, {02770, "rwxrws--- (2770)"},
      {01777, "rwxrwxrwt (1777)"}, {01666, "rw-rw-rwT (1666)"},
  };
  for (const auto& each : cases) EXPECT_EQ(platform::permissionText(each.bits), each.text) << std::oct << each.bits;
}

TEST(FileDetails, AFileAFolderAndALinkAsTheyAreNow) {
  testsupport::TempTree tree;
  const platform::FileTime time = testsupport::utcTime(2024, 3, 1, 12, 0, 0);
  const std::string file = tree.writeWithTime("f.txt", "twelve bytes", time);
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);
  ASSERT_EQ(symlink("f.txt", tree.path("link").c_str()), 0);

  const auto details = platform::fileDetails(file);
  ASSERT_TRUE(details);
  EXPECT_FALSE(details->folder);
  EXPECT_EQ(details->size, 12u);
  EXPECT_EQ(details->modified, time);
  EXPECT_EQ(details->permissions, 0640u);
  EXPECT_FALSE(details->owner.empty());
  EXPECT_FALSE(details->group.empty());

  const auto link = platform::fileDetails(tree.path("link"));
  ASSERT_TRUE(link);
  EXPECT_TRUE(link->link) << "the link itself, not what it points to";
  EXPECT_EQ(link->linkTarget, "f.txt");

  EXPECT_TRUE(platform::fileDetails(tree.root())->folder);
  EXPECT_FALSE(platform::fileDetails(tree.path("missing")));
}
