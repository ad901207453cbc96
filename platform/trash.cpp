#include "platform/trash.h"

#include <gio/gio.h>

namespace platform {

bool moveToTrash(const std::string& path, std::string* error) {
  GFile* file = g_file_new_for_path(path.c_str());
  GError* failure = nullptr;
  const gboolean done = g_file_trash(file, nullptr, &failure);
  if (!done && error != nullptr) *error = failure != nullptr ? failure->message : "cannot move to the trash";
  if (failure != nullptr) g_error_free(failure);
  g_object_unref(file);
  return done != FALSE;
}

}  // namespace platform
