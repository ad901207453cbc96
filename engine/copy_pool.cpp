#include "engine/copy_pool.h"

#include <algorithm>

namespace engine {

unsigned CopyThreadsFor(unsigned cores, bool sameDisk) {
  if (cores <= 1) return 0;
  return std::min(sameDisk ? 2u : 4u, cores);
}

CopyPool::CopyPool(unsigned threads) {
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this](const std::stop_token& stop) { work(stop); });
}

CopyPool::~CopyPool() {
  for (auto& thread : threads_) thread.request_stop();
  changed_.notify_all();
  threads_.clear();
}

void CopyPool::Submit(Job job) {
  {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::make_shared<Task>(Task{std::move(job), false, false, {}}));
  }
  changed_.notify_all();
}

bool CopyPool::Pending() const {
  const std::lock_guard lock(mutex_);
  return !tasks_.empty();
}

std::optional<CopyPool::Outcome> CopyPool::TakeOldest(bool wait) {
  std::unique_lock lock(mutex_);
  if (tasks_.empty()) return std::nullopt;
  const std::shared_ptr<Task> oldest = tasks_.front();
  if (wait) {
    changed_.wait(lock, [&] { return oldest->done; });
  } else if (!oldest->done) {
    return std::nullopt;
  }
  tasks_.pop_front();
  return std::move(oldest->outcome);
}

void CopyPool::work(const std::stop_token& stop) {
  std::unique_lock lock(mutex_);
  for (;;) {
    std::shared_ptr<Task> next;
    changed_.wait(lock, stop, [&] {
      const auto waiting = std::find_if(tasks_.begin(), tasks_.end(), [](const auto& task) { return !task->started; });
      if (waiting != tasks_.end()) next = *waiting;
      return next != nullptr;
    });
    if (stop.stop_requested()) return;
    next->started = true;
    lock.unlock();
    Outcome outcome;
    outcome.ok = next->job(outcome.error);
    lock.lock();
    next->outcome = std::move(outcome);
    next->done = true;
    changed_.notify_all();
  }
}

}  // namespace engine
