#pragma once
#include <string>

namespace platform {

enum class DriveType { Unknown, Fixed, CdRom };

// The kind of the mount that holds `path`: a CD-ROM is a mount of type iso9660 or udf.
[[nodiscard]] DriveType driveTypeOf(const std::string& path);
// True when both paths (or their nearest existing folders) lie on one device.
[[nodiscard]] bool sameDisk(const std::string& a, const std::string& b);
// True when the file system that holds `path` (or its nearest existing folder) compares names
// without regard to letter case: a FAT, exFAT or NTFS mount, or a folder with the casefold
// attribute. Everything else on Linux tells "Index.html" from "index.html".
[[nodiscard]] bool namesIgnoreCase(const std::string& path);
[[nodiscard]] bool mountTypeIgnoresCase(const std::string& type);
// The file-system type of the mount holding `path`, read from a mountinfo text (the format of
// /proc/self/mountinfo); empty when no mount holds it.
[[nodiscard]] std::string mountTypeFromMountInfo(const std::string& mountInfo, const std::string& canonicalPath);

}  // namespace platform
