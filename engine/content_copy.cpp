#include "engine/content_copy.h"

#include "engine/text.h"
#include "platform/file_copy.h"

namespace engine {

bool CopyContentInto(platform::FolderTree& tree, const std::string& relative, platform::ContentReader& content,
                     const std::optional<ExpectedFile>& expected, ProgressSink* sink, std::string& error) {
  auto pending = tree.create(relative, platform::modeForCopy(content.mode()), &error);
  if (!pending) return false;
  const platform::CopyResult result = platform::copyContent(content, pending->descriptor(), [sink](std::uint64_t done) {
    if (sink == nullptr) return true;
    sink->ProgressBytes(done);
    return sink->ShouldContinue();
  });
  if (!result.ok()) {
    error = result.outcome == platform::CopyOutcome::Cancelled ? Translate("${Cancelled}") : result.error;
    return false;
  }
  // Run as root, a copy keeps its owner, as the file it stands for had it. (Giving a file away
  // clears set-uid bits, which a copy never has anyway.)
  const bool owned = content.ownerUser() < 0 || !platform::mayChangeOwners() ||
                     pending->setOwner(content.ownerUser(), content.ownerGroup(), &error);
  return owned && pending->setLastWriteTime(content.lastWriteTime(), &error) && pending->commit(expected, false, &error);
}

}  // namespace engine
