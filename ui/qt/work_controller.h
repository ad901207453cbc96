#pragma once
// The window's work: one engine, its bridge and the result list, and the one busy state. A
// comparison, a run, the finishing of the stores, history files or a task each run on the
// engine's worker thread; while one does (or is waited for), Busy() is true and the window
// disables every command that would start another or change what it reads. Window thread only.
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/syncrun.h"
#include "ui/qt/bridge_target.h"
#include "ui/qt/result_table_model.h"
#include "ui/qt/run_bridge.h"
#include "ui/result_model.h"

namespace ui::qt {

enum class Work { None, Finishing, Comparing, Running, History, Task };

class WorkController : public QObject, public BridgeTarget {
  Q_OBJECT

 public:
  // `context` makes the engine's stores (path variables, store questions through the bridge).
  WorkController(engine::EngineSettings settings, engine::StoreContext context, ViewState view,
                 QObject* parent = nullptr);
  ~WorkController() override;

  [[nodiscard]] ResultTableModel& Table() { return *table_; }
  [[nodiscard]] ResultModel& Model() { return *model_; }
  [[nodiscard]] engine::SyncEngine& Engine() { return *engine_; }
  [[nodiscard]] RunBridge& Bridge() { return *bridge_; }
  [[nodiscard]] Work Current() const { return work_; }
  [[nodiscard]] bool Busy() const { return work_ != Work::None || !afterFinish_.empty(); }

  // Each false (nothing started) while busy. The stores of the last comparison are finished
  // first; a failure there is reported (storesNotFinished) and waits for Retry or Skip.
  bool StartComparison(std::vector<engine::SessionSpec> sessions);
  bool StartRun(std::vector<int> items);
  bool StartHistory(const std::string& folder, bool recursive);
  bool StartTask(std::function<void()> task);
  // Takes changed options for the next comparison or run; false (nothing changed) while busy.
  bool SetSettings(engine::EngineSettings settings);
  // Cancels what runs and answers every open question with cancel.
  void Cancel();
  // Cancels what runs, waits for it, finishes the stores, then calls `done` (the window closes).
  void Shutdown(std::function<void()> done);
  void RetryFinish();
  void SkipFinish();

  // Bridge reports (window thread).
  void OnComparisonStarted() override;
  void OnComparisonFinished(bool ok) override;
  void OnProblem(const std::string& text) override;
  void OnItemStarting(const engine::CompareItem* item) override;
  void OnItemDone(const engine::CompareItem* item) override;
  void OnItemFailed(const std::string& path, const std::string& reason) override;
  void OnEndOfItems() override;
  void OnStatusText(const std::string& text) override;
  void OnRunFinished(const engine::RunTotals& totals) override;
  void OnFinishFailed(const std::string& text) override;
  void OnWorkerEnded() override;
  void OnConfirm(const engine::ConfirmRequest& request, std::shared_ptr<PendingAnswer<int>> answer) override;
  void OnAskYesNo(const std::string& text, engine::PromptIcon icon,
                  std::shared_ptr<PendingAnswer<engine::PromptAnswer>> answer) override;
  void OnMessage(const std::string& text, engine::PromptIcon icon) override;

 signals:
  void busyChanged(bool busy);
  void runStarted();
  void runFinished(const engine::RunTotals& totals);
  void comparisonFinished(bool ok);
  void historyFinished();
  void taskFinished();
  void statusText(const QString& text);
  void problem(const QString& text);
  void itemFailed(const QString& path, const QString& reason);
  // The stores could not all write back; the window offers Retry (RetryFinish) or goes on (SkipFinish).
  void storesNotFinished(const QString& text);
  void confirmRequested(const engine::ConfirmRequest& request, std::shared_ptr<PendingAnswer<int>> answer);
  void yesNoRequested(const QString& text, engine::PromptIcon icon,
                      std::shared_ptr<PendingAnswer<engine::PromptAnswer>> answer);
  void message(const QString& text, engine::PromptIcon icon);

 private:
  void begin(Work work);
  // Finishes the stores on the worker, then runs `next` (unless a failure waits for the user).
  void finishThen(std::function<void()> next);
  void answerOpenQuestions();
  // Calls the shutdown's `done` once.
  void close();

  std::unique_ptr<RunBridge> bridge_;
  std::unique_ptr<engine::SyncEngine> engine_;
  std::unique_ptr<ResultModel> model_;
  std::unique_ptr<ResultTableModel> table_;
  QTimer rowTimer_;
  Work work_ = Work::None;
  std::vector<std::string> finishFailures_;
  // What runs once the stores are finished; not empty while that is waited for.
  std::vector<std::function<void()>> afterFinish_;
  std::vector<std::weak_ptr<PendingAnswer<int>>> openConfirms_;
  std::vector<std::weak_ptr<PendingAnswer<engine::PromptAnswer>>> openQuestions_;
  bool shuttingDown_ = false;
  std::function<void()> closeDone_;
};

}  // namespace ui::qt
