#include "platform/file_time.h"

#include <cstdio>


namespace platform {
namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = floorDiv(y, 400);
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = floorDiv(z, 146097);
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

CalendarTime calendarFromUnix(std::int64_t seconds, int millisecond) {
  CalendarTime c;
  const std::int64_t days = floorDiv(seconds, 86400);
  const std::int64_t rest = seconds - days * 86400;
  civilFromDays(days, c.year, c.month, c.day);
  c.hour = static_cast<int>(rest / 3600);
  c.minute = static_cast<int>(rest % 3600 / 60);
  c.second = static_cast<int>(rest % 60);
  c.millisecond = millisecond;
  return c;
}

std::int64_t unixFromCalendar(const CalendarTime& c) {
  return daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) * 86400 +
         c.hour * 3600 + c.minute * 60 + c.second;
}

int millisecondOf(FileTime time) { return static_cast<int>(time % kTicksPerSecond / 10000); }

FileTime clampToFileTime(std::int64_t unixSeconds, std::uint64_t extraTicks) {
  const std::int64_t since1601 = unixSeconds + kEpochDifferenceSeconds;
  if (since1601 < 0) return 0;
  return static_cast<FileTime>(since1601) * kTicksPerSecond + extraTicks;
}

// Seconds east of UTC in effect at a moment.
std::optional<std::int64_t> utcOffsetAt(std::int64_t unixSeconds) {
  const auto seconds = static_cast<time_t>(unixSeconds);
  tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  return local.tm_gmtoff;
}

}  // namespace

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool isValidCalendar(const CalendarTime& t) {
  return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
         t.minute <= 59 && t.second >= 0 && t.second <= 59 && t.millisecond >= 0 && t.millisecond <= 999;
}

FileTime fileTimeFromTimespec(const timespec& ts) {
  return clampToFileTime(ts.tv_sec, static_cast<std::uint64_t>(ts.tv_nsec) / 100);
}

timespec timespecFromFileTime(FileTime time) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(static_cast<std::int64_t>(time / kTicksPerSecond) - kEpochDifferenceSeconds);
  ts.tv_nsec = static_cast<long>(time % kTicksPerSecond * 100);
  return ts;
}

FileTime fileTimeFromUnixSeconds(std::int64_t seconds) { return clampToFileTime(seconds, 0); }

std::int64_t unixSecondsFromFileTime(FileTime time) {
  return static_cast<std::int64_t>(time / kTicksPerSecond) - kEpochDifferenceSeconds;
}

CalendarTime utcCalendarFromFileTime(FileTime time) {
  return calendarFromUnix(unixSecondsFromFileTime(time), millisecondOf(time));
}

std::optional<FileTime> fileTimeFromUtcCalendar(const CalendarTime& utc) {
  if (!isValidCalendar(utc)) return std::nullopt;
  return clampToFileTime(unixFromCalendar(utc), static_cast<std::uint64_t>(utc.millisecond) * 10000);
}

CalendarTime localFromFileTime(FileTime time) {
  const auto seconds = static_cast<time_t>(unixSecondsFromFileTime(time));
  tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return utcCalendarFromFileTime(time);
  CalendarTime c;
  c.year = local.tm_year + 1900;
  c.month = local.tm_mon + 1;
  c.day = local.tm_mday;
  c.hour = local.tm_hour;
  c.minute = local.tm_min;
  c.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  c.millisecond = millisecondOf(time);
  return c;
}

std::optional<FileTime> fileTimeFromLocal(const CalendarTime& local) {
  if (!isValidCalendar(local)) return std::nullopt;
  // The zone's offset found through localtime_r, not mktime: mktime looks at the zone file again
  // on every call, a system call for each history line or archive entry read.
  const std::int64_t asIfUtc = unixFromCalendar(local);
  const auto offset = utcOffsetAt(asIfUtc);
  if (!offset) return std::nullopt;
  std::int64_t seconds = asIfUtc - *offset;
  const auto offsetThere = utcOffsetAt(seconds);
  if (!offsetThere) return std::nullopt;
  // Near a change of the offset the first guess may stand on its other side. A local time the
  // clocks skipped lands just after the change; one they passed twice is taken the second time.
  if (*offsetThere != *offset) seconds = asIfUtc - *offsetThere;
  return clampToFileTime(seconds, static_cast<std::uint64_t>(local.millisecond) * 10000);
}

std::int64_t localSecondsFromFileTime(FileTime time) { return unixFromCalendar(localFromFileTime(time)); }

std::int64_t localSecondsNow() { return localSecondsFromFileTime(fileTimeNow()); }

std::string formatCalendar(const CalendarTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

FileTime fileTimeNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return fileTimeFromTimespec(ts);
}

}  // namespace platform
