// Compares two folder trees through the engine, as a scan does, and reports the time taken and
// the peak memory above the process's size before the comparison.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "engine/compare.h"

namespace {

long statusKilobytes(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(line.find(':') + 1));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: compare_trees SOURCE TARGET\n");
    return 2;
  }
  const long idle = statusKilobytes("VmRSS");
  engine::CompareEngine engine(engine::EngineSettings{}, engine::StoreContext{});
  engine::SessionSpec session;
  session.source = argv[1];
  session.target = argv[2];
  session.flags = engine::sessionflag::kSubfolders;
  engine::CompareObserver observer;
  const auto start = std::chrono::steady_clock::now();
  if (!engine.RunComparison(session, observer)) {
    std::fprintf(stderr, "%s\n", engine.LastError().c_str());
    return 2;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long peak = statusKilobytes("VmHWM");
  const auto files = static_cast<double>(engine.FilesSeen()) / 2.0;
  std::printf("compared %.0f file pairs in %.3f s; items %d; peak %ld KB above idle (%.0f bytes per file)\n", files,
              seconds, engine.Items().Count(), peak - idle, static_cast<double>(peak - idle) * 1024.0 / files);
  return 0;
}
