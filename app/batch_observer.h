#pragma once
// What a person at a terminal (or a scheduled job's log) sees of an unattended run: what it does
// on standard output (one line per action, or one status line updated in place on a terminal;
// the summary), problems only on standard error, the action log. Every question is answered yes.
#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "app/batch_run.h"
#include "app/run_options.h"
#include "engine/syncrun.h"

namespace app {

// What a run left alone on purpose: each also named while the run went on.
struct LeftAloneTotals {
  std::uint64_t conflicts = 0;
  std::uint64_t links = 0;
  // Names left alone because the two sides cannot hold them as they are (letter case, folder
  // against file): counted as skipped.
  std::uint64_t caseClashes = 0;
  std::uint64_t unreadFolders = 0;
  // Copies whose side holds no content for them (a package's list line without its file).
  std::uint64_t notCarried = 0;
  [[nodiscard]] std::uint64_t total() const { return conflicts + links + caseClashes + unreadFolders + notCarried; }
};

// ", conflicts left alone: 2, links left out: 1": the parts that are not 0.
[[nodiscard]] std::string LeftAloneText(const LeftAloneTotals& leftAlone);

class BatchObserver : public engine::RunObserver {
 public:
  // `log` may be empty (no action log).
  BatchObserver(const BatchIo& io, Verbosity verbosity, std::unique_ptr<std::ostream> log);

  int Confirm(const engine::ConfirmRequest& request) override;
  bool ShouldContinue() override;
  void Problem(const std::string& text) override;
  void Filtered(const std::string& path) override;
  void ItemStarting(const engine::CompareItem& item) override;
  void ItemDone(const engine::CompareItem& item) override;
  void ItemFailed(const engine::CompareItem& item, const std::string& path, const std::string& reason) override;
  void ProgressTotal(std::uint64_t total) override;
  void ProgressFile(const std::string& text, std::uint64_t size, int kind) override;
  void ProgressBytes(std::uint64_t done, std::uint64_t runDone) override;
  void RunFinished(const engine::RunTotals& totals) override;
  void FinishFailed(const std::string& text) override;

  void SetPlannedFiles(std::uint64_t planned) { planned_ = planned; }
  // With --verbose: names the files that are the same on both sides.
  void NameSameFiles(engine::CompareEngine& engine);
  void WriteSummary(const engine::RunTotals& totals, const LeftAloneTotals& leftAlone);

 private:
  void showStatus(bool force);
  void clearStatus();
  void logLine(const std::string& action, const std::string& path, const std::string& result);

  std::ostream& out_;
  std::ostream& err_;
  // A status line on standard error, updated in place.
  bool status_;
  // One line per action on standard output (not when the status line stands for them).
  bool actionLines_;
  Verbosity verbosity_;
  std::unique_ptr<std::ostream> log_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastStatus_{};
  bool statusShown_ = false;
  std::string currentAction_;
  std::string currentPath_;
  std::uint64_t fileSize_ = 0;
  std::uint64_t fileDone_ = 0;
  std::uint64_t runTotal_ = 0;
  std::uint64_t runDone_ = 0;
  std::uint64_t planned_ = 0;
  std::uint64_t done_ = 0;
};

// "1.234.567" style byte counts are for lists; the terminal shows "1.2 MB".
[[nodiscard]] std::string HumanBytes(std::uint64_t bytes);

}  // namespace app
