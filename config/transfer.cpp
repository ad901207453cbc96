#include "config/transfer.h"

#include <climits>

namespace config {
namespace {

std::string_view sectionOrOptions(std::string_view section) { return section.empty() ? kOptionsSection : section; }

// Loads an integer within the range of its type (else keeps it) or saves it.
template <typename Integer>
void transferInteger(CProfile& profile, std::string_view section, std::string_view key, Integer& value,
                     Transfer direction) {
  section = sectionOrOptions(section);
  if (direction == Transfer::Save) {
    profile.SetInt(section, key, value);
  } else if constexpr (sizeof(Integer) == sizeof(int)) {
    value = profile.GetInt(section, key, value);
  } else {
    value = profile.GetInt64(section, key, value);
  }
}

}  // namespace

void TransferInt(CProfile& profile, std::string_view section, std::string_view key, int& value, Transfer direction) {
  transferInteger(profile, section, key, value, direction);
}

void TransferUnsigned(CProfile& profile, std::string_view section, std::string_view key, std::uint32_t& value,
                      Transfer direction) {
  section = sectionOrOptions(section);
  if (direction == Transfer::Save) {
    profile.SetInt(section, key, static_cast<std::int32_t>(value));
  } else {
    // Stored as a signed 32-bit number; accept the unsigned spelling as well.
    const std::int64_t read = profile.GetInt64(section, key, static_cast<std::int32_t>(value));
    if (read >= INT32_MIN && read <= static_cast<std::int64_t>(UINT32_MAX)) value = static_cast<std::uint32_t>(read);
  }
}

void TransferInt64(CProfile& profile, std::string_view section, std::string_view key, std::int64_t& value,
                   Transfer direction) {
  transferInteger(profile, section, key, value, direction);
}

void TransferText(CProfile& profile, std::string_view section, std::string_view key, std::string& value,
                  Transfer direction) {
  section = sectionOrOptions(section);
  if (direction == Transfer::Save) {
    profile.SetText(section, key, !value.empty() && value.front() == '"' ? "#" + value : value);
    return;
  }
  std::string read = profile.GetText(section, key, value);
  if (read.size() > 2 && read[0] == '#' && read[1] == '"') read.erase(0, 1);
  value = std::move(read);
}

bool TransferFont(CProfile& profile, std::string_view section, LogFont& font, Transfer direction) {
  if (direction == Transfer::Save && font.height == 0) return false;
  if (direction == Transfer::Load && profile.GetInt(section, "Height", 0) == 0) return false;
  TransferInt(profile, section, "Height", font.height, direction);
  TransferInt(profile, section, "Width", font.width, direction);
  TransferInt(profile, section, "Escapement", font.escapement, direction);
  TransferInt(profile, section, "Orientation", font.orientation, direction);
  TransferInt(profile, section, "Weight", font.weight, direction);
  TransferInt(profile, section, "Italic", font.italic, direction);
  TransferInt(profile, section, "Underline", font.underline, direction);
  TransferInt(profile, section, "StrikeOut", font.strikeOut, direction);
  TransferInt(profile, section, "CharSet", font.charSet, direction);
  TransferInt(profile, section, "OutPrecision", font.outPrecision, direction);
  TransferInt(profile, section, "ClipPrecision", font.clipPrecision, direction);
  TransferInt(profile, section, "Quality", font.quality, direction);
  TransferInt(profile, section, "PitchAndFamily", font.pitchAndFamily, direction);
  if (direction == Transfer::Load) font.faceName = "System";
  TransferText(profile, section, "FaceName", font.faceName, direction);
  if (font.faceName.size() > 31) font.faceName.resize(31);
  return true;
}

}  // namespace config
