// The parts of the ZIP store that let copies run on copy threads: files compressed ahead into
// memory for the archive, and entries read for a folder.
#include <sys/stat.h>

#include "engine/copy_source.h"
#include "engine/text.h"
#include "stores/zip_content.h"
#include "stores/zip_store.h"

namespace stores {
namespace {

// Larger files are added on the store's thread, streamed: memory stays bounded by the jobs in
// flight times this.
constexpr std::uint64_t kLargestPrepared = 1 << 20;

// The entry of what a copy opened, compressed into memory. Throws CZipException.
PreparedEntry prepare(engine::OpenedSource& opened, int level, const std::string& name) {
  // One compressor for each copy thread, kept from file to file.
  thread_local ZipCompressor compressor;
  if (opened.link) {
    MemoryInput input = LinkInput(opened.link->second, opened.link->first.lastWriteTime);
    return compressor.Prepare(input, level, name);
  }
  ContentInput input(*opened.content);
  return compressor.Prepare(input, level, name);
}

}  // namespace

engine::CopyPool::Job ZipStore::CopyJob(const std::string& destination, engine::Store& source, const std::string& sourcePath,
                                        const engine::PutChecks& checks, const std::atomic<bool>& cancelled) {
  if (!checks.source || checks.source->size > kLargestPrepared) return {};
  auto from = source.ConcurrentSource(sourcePath);
  if (!from) return {};
  return [this, destination, from = std::move(*from), checks, &cancelled](std::string& error) {
    if (cancelled.load()) {
      error = engine::Translate("${Cancelled}");
      return false;
    }
    engine::OpenedSource opened;
    if (!engine::OpenForCopy(from, checks.source, opened, error)) return false;
    PreparedEntry prepared;
    try {
      prepared = prepare(opened, kLevel, destination);
    } catch (const CZipException& failure) {
      // A failure of the source shows in its own words.
      error = opened.content && !opened.content->error().empty()
                  ? engine::Translate("${cannot read}") + " " + from.path + ": " + opened.content->error()
                  : engine::Translate("${cannot write}") + " " + root_ + ": " + failure.what();
      return false;
    }
    const std::lock_guard lock(preparedMutex_);
    prepared_[destination] = std::move(prepared);
    return true;
  };
}

bool ZipStore::FinishCopyJob(const std::string& destination) {
  PreparedEntry prepared;
  {
    const std::lock_guard lock(preparedMutex_);
    const auto found = prepared_.find(destination);
    if (found == prepared_.end()) return fail(destination + ": " + engine::Translate("${not in the archive}"));
    prepared = std::move(found->second);
    prepared_.erase(found);
  }
  const bool link = (prepared.mode & S_IFMT) == S_IFLNK;
  return addEntry(destination, link, [&](const std::string& name, ZipProgressSink&) { archive_.AddPrepared(prepared, name); });
}

std::optional<engine::CopySource> ZipStore::ConcurrentSource(const std::string& path) {
  // The entry is opened here, on the store's thread; its reader then reads the archive file
  // through positioned reads of its own. The archive stays open and as read while the batch
  // holds it and nothing was added to it; links are read on the store's thread.
  if (!held_ || archive_.IsModified()) return std::nullopt;
  int index = -1;
  const int entry = entryOf(path, index);
  if (entry < 0 || listing_.at(entry).link) return std::nullopt;
  std::shared_ptr<std::unique_ptr<platform::ContentReader>> content;
  try {
    content = std::make_shared<std::unique_ptr<platform::ContentReader>>(
        std::make_unique<EntryContent>(archive_.OpenEntry(index), archive_.Entry(index), nullptr));
  } catch (const CZipException&) {
    return std::nullopt;
  }
  return engine::CopySource{path,
                            [content](std::string&) -> std::unique_ptr<platform::ContentReader> { return std::move(*content); },
                            [] { return std::optional<std::pair<engine::FindData, std::string>>(); }};
}

}  // namespace stores
