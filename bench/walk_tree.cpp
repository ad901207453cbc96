// Walks a folder tree through the local store and FolderWalker, printing what `find -printf
// '%s %T@ %p\n'` prints per file, so both do the same work.
#include <cinttypes>
#include <cstdio>

#include "engine/folder_walker.h"
#include "engine/local_store.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: walk_tree FOLDER\n");
    return 2;
  }
  engine::LocalStore store{engine::StoreContext{}};
  if (!store.Open(argv[1], {true, false})) {
    std::fprintf(stderr, "%s\n", store.LastError().c_str());
    return 2;
  }
  engine::FolderWalker walker(store);
  walker.Start(store.Root(), "*.*", true, false);
  std::uint64_t files = 0;
  while (walker.Next() == engine::FolderWalker::kFile) {
    const auto& data = walker.GetFindData();
    std::printf("%" PRIu64 " %" PRIu64 " %s%s\n", data.size, data.lastWriteTime, walker.CurrentFolder().c_str(),
                data.name.c_str());
    ++files;
  }
  std::fprintf(stderr, "%" PRIu64 " files\n", files);
  return 0;
}
