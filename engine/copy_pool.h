#pragma once
// A few threads that copy files while the run goes on. Copies are handed in in the order of the
// plan and their outcomes are taken in that same order, so everything reported stays in order.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace engine {

class CopyPool {
 public:
  // What a copy does on a pool thread: true when the file is in place, else false with `error`.
  using Job = std::function<bool(std::string& error)>;
  struct Outcome {
    bool ok = false;
    std::string error;
  };

  explicit CopyPool(unsigned threads);
  ~CopyPool();
  CopyPool(const CopyPool&) = delete;
  CopyPool& operator=(const CopyPool&) = delete;

  void Submit(Job job);
  // True when a copy handed in has not been taken yet.
  [[nodiscard]] bool Pending() const;
  // The oldest copy's outcome once it has ended; with `wait` false, empty while it runs.
  [[nodiscard]] std::optional<Outcome> TakeOldest(bool wait);
  // Blocks until the oldest `count` copies handed in (all, when there are fewer) have ended: the
  // run is woken once for them, not once for each.
  void WaitForOldest(std::size_t count);

 private:
  struct Task {
    Job job;
    bool done = false;
    Outcome outcome;
  };
  void work(const std::stop_token& stop);
  [[nodiscard]] bool oldestEnded(std::size_t count) const;
  static constexpr std::size_t kWakeBatch = 2;

  mutable std::mutex mutex_;
  // Copy threads wait for a task, the run for the oldest outcome; each side is woken only while
  // it waits (a wake-up is a system call).
  std::condition_variable_any queued_;
  std::condition_variable finished_;
  unsigned idleThreads_ = 0;
  // While the run waits: for how many of the oldest copies.
  std::size_t runWaitsFor_ = 0;
  // Every task handed in and not taken yet, in order; those no thread has started.
  std::deque<std::shared_ptr<Task>> tasks_;
  std::deque<std::shared_ptr<Task>> notStarted_;
  std::vector<std::jthread> threads_;
};

// How many copy threads a run uses: none for one core; else up to four by cores, and two when
// source and target share a disk, where more would only make its head jump.
[[nodiscard]] unsigned CopyThreadsFor(unsigned cores, bool sameDisk);

}  // namespace engine
