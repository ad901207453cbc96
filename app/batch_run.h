#pragma once
// The unattended run of the run list: compare every session, carry out every planned action,
// let the stores write back, and tell the outcome by the exit status.
#include <ostream>

#include "app/run_options.h"
#include "config/options.h"

namespace app {

namespace exitcode {
inline constexpr int kSuccess = 0;
inline constexpr int kItemsFailed = 1;
inline constexpr int kCouldNotStart = 2;
}  // namespace exitcode

// Where a run reports: what it does on `out`, problems on `err`.
struct BatchIo {
  std::ostream& out;
  std::ostream& err;
  // Standard error is a terminal: one status line there, updated in place.
  bool errTerminal = false;
  // Standard output is a terminal too: the status line stands for the action lines.
  bool outTerminal = false;
};

// Runs `options.runList` with the command line's changes for this run. With `dryRun` the
// planned actions are printed and nothing changes.
[[nodiscard]] int RunBatch(config::COptions& options, const RunOptions& run, const BatchIo& io, bool dryRun);

}  // namespace app
