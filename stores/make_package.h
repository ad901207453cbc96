#pragma once
// "Make package": puts the selected items of a comparison into a package, the content of the
// files the task copies and the list line of every one, so that the package carries a folder's
// updates to a machine that never sees it.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/syncrun.h"

namespace stores {

// Which copies carry their content; the other selected items carry their list line only.
enum class PackageTask { UpdateTarget = 0, UpdateSource = 1, Synchronize = 2 };

struct PackageResult {
  std::uint64_t withContent = 0;
  std::uint64_t listOnly = 0;
  // One text per item that could not be put, and for a package that could not be written.
  std::vector<std::string> failures;
  bool cancelled = false;
  // Nothing was tried: the path is no package, or it is one of the compared sides.
  bool refused = false;
  // The comparison selected nothing to put: no package is made, and one of that name is emptied
  // when it is to be replaced.
  bool nothingToPut = false;
  // The package on disk holds what was put.
  bool written = false;
};

// Makes the package at `packagePath` (a ".pkg" file, made without asking) from the selected copy
// items of the engine's last comparison: an item's file is taken from the side its action copies
// from. An existing package is added to, or with `replaceExisting` replaced whole. Runs on the
// calling thread: through SyncEngine::StartTask for a window.
[[nodiscard]] PackageResult MakePackage(engine::SyncEngine& engine, const std::string& packagePath, PackageTask task,
                                        const engine::StoreContext& context, bool replaceExisting);

}  // namespace stores
