#pragma once
// Ctrl-C and termination requests for a run at a terminal: the first request asks the run to
// stop after the current file (the copy in progress is cancelled and leaves nothing behind);
// a second one ends the process at once.
namespace platform {

void installInterruptHandler();
[[nodiscard]] bool interruptRequested();

}  // namespace platform
