#include "ui/qt/work_controller.h"

#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

// New rows are shown in batches: often enough to see the list grow, seldom enough to stay cheap.
constexpr int kRowBatchMs = 150;

}  // namespace

WorkController::WorkController(engine::EngineSettings settings, engine::StoreContext context, ViewState view,
                               QObject* parent)
    : QObject(parent), bridge_(std::make_unique<RunBridge>(this, *this)) {
  context.prompt = bridge_.get();
  engine_ = std::make_unique<engine::SyncEngine>(std::move(settings), std::move(context), *bridge_);
  model_ = std::make_unique<ResultModel>(*engine_, std::move(view), [this](std::vector<int> items) { StartRun(std::move(items)); });
  table_ = std::make_unique<ResultTableModel>(*model_);
  rowTimer_.setInterval(kRowBatchMs);
  connect(&rowTimer_, &QTimer::timeout, this, [this] {
    if (bridge_->TakeNewRows()) table_->ShowNewRows();
  });
}

WorkController::~WorkController() {
  // The worker may be waiting for an answer: it gets cancel, and the engine's destructor joins it.
  bridge_->RequestCancel();
  engine_->Cancel();
  answerOpenQuestions();
  engine_->Wait();
}

void WorkController::begin(Work work) {
  const bool wasBusy = Busy();
  work_ = work;
  bridge_->ClearCancel();
  if (!wasBusy) emit busyChanged(true);
}

void WorkController::finishThen(std::function<void()> next) {
  afterFinish_.push_back(std::move(next));
  finishFailures_.clear();
  begin(Work::Finishing);
  engine_->StartFinish(false);
}

void WorkController::RetryFinish() {
  if (work_ != Work::None || afterFinish_.empty()) return;
  finishFailures_.clear();
  begin(Work::Finishing);
  engine_->StartFinish(false);
}

void WorkController::SkipFinish() {
  if (work_ != Work::None || afterFinish_.empty()) return;
  std::vector<std::function<void()>> next;
  next.swap(afterFinish_);
  for (auto& step : next) step();
  if (!Busy()) emit busyChanged(false);
}

bool WorkController::StartComparison(std::vector<engine::SessionSpec> sessions) {
  if (Busy()) return false;
  finishThen([this, sessions = std::move(sessions)]() mutable {
    table_->ClearForComparison();
    begin(Work::Comparing);
    rowTimer_.start();
    engine_->StartCompare(std::move(sessions), false);
  });
  return true;
}

bool WorkController::StartRun(std::vector<int> items) {
  if (Busy()) return false;
  begin(Work::Running);
  bridge_->ResetProgress();
  emit runStarted();
  engine_->StartSynchronize(std::move(items), false);
  return true;
}

bool WorkController::StartHistory(const std::string& folder, bool recursive) {
  if (Busy()) return false;
  begin(Work::History);
  engine_->StartHistory(folder, recursive, false);
  return true;
}

bool WorkController::StartTask(std::function<void()> task) {
  if (Busy()) return false;
  begin(Work::Task);
  engine_->StartTask(std::move(task), false);
  return true;
}

bool WorkController::SetSettings(engine::EngineSettings settings) {
  if (Busy()) return false;
  engine_->SetSettings(std::move(settings));
  return true;
}

void WorkController::Cancel() {
  bridge_->RequestCancel();
  engine_->Cancel();
  answerOpenQuestions();
}

void WorkController::Shutdown(std::function<void()> done) {
  if (shuttingDown_) return;
  shuttingDown_ = true;
  closeDone_ = std::move(done);
  // Nothing else runs after the window closes: only the finishing of the stores, then `done`.
  afterFinish_.clear();
  if (work_ == Work::None) {
    finishThen([this] { close(); });
  } else {
    Cancel();
  }
}

void WorkController::close() {
  if (!closeDone_) return;
  auto done = std::move(closeDone_);
  closeDone_ = nullptr;
  done();
}

void WorkController::answerOpenQuestions() {
  for (auto& open : openConfirms_) {
    if (auto answer = open.lock()) answer->Answer(engine::confirm::kCancel);
  }
  for (auto& open : openQuestions_) {
    if (auto answer = open.lock()) answer->Answer(engine::PromptAnswer::No);
  }
  openConfirms_.clear();
  openQuestions_.clear();
}

void WorkController::OnComparisonStarted() { table_->ComparisonStarted(); }

void WorkController::OnComparisonFinished(bool) {
  // Rows of the last folders that no batch showed yet come with the settled list.
  (void)bridge_->TakeNewRows();
  table_->ComparisonEnded();
}

void WorkController::OnProblem(const std::string& text) { emit problem(qs(text)); }

void WorkController::OnItemStarting(const engine::CompareItem* item) {
  if (work_ == Work::Running) table_->RunItemStarting(item);
}

void WorkController::OnItemDone(const engine::CompareItem* item) {
  if (work_ == Work::Running) table_->RunItemDone(item);
}

void WorkController::OnItemFailed(const std::string& path, const std::string& reason) {
  emit itemFailed(qs(path), qs(reason));
}

void WorkController::OnEndOfItems() { emit statusText(tx("${Updating archives}")); }

void WorkController::OnStatusText(const std::string& text) { emit statusText(qs(text)); }

void WorkController::OnRunFinished(const engine::RunTotals& totals) {
  if (work_ != Work::Running) return;
  table_->RunEnded();
  emit runFinished(totals);
}

void WorkController::OnFinishFailed(const std::string& text) { finishFailures_.push_back(text); }

void WorkController::OnWorkerEnded() {
  engine_->Wait();
  const Work ended = work_;
  work_ = Work::None;
  rowTimer_.stop();
  switch (ended) {
    case Work::Comparing: emit comparisonFinished(engine_->LastError().empty()); break;
    case Work::History: emit historyFinished(); break;
    case Work::Task: emit taskFinished(); break;
    case Work::Finishing: {
      if (!finishFailures_.empty() && !shuttingDown_) {
        std::string text;
        for (const std::string& failure : finishFailures_) text += failure + "\n";
        emit storesNotFinished(qs(text));
        return;  // still busy: what waits for the stores waits for Retry or Skip
      }
      std::vector<std::function<void()>> next;
      next.swap(afterFinish_);
      for (auto& step : next) step();
      if (shuttingDown_) close();
      break;
    }
    default: break;
  }
  if (shuttingDown_ && ended != Work::Finishing) finishThen([this] { close(); });
  if (!Busy()) emit busyChanged(false);
}

void WorkController::OnConfirm(const engine::ConfirmRequest& request, std::shared_ptr<PendingAnswer<int>> answer) {
  if (shuttingDown_) {
    answer->Answer(engine::confirm::kCancel);
    return;
  }
  openConfirms_.push_back(answer);
  emit confirmRequested(request, answer);
}

void WorkController::OnAskYesNo(const std::string& text, engine::PromptIcon icon,
                                std::shared_ptr<PendingAnswer<engine::PromptAnswer>> answer) {
  if (shuttingDown_) {
    answer->Answer(engine::PromptAnswer::No);
    return;
  }
  openQuestions_.push_back(answer);
  emit yesNoRequested(qs(text), icon, answer);
}

void WorkController::OnMessage(const std::string& text, engine::PromptIcon icon) { emit message(qs(text), icon); }

}  // namespace ui::qt
