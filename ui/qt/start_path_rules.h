#pragma once
// How the start dialog judges a path before a scan: path variables expanded, a path some store
// kind claims (an archive, an FTP connection) taken as it is, a local folder checked on disk.
#include "config/options.h"
#include "ui/qt/dialogs/start_choices.h"

namespace ui::qt {

// The rules read `options` when they are called: it must outlive them.
[[nodiscard]] PathRules MakePathRules(const config::COptions& options);

}  // namespace ui::qt
