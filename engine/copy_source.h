#pragma once
// What a copy reads, whatever store it comes from and whatever store it goes to: opened and
// checked against what the comparison saw in one place.
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "engine/store.h"

namespace engine {

struct OpenedSource {
  // The file's content; empty for a link.
  std::unique_ptr<platform::ContentReader> content;
  // The link's entry and target text when the source is a link.
  std::optional<std::pair<FindData, std::string>> link;
};

// The file at `path` of `store`, reached through the store's own operations (on its thread).
[[nodiscard]] CopySource SourceOf(Store& store, const std::string& path);

// Opens the source as a copy reads it: its content, or the link it is. False with the error
// (naming the path) when it cannot be read or is no longer as `expected`.
[[nodiscard]] bool OpenForCopy(const CopySource& source, const std::optional<ExpectedFile>& expected, OpenedSource& opened,
                               std::string& error);

}  // namespace engine
