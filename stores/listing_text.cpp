#include "stores/listing_text.h"

#include "engine/history_file.h"
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
  if (!engine::LooksLikeHistoryFile(text)) return false;
  std::string decoded;
  decoded.reserve(text.size());
  for (const std::string_view line : engine::SplitLines(text)) {
    decoded += platform::utf8OrWindows1252(line);
    decoded += '\n';
  }
  engine::HistoryList parsed;
  engine::ListerRecord lister;
  lister.format = std::string(engine::kHistoryLineFormat);
  if (!engine::ParseListText(decoded, lister, parsed, &rejected)) return false;
  for (int i = 0; i < parsed.SlotCount(); ++i) {
    engine::HistoryEntry entry = parsed.at(i);
    const auto slash = entry.path.rfind('/');
    entry.folder = slash == std::string::npos ? std::string() : entry.path.substr(0, slash + 1);
    out.Put(std::move(entry));
  }
  return true;
}

}  // namespace stores
