#include "platform/path.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>
#include <unistd.h>

namespace platform {

bool isSeparator(char c) { return c == kSeparator; }

std::string joinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string out(folder);
  if (!isSeparator(out.back())) out += kSeparator;
  while (!name.empty() && isSeparator(name.front())) name.remove_prefix(1);
  out += name;
  return out;
}

std::string withTrailingSeparator(std::string_view path) {
  std::string out(path);
  if (out.empty() || !isSeparator(out.back())) out += kSeparator;
  return out;
}

std::string withoutTrailingSeparator(std::string_view path) {
  std::string out(path);
  while (out.size() > 1 && isSeparator(out.back())) out.pop_back();
  return out;
}

std::string fileNameOf(std::string_view path) {
  const auto pos = path.rfind(kSeparator);
  return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string parentOf(std::string_view path) {
  const auto pos = path.rfind(kSeparator);
  if (pos == std::string_view::npos) return {};
  if (pos == 0) return std::string(1, path[0]);
  return std::string(path.substr(0, pos));
}

std::string extensionOf(std::string_view path) {
  const std::string name = fileNameOf(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool isAbsolutePath(std::string_view path) { return !path.empty() && path.front() == kSeparator; }

std::string toStoredName(std::string_view relative) {
  std::string out(relative);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

std::string fromStoredName(std::string_view stored) {
  std::string out(stored);
  for (char& c : out) {
    if (c == '\\') c = kSeparator;
  }
  return out;
}

bool isSafeRelativePath(std::string_view path) {
  if (path.empty() || path.front() == kSeparator) return false;
  for (const char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(kSeparator, start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

bool isSafeRelativeName(std::string_view name) {
  // A drive letter ("C:", "c:x"); "5:00 meeting.txt" is a name.
  const bool driveLetter = name.size() >= 2 && name[1] == ':' && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  if (driveLetter) return false;
  return !name.starts_with('\\') && isSafeRelativePath(fromStoredName(name));
}

std::string canonicalPath(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
  return resolved ? std::string(resolved.get()) : std::string();
}

namespace {

// Applies the parts of `relative` to a folder depth; false when ".." climbs above depth 0.
bool climbStaysBelow(std::string_view relative, int& depth) {
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find(kSeparator, start);
    if (end == std::string_view::npos) end = relative.size();
    const std::string_view part = relative.substr(start, end - start);
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    start = end + 1;
  }
  return true;
}

}  // namespace

std::string pathAsItWillBe(const std::string& path) {
  std::string existing = withoutTrailingSeparator(path);
  std::vector<std::string> missing;
  std::string resolved = canonicalPath(existing);
  while (resolved.empty() && !existing.empty() && existing != "/") {
    missing.push_back(fileNameOf(existing));
    existing = parentOf(existing);
    resolved = canonicalPath(existing.empty() ? std::string(".") : existing);
  }
  if (resolved.empty()) return {};
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (*it == "..") {
      resolved = parentOf(resolved).empty() ? std::string("/") : parentOf(resolved);
    } else if (!it->empty() && *it != ".") {
      resolved = joinPath(resolved, *it);
    }
  }
  return resolved;
}

bool linkTargetStaysBelow(std::string_view linkFolder, std::string_view target) {
  if (target.empty() || isAbsolutePath(target)) return false;
  int depth = 0;
  return climbStaysBelow(linkFolder, depth) && climbStaysBelow(target, depth);
}

std::string finalLinkTarget(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    char buffer[PATH_MAX];
    const ssize_t length = readlink(current.c_str(), buffer, sizeof buffer - 1);
    if (length <= 0) return current;
    const std::string target(buffer, static_cast<std::size_t>(length));
    current = isAbsolutePath(target) ? target : joinPath(parentOf(current), target);
  }
  return current;
}

std::string currentFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string("/");
}

}  // namespace platform
