#include "engine/store.h"

namespace engine {
namespace {

const EngineSettings& defaultSettings() {
  static const EngineSettings settings;
  return settings;
}

SilentPrompt& defaultPrompt() {
  static SilentPrompt prompt;
  return prompt;
}

}  // namespace

Store::Store(StoreContext context) : context_(context) {}

Store::~Store() = default;

const EngineSettings& Store::settings() const {
  return context_.settings != nullptr ? *context_.settings : defaultSettings();
}

Prompt& Store::prompt() const { return context_.prompt != nullptr ? *context_.prompt : defaultPrompt(); }

bool Store::RemoveEmptyFolder(const std::string&) { return false; }

bool Store::expandRoot(const std::string& given, std::string& expanded) {
  if (!context_.expandPath) {
    expanded = given;
    return true;
  }
  std::string out;
  if (!context_.expandPath(given, out)) {
    setError(out);
    return false;
  }
  expanded = out;
  return true;
}

}  // namespace engine
