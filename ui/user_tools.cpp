#include "ui/user_tools.h"

#include <array>
#include <cstdint>

#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/program_search.h"

namespace ui {
namespace {

// Where `name` stands in `command`, letter case ignored; npos when it does not.
std::size_t findProgramName(std::string_view command, std::string_view name) {
  return platform::asciiLower(command).find(platform::asciiLower(name));
}

std::string twoDigits(int value) {
  const int cut = value % 100;
  return std::string(1, static_cast<char>('0' + cut / 10)) + static_cast<char>('0' + cut % 10);
}

// The value a macro at `at` in `word` stands for, with its length; false when none starts there.
bool macroAt(std::string_view word, std::size_t at, const ToolValues& values, std::string& value, std::size_t& length) {
  const std::array<std::pair<std::string_view, const std::string*>, 8> macros{{
      {kSourcePathMacro, &values.sourcePath},
      {kTargetPathMacro, &values.targetPath},
      {kSourceAliasMacro, &values.sourceAlias},
      {kTargetAliasMacro, &values.targetAlias},
      // The folder macros name the files' local paths too: "Open" hands them to the desktop.
      {kSourceFolderMacro, &values.sourcePath},
      {kTargetFolderMacro, &values.targetPath},
      {kNewFileListMacro, &values.newFileList},
      {kBackupListMacro, &values.backupList},
  }};
  for (const auto& [macro, text] : macros) {
    if (word.substr(at, macro.size()) == macro) {
      value = *text;
      length = macro.size();
      return true;
    }
  }
  if (word[at] != '%' || at + 1 >= word.size()) return false;
  length = 2;
  switch (word[at + 1]) {
    case 'D': value = twoDigits(values.day); return true;
    case 'M': value = twoDigits(values.month); return true;
    case 'Y': value = twoDigits(values.year); return true;
    default: return false;
  }
}

}  // namespace

bool IsComparisonTool(const config::UserTool& tool) { return static_cast<std::uint32_t>(tool.Flags) > 0xFFFF; }

void MarkComparisonTool(std::vector<config::UserTool>& tools, int index) {
  for (std::size_t i = 0; i < tools.size(); ++i) {
    auto flags = static_cast<std::uint32_t>(tools[i].Flags) & 0xFFFF;
    if (static_cast<int>(i) == index) flags |= kComparisonToolFlag;
    tools[i].Flags = static_cast<int>(flags);
  }
}

int ComparisonTool(std::vector<config::UserTool>& tools) {
  for (std::size_t i = 0; i < tools.size(); ++i) {
    if (IsComparisonTool(tools[i])) return static_cast<int>(i);
  }
  int found = -1;
  for (std::size_t i = 0; i < tools.size(); ++i) {
    for (const std::string_view name : {"diffwork3", "diffwork"}) {
      const std::size_t at = findProgramName(tools[i].App, name);
      if (at != std::string::npos && at > 0) found = static_cast<int>(i);
    }
  }
  // No tool is marked yet, so marking this one changes no other.
  if (found >= 0) MarkComparisonTool(tools, found);
  return found;
}

std::vector<int> MenuTools(const std::vector<config::UserTool>& tools, bool withComparisonTool) {
  std::vector<int> shown;
  for (std::size_t i = 0; i < tools.size() && kFirstToolCommand + static_cast<int>(i) <= kLastToolCommand; ++i) {
    const config::UserTool& tool = tools[i];
    if (tool.Name.empty() || tool.App.empty()) continue;
    if (!withComparisonTool && IsComparisonTool(tool)) continue;
    shown.push_back(static_cast<int>(i));
  }
  return shown;
}

std::string ComparisonParameters(std::string_view command) {
  const std::size_t at = findProgramName(command, "diffwork3");
  std::string text;
  if (at != std::string::npos && at >= 2) {
    text.append(kSourcePathMacro).append(" /=").append(kSourceAliasMacro).append(" ");
    text.append(kTargetPathMacro).append(" /=").append(kTargetAliasMacro);
  } else {
    text.append(kSourcePathMacro).append(" ").append(kTargetPathMacro);
  }
  return text;
}

std::vector<std::string> ExpandToolParameters(std::string_view text, const ToolValues& values) {
  std::vector<std::string> arguments;
  for (const std::string& word : engine::CommandWords(text)) {
    std::string argument;
    for (std::size_t at = 0; at < word.size();) {
      std::string value;
      std::size_t length = 0;
      if (macroAt(word, at, values, value, length)) {
        argument += value;
        at += length;
      } else {
        argument += word[at++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

bool NamesNewFileList(std::string_view text) { return text.find(kNewFileListMacro) != std::string_view::npos; }
bool NamesBackupList(std::string_view text) { return text.find(kBackupListMacro) != std::string_view::npos; }

std::string FindToolProgram(const std::string& command, const std::string& programFolder) {
  std::vector<std::string> folders{programFolder};
  for (std::string& folder : platform::searchPathFolders()) folders.push_back(std::move(folder));
  return platform::findFileIn(command, folders, true);
}

std::string FindComparisonProgram(const std::string& programFolder) {
  for (const char* name : {"diffwork3", "diffwork", "meld", "kdiff3", "kompare", "diffuse"}) {
    std::string found = FindToolProgram(name, programFolder);
    if (!found.empty()) return found;
  }
  return {};
}

}  // namespace ui
