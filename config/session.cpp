#include "config/session.h"

#include <ctime>

#include "platform/case_fold.h"
#include "platform/file_time.h"

namespace config {

bool CExtFilter::operator==(const CExtFilter& other) const {
  if (flags != other.flags) return false;
  if ((flags & xflag::kDateBetween) != 0 && (upperBound != other.upperBound || lowerBound != other.lowerBound)) {
    return false;
  }
  return sizeLimit == other.sizeLimit && ageAmount == other.ageAmount && ageUnit == other.ageUnit &&
         sizeEntered == other.sizeEntered && sizeUnitEntered == other.sizeUnitEntered;
}

bool CExtFilter::Accepts(const platform::FindData* source, const platform::FindData* target) const {
  if (flags == 0) return true;
  for (const platform::FindData* entry : {source, target}) {
    if (entry == nullptr) continue;
    const auto size = static_cast<std::int64_t>(entry->size);
    if ((flags & xflag::kSizeEqual) != 0 && size != sizeLimit) return false;
    if ((flags & xflag::kSizeGreater) != 0 && size <= sizeLimit) return false;
    if ((flags & xflag::kSizeLess) != 0 && size >= sizeLimit) return false;
  }
  if ((flags & (xflag::kNotOlderThan | xflag::kDateBetween)) != 0) {
    platform::FileTime newest = 0;
    for (const platform::FindData* entry : {source, target}) {
      if (entry != nullptr && entry->lastWriteTime > newest) newest = entry->lastWriteTime;
    }
    const std::int64_t local = platform::localSecondsFromFileTime(newest);
    if ((flags & xflag::kNotOlderThan) != 0) {
      if (local < lowerBound) return false;
    } else if (local < lowerBound || local > upperBound) {
      return false;
    }
  }
  if ((flags & xflag::kSkipHidden) != 0) {
    for (const platform::FindData* entry : {source, target}) {
      if (entry != nullptr && (entry->attributes & (platform::attr::kHidden | platform::attr::kSystem)) != 0) return false;
    }
  }
  return true;
}

std::int64_t CExtFilter::AgeThreshold(int amount, int unit, std::int64_t nowLocal) {
  const std::int64_t secondsToday = ((nowLocal % 86400) + 86400) % 86400;
  const std::int64_t midnight = nowLocal - secondsToday;
  const auto now = static_cast<time_t>(nowLocal);
  tm parts{};
  gmtime_r(&now, &parts);  // local seconds are broken down as if they were UTC
  switch (unit) {
    case kHours: return nowLocal - static_cast<std::int64_t>(amount) * 3600;
    case kDays: return nowLocal - static_cast<std::int64_t>(amount) * 86400;
    case kWeeks: return nowLocal - static_cast<std::int64_t>(amount) * 7 * 86400;
    case kMonths: return nowLocal - static_cast<std::int64_t>(amount) * 30 * 86400;
    case kToday: return midnight;
    case kThisWeek: return midnight - static_cast<std::int64_t>((parts.tm_wday + 6) % 7) * 86400;
    case kThisMonth: return midnight - static_cast<std::int64_t>(parts.tm_mday - 1) * 86400;
    default: return nowLocal;
  }
}

void CExtFilter::PrepareForScan(std::int64_t nowLocal) {
  if ((flags & xflag::kNotOlderThan) != 0) lowerBound = AgeThreshold(ageAmount, ageUnit, nowLocal);
}

void CSession::CopyFrom(const CSession& other) {
  Name = other.Name;
  Src = other.Src;
  Dst = other.Dst;
  DirList = other.DirList;
  Files = other.Files;
  XFiles = other.XFiles;
  SFlags = other.SFlags;
  Todo = other.Todo;
  Cmp = other.Cmp;
  Filter = other.Filter;
}

bool CSession::Equals(const CSession& other) const {
  using platform::equalNoCase;
  return equalNoCase(Name, other.Name) && equalNoCase(Src, other.Src) && equalNoCase(Dst, other.Dst) &&
         equalNoCase(DirList, other.DirList) && equalNoCase(Files, other.Files) && equalNoCase(XFiles, other.XFiles) &&
         SFlags == other.SFlags && Todo == other.Todo && Cmp == other.Cmp && Filter == other.Filter;
}

void CSession::Merge(const CSession& commandLine) {
  Src = commandLine.Src;
  Dst = commandLine.Dst;
  // A list and the switch that says how it is meant travel together: an exclude list never
  // turns into an include list because another switch was given.
  constexpr std::uint32_t kListSwitches = sflag::kExcludeFolders | sflag::kInvertedMasks;
  if (!commandLine.DirList.empty()) {
    DirList = commandLine.DirList;
    SFlags = (SFlags & ~sflag::kExcludeFolders) | (commandLine.SFlags & sflag::kExcludeFolders);
  }
  if (!commandLine.Files.empty()) {
    Files = commandLine.Files;
    SFlags = (SFlags & ~sflag::kInvertedMasks) | (commandLine.SFlags & sflag::kInvertedMasks);
  }
  if (!commandLine.XFiles.empty()) XFiles = commandLine.XFiles;
  if ((commandLine.SFlags & ~kListSwitches) != 0) SFlags = (SFlags & kListSwitches) | (commandLine.SFlags & ~kListSwitches);
  if (commandLine.Todo != kTodoNotGiven) Todo = commandLine.Todo;
  Filter = commandLine.Filter;
}

void CSession::Transfer(CProfile& profile, std::string_view section, config::Transfer direction) {
  TransferText(profile, section, "Name", Name, direction);
  TransferText(profile, section, "Src", Src, direction);
  TransferText(profile, section, "Dst", Dst, direction);
  TransferText(profile, section, "DirList", DirList, direction);
  TransferText(profile, section, "Files", Files, direction);
  TransferText(profile, section, "XFiles", XFiles, direction);
  TransferUnsigned(profile, section, "SFlags", SFlags, direction);
  TransferInt(profile, section, "Todo", Todo, direction);
  if (direction == Transfer::Load && (Todo < kSynchronize || Todo > kSmart)) Todo = kSynchronize;
  TransferInt(profile, section, "Cmp", Cmp, direction);
  if (direction == Transfer::Load && (Cmp < kDateAndSize || Cmp > kSizeOnly)) Cmp = kDateAndSize;
  TransferUnsigned(profile, section, "XF_F", Filter.flags, direction);
  TransferInt64(profile, section, "XF_S", Filter.sizeLimit, direction);
  TransferInt(profile, section, "XF_1", Filter.ageAmount, direction);
  TransferInt(profile, section, "XF_2", Filter.ageUnit, direction);
  TransferInt64(profile, section, "XF_3", Filter.sizeEntered, direction);
  TransferInt(profile, section, "XF_4", Filter.sizeUnitEntered, direction);
  if (direction == Transfer::Load) {
    Filter.lowerBound = 0;
    Filter.upperBound = 0;
    if (Filter.ageUnit < kHours || Filter.ageUnit > kThisMonth) Filter.ageUnit = kHours;
    if (Filter.sizeUnitEntered < 0 || Filter.sizeUnitEntered > 2) Filter.sizeUnitEntered = 0;
  }
  TransferInt64(profile, section, "XF_T1", Filter.lowerBound, direction);
  TransferInt64(profile, section, "XF_T2", Filter.upperBound, direction);
}

std::string CProject::ToText() const {
  std::string text = Name;
  for (const std::string& session : Sessions) text += "||" + session;
  return text + "||";
}

void CProject::Parse(std::string_view text) {
  Sessions.clear();
  Name.clear();
  std::size_t pos = text.find("||");
  if (pos == std::string_view::npos) return;
  Name = std::string(text.substr(0, pos));
  for (;;) {
    const std::size_t start = pos + 2;
    pos = text.find("||", start);
    if (pos == std::string_view::npos) return;
    Sessions.emplace_back(text.substr(start, pos - start));
  }
}

std::string CheckRecordName(const std::string& name) {
  if (name.empty()) return "${The name may not be empty}";
  if (name.find("||") != std::string::npos || name.back() == '|') return "${The name may not hold \"||\" or end in \"|\"}";
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "${The name may not hold control characters}";
  }
  return {};
}

}  // namespace config
