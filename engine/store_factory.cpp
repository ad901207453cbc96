#include "engine/store_factory.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "engine/local_store.h"
#include "platform/case_fold.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace engine {
namespace {

struct Registry {
  std::mutex guard;
  std::map<std::string, StoreMaker> schemes;
  std::map<std::string, StoreMaker> extensions;
  std::vector<std::pair<std::string, ExtensionClaim>> claims;
};

Registry& registry() {
  static Registry instance;
  return instance;
}

StoreMaker findMaker(const std::string& path) {
  Registry& r = registry();
  const std::lock_guard lock(r.guard);
  const std::string scheme = platform::asciiLower(StoreFactory::SchemeOf(path));
  if (!scheme.empty()) {
    const auto it = r.schemes.find(scheme);
    if (it != r.schemes.end()) return it->second;
  }
  const std::string extension = platform::asciiLower(platform::extensionOf(platform::withoutTrailingSeparator(path)));
  if (extension.empty()) return {};
  const auto it = r.extensions.find(extension);
  if (it != r.extensions.end()) return it->second;
  const std::string fileName = platform::asciiLower(platform::fileNameOf(platform::withoutTrailingSeparator(path)));
  for (const auto& [name, claim] : r.claims) {
    if (StoreMaker maker = claim(fileName)) return maker;
  }
  return {};
}

}  // namespace

void StoreFactory::RegisterScheme(const std::string& scheme, StoreMaker maker) {
  Registry& r = registry();
  const std::lock_guard lock(r.guard);
  r.schemes[platform::asciiLower(scheme)] = std::move(maker);
}

void StoreFactory::RegisterExtension(const std::string& extension, StoreMaker maker) {
  Registry& r = registry();
  const std::lock_guard lock(r.guard);
  r.extensions[platform::asciiLower(extension)] = std::move(maker);
}

void StoreFactory::RegisterClaim(const std::string& name, ExtensionClaim claim) {
  Registry& r = registry();
  const std::lock_guard lock(r.guard);
  const auto same = std::find_if(r.claims.begin(), r.claims.end(), [&](const auto& entry) { return entry.first == name; });
  if (same != r.claims.end()) {
    same->second = std::move(claim);
  } else {
    r.claims.emplace_back(name, std::move(claim));
  }
}

void StoreFactory::ClearRegistrations() {
  Registry& r = registry();
  const std::lock_guard lock(r.guard);
  r.schemes.clear();
  r.extensions.clear();
  r.claims.clear();
}

std::string StoreFactory::SchemeOf(const std::string& path) {
  // Blanks around a typed " ftp: Name" do not count.
  const auto start = std::min(path.find_first_not_of(" \t"), path.size());
  const auto colon = path.find(':', start);
  return colon != std::string::npos && colon >= start + 3 && path.find('/') > colon ? path.substr(start, colon - start)
                                                                                     : std::string();
}

namespace {

// The path a store is chosen for: expanded when it does not exist as given.
std::string chosenPath(const std::string& path, const StoreContext& context) {
  std::string chosen = path;
  if (!platform::isFolder(path) && context.expandPath) {
    std::string expanded;
    if (context.expandPath(path, expanded)) chosen = expanded;
  }
  return chosen;
}

}  // namespace

std::string StoreFactory::UnknownKindOf(const std::string& path, const StoreContext& context) {
  const std::string chosen = chosenPath(path, context);
  const std::string scheme = platform::asciiLower(SchemeOf(chosen));
  if (scheme.empty()) return {};
  Registry& r = registry();
  const std::lock_guard lock(r.guard);
  return r.schemes.count(scheme) > 0 ? std::string() : SchemeOf(chosen);
}

std::unique_ptr<Store> StoreFactory::Create(const std::string& path, const StoreContext& context) {
  const std::string chosen = chosenPath(path, context);
  if (StoreMaker maker = findMaker(chosen)) {
    if (auto store = maker(context)) return store;
  }
  return std::make_unique<LocalStore>(context);
}

}  // namespace engine
