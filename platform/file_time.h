#pragma once
// File times as the engine keeps them: 64-bit UTC counts of 100 ns since 1601-01-01,
// and their conversion to and from local and calendar times.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace platform {

using FileTime = std::uint64_t;

// Seconds between 1601-01-01 and 1970-01-01.
inline constexpr std::int64_t kEpochDifferenceSeconds = 11644473600LL;
inline constexpr std::uint64_t kTicksPerSecond = 10000000ULL;

// Broken-down time; month and day from 1. Used both for UTC ("calendar time") and local time.
struct CalendarTime {
  int year = 1601;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  bool operator==(const CalendarTime&) const = default;
};

[[nodiscard]] FileTime fileTimeFromTimespec(const timespec& ts);
[[nodiscard]] timespec timespecFromFileTime(FileTime time);
[[nodiscard]] FileTime fileTimeFromUnixSeconds(std::int64_t seconds);
// Whole seconds since 1970 (UTC), rounding towards minus infinity.
[[nodiscard]] std::int64_t unixSecondsFromFileTime(FileTime time);

[[nodiscard]] CalendarTime utcCalendarFromFileTime(FileTime time);
// Empty when a field is out of range.
[[nodiscard]] std::optional<FileTime> fileTimeFromUtcCalendar(const CalendarTime& utc);

// Local time of the process's time zone (TZ respected), daylight saving applied for that date.
[[nodiscard]] CalendarTime localFromFileTime(FileTime time);
// Empty when a field is out of range. An hour that occurs twice at the end of daylight saving
// takes the system's choice; an hour that does not exist is moved forward.
[[nodiscard]] std::optional<FileTime> fileTimeFromLocal(const CalendarTime& local);
// Seconds since 1970 of a local wall-clock time, counted as if it were UTC ("local seconds").
[[nodiscard]] std::int64_t localSecondsFromFileTime(FileTime time);
[[nodiscard]] std::int64_t localSecondsNow();

[[nodiscard]] FileTime fileTimeNow();
// "yyyy-mm-dd hh:mm:ss".
[[nodiscard]] std::string formatCalendar(const CalendarTime& time);
[[nodiscard]] bool isValidCalendar(const CalendarTime& time);
[[nodiscard]] int daysInMonth(int year, int month);

}  // namespace platform
