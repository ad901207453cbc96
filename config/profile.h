#pragma once
// The ini-style configuration store: sections of keys, found without regard to case, with the
// comment lines of a hand-edited file kept above the key or section they stood before.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace config {

class CProfile {
 public:
  // Foreign: the file holds text that is no configuration (it does not begin with a section).
  enum class LoadState { NotBound, Loaded, Missing, Unreadable, Foreign };

  // Binds the store to `path` and loads it; earlier content is dropped. A missing file gives an
  // empty store; an unreadable or foreign one too, and it is then never written over (see
  // WriteAtExit).
  LoadState SetFile(const std::string& path);
  // Replaces the content with that of a configuration text.
  void LoadText(std::string_view text);
  [[nodiscard]] std::string ToText() const;

  // An absent key, or a value without a leading number or out of range, gives the default.
  [[nodiscard]] int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
  [[nodiscard]] std::int64_t GetInt64(std::string_view section, std::string_view key, std::int64_t defaultValue) const;
  [[nodiscard]] std::string GetText(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  [[nodiscard]] bool HasKey(std::string_view section, std::string_view key) const;
  [[nodiscard]] bool HasSection(std::string_view section) const;
  // The names of a section's keys in the file's order; empty for a section that is not there.
  [[nodiscard]] std::vector<std::string> KeysOf(std::string_view section) const;
  // Set the value, creating section and key on first use; marks the store changed.
  void SetInt(std::string_view section, std::string_view key, std::int64_t value);
  void SetText(std::string_view section, std::string_view key, std::string_view value);

  // Writes the content to `path` through a temporary file renamed over it (mode 0600 for a new
  // file). False with `error` set when it cannot; the old file is then as it was.
  bool Write(const std::string& path, std::string* error = nullptr) const;
  // At the end of the process: writes the bound file when something was set and the file was
  // not unreadable at load. False with `error` when writing was needed and failed or refused.
  bool WriteAtExit(std::string* error = nullptr);

  [[nodiscard]] bool Changed() const { return changed_; }
  [[nodiscard]] LoadState State() const { return state_; }
  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  struct Key {
    std::string name;
    std::string value;
    std::vector<std::string> comments;
  };
  struct Section {
    std::string name;
    std::vector<std::string> comments;
    std::vector<Key> keys;
    std::unordered_map<std::string, std::size_t> byName;
  };

  [[nodiscard]] std::int64_t GetInt64Within(std::string_view section, std::string_view key, std::int64_t defaultValue,
                                            std::int64_t low, std::int64_t high) const;
  [[nodiscard]] const Key* findKey(std::string_view section, std::string_view key) const;
  Key& makeKey(std::string_view section, std::string_view key);
  Section& makeSection(std::string_view name);

  std::string path_;
  LoadState state_ = LoadState::NotBound;
  std::vector<std::unique_ptr<Section>> sections_;
  std::unordered_map<std::string, Section*> sectionsByName_;
  std::vector<std::string> trailingComments_;
  bool changed_ = false;
};

// Values are written so that they read back the same: a value holding a line break, a NUL, a
// control character or blanks at either end is written as "#~" and an escaped text.
[[nodiscard]] std::string EncodeValue(std::string_view value);
[[nodiscard]] std::string DecodeValue(std::string_view stored);

}  // namespace config
