#include "platform/ftp_listing.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

// "20240101120000" or "20240101120000.123" (UTC) as a file time.
std::optional<FileTime> mlsdTime(std::string_view text) {
  if (text.size() < 14) return std::nullopt;
  CalendarTime utc;
  auto number = [&](std::size_t from, std::size_t length) {
    int value = 0;
    for (std::size_t i = from; i < from + length; ++i) {
      if (text[i] < '0' || text[i] > '9') return -1;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  utc.year = number(0, 4);
  utc.month = number(4, 2);
  utc.day = number(6, 2);
  utc.hour = number(8, 2);
  utc.minute = number(10, 2);
  utc.second = number(12, 2);
  auto time = fileTimeFromUtcCalendar(utc);
  if (!time) return std::nullopt;
  if (text.size() > 15 && text[14] == '.') {
    // Fractions of a second, as many digits as the server gives (up to the file time's 100 ns).
    std::uint64_t ticks = 0;
    std::uint64_t scale = kTicksPerSecond / 10;
    for (std::size_t i = 15; i < text.size() && text[i] >= '0' && text[i] <= '9' && scale > 0; ++i, scale /= 10) {
      ticks += static_cast<std::uint64_t>(text[i] - '0') * scale;
    }
    *time += ticks;
  }
  return time;
}

}  // namespace

bool ParseMlsdLine(std::string_view line, FtpEntry& entry) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  const auto gap = line.find(' ');
  if (gap == std::string_view::npos || gap + 1 >= line.size()) return false;
  entry = FtpEntry{};
  entry.name = std::string(line.substr(gap + 1));
  std::string_view facts = line.substr(0, gap);
  std::string type;
  while (!facts.empty()) {
    const auto end = facts.find(';');
    const std::string_view fact = facts.substr(0, end);
    facts = end == std::string_view::npos ? std::string_view() : facts.substr(end + 1);
    const auto equals = fact.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key(fact.substr(0, equals));
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string_view value = fact.substr(equals + 1);
    if (key == "type") {
      type = std::string(value);
      for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (key == "size") {
      std::uint64_t size = 0;
      for (const char c : value) {
        if (c < '0' || c > '9') break;
        size = size * 10 + static_cast<std::uint64_t>(c - '0');
      }
      entry.size = size;
    } else if (key == "modify") {
      entry.time = mlsdTime(value);
    } else if (key == "unique") {
      entry.unique = std::string(value);
    }
  }
  // Links ("OS.unix=slink...") and the listed folder itself are no entries to follow.
  if (type == "dir") entry.folder = true;
  return type == "file" || type == "dir";
}

bool ParseListLine(std::string_view line, FtpEntry& entry) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.size() < 10 || (line[0] != '-' && line[0] != 'd')) return false;
  // Eight columns (mode, links, owner, group, size, month, day, time or year), then the name.
  std::size_t at = 0;
  std::string_view columns[8];
  for (std::string_view& column : columns) {
    while (at < line.size() && line[at] == ' ') ++at;
    const std::size_t end = std::min(line.find(' ', at), line.size());
    column = line.substr(at, end - at);
    at = end;
  }
  if (at >= line.size() || columns[4].empty() || columns[4].find_first_not_of("0123456789") != std::string_view::npos) return false;
  entry = FtpEntry{};
  entry.name = std::string(line.substr(at + 1));
  entry.folder = line[0] == 'd';
  for (const char c : columns[4]) entry.size = entry.size * 10 + static_cast<std::uint64_t>(c - '0');
  return !entry.name.empty() && entry.name != "." && entry.name != "..";
}

}  // namespace platform
