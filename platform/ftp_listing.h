#pragma once
// The lines of a server's folder listing: MLSD facts, and the Unix "ls -l" style of LIST (which
// SFTP servers also give for a folder).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_time.h"

namespace platform {

struct FtpEntry {
  std::string name;
  bool folder = false;
  std::uint64_t size = 0;
  // UTC, exact as the server keeps it (MLSD "modify").
  std::optional<FileTime> time;
  // MLSD "unique": the same for two names of one folder (a link the server follows).
  std::string unique;
  // A file of the program's own that a killed run left, which its name alone does not tell (an
  // old file set aside while its new one took the name); never the user's, removed by the next
  // real run.
  bool leftover = false;
};

// One line of a Unix-style LIST reply ("-rw-r--r-- 1 u g 3 Dec 07 01:10 x y.txt") for servers
// without MLSD: name, kind and size (the time it shows is not exact); false for links and lines
// that are no entry.
[[nodiscard]] bool ParseListLine(std::string_view line, FtpEntry& entry);
// One line of an MLSD reply ("type=file;size=5;modify=20240101120000; a.txt"); false for lines
// that name no file or folder of the listed one ("cdir", "pdir", links, unknown types).
[[nodiscard]] bool ParseMlsdLine(std::string_view line, FtpEntry& entry);

}  // namespace platform
