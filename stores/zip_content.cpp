#include "stores/zip_content.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

#include "stores/zip_exception.h"

namespace stores {

EntryContent::EntryContent(std::unique_ptr<ZipEntryReader> reader, const ZipEntry& entry, std::shared_ptr<void> keepOpen)
    : reader_(std::move(reader)), keepOpen_(std::move(keepOpen)) {
  size_ = entry.uncompressedSize;
  lastWriteTime_ = entry.lastWriteTime();
  // An entry without Unix permissions is writable unless its DOS read-only bit says otherwise.
  mode_ = entry.unixMode() & 07777;
  if (mode_ == 0) mode_ = (entry.externalAttributes & zipformat::kDosReadOnly) != 0 ? 0444 : 0666;
}

std::int64_t EntryContent::read(char* buffer, std::size_t capacity) {
  try {
    const std::size_t got = reader_->read(buffer, capacity);
    if (got == 0) ended_ = true;
    return static_cast<std::int64_t>(got);
  } catch (const CZipException& failure) {
    error_ = failure.what();
    return -1;
  }
}

bool EntryContent::verify() {
  if (!ended_ && error_.empty()) error_ = "not read to its end";
  return ended_ && error_.empty();
}

std::int64_t ContentInput::read(char* buffer, std::size_t capacity) {
  const std::int64_t got = content_.read(buffer, capacity);
  if (got < 0 || (got == 0 && !content_.verify())) {
    errno = EIO;
    return -1;
  }
  return got;
}

std::int64_t MemoryInput::read(char* buffer, std::size_t capacity) {
  const std::size_t part = std::min(capacity, bytes_.size() - done_);
  std::copy_n(bytes_.data() + done_, part, buffer);
  done_ += part;
  return static_cast<std::int64_t>(part);
}

MemoryInput LinkInput(std::string target, platform::FileTime time) { return {std::move(target), time, S_IFLNK | 0777}; }

std::uint32_t ContentInput::unixMode() const { return content_.mode() == 0 ? 0 : (S_IFREG | (content_.mode() & 07777)); }

}  // namespace stores
