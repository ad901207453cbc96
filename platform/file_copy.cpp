#include "platform/file_copy.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <unistd.h>
#include <memory>

#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "platform/path.h"

namespace platform {
namespace {

constexpr std::size_t kChunkSize = 1 << 20;
constexpr std::size_t kSmallestChunk = 4096;
constexpr std::uint64_t kNoFault = ~0ULL;

std::atomic<std::uint64_t> faultBudget{kNoFault};

// Bytes this write may still put before the injected fault, or all of `wanted`.
std::size_t allowedByFault(std::size_t wanted) {
  const std::uint64_t budget = faultBudget.load();
  if (budget == kNoFault) return wanted;
  return budget < wanted ? static_cast<std::size_t>(budget) : wanted;
}

void spendFault(std::size_t bytes) {
  std::uint64_t budget = faultBudget.load();
  while (budget != kNoFault && !faultBudget.compare_exchange_weak(budget, budget - bytes)) {
  }
}

bool writeAll(int out, const char* data, std::size_t length) {
  std::size_t put = 0;
  while (put < length) {
    const ssize_t wrote = write(out, data + put, length - put);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      if (wrote == 0) errno = EIO;
      return false;
    }
    put += static_cast<std::size_t>(wrote);
  }
  return true;
}

CopyResult outcome(CopyOutcome kind, std::string error) { return CopyResult{kind, std::move(error)}; }

}  // namespace

void injectCopyWriteFault(std::optional<std::uint64_t> afterBytes) { faultBudget.store(afterBytes.value_or(kNoFault)); }

CopyResult copyContent(ContentReader& in, int out, const CopyProgress& progress) {
  std::unique_ptr<char[]> buffer;
  // Most files are small: a buffer the size of the file (never zeroed) costs little per file.
  const auto bufferSize = static_cast<std::size_t>(std::clamp<std::uint64_t>(in.size(), kSmallestChunk, kChunkSize));
  std::uint64_t done = 0;
  bool inKernel = in.descriptor() >= 0;
  for (;;) {
    const std::size_t wanted = allowedByFault(inKernel ? kChunkSize : bufferSize);
    if (wanted == 0) return outcome(CopyOutcome::Failed, systemErrorText(EIO));
    std::int64_t moved = 0;
    if (inKernel) {
      moved = copy_file_range(in.descriptor(), nullptr, out, nullptr, wanted, 0);
      if (moved < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        inKernel = false;
        continue;
      }
      if (moved < 0 && errno == EINTR) continue;
      if (moved < 0) return outcome(CopyOutcome::Failed, systemErrorText(errno));
    } else {
      if (!buffer) buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
      moved = in.read(buffer.get(), wanted);
      if (moved < 0) return outcome(CopyOutcome::Failed, in.error());
      if (!writeAll(out, buffer.get(), static_cast<std::size_t>(moved))) return outcome(CopyOutcome::Failed, systemErrorText(errno));
    }
    if (moved == 0) break;
    spendFault(static_cast<std::size_t>(moved));
    done += static_cast<std::uint64_t>(moved);
    if (progress && !progress(done)) return outcome(CopyOutcome::Cancelled, "cancelled");
    // Past the size a file had when opened there is nothing to read for: one that grew or shrank
    // meanwhile is caught by verify(). Other contents are read to their end, where they check it.
    if (inKernel && done >= in.size()) break;
  }
  if (!in.verify()) return outcome(CopyOutcome::Failed, in.error());
  if (done != in.size()) return outcome(CopyOutcome::Failed, "changed while it was copied");
  return outcome(CopyOutcome::Done, {});
}

CopyResult copyFile(const std::string& source, const std::string& destination, const CopyProgress& progress) {
  std::string error;
  auto in = FileReader::open(source, &error);
  if (!in) return outcome(CopyOutcome::Failed, error);
  std::string folder = parentOf(destination);
  if (folder.empty()) folder = ".";
  auto tree = FolderTree::open(folder, &error);
  auto out = tree ? tree->create(fileNameOf(destination), modeForCopy(in->mode()), &error) : nullptr;
  if (!out) return outcome(CopyOutcome::Failed, error);
  CopyResult result = copyContent(*in, out->descriptor(), progress);
  if (!result.ok()) return result;
  if (!out->setLastWriteTime(in->lastWriteTime(), &error) ||
      !out->commit(std::nullopt, false, &error)) {
    return outcome(CopyOutcome::Failed, error);
  }
  return result;
}

bool moveFile(const std::string& source, const std::string& destination, std::string& error) {
  if (::rename(source.c_str(), destination.c_str()) == 0) return true;
  if (errno != EXDEV) {
    error = systemErrorText(errno);
    return false;
  }
  const CopyResult copied = copyFile(source, destination);
  error = copied.error;
  return copied.ok() && deleteFile(source, &error);
}

}  // namespace platform
