// Lists an archive through the ZIP store and the folder walker, printing what `unzip -l` prints
// per entry (size, date, name).
#include <cinttypes>
#include <cstdio>

#include "engine/folder_walker.h"
#include "stores/zip_store.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zip_list ARCHIVE\n");
    return 2;
  }
  stores::ZipStore store{engine::StoreContext{}};
  if (!store.Open(argv[1], {true, false, false}) || !store.Attach(nullptr, true)) {
    std::fprintf(stderr, "%s\n", store.LastError().c_str());
    return 2;
  }
  engine::FolderWalker walker(store);
  walker.Start(store.Root(), "*.*", true, false);
  while (walker.Next() == engine::FolderWalker::kFile) {
    const auto& data = walker.GetFindData();
    std::printf("%9" PRIu64 " %" PRIu64 " %s%s\n", data.size, data.lastWriteTime, walker.RelativeFolder().c_str(),
                data.name.c_str());
  }
  return 0;
}
