#include "tests/support/generated_comparison.h"

#include <array>
#include <random>
#include <vector>

#include "platform/path.h"

namespace testsupport {
namespace {

namespace action = engine::action;
namespace presence = engine::presence;

std::string folderPath(const std::string& root, const std::string& relative) {
  return platform::withTrailingSeparator(relative.empty() ? root : platform::joinPath(root, relative));
}

}  // namespace

GeneratedComparison::GeneratedComparison(engine::EngineSettings settings)
    : engine::CompareEngine(std::move(settings), engine::StoreContext{}) {}

int GeneratedComparison::AddPair(bool oneWay, const std::string& sourceRoot, const std::string& targetRoot) {
  engine::StorePair pair;
  pair.oneWay = oneWay;
  pair.sessionName = sourceRoot + " " + targetRoot;
  // The roots are the first folders a comparison walks.
  pair.walked.emplace_back(sourceRoot, targetRoot);
  Pairs().push_back(std::move(pair));
  return static_cast<int>(Pairs().size()) - 1;
}

int GeneratedComparison::AddFolder(int pair, const std::string& relative, int above, int where) {
  const engine::StorePair& roots = Pairs()[static_cast<std::size_t>(pair)];
  int index = -1;
  engine::CompareItem& item = Items().Add(index);
  item.name = relative;
  item.flags = engine::itemflag::kFolder;
  item.presence = where;
  item.folder = std::make_unique<engine::FolderInfo>();
  item.folder->sourceFolder = folderPath(roots.walked.front().first, relative);
  item.folder->targetFolder = folderPath(roots.walked.front().second, relative);
  item.folder->pairIndex = pair;
  if (above >= 0) item.parent = &Items().at(above);
  InsertItem(index);
  return index;
}

int GeneratedComparison::AddFolderRow(int pair, const std::string& relative, int above, int where, int act) {
  const int index = AddFolder(pair, relative, above, where);
  engine::CompareItem& item = Items().at(index);
  item.flags |= engine::itemflag::kFolderRow;
  item.directionLock = where;
  Plan(index, act);
  return index;
}

int GeneratedComparison::AddFile(int folder, const FileSpec& file) {
  int index = -1;
  engine::CompareItem& item = Items().Add(index);
  item.name = file.name;
  item.parent = &Items().at(folder);
  item.presence = file.presence;
  item.sourceTime = file.presence == presence::kTarget ? 0 : file.sourceTime;
  item.targetTime = file.presence == presence::kSource ? 0 : file.targetTime;
  item.sourceSize = file.presence == presence::kTarget ? 0 : file.sourceSize;
  item.targetSize = file.presence == presence::kSource ? 0 : file.targetSize;
  item.directionLock = file.directionLock;
  Plan(index, file.action);
  if (!file.marked) item.flags = static_cast<std::uint16_t>(item.flags & ~engine::itemflag::kSelected);
  InsertItem(index);
  return index;
}

void GeneratedComparison::Plan(int index, int act) {
  engine::CompareItem& item = Items().at(index);
  item.action = act;
  item.plannedAction = act;
  if (act != action::kNone) item.flags |= engine::itemflag::kSelected;
}

void FillRandomly(GeneratedComparison& comparison, const GeneratedShape& shape) {
  std::mt19937 random(shape.seed);
  auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
  auto oneOf = [&](std::initializer_list<int> values) { return values.begin()[pick(static_cast<int>(values.size()))]; };
  static constexpr std::array<const char*, 6> kStems{"report", "Report", "notes", "IMG_", "data", "Ärger"};
  static constexpr std::array<const char*, 7> kExtensions{".txt", ".TXT", ".doc", "", ".tar.gz", ".jpg", "."};
  const engine::FileTime base = 133000000000000000ULL;
  const int pairs = shape.secondOneWayPair ? 2 : 1;
  for (int pair = 0; pair < pairs; ++pair) {
    // The second pair is one-way: nothing is planned to be written into its source.
    const bool oneWay = pair == 1;
    comparison.AddPair(oneWay, "/g" + std::to_string(pair) + "/src", "/g" + std::to_string(pair) + "/dst");
    // Folders in the walk's order: each below one of the folders still open on the way down.
    std::vector<std::pair<int, std::string>> open{{comparison.AddFolder(pair, "", -1), ""}};
    for (int f = 1; f <= shape.folders / pairs; ++f) {
      int folder = open.back().first;
      if (f > 1) {
        open.resize(static_cast<std::size_t>(1 + pick(std::min(static_cast<int>(open.size()), shape.maxDepth))));
        const std::string relative = platform::joinPath(open.back().second, (pick(2) == 0 ? "Dir" : "dir") + std::to_string(f));
        if (pick(12) == 0) {
          const int where = oneOf({presence::kSource, presence::kTarget});
          const int act = oneWay ? (where == presence::kSource ? action::kCopyToTarget : action::kDelete)
                                 : oneOf({action::kNone, action::kDelete, action::kCopyToSource, action::kCopyToTarget});
          comparison.AddFolderRow(pair, relative, open.back().first, where, act);
          continue;
        }
        folder = comparison.AddFolder(pair, relative, open.back().first);
        open.emplace_back(folder, relative);
      }
      const int files = pick(2 * shape.filesPerFolder + 1);
      for (int n = 0; n < files; ++n) {
        FileSpec file;
        file.name = std::string(kStems[static_cast<std::size_t>(pick(kStems.size()))]) + std::to_string(pick(files + 1)) +
                    kExtensions[static_cast<std::size_t>(pick(kExtensions.size()))];
        file.presence = oneOf({presence::kSource, presence::kTarget, presence::kBoth});
        switch (file.presence) {
          case presence::kSource:
            file.action = oneWay ? action::kCopyToTarget : oneOf({action::kCopyToTarget, action::kDelete});
            break;
          case presence::kTarget:
            file.action = oneWay ? action::kDelete : oneOf({action::kCopyToSource, action::kDelete, action::kNone});
            break;
          default: file.action = oneWay ? oneOf({action::kNone, action::kCopyToTarget}) : pick(5); break;
        }
        file.sourceTime = base + static_cast<engine::FileTime>(pick(4)) * platform::kTicksPerSecond;
        file.targetTime = base + static_cast<engine::FileTime>(pick(4)) * platform::kTicksPerSecond;
        file.sourceSize = static_cast<std::uint64_t>(pick(3) * 1000);
        file.targetSize = static_cast<std::uint64_t>(pick(3) * 1000);
        file.directionLock = pick(8) == 0 ? oneOf({0, presence::kSource, presence::kTarget}) : presence::kBoth;
        file.marked = pick(5) != 0;
        comparison.AddFile(folder, file);
      }
    }
  }
}

}  // namespace testsupport
