#include "ui/tool_launch.h"

#include <cstdlib>
#include <mutex>

#include "engine/text.h"
#include "platform/file_system.h"
#include "platform/file_time.h"
#include "platform/path.h"
#include "platform/temp_names.h"
#include "ui/run_plan.h"
#include "ui/user_tools.h"

namespace ui {
namespace {

// One side of the row, copied out under the list's lock.
struct RowSide {
  engine::Store* store = nullptr;
  bool present = false;
  std::string path;
};

struct RowSnapshot {
  bool folder = false;
  RowSide source;
  RowSide target;
};

RowSnapshot snapshotOf(engine::CompareEngine& engine, int itemIndex) {
  const std::lock_guard lock(engine.Items().Lock());
  const engine::CompareItem& item = engine.Items().at(itemIndex);
  const engine::StorePair& pair = engine.Pairs().at(static_cast<std::size_t>(item.folderItem().folder->pairIndex));
  RowSnapshot row;
  row.folder = item.isFolder();
  row.source = {pair.source.get(), item.presence != engine::presence::kTarget, item.sourcePath()};
  row.target = {pair.target.get(), item.presence != engine::presence::kSource, item.targetPath()};
  return row;
}

// A local file with the side's content: the store's copy of a file it holds; where the file is
// not on a local folder's side, the path it would have, so a tool can still be given both sides.
bool localFileOf(const RowSide& side, std::string& local, std::string& error) {
  local.clear();
  if (side.store == nullptr) return true;
  if (!side.present) {
    if (!side.store->IsListBased()) local = side.path;
    return true;
  }
  if (side.store->GetFile(side.path, local, 0) == 1) return true;
  error = side.path + ": " + side.store->LastError();
  return false;
}

// One path per line. A name holding a line break would read as two files: the list is refused.
bool writeList(const std::string& file, const std::vector<PlannedFile>& entries, std::string& error) {
  std::string text;
  for (const PlannedFile& entry : entries) {
    if (entry.path.find_first_of("\r\n") != std::string::npos) {
      error = engine::Translate("${Fail to generate file list!}") + " " + engine::PrintableText(entry.path);
      return false;
    }
    text += entry.path + "\n";
  }
  std::string why;
  if (platform::writeFileReplacing(file, text, 0600, &why)) return true;
  error = engine::Translate("${Fail to generate file list!}") + " " + file + ": " + why;
  return false;
}

}  // namespace

ToolLaunch PrepareToolLaunch(engine::CompareEngine& engine, int itemIndex, const ToolRequest& request) {
  ToolLaunch launch;
  const RowSnapshot row = snapshotOf(engine, itemIndex);
  if (row.folder) return launch;
  ToolValues values;
  values.sourceAlias = row.source.path;
  values.targetAlias = row.target.path;
  if (!localFileOf(row.source, values.sourcePath, launch.error) ||
      !localFileOf(row.target, values.targetPath, launch.error)) {
    return launch;
  }
  const platform::CalendarTime today = platform::localFromFileTime(platform::fileTimeNow());
  values.day = today.day;
  values.month = today.month;
  values.year = today.year;
  values.newFileList = platform::joinPath(request.listFolder, "orvandi3.lst");
  values.backupList = platform::joinPath(request.listFolder, "orvandi3back.lst");
  if (NamesNewFileList(request.parameters) && !writeList(values.newFileList, NewFiles(engine), launch.error)) {
    return launch;
  }
  if (NamesBackupList(request.parameters) && !writeList(values.backupList, BackupFiles(engine), launch.error)) {
    return launch;
  }
  launch.arguments.push_back(request.program);
  for (std::string& argument : ExpandToolParameters(request.parameters, values)) {
    launch.arguments.push_back(std::move(argument));
  }
  launch.workingFolder = request.startFolder;
  return launch;
}

std::string LocalFileToOpen(engine::CompareEngine& engine, int itemIndex, std::string& error) {
  const RowSnapshot row = snapshotOf(engine, itemIndex);
  const RowSide& side = row.source.present ? row.source : row.target;
  if (side.store == nullptr) return {};
  if (row.folder) return side.store->IsListBased() ? std::string() : side.path;
  std::string local;
  if (!localFileOf(side, local, error)) return {};
  return local;
}

std::string ToolListFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime == '/' && platform::isFolder(runtime)) return runtime;
  return platform::tempFolder();
}

}  // namespace ui
