#pragma once
// Copy To: copies the files of the planned run to a third folder, keeping their folders below a
// common folder the user leaves out: the files the run copies from ("${New files}"), or those it
// would overwrite or delete ("${Backup files}"). Files come from the items in memory and are read
// through their stores; only files of local folders are taken. A file is written beside its
// destination and put in place when complete; an existing destination is replaced only after the
// user agreed; a moved file leaves its folder only after its copy is in place.
#include <cstdint>
#include <string>

#include "config/records.h"
#include "engine/syncrun.h"
#include "ui/copy_to_plan.h"

namespace ui {

enum class CopyToList { NewFiles = 0, BackupFiles = 1 };
enum class CopyToAction { Copy = 0, Move = 1, CreateTree = 2 };

// The texts of the actions, in the order of their values.
inline constexpr const char* kCopyToActionTexts[] = {"${Copy}", "${Move}", "${Create tree}"};

// The files of a list.
[[nodiscard]] std::vector<PlannedFile> CopyToFiles(engine::CompareEngine& engine, CopyToList list);
// The remembered targets (the dialog's combo box history).
[[nodiscard]] config::ComboHistory CopyToTargets();

struct CopyToRequest {
  CopyToList list = CopyToList::NewFiles;
  // Blanks at either end are ignored; a missing folder is made.
  std::string target;
  // One of StripChoices, or empty to keep the whole path below the target.
  std::string strip;
  CopyToAction action = CopyToAction::Copy;
};

struct CopyToResult {
  std::uint64_t copied = 0;
  std::uint64_t skipped = 0;
  std::uint64_t failed = 0;
  bool cancelled = false;
  // Why nothing was done; empty when the job ran.
  std::string refused;
};
// "${Total files copied}: %d", with the skipped and failed files.
[[nodiscard]] std::string CopyToSummary(const CopyToResult& result);

// What Copy To asks and reports, on the thread that runs it.
class CopyToObserver {
 public:
  virtual ~CopyToObserver() = default;
  // A destination exists: one of the answers of engine::confirm to the overwrite question.
  // Overwrite or skip "for all" or "for this action" holds for the rest of the job.
  [[nodiscard]] virtual int ConfirmOverwrite(const engine::ConfirmRequest& request) = 0;
  // A file left as it is (its destination is the file itself, or the user skipped it).
  virtual void FileSkipped(const std::string& /*path*/, const std::string& /*reason*/) {}
  // A file that could not be copied or moved; false ends the job.
  [[nodiscard]] virtual bool FileFailed(const std::string& path, const std::string& reason) = 0;
};

// Runs Copy To. The stores of the comparison are used on this thread: no comparison or run may
// be going on.
[[nodiscard]] CopyToResult CopyTo(engine::CompareEngine& engine, const CopyToRequest& request, CopyToObserver& observer);

}  // namespace ui
