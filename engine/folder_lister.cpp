#include "engine/folder_lister.h"

#include <algorithm>

namespace engine {
namespace {

// Listings made ahead and not yet taken: enough to keep the threads busy, never the whole tree.
constexpr std::size_t kMaxAhead = 256;

}  // namespace

FolderLister::FolderLister(Store& source, Store& target)
    : stores_{&source, &target}, concurrent_{source.ListsConcurrently(), target.ListsConcurrently()} {
  if (!concurrent_[kSource] && !concurrent_[kTarget]) return;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned threads = std::min(4u, std::max(1u, cores));
  for (unsigned i = 0; i < threads; ++i) {
    workers_.emplace_back([this](const std::stop_token& stop) { work(stop); });
  }
}

FolderLister::~FolderLister() {
  for (auto& worker : workers_) worker.request_stop();
  queued_.notify_all();
  workers_.clear();
}

FolderListing FolderLister::list(Side side, const std::string& folder) {
  FolderListing listing;
  std::vector<FindData> entries;
  if (!stores_[side]->ListFolder(folder, entries, listing.error)) {
    listing.ok = false;
    return listing;
  }
  for (FindData& entry : entries) (entry.isFolder() ? listing.folders : listing.files).push_back(std::move(entry));
  return listing;
}

void FolderLister::Prefetch(Side side, const std::string& folder) {
  if (!concurrent_[side]) return;
  bool wake = false;
  {
    const std::lock_guard lock(mutex_);
    if (requests_.size() >= kMaxAhead) return;
    Key key{side, folder};
    if (!requests_.try_emplace(key).second) return;
    queue_.push_back(std::move(key));
    wake = idleWorkers_ > 0;
  }
  if (wake) queued_.notify_one();
}

FolderListing FolderLister::Take(Side side, const std::string& folder) {
  std::unique_lock lock(mutex_);
  const auto found = requests_.find(Key{side, folder});
  if (found == requests_.end()) {
    lock.unlock();
    return list(side, folder);
  }
  if (!found->second.started) {
    // Not begun yet: listed here rather than waited for.
    std::erase(queue_, found->first);
    requests_.erase(found);
    lock.unlock();
    return list(side, folder);
  }
  taking_ = true;
  listed_.wait(lock, [&] { return found->second.done; });
  taking_ = false;
  FolderListing listing = std::move(found->second.listing);
  requests_.erase(found);
  return listing;
}

void FolderLister::work(const std::stop_token& stop) {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idleWorkers_;
    queued_.wait(lock, stop, [&] { return !queue_.empty(); });
    --idleWorkers_;
    if (stop.stop_requested()) return;
    Key key = std::move(queue_.back());
    queue_.pop_back();
    requests_[key].started = true;
    lock.unlock();
    FolderListing listing = list(static_cast<Side>(key.first), key.second);
    lock.lock();
    Request& request = requests_[key];
    request.listing = std::move(listing);
    request.done = true;
    if (taking_) listed_.notify_one();
  }
}

}  // namespace engine
