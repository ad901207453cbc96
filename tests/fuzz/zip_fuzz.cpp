// libFuzzer target: opening, listing and extracting every entry of an arbitrary archive.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/temp_names.h"
#include "stores/zip_container.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const platform::TempFolder folder("velkor-zip-fuzz-");
  const std::string archive = platform::joinPath(folder.path(), "input.zip");
  const std::string output = platform::joinPath(folder.path(), "entry");
  if (!platform::writeFileReplacing(archive, std::string(reinterpret_cast<const char*>(data), size), 0600)) return 0;
  try {
    stores::ZipContainer zip;
    zip.Open(archive, false);
    for (int i = 0; i < zip.Count(); ++i) {
      (void)zip.FindName(zip.Entry(i).name);
      try {
        zip.Extract(i, output, nullptr);
      } catch (const stores::CZipException&) {
      }
    }
  } catch (const stores::CZipException&) {
  }
  return 0;
}
