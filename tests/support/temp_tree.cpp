#include "tests/support/temp_tree.h"

#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/temp_names.h"

namespace testsupport {

TempTree::TempTree() : root_(platform::makeTempFolder("velkor-test-")) {
  if (root_.empty()) throw std::runtime_error("cannot make a temporary folder");
}

TempTree::~TempTree() { (void)platform::removeTree(root_); }

std::string TempTree::path(const std::string& relative) const { return platform::joinPath(root_, relative); }

std::string TempTree::write(const std::string& relative, const std::string& content) {
  const std::string full = path(relative);
  if (!platform::createFolderChain(platform::parentOf(full))) throw std::runtime_error("cannot make " + full);
  if (!platform::writeFileReplacing(full, content, 0644)) throw std::runtime_error("cannot write " + full);
  return full;
}

std::string TempTree::writeWithTime(const std::string& relative, const std::string& content, platform::FileTime time) {
  const std::string full = write(relative, content);
  if (!platform::setLastWriteTime(full, time)) throw std::runtime_error("cannot set the time of " + full);
  return full;
}

std::string TempTree::folder(const std::string& relative) {
  const std::string full = path(relative);
  if (!platform::createFolderChain(full)) throw std::runtime_error("cannot make " + full);
  return full;
}

std::string TempTree::read(const std::string& relative) const {
  return platform::readWholeFile(path(relative)).value_or("<missing>");
}

bool TempTree::exists(const std::string& relative) const { return platform::exists(path(relative)); }

platform::FileTime utcTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  return platform::fileTimeFromUtcCalendar({year, month, day, hour, minute, second, millisecond}).value();
}

platform::FileTime localTime(int year, int month, int day, int hour, int minute, int second) {
  return platform::fileTimeFromLocal({year, month, day, hour, minute, second, 0}).value();
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  hadPrevious_ = old != nullptr;
  if (hadPrevious_) previous_ = old;
  setenv(name, value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (hadPrevious_) {
    setenv(name_.c_str(), previous_.c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

ScopedTimeZone::ScopedTimeZone(const char* zone) : zone_("TZ", zone) { tzset(); }

// The variable is set back first (by the member), then the library reads it again.
ScopedTimeZone::~ScopedTimeZone() { tzset(); }

}  // namespace testsupport
