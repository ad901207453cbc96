#include "app/batch_observer.h"

#include <cstdio>

#include "engine/plan_text.h"
#include "engine/text.h"
#include "platform/file_time.h"
#include "platform/interrupt.h"

namespace app {
namespace {

constexpr std::size_t kStatusWidth = 100;

std::string localNow() {
  return platform::formatCalendar(platform::localFromFileTime(platform::fileTimeNow()));
}

std::string actionPath(const engine::CompareItem& item) {
  return item.action == engine::action::kCopyToSource ? item.sourcePath() : item.targetPath();
}

}  // namespace

std::string HumanBytes(std::uint64_t bytes) {
  static constexpr const char* kUnits[] = {"B", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024.0 && unit < 4) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, kUnits[unit]);
  return text;
}

BatchObserver::BatchObserver(const BatchIo& io, Verbosity verbosity, std::unique_ptr<std::ostream> log)
    : out_(io.out),
      err_(io.err),
      status_(io.errTerminal),
      actionLines_(verbosity != Verbosity::Quiet && !(io.errTerminal && io.outTerminal)),
      verbosity_(verbosity),
      log_(std::move(log)) {}

int BatchObserver::Confirm(const engine::ConfirmRequest&) { return engine::confirm::kYesOnce; }

bool BatchObserver::ShouldContinue() { return !platform::interruptRequested(); }

void BatchObserver::clearStatus() {
  if (!statusShown_) return;
  err_ << "\r\033[K";
  statusShown_ = false;
}

void BatchObserver::showStatus(bool force) {
  if (!status_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastStatus_ < std::chrono::milliseconds(100)) return;
  lastStatus_ = now;
  const unsigned percent = runTotal_ == 0 ? 100U : static_cast<unsigned>(runDone_ * 100 / runTotal_);
  std::string line = "[" + std::to_string(percent > 100 ? 100 : percent) + "%] " + HumanBytes(runDone_) + "/" +
                     HumanBytes(runTotal_) + "  " + std::to_string(done_) + "/" + std::to_string(planned_) + "  " +
                     currentAction_ + " " + currentPath_ + " (" + HumanBytes(fileDone_) + "/" + HumanBytes(fileSize_) + ")";
  if (line.size() > kStatusWidth) line = line.substr(0, kStatusWidth - 3) + "...";
  err_ << "\r\033[K" << engine::PrintableText(line) << std::flush;
  statusShown_ = true;
}

void BatchObserver::logLine(const std::string& action, const std::string& path, const std::string& result) {
  if (log_) {
    *log_ << localNow() << '\t' << action << '\t' << engine::PrintableText(path) << '\t' << engine::PrintableText(result) << '\n'
          << std::flush;
  }
}

void BatchObserver::Problem(const std::string& text) {
  clearStatus();
  err_ << engine::Translate("${Warning}") << ": " << text << '\n' << std::flush;
  logLine("warning", text, "");
}

void BatchObserver::Filtered(const std::string& path) {
  if (verbosity_ == Verbosity::Verbose) out_ << engine::Translate("${left alone, filtered:} ") << engine::PrintableText(path) << '\n';
}

void BatchObserver::NameSameFiles(engine::CompareEngine& engine) {
  const std::lock_guard lock(engine.Items().Lock());
  for (const int index : engine.Order()) {
    const engine::CompareItem& item = engine.Items().at(index);
    if (item.isFolder() || item.action != engine::action::kNone) continue;
    out_ << engine::Translate("${left alone, the same on both sides:} ") << engine::PrintableText(item.sourcePath()) << '\n';
  }
}

void BatchObserver::ItemStarting(const engine::CompareItem& item) {
  currentAction_ = engine::ActionLabel(item.action);
  currentPath_ = item.relativePath();
  fileSize_ = item.action == engine::action::kCopyToSource ? item.targetSize : item.sourceSize;
  fileDone_ = 0;
  showStatus(false);
}

void BatchObserver::ItemDone(const engine::CompareItem& item) {
  ++done_;
  logLine(currentAction_, actionPath(item), "ok");
  // Lines are flushed with the stream's buffer, not one system call each; the summary flushes.
  if (actionLines_) out_ << currentAction_ << ' ' << engine::PrintableText(currentPath_) << '\n';
  showStatus(false);
}

void BatchObserver::ItemFailed(const engine::CompareItem&, const std::string& path, const std::string& reason) {
  clearStatus();
  // The stores' reasons name the operation and the path that failed; others get the path here.
  const std::string text = reason.find(path) != std::string::npos ? reason : path + ": " + reason;
  out_ << std::flush;
  err_ << engine::Translate("${Failed}") << ": " << text << '\n' << std::flush;
  logLine(currentAction_, path, "failed: " + reason);
}

void BatchObserver::ProgressTotal(std::uint64_t total) { runTotal_ = total; }

void BatchObserver::ProgressFile(const std::string&, std::uint64_t size, int) {
  fileSize_ = size;
  fileDone_ = 0;
  showStatus(false);
}

void BatchObserver::ProgressBytes(std::uint64_t done, std::uint64_t runDone) {
  fileDone_ = done;
  runDone_ = runDone;
  showStatus(false);
}

void BatchObserver::RunFinished(const engine::RunTotals& totals) {
  runDone_ = totals.bytes;
  clearStatus();
}

void BatchObserver::FinishFailed(const std::string& text) {
  clearStatus();
  err_ << engine::Translate("${Failed}") << ": " << text << '\n' << std::flush;
  logLine("finish", text, "failed");
}

std::string LeftAloneText(const LeftAloneTotals& leftAlone) {
  std::string text;
  auto add = [&](const char* label, std::uint64_t count) {
    if (count != 0) text += ", " + engine::Translate(label) + ": " + std::to_string(count);
  };
  add("${conflicts left alone}", leftAlone.conflicts);
  add("${links left out}", leftAlone.links);
  add("${folders not read}", leftAlone.unreadFolders);
  add("${not in package}", leftAlone.notCarried);
  return text;
}

void BatchObserver::WriteSummary(const engine::RunTotals& totals, const LeftAloneTotals& leftAlone) {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  char time[32];
  std::snprintf(time, sizeof time, "%.1f s", seconds);
  out_ << engine::TranslateFormat(
              "${Copied to target}: %s, ${copied to source}: %s, ${deleted}: %s, ${skipped}: %s, ${failed}: %s, "
              "${bytes moved}: %s, ${time}: %s",
              {std::to_string(totals.copiedToTarget), std::to_string(totals.copiedToSource),
               std::to_string(totals.deleted + totals.foldersRemoved), std::to_string(totals.skipped + leftAlone.caseClashes),
               std::to_string(totals.failed), HumanBytes(totals.bytes), time})
       << LeftAloneText(leftAlone) << (totals.cancelled ? " (" + engine::Translate("${Cancelled}") + ")" : std::string()) << '\n'
       << std::flush;
}

}  // namespace app
