#include "stores/listing_text.h"

#include "engine/history_file.h"
#include "platform/case_fold.h"
#include "platform/path.h"
#include "platform/text_encoding.h"

namespace stores {

std::string FormatListing(const engine::HistoryList& listing) {
  std::string text;
  text.reserve(static_cast<std::size_t>(listing.Count()) * 64);
  for (int i = 0; i < listing.SlotCount(); ++i) {
    if (!listing.IsLive(i)) continue;
    engine::HistoryEntry line = listing.at(i);
    line.name = platform::toStoredName(line.path);
    text += engine::FormatHistoryLine(line);
  }
  return text;
}

bool IsListableName(std::string_view relative) {
  if (relative.empty() || !platform::isValidUtf8(relative)) return false;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = relative.find('/', start);
    if (!engine::IsHistoryName(relative.substr(start, slash - start))) return false;
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  // What a reader would refuse (a name beginning with a drive letter) is never written.
  return platform::isSafeRelativeName(platform::toStoredName(relative));
}

bool ParseListing(std::string_view text, engine::HistoryList& out, engine::RejectedNames& rejected) {
  out.Clear();
  // "Index.html" and "index.html" are two files of a Linux folder: two lines.
  out.SetIgnoreCase(false);
  const engine::ListLineFormat format = engine::ListLineFormat::Parse(engine::kHistoryLineFormat);
  std::string decoded;
  // Line by line, CR LF, LF or a lone CR; blank lines are no entries.
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    // A line that is no listing line, or one whose size or time cannot be, makes the file no
    // listing: read anyway, it would look like files deleted.
    if (!engine::IsHistoryLine(line) || line.find_first_not_of(' ') == line.find('-')) return false;
    if (!platform::isValidUtf8(line)) {
      decoded = platform::windows1252ToUtf8(line);
      line = decoded;
    }
    engine::ParsedEntry parsed;
    engine::ParseRecord(line, format, parsed);
    // Every line of a listing has a whole date and time: one without is no listing's line.
    if (!parsed.haveDate || !parsed.haveTime) return false;
    const std::size_t refused = rejected.size();
    if (!engine::FinaliseEntry(parsed, true, &rejected)) {
      if (rejected.size() > refused) continue;
      return false;
    }
    engine::HistoryEntry& entry = parsed.entry;
    const auto slash = entry.path.rfind('/');
    entry.folder = slash == std::string::npos ? std::string() : entry.path.substr(0, slash + 1);
    out.Put(std::move(entry));
  }
  return true;
}

}  // namespace stores
