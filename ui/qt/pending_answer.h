#pragma once
// The answer a worker waits for: given once on the window thread (from a dialog, or "cancel"
// when the window closes); later answers are ignored.
#include <future>

namespace ui::qt {

template <typename T>
class PendingAnswer {
 public:
  [[nodiscard]] std::future<T> Future() { return promise_.get_future(); }
  // Window thread only.
  void Answer(T value) {
    if (answered_) return;
    answered_ = true;
    promise_.set_value(value);
  }
  [[nodiscard]] bool Answered() const { return answered_; }

 private:
  std::promise<T> promise_;
  bool answered_ = false;
};

}  // namespace ui::qt
