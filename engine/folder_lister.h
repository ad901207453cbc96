#pragma once
// Lists the folders of both sides of a comparison ahead of the walk, on a few threads of its
// own, so that a comparison takes about the time of the slower side rather than the sum of both.
// The walk takes each listing when it comes to the folder, in its own order: what it compares
// is exactly what it would list itself.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/store.h"

namespace engine {

struct FolderListing {
  bool ok = true;
  std::string error;
  std::vector<FindData> files;
  std::vector<FindData> folders;
};

class FolderLister {
 public:
  enum Side { kSource = 0, kTarget = 1 };

  // Stores that cannot be listed from several threads are listed by the walk alone.
  FolderLister(Store& source, Store& target);
  ~FolderLister();
  FolderLister(const FolderLister&) = delete;
  FolderLister& operator=(const FolderLister&) = delete;

  // Asks for a folder (full path ending with a separator) to be listed soon; the folder asked
  // for last is listed first, as the walk visits the folder it pushed last first.
  void Prefetch(Side side, const std::string& folder);
  // The listing of a folder: the one made ahead, or made now. Called by one thread, the walk's.
  [[nodiscard]] FolderListing Take(Side side, const std::string& folder);

 private:
  struct Request {
    bool started = false;
    bool done = false;
    FolderListing listing;
  };
  using Key = std::pair<int, std::string>;

  FolderListing list(Side side, const std::string& folder);
  void work(const std::stop_token& stop);

  Store* stores_[2];
  bool concurrent_[2];
  std::mutex mutex_;
  // Two signals, each sent only when someone waits for it: a wake-up costs a system call, and
  // a walk over many small folders would otherwise pay several per folder.
  std::condition_variable_any queued_;
  std::condition_variable listed_;
  unsigned idleWorkers_ = 0;
  bool taking_ = false;
  std::map<Key, Request> requests_;
  std::deque<Key> queue_;
  std::vector<std::jthread> workers_;
};

}  // namespace engine
