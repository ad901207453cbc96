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
  threads_.clear();
}

void CopyPool::Submit(Job job) {
  bool wake = false;
  {
    const std::lock_guard lock(mutex_);
    auto task = std::make_shared<Task>(Task{std::move(job), false, {}});
    tasks_.push_back(task);
    notStarted_.push_back(std::move(task));
    // Idle threads are woken for a few copies at once, not for each: the run hands them in
    // faster than a wake-up takes.
    wake = idleThreads_ > 0 && notStarted_.size() >= kWakeBatch * threads_.size();
  }
  if (wake) queued_.notify_all();
}

bool CopyPool::Pending() const {
  const std::lock_guard lock(mutex_);
  return !tasks_.empty();
}

bool CopyPool::oldestEnded(std::size_t count) const {
  const std::size_t checked = std::min(count, tasks_.size());
  return std::all_of(tasks_.begin(), tasks_.begin() + static_cast<std::ptrdiff_t>(checked),
                     [](const auto& task) { return task->done; });
}

void CopyPool::WaitForOldest(std::size_t count) {
  std::unique_lock lock(mutex_);
  if (oldestEnded(count)) return;
  if (idleThreads_ > 0 && !notStarted_.empty()) queued_.notify_all();
  runWaitsFor_ = count;
  finished_.wait(lock, [&] { return oldestEnded(count); });
  runWaitsFor_ = 0;
}

std::optional<CopyPool::Outcome> CopyPool::TakeOldest(bool wait) {
  if (wait) WaitForOldest(1);
  const std::lock_guard lock(mutex_);
  if (tasks_.empty() || !tasks_.front()->done) return std::nullopt;
  const std::shared_ptr<Task> oldest = std::move(tasks_.front());
  tasks_.pop_front();
  return std::move(oldest->outcome);
}

void CopyPool::work(const std::stop_token& stop) {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idleThreads_;
    const bool found = queued_.wait(lock, stop, [&] { return !notStarted_.empty(); });
    --idleThreads_;
    if (!found) return;
    const std::shared_ptr<Task> next = std::move(notStarted_.front());
    notStarted_.pop_front();
    lock.unlock();
    Outcome outcome;
    outcome.ok = next->job(outcome.error);
    lock.lock();
    next->outcome = std::move(outcome);
    next->done = true;
    if (runWaitsFor_ > 0 && oldestEnded(runWaitsFor_)) finished_.notify_one();
  }
}

}  // namespace engine
