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
  if (relative.empty()) return false;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = relative.find('/', start);
    if (!engine::IsHistoryName(relative.substr(start, slash - start))) return false;
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

bool ParseListing(std::string_view text, engine::HistoryList& out, engine::RejectedNames& rejected) {
  out.Clear();
  // "Index.html" and "index.html" are two files of a Linux folder: two lines.
  out.SetIgnoreCase(false);
  if (!engine::LooksLikeHistoryFile(text)) return false;
  const engine::ListLineFormat format = engine::ListLineFormat::Parse(engine::kHistoryLineFormat);
  std::string decoded;
  for (const std::string_view line : engine::SplitLines(text)) {
    std::string_view record = line;
    if (!platform::isValidUtf8(line)) {
      decoded = platform::windows1252ToUtf8(line);
      record = decoded;
    }
    engine::ParsedEntry parsed;
    engine::ParseRecord(record, format, parsed);
    if (!engine::FinaliseEntry(parsed, true, &rejected)) continue;
    engine::HistoryEntry& entry = parsed.entry;
    const auto slash = entry.path.rfind('/');
    entry.folder = slash == std::string::npos ? std::string() : entry.path.substr(0, slash + 1);
    out.Put(std::move(entry));
  }
  return true;
}

}  // namespace stores
