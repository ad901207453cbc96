// Lists an archive through the outside-archiver store, or replaces one file in it, as a run
// does; the archiver kinds are the ones the program ships.
//   archiver_store list ARCHIVE
//   archiver_store update ARCHIVE FILE NAME
#include <chrono>
#include <cstdio>
#include <string>

#include "config/profile.h"
#include "engine/local_store.h"
#include "platform/path.h"
#include "platform/program_search.h"
#include "stores/archiver_store.h"

namespace {

const stores::ArchiverDescription* shippedKindFor(const std::string& archive,
                                                  std::vector<stores::ArchiverDescription>& kinds) {
  config::CProfile profile;
  profile.SetFile(VELKOR_SOURCE_DIR "/data/orvandi3.arc");
  stores::DescriptionFile file;
  file.keys = [&](const std::string& section) { return profile.KeysOf(section); };
  file.text = [&](const std::string& section, const std::string& key) { return profile.GetText(section, key, ""); };
  kinds = stores::ReadArchiverDescriptions(
      file, [](const std::string& program) { return platform::findFileIn(program, platform::searchPathFolders(), true); });
  return stores::FindArchiver(kinds, platform::fileNameOf(archive));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 2 ? argv[1] : "";
  if (!((mode == "list" && argc == 3) || (mode == "update" && argc == 5))) {
    std::fprintf(stderr, "usage: archiver_store list ARCHIVE | update ARCHIVE FILE NAME\n");
    return 2;
  }
  std::vector<stores::ArchiverDescription> kinds;
  const stores::ArchiverDescription* kind = shippedKindFor(argv[2], kinds);
  if (kind == nullptr) {
    std::fprintf(stderr, "no archiver for %s\n", argv[2]);
    return 2;
  }
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  engine::EngineSettings settings;
  const engine::StoreContext context{&settings, nullptr, {}};
  stores::ArchiverStore store(context, *kind);
  if (!store.Open(argv[2], {true, false, true}) || !store.Attach(nullptr, true)) {
    std::fprintf(stderr, "%s\n", store.LastError().c_str());
    return 1;
  }
  const auto listed = Clock::now();
  if (mode == "update") {
    engine::LocalStore source(context);
    const std::string file = argv[3];
    if (!source.Open(platform::parentOf(file), {true, false}) ||
        !store.PutFile(platform::joinPath(store.Root(), argv[4]), nullptr, source, file, 0, {}) || !store.Finish()) {
      std::fprintf(stderr, "%s\n", store.LastError().c_str());
      return 1;
    }
  }
  const auto done = Clock::now();
  std::printf("%d files: listed %.3f s, written %.3f s\n", store.Listing().SlotCount(),
              std::chrono::duration<double>(listed - start).count(), std::chrono::duration<double>(done - listed).count());
  return 0;
}
