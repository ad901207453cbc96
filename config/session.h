#pragma once
// Sessions (one folder pair with its masks, switches, comparison mode, action and extended
// filter) and projects (named, ordered lists of session names).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/transfer.h"
#include "engine/settings.h"
#include "platform/find_data.h"

namespace config {

namespace sflag = engine::sessionflag;

enum Todo : int { kTodoNotGiven = -1, kSynchronize = 0, kUpdateTarget = 1, kBackup = 2, kDuplicate = 3, kSmart = 4 };
enum CompareMode : int { kDateAndSize = 0, kDateOrContent = 1, kContent = 2, kSizeOnly = 3 };

namespace xflag {
inline constexpr std::uint32_t kNotOlderThan = 0x01;
inline constexpr std::uint32_t kDateBetween = 0x02;
inline constexpr std::uint32_t kSizeEqual = 0x04;
inline constexpr std::uint32_t kSizeGreater = 0x08;
inline constexpr std::uint32_t kSizeLess = 0x10;
inline constexpr std::uint32_t kSkipHidden = 0x20;
}  // namespace xflag

enum AgeUnit : int { kHours = 0, kDays = 1, kWeeks = 2, kMonths = 3, kToday = 4, kThisWeek = 5, kThisMonth = 6 };

// The extended filter. Times are seconds since 1970 in local time; sizes and times are 64-bit.
struct CExtFilter {
  std::uint32_t flags = 0;
  std::int64_t upperBound = 0;
  std::int64_t lowerBound = 0;
  std::int64_t sizeLimit = 0;
  int ageAmount = 0;
  int ageUnit = 0;
  std::int64_t sizeEntered = 0;
  int sizeUnitEntered = 0;

  bool operator==(const CExtFilter& other) const;
  // Accepts or rejects a pair of entries (either may be absent).
  [[nodiscard]] bool Accepts(const platform::FindData* source, const platform::FindData* target) const;
  // The lower bound of a relative age, from `nowLocal` (local seconds since 1970).
  [[nodiscard]] static std::int64_t AgeThreshold(int amount, int unit, std::int64_t nowLocal);
  // Recomputes the not-older-than bound from the stored amount and unit (done when a scan starts).
  void PrepareForScan(std::int64_t nowLocal);
};

struct CSession {
  std::string Name;
  std::string DirList;
  std::string Files;
  std::string XFiles;
  std::uint32_t SFlags = 0;
  int Todo = kSynchronize;
  int Cmp = kDateAndSize;
  CExtFilter Filter;
  std::array<int, 8> ActionTable{};
  std::string Src;
  std::string Dst;
  std::string ExpandedSrc;
  std::string ExpandedDst;

  // Copies the stored fields; the action table and the expanded paths stay.
  void CopyFrom(const CSession& other);
  // Names, paths and masks compare without regard to case.
  [[nodiscard]] bool Equals(const CSession& other) const;
  // Takes a command-line pair into this (current) session.
  void Merge(const CSession& commandLine);
  // An empty section means "Options" (the current session).
  void Transfer(CProfile& profile, std::string_view section, config::Transfer direction);
};

struct CProject {
  std::string Name;
  std::vector<std::string> Sessions;

  // "Nightly||Docs||Mail||"
  [[nodiscard]] std::string ToText() const;
  void Parse(std::string_view text);
};

// A text for the user when `name` cannot name a session or project (empty, "||", a trailing
// "|", control characters); empty when it can.
[[nodiscard]] std::string CheckRecordName(const std::string& name);

}  // namespace config
