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

 private:
  struct Task {
    Job job;
    bool started = false;
    bool done = false;
    Outcome outcome;
  };
  void work(const std::stop_token& stop);

  mutable std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<std::shared_ptr<Task>> tasks_;
  std::vector<std::jthread> threads_;
};

// How many copy threads a run uses: none for one core; else up to four by cores, and two when
// source and target share a disk, where more would only make its head jump.
[[nodiscard]] unsigned CopyThreadsFor(unsigned cores, bool sameDisk);

}  // namespace engine
