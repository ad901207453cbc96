#pragma once
// A temporary folder for a test, removed afterwards, with helpers to lay out files.
#include <cstdint>
#include <string>

#include "platform/file_time.h"

namespace testsupport {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  [[nodiscard]] const std::string& root() const { return root_; }
  // Full path of a relative name ("a/b.txt").
  [[nodiscard]] std::string path(const std::string& relative) const;
  // Writes a file (folders made as needed) and returns its full path.
  std::string write(const std::string& relative, const std::string& content);
  std::string writeWithTime(const std::string& relative, const std::string& content, platform::FileTime time);
  std::string folder(const std::string& relative);
  [[nodiscard]] std::string read(const std::string& relative) const;
  [[nodiscard]] bool exists(const std::string& relative) const;

 private:
  std::string root_;
};

// A file time from a UTC date.
platform::FileTime utcTime(int year, int month, int day, int hour, int minute, int second, int millisecond = 0);
// A file time from a local date.
platform::FileTime localTime(int year, int month, int day, int hour, int minute, int second);

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::string previous_;
  bool hadPrevious_;
};

// Sets TZ for the life of the object.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  ScopedEnvironment zone_;
};

}  // namespace testsupport
