#include "platform/file_time.h"

#include <gtest/gtest.h>

#include "tests/support/temp_tree.h"

using namespace platform;
using testsupport::ScopedTimeZone;

TEST(FileTime, UnixEpochAndCalendarRoundTrip) {
  EXPECT_EQ(fileTimeFromUnixSeconds(0), static_cast<FileTime>(kEpochDifferenceSeconds) * kTicksPerSecond);
  const CalendarTime c{2006, 12, 5, 13, 45, 10, 250};
  const FileTime t = fileTimeFromUtcCalendar(c).value();
  EXPECT_EQ(utcCalendarFromFileTime(t), c);
  EXPECT_FALSE(fileTimeFromUtcCalendar({2006, 2, 30, 0, 0, 0, 0}).has_value());
  EXPECT_EQ(utcCalendarFromFileTime(0), (CalendarTime{1601, 1, 1, 0, 0, 0, 0}));
}

TEST(FileTime, LocalTimesAroundTheChangesOfTheClocks) {
  ScopedTimeZone zone("Europe/Berlin");
  // Clocks went from 02:00 to 03:00 on 2024-03-31 and from 03:00 back to 02:00 on 2024-10-27.
  EXPECT_EQ(fileTimeFromLocal({2024, 3, 31, 2, 30, 0, 0}).value(), testsupport::utcTime(2024, 3, 31, 1, 30, 0))
      << "a skipped local time lands after the change";
  EXPECT_EQ(fileTimeFromLocal({2024, 10, 27, 2, 30, 0, 0}).value(), testsupport::utcTime(2024, 10, 27, 1, 30, 0))
      << "a local time passed twice is taken the second time";
  for (const FileTime day : {testsupport::utcTime(2024, 3, 30, 20, 0, 0), testsupport::utcTime(2024, 10, 26, 20, 0, 0)}) {
    for (int quarter = 0; quarter < 40; ++quarter) {
      const FileTime t = day + static_cast<FileTime>(quarter) * 900 * kTicksPerSecond;
      const FileTime back = fileTimeFromLocal(localFromFileTime(t)).value();
      const bool passedTwice = back == t + 3600 * kTicksPerSecond && localFromFileTime(t).hour == 2;
      EXPECT_TRUE(back == t || passedTwice) << "quarter " << quarter;
    }
  }
}

TEST(FileTime, TimespecKeepsHundredNanoseconds) {
  timespec ts{1700000000, 123456789};
  const FileTime t = fileTimeFromTimespec(ts);
  const timespec back = timespecFromFileTime(t);
  EXPECT_EQ(back.tv_sec, ts.tv_sec);
  EXPECT_EQ(back.tv_nsec, 123456700);
}

TEST(FileTime, LocalConversionFollowsDaylightSaving) {
  ScopedTimeZone zone("Europe/Berlin");
  // 12:00 UTC is 14:00 in summer (CEST) and 13:00 in winter (CET).
  EXPECT_EQ(localFromFileTime(testsupport::utcTime(2024, 7, 1, 12, 0, 0)).hour, 14);
  EXPECT_EQ(localFromFileTime(testsupport::utcTime(2024, 1, 15, 12, 0, 0)).hour, 13);
  for (const FileTime t : {testsupport::utcTime(2024, 7, 1, 12, 0, 0), testsupport::utcTime(2024, 1, 15, 12, 0, 7)}) {
    EXPECT_EQ(fileTimeFromLocal(localFromFileTime(t)).value(), t);
  }
}
