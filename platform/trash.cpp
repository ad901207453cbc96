#include "platform/trash.h"

#include <gio/gio.h>

#include "platform/file_system.h"
#include "platform/special_folders.h"

namespace platform {

bool moveToTrash(const std::string& path, std::string* error) {
  // The home trash lives in the data folder, which a new account may not have yet; the trash
  // does not make the folders above itself.
  (void)createFolderChain(userDataFolder());
  GFile* file = g_file_new_for_path(path.c_str());
  GError* failure = nullptr;
  const gboolean done = g_file_trash(file, nullptr, &failure);
  if (!done && error != nullptr) *error = failure != nullptr ? failure->message : "cannot move to the trash";
  if (failure != nullptr) g_error_free(failure);
  g_object_unref(file);
  return done != FALSE;
}

}  // namespace platform
