#include "config/path_variables.h"

#include "config/transfer.h"
#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace config {
namespace {

constexpr int kMaxDepth = 16;
constexpr int kMaxReplacements = 256;
constexpr std::size_t kMaxLength = 32768;
constexpr std::string_view kSection = "PathVars";

// `a` and `b` with exactly one separator between them (one leading separator of `b` dropped).
std::string joinOnce(const std::string& a, std::string_view b) {
  std::string out = a;
  if (out.empty() || !platform::isSeparator(out.back())) out += platform::kSeparator;
  if (!b.empty() && platform::isSeparator(b.front())) b.remove_prefix(1);
  out += b;
  return out;
}

}  // namespace

PathVariables::PathVariables() {
  variables_.push_back({"My Documents", platform::documentsFolder()});
  variables_.push_back({"Program Files", "/usr"});
  variables_.push_back({"Current drive", "/"});
  builtIns_ = static_cast<int>(variables_.size());
  RefreshEnvironment();
}

void PathVariables::RefreshEnvironment() {
  environment_ = platform::environmentEntries();
}

bool PathVariables::expandVariables(std::string& text, int depth, std::string& failed) const {
  int replacements = 0;
  for (const PathVariable& variable : variables_) {
    if (variable.name.empty()) continue;
    const std::string reference = "$(" + platform::asciiUpper(variable.name) + ")";
    for (;;) {
      // Upper-casing ASCII only keeps every byte position, so positions found in the copy are
      // positions in the text, also inside UTF-8 sequences.
      const std::size_t position = platform::asciiUpper(text).find(reference);
      if (position == std::string::npos) break;
      if (++replacements > kMaxReplacements || depth > kMaxDepth) {
        failed = variable.name;
        return false;
      }
      const std::string left = text.substr(0, position);
      const std::string right = text.substr(position + reference.size());
      std::string replaced = left.empty() ? variable.path : joinOnce(left, variable.path);
      replaced = joinOnce(replaced, right);
      if (replaced.size() > kMaxLength) {
        failed = variable.name;
        return false;
      }
      text = std::move(replaced);
      if (text.find("$(") != std::string::npos && !expandVariables(text, depth + 1, failed)) {
        if (failed.empty()) failed = variable.name;
        return false;
      }
    }
  }
  return true;
}

bool PathVariables::expandEnvironment(std::string& text, int depth, std::string& failed) const {
  int replacements = 0;
  for (const auto& [name, value] : environment_) {
    const std::string reference = "%" + name + "%";
    for (;;) {
      const std::size_t position = text.find(reference);
      if (position == std::string::npos) break;
      if (++replacements > kMaxReplacements || depth > kMaxDepth) {
        failed = "%" + name + "%";
        return false;
      }
      text = text.substr(0, position) + value + text.substr(position + reference.size());
      if (text.size() > kMaxLength) {
        failed = "%" + name + "%";
        return false;
      }
      if (text.find("%%") != std::string::npos && !expandEnvironment(text, depth + 1, failed)) return false;
    }
  }
  return true;
}

bool PathVariables::Expand(const std::string& text, std::string& out) const {
  std::string expanded = text;
  std::string failed;
  if (expandVariables(expanded, 0, failed) && expandEnvironment(expanded, 0, failed)) {
    out = std::move(expanded);
    return true;
  }
  const std::string reference = failed.starts_with("%") ? failed : "$(" + failed + ")";
  out = engine::TranslateFormat("${Path variable refers to itself:} %s\n%s", {reference, text});
  return false;
}

void PathVariables::Load(const CProfile& profile) {
  variables_.resize(static_cast<std::size_t>(builtIns_));
  const int total = BoundedCount(profile.GetInt(kSection, "Total", 0), [&](int k) {
    return profile.HasKey(kSection, std::to_string(k - 1)) || profile.HasKey(kSection, "var_" + std::to_string(k - 1));
  });
  for (int i = 0; i < total; ++i) {
    PathVariable variable;
    variable.name = profile.GetText(kSection, std::to_string(i), "");
    variable.path = profile.GetText(kSection, "var_" + std::to_string(i), "");
    variables_.push_back(std::move(variable));
  }
}

void PathVariables::Save(CProfile& profile) const {
  const int total = static_cast<int>(variables_.size()) - builtIns_;
  profile.SetInt(kSection, "Total", total);
  for (int i = 0; i < total; ++i) {
    const PathVariable& variable = variables_[static_cast<std::size_t>(builtIns_ + i)];
    profile.SetText(kSection, std::to_string(i), variable.name);
    profile.SetText(kSection, "var_" + std::to_string(i), variable.path);
  }
}

void PathVariables::Assign(const PathVariables& other) {
  variables_.resize(static_cast<std::size_t>(builtIns_));
  for (std::size_t i = static_cast<std::size_t>(other.builtIns_); i < other.variables_.size(); ++i) {
    variables_.push_back(other.variables_[i]);
  }
}

}  // namespace config
