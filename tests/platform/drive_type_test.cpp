#include "platform/drive_type.h"

#include <gtest/gtest.h>

TEST(DriveType, LongestMountPointDecides) {
  const std::string mountInfo =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "40 22 11:0 / /media/cd\\040rom ro,relatime shared:5 - iso9660 /dev/sr0 ro\n"
      "41 22 11:1 / /media/dvd ro - udf /dev/sr1 ro\n"
      "42 22 0:5 / /media/cdx rw master:2 other:3 - tmpfs tmpfs rw\n";
  EXPECT_EQ(platform::mountTypeFromMountInfo(mountInfo, "/home/user"), "ext4");
  EXPECT_EQ(platform::mountTypeFromMountInfo(mountInfo, "/media/cd rom/x"), "iso9660");
  EXPECT_EQ(platform::mountTypeFromMountInfo(mountInfo, "/media/dvd"), "udf");
  EXPECT_EQ(platform::mountTypeFromMountInfo(mountInfo, "/media/cdx/y"), "tmpfs");
  EXPECT_EQ(platform::mountTypeFromMountInfo(mountInfo, "/media/cd"), "ext4");
  EXPECT_EQ(platform::driveTypeOf("/"), platform::DriveType::Fixed);
}
