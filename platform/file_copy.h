#pragma once
// Copying one file with byte progress and cancel.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/content_reader.h"

namespace platform {

enum class CopyOutcome { Done, Cancelled, Failed };

struct CopyResult {
  CopyOutcome outcome = CopyOutcome::Failed;
  std::string error;  // reason when not Done
  [[nodiscard]] bool ok() const { return outcome == CopyOutcome::Done; }
};

// Called after every chunk with the bytes copied so far; false cancels the copy.
using CopyProgress = std::function<bool(std::uint64_t done)>;

// Copies the rest of `in` to the descriptor `out` in chunks (inside the kernel where both allow),
// then has `in` verify what was read. Done, Cancelled or Failed with the reason.
[[nodiscard]] CopyResult copyContent(ContentReader& in, int out, const CopyProgress& progress = {});

// Copies `source` to `destination` (a path the caller chose, outside any synchronized tree)
// through an unnamed or temporary file in the destination folder that takes the name only when
// complete, so a cancelled or failed copy leaves an existing destination byte for byte as it
// was and no temporary file behind. The copy carries the source's last-write time and its
// permission bits less the umask. A source whose size or time changes while it is copied fails
// the copy.
[[nodiscard]] CopyResult copyFile(const std::string& source, const std::string& destination,
                                  const CopyProgress& progress = {});

// Moves a file: renamed, or, where `destination` lies on another file system, copied as above
// and then removed. False with `error` when the file stays where it was.
[[nodiscard]] bool moveFile(const std::string& source, const std::string& destination, std::string& error);

// Fault injection for tests: after this many bytes have been written by copies, every further
// write fails with an I/O error; empty switches the fault off.
void injectCopyWriteFault(std::optional<std::uint64_t> afterBytes);

}  // namespace platform
