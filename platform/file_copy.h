#pragma once
// Copying one file with byte progress and cancel.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

enum class CopyOutcome { Done, Cancelled, Failed };

struct CopyResult {
  CopyOutcome outcome = CopyOutcome::Failed;
  std::string error;  // reason when not Done
  [[nodiscard]] bool ok() const { return outcome == CopyOutcome::Done; }
};

// Called after every chunk with the bytes copied so far; false cancels the copy.
using CopyProgress = std::function<bool(std::uint64_t done)>;

// Copies `source` to `destination` through a temporary file in the destination folder that is
// renamed over `destination` only when complete, so a cancelled or failed copy leaves an existing
// destination byte for byte as it was and no temporary file behind. The copy carries the
// source's last-write time (nanoseconds) and permission bits. A source whose size or time
// changes while it is copied fails the copy.
[[nodiscard]] CopyResult copyFile(const std::string& source, const std::string& destination,
                                  const CopyProgress& progress = {});

// Fault injection for tests: after this many bytes have been written by copies, every further
// write fails with an I/O error; empty switches the fault off.
void injectCopyWriteFault(std::optional<std::uint64_t> afterBytes);

}  // namespace platform
