#include "config/profile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/case_fold.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace config {
namespace {

constexpr std::string_view kEncodedPrefix = "#~";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool isKeyStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The leading decimal number of a text, as the C runtime reads it; empty when there is none or
// it does not fit.
std::optional<std::int64_t> leadingNumber(const std::string& text, std::int64_t low, std::int64_t high) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(start, &end, 10);
  if (end == start || errno == ERANGE || value < low || value > high) return std::nullopt;
  return value;
}

void writeComments(std::string& out, const std::vector<std::string>& comments) {
  for (const std::string& line : comments) {
    out += line;
    out += '\n';
  }
}

}  // namespace

std::string EncodeValue(std::string_view value) {
  bool plain = !value.starts_with(kEncodedPrefix) && (value.empty() || (!isBlank(value.front()) && !isBlank(value.back())));
  for (const char c : value) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') plain = false;
  }
  if (plain) return std::string(value);
  std::string out(kEncodedPrefix);
  for (std::size_t i = 0; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    const bool edgeBlank = isBlank(value[i]) && (i == 0 || i + 1 == value.size());
    if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || edgeBlank) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string DecodeValue(std::string_view stored) {
  if (!stored.starts_with(kEncodedPrefix)) return std::string(stored);
  std::string out;
  for (std::size_t i = kEncodedPrefix.size(); i < stored.size(); ++i) {
    if (stored[i] != '\\' || i + 1 >= stored.size()) {
      out += stored[i];
      continue;
    }
    if (stored[i + 1] == '\\') {
      out += '\\';
      ++i;
      continue;
    }
    if (stored[i + 1] == 'x' && i + 3 < stored.size()) {
      const std::string hex(stored.substr(i + 2, 2));
      char* end = nullptr;
      const long value = std::strtol(hex.c_str(), &end, 16);
      if (end == hex.c_str() + 2) {
        out += static_cast<char>(value);
        i += 3;
        continue;
      }
    }
    out += stored[i];
  }
  return out;
}

namespace {

// A configuration's first line that is neither blank nor a comment opens a section.
bool isConfigurationText(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trimBlanks(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    return line.front() == '[' && line.find(']') != std::string_view::npos;
  }
  return true;
}

}  // namespace

CProfile::LoadState CProfile::SetFile(const std::string& path) {
  path_ = path;
  changed_ = false;
  std::string error;
  const auto content = platform::readWholeFile(path, &error);
  if (content && !isConfigurationText(*content)) {
    LoadText("");
    state_ = LoadState::Foreign;
  } else if (content) {
    LoadText(*content);
    state_ = LoadState::Loaded;
  } else {
    LoadText("");
    state_ = platform::exists(path) ? LoadState::Unreadable : LoadState::Missing;
  }
  return state_;
}

void CProfile::LoadText(std::string_view text) {
  sections_.clear();
  sectionsByName_.clear();
  trailingComments_.clear();
  std::vector<std::string> comments;
  Section* current = nullptr;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    const bool lastLine = end == text.size();
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lastLine && line.empty()) break;

    const std::size_t close = line.size() > 2 ? line.find(']', 2) : std::string_view::npos;
    if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
      current = &makeSection(line.substr(1, close - 1));
      current->comments = std::move(comments);
      comments.clear();
      continue;
    }
    const std::string_view body = trimBlanks(line);
    const std::size_t equals = body.find('=');
    if (current != nullptr && !body.empty() && isKeyStart(body.front()) && equals != std::string_view::npos) {
      Key key;
      key.name = std::string(trimBlanks(body.substr(0, equals)));
      key.value = std::string(trimBlanks(body.substr(equals + 1)));
      key.comments = std::move(comments);
      comments.clear();
      current->byName[platform::asciiUpper(key.name)] = current->keys.size();
      current->keys.push_back(std::move(key));
      continue;
    }
    // Blank lines are kept with the comments, so a hand-laid-out file keeps its layout.
    comments.emplace_back(line);
  }
  trailingComments_ = std::move(comments);
}

CProfile::Section& CProfile::makeSection(std::string_view name) {
  auto section = std::make_unique<Section>();
  section->name = std::string(name);
  Section* made = section.get();
  sections_.push_back(std::move(section));
  sectionsByName_[platform::asciiUpper(name)] = made;
  return *made;
}

const CProfile::Key* CProfile::findKey(std::string_view section, std::string_view key) const {
  const auto found = sectionsByName_.find(platform::asciiUpper(section));
  if (found == sectionsByName_.end()) return nullptr;
  const auto keyIt = found->second->byName.find(platform::asciiUpper(key));
  return keyIt == found->second->byName.end() ? nullptr : &found->second->keys[keyIt->second];
}

CProfile::Key& CProfile::makeKey(std::string_view section, std::string_view key) {
  const auto found = sectionsByName_.find(platform::asciiUpper(section));
  Section& target = found != sectionsByName_.end() ? *found->second : makeSection(section);
  const std::string upper = platform::asciiUpper(key);
  const auto keyIt = target.byName.find(upper);
  if (keyIt != target.byName.end()) return target.keys[keyIt->second];
  target.byName[upper] = target.keys.size();
  target.keys.push_back(Key{std::string(key), {}, {}});
  return target.keys.back();
}

bool CProfile::HasSection(std::string_view section) const {
  return sectionsByName_.count(platform::asciiUpper(section)) > 0;
}

std::vector<std::string> CProfile::KeysOf(std::string_view section) const {
  std::vector<std::string> names;
  const auto found = sectionsByName_.find(platform::asciiUpper(section));
  if (found == sectionsByName_.end()) return names;
  for (const Key& key : found->second->keys) names.push_back(key.name);
  return names;
}

bool CProfile::HasKey(std::string_view section, std::string_view key) const { return findKey(section, key) != nullptr; }

int CProfile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
  return static_cast<int>(GetInt64Within(section, key, defaultValue, INT_MIN, INT_MAX));
}

std::int64_t CProfile::GetInt64(std::string_view section, std::string_view key, std::int64_t defaultValue) const {
  return GetInt64Within(section, key, defaultValue, INT64_MIN, INT64_MAX);
}

std::int64_t CProfile::GetInt64Within(std::string_view section, std::string_view key, std::int64_t defaultValue,
                                      std::int64_t low, std::int64_t high) const {
  const Key* found = findKey(section, key);
  if (found == nullptr) return defaultValue;
  return leadingNumber(found->value, low, high).value_or(defaultValue);
}

std::string CProfile::GetText(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  const Key* found = findKey(section, key);
  return found == nullptr ? std::string(defaultValue) : DecodeValue(found->value);
}

void CProfile::SetInt(std::string_view section, std::string_view key, std::int64_t value) {
  makeKey(section, key).value = std::to_string(value);
  changed_ = true;
}

void CProfile::SetText(std::string_view section, std::string_view key, std::string_view value) {
  makeKey(section, key).value = EncodeValue(value);
  changed_ = true;
}

std::string CProfile::ToText() const {
  std::string out;
  std::vector<const Section*> written;
  for (const auto& section : sections_) {
    bool anyValue = false;
    for (const Key& key : section->keys) anyValue = anyValue || !key.value.empty();
    if (anyValue) written.push_back(section.get());
  }
  for (std::size_t i = 0; i < written.size(); ++i) {
    const Section& section = *written[i];
    writeComments(out, section.comments);
    out += '[' + section.name + "]\n";
    for (const Key& key : section.keys) {
      if (key.value.empty()) continue;
      writeComments(out, key.comments);
      out += key.name + '=' + key.value + '\n';
    }
    // One empty line after each section, unless the text that follows brings its own.
    const std::vector<std::string>& following = i + 1 < written.size() ? written[i + 1]->comments : trailingComments_;
    if (following.empty() || !following.front().empty()) out += '\n';
  }
  writeComments(out, trailingComments_);
  return out;
}

bool CProfile::Write(const std::string& path, std::string* error) const {
  // A configuration kept elsewhere and named here by a link stays where it is: the file the
  // link names is replaced, never the link.
  return platform::writeFileReplacing(platform::finalLinkTarget(path), ToText(), 0600, error);
}

bool CProfile::WriteAtExit(std::string* error) {
  if (path_.empty() || !changed_) return true;
  if (state_ == LoadState::Unreadable || state_ == LoadState::Foreign) {
    if (error != nullptr) *error = path_ + ": could not be read as a configuration at start, so it is kept as it is";
    return false;
  }
  std::string reason;
  if (!Write(path_, &reason)) {
    if (error != nullptr) *error = path_ + ": " + reason;
    return false;
  }
  changed_ = false;
  return true;
}

}  // namespace config
