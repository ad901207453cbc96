#pragma once
#include <string>

namespace platform {

enum class DriveType { Unknown, Fixed, CdRom };

// The kind of the mount that holds `path`: a CD-ROM is a mount of type iso9660 or udf.
[[nodiscard]] DriveType driveTypeOf(const std::string& path);
// The file-system type of the mount holding `path`, read from a mountinfo text (the format of
// /proc/self/mountinfo); empty when no mount holds it.
[[nodiscard]] std::string mountTypeFromMountInfo(const std::string& mountInfo, const std::string& canonicalPath);

}  // namespace platform
