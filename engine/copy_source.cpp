#include "engine/copy_source.h"

#include "engine/text.h"

namespace engine {

CopySource SourceOf(Store& store, const std::string& path) {
  return CopySource{path,
                    [&store, path](std::string& reason) {
                      auto content = store.OpenContent(path);
                      if (!content) reason = store.LastError();
                      return content;
                    },
                    [&store, path]() -> std::optional<std::pair<FindData, std::string>> {
                      std::string target;
                      if (!store.GetFileInfo(path) || (store.CurrentEntry().attributes & platform::attr::kLink) == 0) {
                        return std::nullopt;
                      }
                      const FindData entry = store.CurrentEntry();
                      if (!store.ReadLink(path, target)) return std::nullopt;
                      return std::pair{entry, target};
                    }};
}

bool OpenForCopy(const CopySource& source, const std::optional<ExpectedFile>& expected, OpenedSource& opened,
                 std::string& error) {
  const std::string changed = source.path + ": " + Translate("${changed since comparison}");
  std::string reason;
  opened.content = source.open(reason);
  if (opened.content) {
    const platform::ContentReader& content = *opened.content;
    if (!expected || (expected->present && content.size() == expected->size && content.lastWriteTime() == expected->lastWriteTime)) {
      return true;
    }
    error = changed;
    return false;
  }
  // What cannot be opened as a file may be a link, which is copied as a link.
  opened.link = source.link();
  if (!opened.link) {
    error = reason.empty() ? Translate("${cannot read}") + " " + source.path + ": " + Translate("${does not exist}") : reason;
    return false;
  }
  const FindData& entry = opened.link->first;
  if (expected && (entry.size != expected->size || entry.lastWriteTime != expected->lastWriteTime)) {
    error = changed;
    return false;
  }
  return true;
}

}  // namespace engine
