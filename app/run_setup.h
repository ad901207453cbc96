#pragma once
// From a stored session to what the engine runs.
#include <cstdint>
#include <optional>
#include <string>

#include "config/options.h"
#include "engine/compare.h"

namespace app {

// The session with its paths expanded and its age bound taken from `nowLocal`. Empty with
// `error` set when a path cannot be expanded.
[[nodiscard]] std::optional<engine::SessionSpec> MakeSessionSpec(const config::CSession& session, const config::COptions& options,
                                                                 std::int64_t nowLocal, std::string& error);
// One line that says what runs: name, action, paths, masks, subfolders, comparison mode, filters.
// `compareMode`, when given, is the run's own choice instead of the session's.
[[nodiscard]] std::string DescribeSession(const config::CSession& session, std::optional<int> compareMode = std::nullopt);
// Makes the stored FTP connections reachable as "ftp:NAME" sides.
void RegisterConnections(const config::COptions& options);
// The store context of the options: their path variables expand every path.
[[nodiscard]] engine::StoreContext MakeStoreContext(const config::COptions& options, engine::Prompt* prompt);

}  // namespace app
