#pragma once
// User tools: programs the user registers and starts on the current row of the result list, their
// parameters written with macros for the row's paths, today's date and the run's list files. One
// tool may be the file-comparison program that a double click on a file row starts.
#include <string>
#include <string_view>
#include <vector>

#include "config/records.h"

namespace ui {

// Tool N is command kFirstToolCommand + N in the menus and keys.
inline constexpr int kFirstToolCommand = 32933;
inline constexpr int kLastToolCommand = 34000;
// Flags above 0xFFFF mark the comparison tool; the low 16 bits are the user's own.
inline constexpr std::uint32_t kComparisonToolFlag = 0x10000;

[[nodiscard]] bool IsComparisonTool(const config::UserTool& tool);
// Makes tool `index` the comparison tool (or none with -1), keeping every tool's low 16 bits.
void MarkComparisonTool(std::vector<config::UserTool>& tools, int index);
// The comparison tool: the first one marked. Without a mark, the last tool whose command names a
// comparison program of our own kind ("diffwork3", "diffwork", not at its first character)
// becomes it and is marked. -1 when there is none.
[[nodiscard]] int ComparisonTool(std::vector<config::UserTool>& tools);
// The tools the menus show, in order: those with a name and a command, the comparison tool only
// when `withComparisonTool`.
[[nodiscard]] std::vector<int> MenuTools(const std::vector<config::UserTool>& tools, bool withComparisonTool);

// The macros, as the tools dialog inserts them.
inline constexpr std::string_view kSourcePathMacro = "{$SourcePath}";
inline constexpr std::string_view kTargetPathMacro = "{$TargetPath}";
inline constexpr std::string_view kSourceAliasMacro = "{$SrcAlias}";
inline constexpr std::string_view kTargetAliasMacro = "{$DstAlias}";
inline constexpr std::string_view kSourceFolderMacro = "{$SourceFolder}";
inline constexpr std::string_view kTargetFolderMacro = "{$TargetFolder}";
inline constexpr std::string_view kNewFileListMacro = "{$NewFileList}";
inline constexpr std::string_view kBackupListMacro = "{$BackupList}";

// The parameters a comparison program gets when its tool has none: the two local paths, or for
// "diffwork3" (named after a folder, not alone) each path followed by "/=" and its alias.
[[nodiscard]] std::string ComparisonParameters(std::string_view command);

// What the macros of one row stand for.
struct ToolValues {
  // Local files with the row's content on each side (the file itself in a local folder).
  std::string sourcePath;
  std::string targetPath;
  // Each side's folder joined with the row's name, as the comparison names it.
  std::string sourceAlias;
  std::string targetAlias;
  std::string newFileList;
  std::string backupList;
  // Today: day of month, month, year.
  int day = 1;
  int month = 1;
  int year = 2000;
};

// The parameter text as program arguments: split at blanks outside double quotes, then every
// macro and "%D", "%M", "%Y" replaced within its word. A value is never split, whatever blanks
// it holds, nor read again for macros: a path that holds "{$SourcePath}" stays as it is.
[[nodiscard]] std::vector<std::string> ExpandToolParameters(std::string_view text, const ToolValues& values);
[[nodiscard]] bool NamesNewFileList(std::string_view text);
[[nodiscard]] bool NamesBackupList(std::string_view text);

// The program a tool's command names: an absolute path of an executable file as it is, a name
// looked for in `programFolder` and then along the search path. Empty when not found.
[[nodiscard]] std::string FindToolProgram(const std::string& command, const std::string& programFolder);
// The comparison program when no tool is one: ours ("diffwork3", "diffwork"), else a comparison
// program of the desktop (Meld, KDiff3, Kompare, Diffuse). Empty when none is installed.
[[nodiscard]] std::string FindComparisonProgram(const std::string& programFolder);

}  // namespace ui
