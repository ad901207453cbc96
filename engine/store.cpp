#include "engine/store.h"

namespace engine {
namespace {

const EngineSettings& defaultSettings() {
  static const EngineSettings settings;
  return settings;
}

SilentPrompt& defaultPrompt() {
  static SilentPrompt prompt;
  return prompt;
}

}  // namespace

Store::Store(StoreContext context) : context_(context) {}

Store::~Store() = default;

const EngineSettings& Store::settings() const {
  return context_.settings != nullptr ? *context_.settings : defaultSettings();
}

Prompt& Store::prompt() const { return context_.prompt != nullptr ? *context_.prompt : defaultPrompt(); }

bool Store::RemoveEmptyFolder(const std::string&) { return false; }

bool Store::ReadLink(const std::string&, std::string&) { return false; }

bool Store::ListFolder(const std::string& folder, std::vector<FindData>& entries, std::string& error) {
  const SearchHandle handle = FindFirst(folder + "*.*");
  if (handle == kNoSearch) {
    error = LastError();
    return false;
  }
  do {
    if (current_.name != "." && current_.name != "..") entries.push_back(current_);
  } while (FindNext(handle));
  FindClose(handle);
  return true;
}

bool Store::SetUnixMode(const std::string&, std::uint32_t) { return false; }

CopyPool::Job Store::CopyJob(const std::string&, Store&, const std::string&, const PutChecks&, const std::atomic<bool>&) {
  return {};
}

bool Store::FinishCopyJob(const std::string& destination) { return NoteWrittenFile(destination, std::string(), false); }

std::optional<CopySource> Store::ConcurrentSource(const std::string&) { return std::nullopt; }

namespace {

// A local copy made by a store's GetFile, read and then given back to the store.
class CopyReader : public platform::ContentReader {
 public:
  CopyReader(std::unique_ptr<platform::FileReader> file, Store& store, std::string path)
      : file_(std::move(file)), store_(store), path_(std::move(path)) {
    size_ = file_->size();
    lastWriteTime_ = file_->lastWriteTime();
    mode_ = file_->mode();
  }
  ~CopyReader() override { store_.ReleaseFile(path_); }
  CopyReader(const CopyReader&) = delete;
  CopyReader& operator=(const CopyReader&) = delete;
  std::int64_t read(char* buffer, std::size_t capacity) override {
    const std::int64_t got = file_->read(buffer, capacity);
    if (got < 0) error_ = file_->error();
    return got;
  }
  int descriptor() const override { return file_->descriptor(); }
  bool verify() override {
    if (file_->verify()) return true;
    error_ = file_->error();
    return false;
  }

 private:
  std::unique_ptr<platform::FileReader> file_;
  Store& store_;
  std::string path_;
};

}  // namespace

std::unique_ptr<platform::ContentReader> Store::OpenContent(const std::string& path) {
  std::string local;
  if (GetFile(path, local, 0) != 1) return nullptr;
  std::string error;
  auto file = platform::FileReader::open(local, &error);
  if (!file) {
    ReleaseFile(local);
    setError(local + ": " + error);
    return nullptr;
  }
  return std::make_unique<CopyReader>(std::move(file), *this, local);
}

bool Store::expandRoot(const std::string& given, std::string& expanded) {
  if (!context_.expandPath) {
    expanded = given;
    return true;
  }
  std::string out;
  if (!context_.expandPath(given, out)) {
    setError(out);
    return false;
  }
  expanded = out;
  return true;
}

}  // namespace engine
