#pragma once
// Moving values between memory and the profile with one direction flag, so that loading and
// saving share one list of keys in one order. Loading keeps the current value as the default.
#include <cstdint>
#include <string>
#include <string_view>

#include "config/profile.h"

namespace config {

enum class Transfer { Load, Save };

inline constexpr std::string_view kOptionsSection = "Options";

// An empty section means "Options".
void TransferInt(CProfile& profile, std::string_view section, std::string_view key, int& value, Transfer direction);
void TransferUnsigned(CProfile& profile, std::string_view section, std::string_view key, std::uint32_t& value,
                      Transfer direction);
void TransferInt64(CProfile& profile, std::string_view section, std::string_view key, std::int64_t& value,
                   Transfer direction);
// Texts beginning with a double quote are stored with "#" in front, which loading takes off.
void TransferText(CProfile& profile, std::string_view section, std::string_view key, std::string& value,
                  Transfer direction);

struct LogFont {
  int height = -13;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 400;
  int italic = 0;
  int underline = 0;
  int strikeOut = 0;
  int charSet = 0;
  int outPrecision = 1;
  int clipPrecision = 2;
  int quality = 1;
  int pitchAndFamily = 0x22;
  std::string faceName = "MS Sans Serif";
  bool operator==(const LogFont&) const = default;
};

// Loading: false (nothing read) when no font is stored ("Height" 0 or absent). Saving writes
// nothing for a height of 0.
bool TransferFont(CProfile& profile, std::string_view section, LogFont& font, Transfer direction);

// A count read from the profile, cut to the records that are there: never negative, and never
// beyond the last numbered record that `present(k)` finds within 64 of the one before it, so a
// damaged count neither allocates without bound nor makes up empty records.
template <typename Present>
int BoundedCount(int stored, Present present) {
  int last = 0;
  for (int k = 1; k <= stored && k <= last + 64; ++k) {
    if (present(k)) last = k;
  }
  return last;
}

}  // namespace config
