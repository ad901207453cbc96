#pragma once
// Chooses the store for a path: a scheme ("ftp:"), else the extension of an archive kind, else a
// claim by an archiver description, else the local folder store. Other stores register here at
// start-up, so the engine knows none of them.
#include <functional>
#include <memory>
#include <string>

#include "engine/store.h"

namespace engine {

using StoreMaker = std::function<std::unique_ptr<Store>(const StoreContext& context)>;
// Returns a maker when it handles a file of that name (lower case, with a dot in it), else an
// empty one. The whole name is given, so that "x.tar.gz" can be told from "x.gz".
using ExtensionClaim = std::function<StoreMaker(const std::string& fileName)>;

class StoreFactory {
 public:
  // Names compare without regard to case. A later registration of a name replaces the earlier one.
  static void RegisterScheme(const std::string& scheme, StoreMaker maker);
  static void RegisterExtension(const std::string& extension, StoreMaker maker);
  // Claims are asked in the order they were first registered; `name` tells them apart.
  static void RegisterClaim(const std::string& name, ExtensionClaim claim);
  static void ClearRegistrations();

  // A store for `path`; never empty (a local store when nothing else claims it). The path is
  // expanded first when it does not exist as given.
  [[nodiscard]] static std::unique_ptr<Store> Create(const std::string& path, const StoreContext& context);
  // The kind a path names that no store is registered for ("ftp" of "ftp:Local" while no FTP
  // store exists); empty when the path is one a store takes, a local folder included. Such a
  // path is never taken as a local folder: "./ftp:Local" names the folder.
  [[nodiscard]] static std::string UnknownKindOf(const std::string& path, const StoreContext& context);
  // The scheme of a path ("ftp" of "ftp:server/x"): the text before the first ":" when it has at
  // least three characters; else empty.
  [[nodiscard]] static std::string SchemeOf(const std::string& path);
};

}  // namespace engine
