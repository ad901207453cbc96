#include "ui/qt/run_bridge.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace ui::qt {

template <typename Call>
void RunBridge::post(Call call) {
  QObject* context = context_.data();
  if (context == nullptr) return;
  QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
}

template <typename T>
T RunBridge::waitFor(std::future<T>& result, T onCancel) {
  // The window answers every question it shows; a cancel (Cancel, or the window going) ends the
  // wait too, so a question whose dialog never came cannot hold the worker.
  while (result.wait_for(std::chrono::milliseconds(kCancelPollMs)) != std::future_status::ready) {
    if (cancelled_) return onCancel;
  }
  try {
    return result.get();
  } catch (const std::future_error&) {
    return onCancel;
  }
}

bool RunBridge::onWindowThread() const {
  QObject* context = context_.data();
  return context != nullptr && QThread::currentThread() == context->thread();
}

ProgressSnapshot RunBridge::Progress() const {
  ProgressSnapshot snapshot;
  {
    const std::lock_guard lock(fileMutex_);
    snapshot.file = file_;
  }
  snapshot.kind = kind_;
  snapshot.fileSize = fileSize_;
  snapshot.fileDone = fileDone_;
  snapshot.runTotal = runTotal_;
  snapshot.runDone = runDone_;
  return snapshot;
}

void RunBridge::ResetProgress() {
  {
    const std::lock_guard lock(fileMutex_);
    file_.clear();
  }
  kind_ = 0;
  fileSize_ = 0;
  fileDone_ = 0;
  runTotal_ = 0;
  runDone_ = 0;
}

void RunBridge::ComparisonStarted() {
  post([target = &target_] { target->OnComparisonStarted(); });
}

void RunBridge::FolderPassed(const std::string&, int) { newRows_ = true; }

void RunBridge::ComparisonFinished(bool ok) {
  post([target = &target_, ok] { target->OnComparisonFinished(ok); });
}

void RunBridge::Problem(const std::string& text) {
  post([target = &target_, text] { target->OnProblem(text); });
}

int RunBridge::Confirm(const engine::ConfirmRequest& request) {
  if (onWindowThread() || cancelled_) return engine::confirm::kCancel;
  auto answer = std::make_shared<PendingAnswer<int>>();
  std::future<int> result = answer->Future();
  post([target = &target_, request, answer] { target->OnConfirm(request, answer); });
  return waitFor(result, engine::confirm::kCancel);
}

void RunBridge::ItemStarting(const engine::CompareItem& item) {
  post([target = &target_, item = &item] { target->OnItemStarting(item); });
}

void RunBridge::ItemDone(const engine::CompareItem& item) {
  post([target = &target_, item = &item] { target->OnItemDone(item); });
}

void RunBridge::ItemFailed(const engine::CompareItem&, const std::string& path, const std::string& reason) {
  post([target = &target_, path, reason] { target->OnItemFailed(path, reason); });
}

void RunBridge::EndOfItems() {
  post([target = &target_] { target->OnEndOfItems(); });
}

void RunBridge::ProgressTotal(std::uint64_t total) {
  runTotal_ = total;
  runDone_ = 0;
}

void RunBridge::ProgressFile(const std::string& text, std::uint64_t size, int kind) {
  {
    const std::lock_guard lock(fileMutex_);
    file_ = text;
  }
  kind_ = kind;
  fileSize_ = size;
  fileDone_ = 0;
}

void RunBridge::ProgressBytes(std::uint64_t done, std::uint64_t runDone) {
  fileDone_ = done;
  runDone_ = runDone;
}

void RunBridge::StatusText(const std::string& text) {
  post([target = &target_, text] { target->OnStatusText(text); });
}

void RunBridge::RunFinished(const engine::RunTotals& totals) {
  post([target = &target_, totals] { target->OnRunFinished(totals); });
}

void RunBridge::FinishFailed(const std::string& text) {
  post([target = &target_, text] { target->OnFinishFailed(text); });
}

void RunBridge::WorkerEnded() {
  post([target = &target_] { target->OnWorkerEnded(); });
}

void RunBridge::ShowMessage(const std::string& text, engine::PromptIcon icon) {
  post([target = &target_, text, icon] { target->OnMessage(text, icon); });
}

engine::PromptAnswer RunBridge::AskYesNo(const std::string& text, engine::PromptIcon icon) {
  if (onWindowThread() || cancelled_) {
    ShowMessage(text, icon);
    return engine::PromptAnswer::No;
  }
  auto answer = std::make_shared<PendingAnswer<engine::PromptAnswer>>();
  std::future<engine::PromptAnswer> result = answer->Future();
  post([target = &target_, text, icon, answer] { target->OnAskYesNo(text, icon, answer); });
  return waitFor(result, engine::PromptAnswer::No);
}

}  // namespace ui::qt
