#pragma once
// The window's start: the Qt application, the dictionary funnel for Qt's own texts, the main
// window, and the start dialog (or a scan at once) as soon as the event loop runs.
#include "config/options.h"
#include "config/profile.h"

namespace ui::qt {

// True when a window can be seen: an X11 or a Wayland display is named in the environment.
[[nodiscard]] bool HasDisplay();
// Runs the window until it closes; the exit status. With `scanNow` the run list is scanned at
// once, else the start dialog opens on the last-used pair.
[[nodiscard]] int RunWindow(config::COptions& options, config::CProfile& profile, bool scanNow);

}  // namespace ui::qt
