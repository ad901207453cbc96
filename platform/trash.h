#pragma once
#include <string>

namespace platform {

// Moves a file or folder to the user's trash (the freedesktop trash that file managers show),
// without any dialog. False with `error` set when it cannot.
[[nodiscard]] bool moveToTrash(const std::string& path, std::string* error = nullptr);

}  // namespace platform
