#include "ui/row_order.h"

#include <algorithm>

#include "platform/case_fold.h"

namespace ui {
namespace {

namespace action = engine::action;
namespace presence = engine::presence;

int sign(bool less, bool greater) { return less ? -1 : (greater ? 1 : 0); }

char asciiLower(unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); }

// The extension of a file name: the text after its last "."; empty when it has none.
std::string_view extensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

platform::FileTime laterTime(const engine::CompareItem& item) { return std::max(item.sourceTime, item.targetTime); }

// Items on both sides go first, except among copies to the target, where they go last.
int presenceRank(const engine::CompareItem& item) {
  const bool both = item.presence == presence::kBoth;
  return item.action == action::kCopyToTarget ? (both ? 1 : 0) : (both ? 0 : 1);
}

}  // namespace

SortKey SortKeyFromStored(int stored) {
  return stored >= 0 && stored <= 3 ? static_cast<SortKey>(stored) : SortKey::Direction;
}

int CompareNamesNoCase(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    // Everything before is ASCII, so `i` is a character boundary in both names.
    if (ca >= 0x80 || cb >= 0x80) return platform::compareNoCase(a.substr(i), b.substr(i));
    const char la = asciiLower(ca);
    const char lb = asciiLower(cb);
    if (la != lb) return static_cast<unsigned char>(la) < static_cast<unsigned char>(lb) ? -1 : 1;
  }
  return sign(a.size() < b.size(), a.size() > b.size());
}

int RowOrder::byKey(const engine::CompareItem& a, const engine::CompareItem& b) const {
  switch (key_) {
    case SortKey::Date: {
      const platform::FileTime ta = laterTime(a);
      const platform::FileTime tb = laterTime(b);
      return sign(ta > tb, ta < tb);
    }
    case SortKey::Type: {
      const std::string_view ea = extensionOf(a.name);
      const std::string_view eb = extensionOf(b.name);
      if (ea.empty() != eb.empty()) return ea.empty() ? -1 : 1;
      return CompareNamesNoCase(ea, eb);
    }
    case SortKey::Direction:
      if (a.action != b.action) return a.action > b.action ? -1 : 1;
      return sign(presenceRank(a) < presenceRank(b), presenceRank(a) > presenceRank(b));
    case SortKey::Name: return 0;
  }
  return 0;
}

bool RowOrder::operator()(int a, int b) const {
  const engine::CompareItem& ia = items_.at(a);
  const engine::CompareItem& ib = items_.at(b);
  if (const int order = byKey(ia, ib); order != 0) return order < 0;
  if (const int order = CompareNamesNoCase(ia.name, ib.name); order != 0) return order < 0;
  if (const int order = ia.name.compare(ib.name); order != 0) return order < 0;
  return a < b;
}

}  // namespace ui
