#pragma once
// Named folder variables written "$(name)" and environment references written "%name%" in paths.
#include <string>
#include <utility>
#include <vector>

#include "config/profile.h"

namespace config {

struct PathVariable {
  std::string name;
  std::string path;
  bool operator==(const PathVariable&) const = default;
};

class PathVariables {
 public:
  // Builds the built-ins (documents folder, program folder, current drive) and the environment list.
  PathVariables();

  // Replaces every known reference. False when expansion does not come to an end within its
  // bounds (a variable that refers to itself); `out` then names the variable.
  bool Expand(const std::string& text, std::string& out) const;

  void Load(const CProfile& profile);
  void Save(CProfile& profile) const;
  // Takes the user-defined variables of `other`; the built-ins stay.
  void Assign(const PathVariables& other);
  void RefreshEnvironment();

  [[nodiscard]] const std::vector<PathVariable>& All() const { return variables_; }
  [[nodiscard]] int BuiltInCount() const { return builtIns_; }
  void AddUserVariable(PathVariable variable) { variables_.push_back(std::move(variable)); }
  void SetEnvironment(std::vector<std::pair<std::string, std::string>> environment) {
    environment_ = std::move(environment);
  }
  bool operator==(const PathVariables& other) const { return variables_ == other.variables_; }

 private:
  bool expandVariables(std::string& text, int depth, std::string& failed) const;
  bool expandEnvironment(std::string& text, int depth, std::string& failed) const;

  std::vector<PathVariable> variables_;
  int builtIns_ = 0;
  std::vector<std::pair<std::string, std::string>> environment_;
};

}  // namespace config
