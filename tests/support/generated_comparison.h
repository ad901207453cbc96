#pragma once
// A comparison result made directly, without stores or a walk: folders and files with chosen
// fields, filed in the list order the engine keeps (each folder item followed by its files).
// For fast, exact tests of what reads comparison items, and for benchmarks of a million items.
#include <cstdint>
#include <string>

#include "engine/compare.h"

namespace testsupport {

struct FileSpec {
  std::string name;
  int action = engine::action::kCopyToTarget;
  int presence = engine::presence::kBoth;
  engine::FileTime sourceTime = 0;
  engine::FileTime targetTime = 0;
  std::uint64_t sourceSize = 0;
  std::uint64_t targetSize = 0;
  int directionLock = engine::presence::kBoth;
  bool marked = true;
};

class GeneratedComparison : public engine::CompareEngine {
 public:
  explicit GeneratedComparison(engine::EngineSettings settings = {});

  // A compared pair without stores; one-way pairs never write into their source.
  int AddPair(bool oneWay, const std::string& sourceRoot = "/src", const std::string& targetRoot = "/dst");
  // A folder item (`relative` "" for the root) below the folder item `above` (-1: none). Its
  // files must be added before the next folder.
  int AddFolder(int pair, const std::string& relative, int above, int presence = engine::presence::kBoth);
  // A folder that is a row of its own, with its action planned and marked.
  int AddFolderRow(int pair, const std::string& relative, int above, int presence, int action);
  int AddFile(int folder, const FileSpec& file);
  // Changes the action as if the comparison had planned it.
  void Plan(int item, int action);
};

// The shape of a generated comparison: folders nested up to a depth, files per folder on
// average, some folders rows of their own, a second one-way pair when asked.
struct GeneratedShape {
  int folders = 50;
  int filesPerFolder = 8;
  int maxDepth = 4;
  bool secondOneWayPair = true;
  unsigned seed = 1;
};
// Fills the comparison with random names (letter case, extensions, equal names in different
// case), actions fitting each presence, direction locks, marks, equal and different times.
void FillRandomly(GeneratedComparison& comparison, const GeneratedShape& shape);

}  // namespace testsupport
