#pragma once
// The unattended run of the run list: compare every session, carry out every planned action,
// let the stores write back, and tell the outcome by the exit status.
#include <ostream>

#include "config/options.h"

namespace app {

namespace exitcode {
inline constexpr int kSuccess = 0;
inline constexpr int kItemsFailed = 1;
inline constexpr int kCouldNotStart = 2;
}  // namespace exitcode

struct BatchIo {
  std::ostream& out;
  std::ostream& err;
  // Standard error is a terminal: one status line updated in place.
  bool terminal = false;
};

// Runs `options.runList`. With `dryRun` the planned actions are printed and nothing changes.
[[nodiscard]] int RunBatch(config::COptions& options, const BatchIo& io, bool dryRun);

}  // namespace app
