#include "ui/qt/start_path_rules.h"

#include "engine/local_store.h"
#include "engine/store_factory.h"
#include "engine/text.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace ui::qt {

PathRules MakePathRules(const config::COptions& options) {
  PathRules rules;
  rules.check = [&options](const std::string& path, std::string& message) {
    std::string expanded;
    if (path.empty()) {
      message = engine::Translate("${Please enter both folders.}");
      return PathState::Unusable;
    }
    if (!options.pathVariables.Expand(path, expanded)) {
      message = expanded;
      return PathState::Unusable;
    }
    engine::StoreContext context;
    if (const std::string unknown = engine::StoreFactory::UnknownKindOf(expanded, context); !unknown.empty()) {
      message = engine::TranslateFormat("${No store opens paths of this kind:} %s", {path});
      return PathState::Unusable;
    }
    if (dynamic_cast<engine::LocalStore*>(engine::StoreFactory::Create(expanded, context).get()) == nullptr) {
      return PathState::Usable;  // an archive, a package or a server: its store is opened by the scan
    }
    if (!platform::isAbsolutePath(expanded)) {
      message = engine::TranslateFormat("${Not an absolute path:} %s", {path});
      return PathState::Unusable;
    }
    if (platform::isFolder(expanded)) return PathState::Usable;
    if (platform::exists(expanded)) {
      message = engine::TranslateFormat("${Not a folder:} %s", {path});
      return PathState::Unusable;
    }
    return PathState::Missing;
  };
  rules.create = [&options](const std::string& path, std::string& message) {
    std::string expanded;
    if (!options.pathVariables.Expand(path, expanded)) {
      message = expanded;
      return false;
    }
    std::string error;
    if (platform::createFolderChain(expanded, &error)) return true;
    message = engine::TranslateFormat("${The folder cannot be made:} %s", {path + " (" + error + ")"});
    return false;
  };
  return rules;
}

}  // namespace ui::qt
