#pragma once
// Copying a file's content from any store into a folder tree: written beside the destination,
// given the source's time and permission bits, put in place when complete.
#include <optional>
#include <string>

#include "engine/store.h"
#include "platform/content_reader.h"
#include "platform/folder_tree.h"

namespace engine {

// Copies `content` to `relative` in `tree`, with the byte progress and cancel of `sink` (may be
// null). With `expected`, the destination is replaced only while it is as expected. False with
// `error` set (a failure of the source shows in content.error() too); the destination is then
// as it was.
[[nodiscard]] bool CopyContentInto(platform::FolderTree& tree, const std::string& relative, platform::ContentReader& content,
                                   const std::optional<ExpectedFile>& expected, ProgressSink* sink, std::string& error);

}  // namespace engine
