#include "platform/file_copy.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/file_system.h"
#include "platform/temp_names.h"

namespace platform {
namespace {

constexpr std::size_t kChunkSize = 1 << 20;
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

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  [[nodiscard]] int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool sameTimespec(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Copies all bytes from `in` to `out`; returns 0 on success, 1 on cancel, -1 with errno set.
int copyBytes(int in, int out, std::uint64_t size, const CopyProgress& progress) {
  std::vector<char> buffer;
  std::uint64_t done = 0;
  bool useRange = true;
  for (;;) {
    std::size_t wanted = allowedByFault(kChunkSize);
    if (wanted == 0) {
      errno = EIO;
      return -1;
    }
    ssize_t moved = -1;
    if (useRange) {
      moved = copy_file_range(in, nullptr, out, nullptr, wanted, 0);
      if (moved < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        useRange = false;
        continue;
      }
      if (moved < 0 && errno == EINTR) continue;
      if (moved < 0) return -1;
    } else {
      if (buffer.empty()) buffer.resize(kChunkSize);
      const ssize_t got = read(in, buffer.data(), wanted);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return -1;
      std::size_t put = 0;
      while (put < static_cast<std::size_t>(got)) {
        const ssize_t wrote = write(out, buffer.data() + put, static_cast<std::size_t>(got) - put);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
          if (wrote == 0) errno = EIO;
          return -1;
        }
        put += static_cast<std::size_t>(wrote);
      }
      moved = got;
    }
    if (moved == 0) break;
    spendFault(static_cast<std::size_t>(moved));
    done += static_cast<std::uint64_t>(moved);
    if (progress && !progress(done)) return 1;
    if (done > size) break;  // the source grew; the caller notices the changed size
  }
  return 0;
}

}  // namespace

void injectCopyWriteFault(std::optional<std::uint64_t> afterBytes) { faultBudget.store(afterBytes.value_or(kNoFault)); }

CopyResult copyFile(const std::string& source, const std::string& destination, const CopyProgress& progress) {
  CopyResult result;
  FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) {
    result.error = systemErrorText(errno);
    return result;
  }
  struct stat before {};
  if (fstat(in.get(), &before) != 0 || !S_ISREG(before.st_mode)) {
    result.error = S_ISREG(before.st_mode) ? systemErrorText(errno) : "not a regular file";
    return result;
  }
  std::string tempPath;
  FileDescriptor out(createTempFileBeside(destination, tempPath, &result.error));
  if (out.get() < 0) return result;

  auto fail = [&](CopyOutcome outcome, std::string error) {
    ::close(out.release());
    unlink(tempPath.c_str());
    result.outcome = outcome;
    result.error = std::move(error);
    return result;
  };

  const int copied = copyBytes(in.get(), out.get(), static_cast<std::uint64_t>(before.st_size), progress);
  if (copied < 0) return fail(CopyOutcome::Failed, systemErrorText(errno));
  if (copied > 0) return fail(CopyOutcome::Cancelled, "cancelled");

  struct stat after {};
  if (fstat(in.get(), &after) != 0 || after.st_size != before.st_size || !sameTimespec(after.st_mtim, before.st_mtim)) {
    return fail(CopyOutcome::Failed, "changed while copying");
  }
  struct stat written {};
  if (fstat(out.get(), &written) != 0 || written.st_size != before.st_size) {
    return fail(CopyOutcome::Failed, "changed while copying");
  }
  if (fchmod(out.get(), before.st_mode & 07777) != 0) return fail(CopyOutcome::Failed, systemErrorText(errno));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  if (futimens(out.get(), times) != 0) return fail(CopyOutcome::Failed, systemErrorText(errno));
  if (::close(out.release()) != 0) {
    const int code = errno;
    unlink(tempPath.c_str());
    result.error = systemErrorText(code);
    return result;
  }
  if (!renameReplace(tempPath, destination, &result.error)) {
    unlink(tempPath.c_str());
    return result;
  }
  result.outcome = CopyOutcome::Done;
  result.error.clear();
  return result;
}

}  // namespace platform
