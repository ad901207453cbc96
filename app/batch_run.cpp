#include "app/batch_run.h"

#include <fstream>

#include "app/batch_observer.h"
#include "app/package_run.h"
#include "app/run_setup.h"
#include "engine/plan_text.h"
#include "engine/syncrun.h"
#include "engine/text.h"
#include "platform/file_system.h"
#include "platform/file_time.h"
#include "platform/interrupt.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace app {

using config::COptions;
using config::CSession;
namespace {

// Store questions in a run nobody watches: messages go to standard error, questions are
// answered yes.
class BatchPrompt : public engine::Prompt {
 public:
  explicit BatchPrompt(std::ostream& err) : err_(err) {}
  void ShowMessage(const std::string& text, engine::PromptIcon) override { err_ << text << '\n'; }
  engine::PromptAnswer AskYesNo(const std::string& text, engine::PromptIcon) override {
    err_ << text << " -> " << engine::Translate("${Yes}") << '\n';
    return engine::PromptAnswer::Yes;
  }

 private:
  std::ostream& err_;
};

// The action log of the run: none, or one opened for appending. `failed` is set (and said once)
// when the log was asked for but cannot be written.
std::unique_ptr<std::ostream> openActionLog(const COptions& options, std::ostream& err, bool& failed) {
  std::string path;
  if (options.logMode == 2) {
    path = !options.logFileOverride.empty() ? options.logFileOverride : options.logFile;
    if (path.empty()) {
      // Only the program's own folder is made; a folder the user named must be there.
      path = platform::joinPath(platform::joinPath(platform::userStateFolder(), "velkor"), "orvandi3.log");
      (void)platform::createFolderChain(platform::parentOf(path));
    }
  } else if (options.logMode == 1 && options.logState != 0) {
    path = options.logFile;
  }
  if (path.empty()) return nullptr;
  auto log = std::make_unique<std::ofstream>(path, std::ios::app);
  if (!*log) {
    failed = true;
    err << engine::TranslateFormat("${Cannot write the action log:} %s", {path}) << '\n';
    return nullptr;
  }
  return log;
}

// A side would lose every file only because the other side is empty: an unmounted disk must not
// wipe a backup.
std::string emptiedSide(engine::SyncEngine& engine) {
  const std::lock_guard lock(engine.Items().Lock());
  std::vector<std::uint64_t> sourceDeletions(engine.Pairs().size());
  std::vector<std::uint64_t> targetDeletions(engine.Pairs().size());
  for (const int index : engine.Order()) {
    const engine::CompareItem& item = engine.Items().at(index);
    if (item.isFolder() || item.action != engine::action::kDelete || !engine::IsSelected(item)) continue;
    const auto pair = static_cast<std::size_t>(item.folderItem().folder->pairIndex);
    if (item.presence != engine::presence::kTarget) ++sourceDeletions[pair];
    if (item.presence != engine::presence::kSource) ++targetDeletions[pair];
  }
  for (std::size_t i = 0; i < engine.Pairs().size(); ++i) {
    const engine::StorePair& pair = engine.Pairs()[i];
    if (pair.sourceFiles == 0 && pair.targetFiles > 0 && targetDeletions[i] == pair.targetFiles) {
      return engine::TranslateFormat("${The source is empty; the run would delete every file of the target:} %s",
                                     {pair.target->Root()});
    }
    if (pair.targetFiles == 0 && pair.sourceFiles > 0 && sourceDeletions[i] == pair.sourceFiles) {
      return engine::TranslateFormat("${The target is empty; the run would delete every file of the source:} %s",
                                     {pair.source->Root()});
    }
  }
  return {};
}

// A file changed on both sides is never decided by a run nobody watches: both stay as they are,
// and each is named.
std::uint64_t leaveConflictsAlone(engine::SyncEngine& engine, std::ostream& out) {
  const std::lock_guard lock(engine.Items().Lock());
  std::uint64_t conflicts = 0;
  for (const int index : engine.Order()) {
    engine::CompareItem& item = engine.Items().at(index);
    if (item.isFolder() || item.action != engine::action::kConflict) continue;
    item.flags = static_cast<std::uint16_t>(item.flags & ~engine::itemflag::kSelected);
    ++conflicts;
    out << engine::PrintableText(engine::TranslateFormat("${conflict, changed on both sides:} %s", {item.relativePath()})) << '\n';
  }
  return conflicts;
}

// A copy from a side that holds no content for the file (a package that lists it without carrying
// it) cannot be done: each is named with the side's reason, and the run does not end as done.
std::uint64_t reportNotCarried(engine::SyncEngine& engine, BatchObserver& observer) {
  const std::lock_guard lock(engine.Items().Lock());
  std::uint64_t notCarried = 0;
  for (const int index : engine.Order()) {
    const engine::CompareItem& item = engine.Items().at(index);
    const bool copy = item.action == engine::action::kCopyToSource || item.action == engine::action::kCopyToTarget;
    if (item.isFolder() || !copy || (item.flags & engine::itemflag::kSelected) == 0 ||
        engine::ActionAllowed(item.action, item.directionLock)) {
      continue;
    }
    const bool fromTarget = item.action == engine::action::kCopyToSource;
    engine::StorePair& pair = engine.Pairs()[static_cast<std::size_t>(item.folderItem().folder->pairIndex)];
    engine::Store& side = fromTarget ? *pair.target : *pair.source;
    const std::string path = fromTarget ? item.targetPath() : item.sourcePath();
    const bool readable = side.OpenContent(path) != nullptr;
    observer.ItemStarting(item);
    observer.ItemFailed(item, path, readable ? engine::Translate("${not carried}") : side.LastError());
    ++notCarried;
  }
  return notCarried;
}

std::uint64_t plannedFiles(engine::SyncEngine& engine) {
  const std::lock_guard lock(engine.Items().Lock());
  std::uint64_t planned = 0;
  for (const int index : engine.Order()) {
    if (engine::IsSelected(engine.Items().at(index))) ++planned;
  }
  return planned;
}

}  // namespace

int RunBatch(COptions& options, const RunOptions& run, const BatchIo& io, bool dryRun) {
  const bool quiet = run.verbosity == Verbosity::Quiet;
  if (options.runList.empty()) {
    io.err << engine::Translate("${Nothing to run: the project lists no existing session.}") << '\n';
    return exitcode::kCouldNotStart;
  }
  const std::int64_t now = platform::localSecondsNow();
  std::vector<engine::SessionSpec> plannedSessions;
  for (const CSession& session : options.runList) {
    std::string error;
    auto planned = MakeSessionSpec(session, options, now, error);
    if (!planned) {
      io.err << error << '\n';
      return exitcode::kCouldNotStart;
    }
    if (run.compareMode) planned->compareMode = *run.compareMode;
    if (!quiet) io.out << DescribeSession(session, run.compareMode) << '\n';
    plannedSessions.push_back(std::move(*planned));
  }
  io.out << std::flush;

  BatchPrompt prompt(io.err);
  bool logFailed = false;
  BatchObserver observer(io, run.verbosity, dryRun ? nullptr : openActionLog(options, io.err, logFailed));
  engine::SyncEngine engine(run.Apply(options.EngineSettings()), MakeStoreContext(options, &prompt), observer);
  if (!engine.StartCompare(std::move(plannedSessions), true)) {
    io.err << engine::Translate("${Nothing was changed.}") << '\n';
    // Stopped by the user while comparing: a cancelled run, not one that could not start.
    return platform::interruptRequested() ? exitcode::kItemsFailed : exitcode::kCouldNotStart;
  }
  LeftAloneTotals leftAlone;
  leftAlone.conflicts = leaveConflictsAlone(engine, io.out);
  const engine::LeftAlone& met = engine.LeftAloneCounts();
  leftAlone.links = met.links;
  leftAlone.caseClashes = met.caseClashes + met.kindClashes + met.refusedNames;
  leftAlone.unreadFolders = met.unreadFolders;
  // A package lists what it cannot carry; a run cannot copy it.
  if (run.packageFile.empty()) leftAlone.notCarried = reportNotCarried(engine, observer);
  if (plannedFiles(engine) == 0 && leftAlone.total() == 0 && !quiet) {
    io.out << engine::Translate(engine.FilesSeen() == 0 ? "${No files were found to synchronize!}"
                                                        : "${Folders seems to be identical!}")
           << '\n';
  }
  // The dry run refuses what the run refuses.
  const std::string emptied = emptiedSide(engine);
  if (!emptied.empty()) {
    io.err << emptied << '\n' << engine::Translate("${Nothing was changed.}") << '\n';
    return exitcode::kCouldNotStart;
  }
  // Anything left alone means the folders are not in step, and a log asked for is part of the
  // run: the status says so.
  const int leftAloneCode = leftAlone.total() == 0 && !logFailed ? exitcode::kSuccess : exitcode::kItemsFailed;
  if (run.verbosity == Verbosity::Verbose) observer.NameSameFiles(engine);
  if (dryRun) {
    engine::WritePlan(io.out, engine);
    io.out << engine::TranslateFormat("${Planned actions}: %s (${nothing was changed})", {std::to_string(plannedFiles(engine))})
           << LeftAloneText(leftAlone) << '\n';
    return leftAloneCode;
  }
  if (!run.packageFile.empty()) {
    const int code = WritePackage(engine, options, run.packageFile, MakeStoreContext(options, &prompt), io);
    return std::max(code, leftAloneCode);
  }
  observer.SetPlannedFiles(plannedFiles(engine));
  engine.StartSynchronize({}, true);
  const bool finished = engine.StartFinish(true);
  observer.WriteSummary(engine.Totals(), leftAlone);
  const engine::RunTotals& totals = engine.Totals();
  if (totals.failed != 0 || totals.cancelled || !finished) return exitcode::kItemsFailed;
  return leftAloneCode;
}

}  // namespace app
