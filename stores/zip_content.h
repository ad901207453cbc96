#pragma once
// The bridges between an archive entry and the content of any store: an entry read as a
// store's content, and a store's content read into a new entry.
#include <memory>
#include <string>

#include "platform/content_reader.h"
#include "stores/zip_entry.h"
#include "stores/zip_entry_reader.h"
#include "stores/zip_input.h"

namespace stores {

// An entry's content, inflated as it is read and checked (size, CRC) at its end.
class EntryContent : public platform::ContentReader {
 public:
  // `keepOpen` keeps the archive open while the content is read.
  EntryContent(std::unique_ptr<ZipEntryReader> reader, const ZipEntry& entry, std::shared_ptr<void> keepOpen);
  std::int64_t read(char* buffer, std::size_t capacity) override;
  bool verify() override;
  // The time a listing gives the content instead of the entry's own (a package's list line, to
  // the second): what the comparison saw is what the copy gets.
  void SetListedTime(platform::FileTime time) { lastWriteTime_ = time; }

 private:
  std::unique_ptr<ZipEntryReader> reader_;
  std::shared_ptr<void> keepOpen_;
  bool ended_ = false;
};

// A store's content as the input of a new entry. The content is verified when it ends: a source
// that changed while it was read fails the entry, which then never reaches the archive.
class ContentInput : public ZipInput {
 public:
  explicit ContentInput(platform::ContentReader& content) : content_(content) {}
  std::int64_t read(char* buffer, std::size_t capacity) override;
  [[nodiscard]] std::uint64_t size() const override { return content_.size(); }
  [[nodiscard]] platform::FileTime lastWriteTime() const override { return content_.lastWriteTime(); }
  [[nodiscard]] std::uint32_t unixMode() const override;

 private:
  platform::ContentReader& content_;
};

// Bytes in memory as the content of an entry: a link's target text, a package's list.
class MemoryInput : public ZipInput {
 public:
  // `mode`: file type and permission bits.
  MemoryInput(std::string bytes, platform::FileTime time, std::uint32_t mode)
      : bytes_(std::move(bytes)), time_(time), mode_(mode) {}
  std::int64_t read(char* buffer, std::size_t capacity) override;
  [[nodiscard]] std::uint64_t size() const override { return bytes_.size(); }
  [[nodiscard]] platform::FileTime lastWriteTime() const override { return time_; }
  [[nodiscard]] std::uint32_t unixMode() const override { return mode_; }

 private:
  std::string bytes_;
  platform::FileTime time_;
  std::uint32_t mode_;
  std::size_t done_ = 0;
};

// A link's target text as the content of a link entry.
[[nodiscard]] MemoryInput LinkInput(std::string target, platform::FileTime time);

}  // namespace stores
