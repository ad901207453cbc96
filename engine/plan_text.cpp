#include "engine/plan_text.h"

#include <cstdio>
#include <mutex>

#include "engine/text.h"
#include "platform/path.h"

namespace engine {
namespace {

const char* presenceLabel(int presence) {
  switch (presence) {
    case presence::kSource: return "source";
    case presence::kTarget: return "target";
    default: return "both";
  }
}

std::string side(bool present, std::uint64_t size, FileTime time) {
  if (!present) return "-";
  return std::to_string(size) + " " + platform::formatCalendar(platform::localFromFileTime(time));
}

}  // namespace

const char* ActionLabel(int action) {
  switch (action) {
    case action::kDelete: return "delete";
    case action::kCopyToSource: return "<- copy";
    case action::kCopyToTarget: return "copy ->";
    case action::kConflict: return "conflict";
    default: return "same";
  }
}

std::string PlanLine(const CompareItem& item) {
  std::string path = item.relativePath();
  if (item.isFolder()) path = platform::withTrailingSeparator(path);
  const bool inSource = item.presence != presence::kTarget;
  const bool inTarget = item.presence != presence::kSource;
  char head[32];
  std::snprintf(head, sizeof head, "%-8s %-6s ", ActionLabel(item.action), presenceLabel(item.presence));
  if (item.isFolder()) return head + path;
  return head + path + "  [" + side(inSource, item.sourceSize, item.sourceTime) + "]  [" +
         side(inTarget, item.targetSize, item.targetTime) + "]";
}

void WritePlan(std::ostream& out, const CompareEngine& engine, bool withSame) {
  const std::lock_guard lock(engine.Items().Lock());
  for (const int index : engine.Order()) {
    const CompareItem& item = engine.Items().at(index);
    if (item.isFolder() && !item.isFolderRow()) continue;
    if (item.action == action::kNone && !withSame) continue;
    out << PrintableText(PlanLine(item)) << '\n';
  }
}

}  // namespace engine
