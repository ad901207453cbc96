#pragma once
// The engine's observer and prompt for the window: runs on the worker thread, posts copies of
// every report to the window thread, keeps high-rate progress in atomics that the progress
// window polls, and waits only for the answers to questions (never on the window thread).
#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <future>
#include <mutex>
#include <string>

#include "engine/prompt.h"
#include "engine/syncrun.h"
#include "ui/qt/bridge_target.h"

namespace ui::qt {

// What the progress window shows, read at its own pace.
struct ProgressSnapshot {
  std::string file;
  int kind = 0;  // 1 copy, 2 delete
  std::uint64_t fileSize = 0;
  std::uint64_t fileDone = 0;
  std::uint64_t runTotal = 0;
  std::uint64_t runDone = 0;
};

class RunBridge : public engine::RunObserver, public engine::Prompt {
 public:
  // `context` lives on the window thread; posts to it are dropped once it is gone.
  RunBridge(QObject* context, BridgeTarget& target) : context_(context), target_(target) {}

  // Set from the window thread: comparisons stop at the next folder, questions answer cancel.
  void RequestCancel() { cancelled_ = true; }
  void ClearCancel() { cancelled_ = false; }
  // True once per batch of folders the comparison passed since the last call.
  [[nodiscard]] bool TakeNewRows() { return newRows_.exchange(false); }
  [[nodiscard]] ProgressSnapshot Progress() const;
  void ResetProgress();

  void ComparisonStarted() override;
  void FolderPassed(const std::string& relativeFolder, int itemCount) override;
  void ComparisonFinished(bool ok) override;
  void Problem(const std::string& text) override;
  [[nodiscard]] bool ShouldContinue() override { return !cancelled_; }

  [[nodiscard]] int Confirm(const engine::ConfirmRequest& request) override;
  void ItemStarting(const engine::CompareItem& item) override;
  void ItemDone(const engine::CompareItem& item) override;
  void ItemFailed(const engine::CompareItem& item, const std::string& path, const std::string& reason) override;
  void EndOfItems() override;
  void ProgressTotal(std::uint64_t total) override;
  void ProgressFile(const std::string& text, std::uint64_t size, int kind) override;
  void ProgressBytes(std::uint64_t done, std::uint64_t runDone) override;
  void StatusText(const std::string& text) override;
  void RunFinished(const engine::RunTotals& totals) override;
  void FinishFailed(const std::string& text) override;
  void WorkerEnded() override;

  // Store questions: from a worker they wait for the window's answer; on the window thread
  // itself nobody could answer, so they get "no" and the message is posted.
  void ShowMessage(const std::string& text, engine::PromptIcon icon) override;
  [[nodiscard]] engine::PromptAnswer AskYesNo(const std::string& text, engine::PromptIcon icon) override;

 private:
  template <typename Call>
  void post(Call call);
  [[nodiscard]] bool onWindowThread() const;
  template <typename T>
  T waitFor(std::future<T>& result, T onCancel);

  static constexpr int kCancelPollMs = 100;

  QPointer<QObject> context_;
  BridgeTarget& target_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> newRows_{false};
  std::atomic<std::uint64_t> fileSize_{0};
  std::atomic<std::uint64_t> fileDone_{0};
  std::atomic<std::uint64_t> runTotal_{0};
  std::atomic<std::uint64_t> runDone_{0};
  std::atomic<int> kind_{0};
  mutable std::mutex fileMutex_;  // guards file_
  std::string file_;
};

}  // namespace ui::qt
