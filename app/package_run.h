#pragma once
// "-package=FILE": the comparison's updates written into a package instead of synchronizing.
#include <string>

#include "app/batch_run.h"
#include "config/options.h"
#include "engine/syncrun.h"

namespace app {

// Writes the package for the task of the compared session's mode (backup, update and duplicate:
// update the target; synchronize and smart: synchronize) and says what it holds. Returns the
// exit status.
[[nodiscard]] int WritePackage(engine::SyncEngine& engine, const config::COptions& options, const std::string& packageFile,
                               const engine::StoreContext& context, const BatchIo& io);

}  // namespace app
