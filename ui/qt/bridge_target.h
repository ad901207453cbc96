#pragma once
// What the window side is told by the workers, always on the window thread and always with
// copies; the run bridge posts each call there. Items are passed by address: an item never moves
// while the comparison that made it is shown, and a new comparison starts only after the worker
// that reports them has ended and its reports were handled.
#include <memory>
#include <string>

#include "engine/prompt.h"
#include "engine/syncrun.h"
#include "ui/qt/pending_answer.h"

namespace ui::qt {

class BridgeTarget {
 public:
  virtual ~BridgeTarget() = default;
  virtual void OnComparisonStarted() = 0;
  virtual void OnComparisonFinished(bool ok) = 0;
  virtual void OnProblem(const std::string& text) = 0;
  virtual void OnItemStarting(const engine::CompareItem* item) = 0;
  virtual void OnItemDone(const engine::CompareItem* item) = 0;
  virtual void OnItemFailed(const std::string& path, const std::string& reason) = 0;
  virtual void OnEndOfItems() = 0;
  virtual void OnStatusText(const std::string& text) = 0;
  virtual void OnRunFinished(const engine::RunTotals& totals) = 0;
  virtual void OnFinishFailed(const std::string& text) = 0;
  virtual void OnWorkerEnded() = 0;
  // Questions: answered once, from a dialog, through the pending answer.
  virtual void OnConfirm(const engine::ConfirmRequest& request, std::shared_ptr<PendingAnswer<int>> answer) = 0;
  virtual void OnAskYesNo(const std::string& text, engine::PromptIcon icon,
                          std::shared_ptr<PendingAnswer<engine::PromptAnswer>> answer) = 0;
  virtual void OnMessage(const std::string& text, engine::PromptIcon icon) = 0;
};

}  // namespace ui::qt
