// Adds one file to an archive through the container, timing the three steps a run takes for
// it: reading the central directory, adding the file, writing the new archive.
#include <chrono>
#include <cstdio>

#include "stores/zip_container.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: zip_update ARCHIVE FILE ENTRYNAME\n");
    return 2;
  }
  using Clock = std::chrono::steady_clock;
  const auto seconds = [](Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
  };
  try {
    stores::ZipContainer zip;
    const auto start = Clock::now();
    zip.Open(argv[1], false);
    const auto opened = Clock::now();
    zip.AddFile(argv[2], argv[3], -1, nullptr);
    const auto added = Clock::now();
    const int entries = zip.Count();
    zip.Close();
    const auto closed = Clock::now();
    std::printf("%d entries: open %.3f s, add %.3f s, close %.3f s\n", entries, seconds(start, opened),
                seconds(opened, added), seconds(added, closed));
  } catch (const stores::CZipException& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  return 0;
}
