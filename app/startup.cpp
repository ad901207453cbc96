#include "app/startup.h"

#include <algorithm>

#include "app/archivers.h"
#include "app/batch_run.h"
#include "app/command_line.h"
#include "app/run_setup.h"
#include "config/config_location.h"
#include "config/options.h"
#include "engine/store_factory.h"
#include "engine/text.h"
#include "platform/file_time.h"
#include "platform/path.h"

namespace app {

using config::COptions;
using config::CSession;
using config::CProfile;
using config::LocateConfiguration;
namespace {

enum class Start { Batch, Preview, Window, WindowScan, Refused };

// A path given relative to the folder the program was started in, made absolute so that a stored
// session never depends on where a later run starts. Paths of other kinds ("ftp:NAME") and paths
// that begin with a variable stay as given.
std::string absolutePath(const std::string& path) {
  if (path.empty() || platform::isAbsolutePath(path) || !engine::StoreFactory::SchemeOf(path).empty() ||
      path.starts_with("$(") || path.starts_with("%") || path.starts_with("~")) {
    return path;
  }
  return platform::joinPath(platform::currentFolder(), path);
}

// A window start on a name or pair given on the command line: the start dialog opens on it. An
// unknown name is said and the dialog opens on the last-used pair.
void prepareWindowStart(const CSession& pair, COptions& options, const BatchIo& io) {
  if (pair.Src.empty()) return;
  if (!pair.Dst.empty()) {
    CSession given;
    given.CopyFrom(pair);
    given.Src = absolutePath(pair.Src);
    given.Dst = absolutePath(pair.Dst);
    options.currentSession.Merge(given);
    options.flags &= ~config::optflag::kLastStartWasProject;
  } else if (options.FindProject(pair.Src) >= 0) {
    options.currentProjectName = pair.Src;
    options.flags |= config::optflag::kLastStartWasProject;
  } else if (const CSession* session = options.FindSession(pair.Src)) {
    const std::string name = options.currentSession.Name;
    options.currentSession.CopyFrom(*session);
    options.currentSession.Name = name;
    options.flags &= ~config::optflag::kLastStartWasProject;
  } else {
    io.err << engine::Translate("${Could not find Project or Session by this name!}\n") + pair.Src << '\n';
  }
}

// The last-used start for a window that scans at once without a pair: the project when the last
// start was one, else the current session. False when neither can run.
bool selectLastStart(COptions& options) {
  if ((options.flags & config::optflag::kLastStartWasProject) != 0 && options.SelectProjectForRun(options.currentProjectName) &&
      !options.runList.empty()) {
    return true;
  }
  options.SelectCurrentSessionForRun();
  return !options.runList.empty();
}

// The start decision: which sessions run, and how. `code` is set when nothing runs.
// `hasWindow`: a window can be shown at all; `canSee`: someone can look at it now.
Start decide(const CAppCommandLine& commandLine, COptions& options, bool hasWindow, bool canSee, const BatchIo& io,
             int& code) {
  const CSession& pair = commandLine.pair;
  const bool automatic = (commandLine.batchFlags & batchflag::kAuto) != 0;
  const bool scan = (commandLine.batchFlags & batchflag::kScan) != 0;
  // Making a package changes nothing but the package: it needs no one to watch it.
  const bool package = !commandLine.run.packageFile.empty();
  auto refuse = [&](const std::string& text) {
    io.err << text << '\n';
    code = exitcode::kCouldNotStart;
    return Start::Refused;
  };
  if (!commandLine.badValues.empty()) {
    std::string values;
    for (const std::string& value : commandLine.badValues) values += (values.empty() ? "" : " ") + value;
    return refuse(engine::TranslateFormat("${Unknown switch, bad switch value or extra argument:} %s\n%s", {values, UsageText()}));
  }
  if (hasWindow && !automatic && !scan && !package) {
    prepareWindowStart(pair, options, io);
    return Start::Window;
  }
  // "-scan" (with "-auto" too) in front of a desktop shows the plan in the window, where nothing is
  // carried out without the user; without one it stays the dry run in the terminal.
  const bool scanInWindow = hasWindow && canSee && scan && !package;
  if (scanInWindow && pair.Src.empty()) return selectLastStart(options) ? Start::WindowScan : Start::Window;
  if (pair.Src.empty() || (!automatic && !scan && !package)) {
    return refuse(engine::Translate(
        "${This build of Velkor has no window. To run unattended add -auto, to see the plan first add -scan:}\n"
        "  orvandi3 SOURCE TARGET [MASKS] -back -R -auto\n  orvandi3 SESSION_OR_PROJECT -auto"));
  }
  if (pair.Dst.empty()) {
    if (options.SelectProjectForRun(pair.Src)) {
      if (options.runList.empty()) return refuse(engine::TranslateFormat("${The project lists no existing session:} %s", {pair.Src}));
      // The sessions that are there run; a project that cannot run whole does not end as done.
      const config::CProject& project = options.projects[static_cast<std::size_t>(options.FindProject(pair.Src))];
      for (const std::string& name : project.Sessions) {
        if (options.FindSession(name) != nullptr) continue;
        io.err << engine::TranslateFormat("${The project names a session that does not exist, left out:} %s", {name}) << '\n';
        code = exitcode::kItemsFailed;
      }
    } else if (const CSession* session = options.FindSession(pair.Src)) {
      // A stored session runs exactly as it was stored; the last-used pair stays as it was.
      CSession copy;
      copy.CopyFrom(*session);
      options.runList.assign(1, std::move(copy));
    } else if (scanInWindow) {
      // In the window the user can pick another: the start dialog opens on the last-used pair.
      io.err << engine::Translate("${Could not find Project or Session by this name!}\n") + pair.Src << '\n';
      return Start::Window;
    } else {
      return refuse(engine::Translate("${Could not find Project or Session by this name!}\n") + pair.Src);
    }
  } else {
    // Nobody checks an unattended run: it does what its command line says, with the defaults for
    // everything the command line leaves out, never what an earlier run left in the current
    // session. Afterwards the pair is the current session.
    CSession fresh;
    fresh.CopyFrom(pair);
    fresh.Src = absolutePath(pair.Src);
    fresh.Dst = absolutePath(pair.Dst);
    if (fresh.Todo == config::kTodoNotGiven) fresh.Todo = config::kSynchronize;
    options.currentSession = fresh;
    options.SelectCurrentSessionForRun();
  }
  if (scanInWindow) return Start::WindowScan;
  return scan ? Start::Preview : Start::Batch;
}

}  // namespace

std::string UsageText() {
  // Translated line by line: a text as long as the whole is never translated at once.
  const std::string text = (
      "Velkor " VELKOR_VERSION " - ${two-folder file synchronizer}\n"
      "\n"
      "${Usage}: orvandi3 SOURCE TARGET [MASKS] [${switches}]\n"
      "       orvandi3 SESSION_OR_PROJECT [${switches}]\n"
      "\n"
      "  -sync -back -update -copy -smart   ${action: synchronize, backup, update target, duplicate, smart}\n"
      "  -auto          ${run without a window and end}\n"
      "  -scan          ${show the planned actions and change nothing}\n"
      "  -R  -RM        ${include subfolders (-RM: only folders present on both sides)}\n"
      "  -M  -O         ${only files present on both sides / on one side}\n"
      "  -H  -h         ${skip hidden files}\n"
      "  -XMASKS        ${leave out files matching MASKS}\n"
      "  -XDFOLDERS     ${leave out these folders}\n"
      "  --D3 --W --M   ${only files changed in the last 3 days / this week / this month}\n"
      "  -date:D.M.Y[-D.M.Y]  ${only files changed in this date range}\n"
      "  -IFILE         ${use this configuration file}\n"
      "  -log[=FILE] -nolog   ${write an action log (to FILE, else the LogFile setting) / write none}\n"
      "  -package=FILE.pkg    ${write a package of what the other machine lacks instead of synchronizing}\n"
      "\n"
      "${For this run only (the configuration is not changed):}\n"
      "  --history  --no-history         ${history files: carry deletions over}\n"
      "  --backup[=DIR]  --no-backup     ${keep a copy of every file before it is overwritten or deleted}\n"
      "  --trash  --no-trash             ${delete to the trash}\n"
      "  --empty-folders                 ${create and remove empty folders too}\n"
      "  --compare=time|content|size|time-or-content   ${how files are compared}\n"
      "  --quiet        ${print only problems and the summary}\n"
      "  --verbose      ${also name every file left alone and why}\n"
      "  --version      ${print the version}\n"
      "  -?  --help     ${this text}\n"
      "\n"
      "${Exit status: 0 all done, 1 an item failed, was left alone or the run was cancelled, 2 the run could not start.}\n");
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    out += engine::Translate(text.substr(start, end - start)) + "\n";
    start = end + 1;
  }
  return out;
}

int StartUp(const std::vector<std::string>& arguments, const std::string& executablePath, const StartHooks& hooks,
             const BatchIo& io) {
  const CAppCommandLine commandLine(arguments, platform::localSecondsNow());
  if (commandLine.run.version) {
    io.out << "Velkor " VELKOR_VERSION "\n";
    return exitcode::kSuccess;
  }
  CProfile profile;
  const std::string file = LocateConfiguration(commandLine.configurationFile, executablePath);
  const CProfile::LoadState state = profile.SetFile(file);
  const bool showsOnly = (commandLine.batchFlags & batchflag::kUsage) != 0 || commandLine.run.listNames;
  if ((state == CProfile::LoadState::Unreadable || state == CProfile::LoadState::Foreign) && !showsOnly) {
    // Its backups, history files and other options are not known: nothing runs without them,
    // and the file is kept as it is.
    io.err << engine::TranslateFormat(state == CProfile::LoadState::Foreign
                                          ? "${This file is no configuration; it is kept as it is and nothing runs:} %s"
                                          : "${The configuration cannot be read; it is kept as it is and nothing runs:} %s",
                                      {file})
           << '\n';
    return exitcode::kCouldNotStart;
  }
  COptions options;
  options.Load(profile);
  RegisterConnections(options);
  options.archiverDescriptionPath = RegisterArchivers(executablePath, file);
  options.logMode = commandLine.logMode;
  options.logFileOverride = commandLine.logFileOverride;
  if (!options.language.empty() && hooks.loadDictionary) hooks.loadDictionary(options.language);
  if ((commandLine.batchFlags & batchflag::kUsage) != 0) {
    io.out << UsageText();
    return exitcode::kSuccess;
  }
  if (commandLine.run.listNames) {
    for (const config::CProject& project : options.projects) io.out << project.Name << '\n';
    for (const config::CSession& session : options.sessions) io.out << session.Name << '\n';
    return exitcode::kSuccess;
  }

  int code = exitcode::kSuccess;
  const bool hasWindow = static_cast<bool>(hooks.runWindow);
  const bool canSee = hasWindow && hooks.hasDisplay && hooks.hasDisplay();
  switch (decide(commandLine, options, hasWindow, canSee, io, code)) {
    case Start::Batch: code = std::max(code, RunBatch(options, commandLine.run, io, false)); break;
    case Start::Window: code = std::max(code, hooks.runWindow(options, profile, false)); break;
    case Start::WindowScan: code = std::max(code, hooks.runWindow(options, profile, true)); break;
    // A dry run changes nothing, the configuration included.
    case Start::Preview: return std::max(code, RunBatch(options, commandLine.run, io, true));
    case Start::Refused: break;
  }

  options.Save(profile);
  std::string error;
  if (!profile.WriteAtExit(&error)) {
    io.err << engine::TranslateFormat("${The configuration was not saved:} %s", {error}) << '\n';
    if (code == exitcode::kSuccess) code = exitcode::kItemsFailed;
  }
  return code;
}

}  // namespace app
