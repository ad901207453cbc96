#include "config/records.h"

#include <algorithm>

#include "platform/case_fold.h"

namespace config {

void UserTool::Transfer(CProfile& profile, std::string_view section, config::Transfer direction) {
  TransferText(profile, section, "App", App, direction);
  TransferText(profile, section, "Params", Params, direction);
  TransferText(profile, section, "StartAt", StartAt, direction);
  TransferText(profile, section, "Name", Name, direction);
  TransferInt(profile, section, "Flags", Flags, direction);
}

void FtpServer::Transfer(CProfile& profile, std::string_view section, config::Transfer direction) {
  TransferText(profile, section, "Name", Name, direction);
  TransferText(profile, section, "Server", Server, direction);
  TransferText(profile, section, "User", User, direction);
  TransferText(profile, section, "Pass", Pass, direction);
  TransferText(profile, section, "Folder", Folder, direction);
  TransferInt(profile, section, "Port", Port, direction);
  // A port that is no port is kept as 0, so that the connection is refused naming it rather than
  // made to another port than the user wrote.
  if (direction == Transfer::Load && profile.HasKey(section, "Port")) {
    const std::string text = profile.GetText(section, "Port", "");
    const bool number = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos && text.size() <= 5;
    if (!number || Port < 1 || Port > 65535) Port = 0;
  }
  TransferInt(profile, section, "Flags", Flags, direction);
  TransferInt(profile, section, "Firewall", Firewall, direction);
  TransferText(profile, section, "Protocol", Protocol, direction);
  TransferText(profile, section, "PinnedKey", PinnedKey, direction);
  TransferText(profile, section, "KeyFile", KeyFile, direction);
  if (direction == Transfer::Load && !profile.HasKey(section, "Port") && platform::equalNoCase(Protocol, "SFTP")) Port = 22;
}

void FtpProxy::Transfer(CProfile& profile, std::string_view section, config::Transfer direction) {
  TransferText(profile, section, "FServer", FServer, direction);
  TransferText(profile, section, "FUser", FUser, direction);
  TransferText(profile, section, "FPass", FPass, direction);
  TransferInt(profile, section, "FPort", FPort, direction);
  if (direction == Transfer::Load && (FPort < 1 || FPort > 65535)) FPort = 21;
}

std::vector<NamedFilter> DefaultFilters() {
  return {
      {"C++", "*.cpp *.c *.hpp *.h *.rc *.bat *.clw *.dsw *.dsp *.bmp *.ico *.cur *.rc2 *.xml *.def", "", 1},
      {"Office", "*.doc *.txt *.me *.pdf *.xls *.ppt *.mdb *.vsd", "", 1},
      {"Images", "*.jpg *.jpeg *.bmp *.gif *.png *.tiff *.row *.psd", "", 1},
      {"Delphi", "*.pas *.dfm *.dpr *.inc", "", 1},
      {"HTML", "*.htm *.html *.xml *.jpg *.gif *.png *.css *.mht", "", 1},
      {"All files", "*.*", "", 1},
  };
}

namespace {

constexpr std::string_view kCombos = "Combos";

std::string unwrapComboEntry(std::string entry) {
  if (entry.size() >= 3 && entry.starts_with("&<") && entry.back() == '>') return entry.substr(2, entry.size() - 3);
  if (entry.size() >= 2 && entry.front() == '<' && entry.back() == '>' && entry.find('"') != std::string::npos) {
    return entry.substr(1, entry.size() - 2);
  }
  return entry;
}

}  // namespace

void ComboHistory::Load(const CProfile& profile) {
  const std::string name = key();
  const int count = BoundedCount(profile.GetInt(kCombos, name, 0),
                                 [&](int k) { return profile.HasKey(kCombos, name + std::to_string(k - 1)); });
  entries_.clear();
  for (int j = 0; j < count; ++j) entries_.push_back(unwrapComboEntry(profile.GetText(kCombos, name + std::to_string(j), "")));
  selected_ = profile.GetInt(kCombos, name + "!", -1);
  if (selected_ < -1 || selected_ >= static_cast<int>(entries_.size())) selected_ = -1;
  changed_ = false;
}

void ComboHistory::Save(CProfile& profile, bool allowEmptySelection) const {
  const std::string name = key();
  profile.SetInt(kCombos, name + "!", selected_ < 0 && !allowEmptySelection ? 0 : selected_);
  if (!changed_) return;
  const int count = std::min(static_cast<int>(entries_.size()), kMaxSaved);
  profile.SetInt(kCombos, name, count);
  for (int j = 0; j < count; ++j) {
    profile.SetText(kCombos, name + std::to_string(j), "&<" + entries_[static_cast<std::size_t>(j)] + ">");
  }
}

void ComboHistory::Confirm(const std::string& text) {
  const auto found = std::find(entries_.begin(), entries_.end(), text);
  if (found != entries_.end()) {
    selected_ = static_cast<int>(found - entries_.begin());
    return;
  }
  entries_.insert(entries_.begin(), text);
  selected_ = 0;
  changed_ = true;
}

bool WindowPlacement::Load(const CProfile& profile, std::string_view section) {
  if (profile.GetInt(section, "wp.showCmd", -1) < 0) return false;
  showCmd = profile.GetInt(section, "wp.showCmd", -1);
  flags = profile.GetInt(section, "wp.flags", 0);
  minX = profile.GetInt(section, "wp.ptMinPosition.x", 0);
  minY = profile.GetInt(section, "wp.ptMinPosition.y", 0);
  maxX = profile.GetInt(section, "wp.ptMaxPosition.x", 0);
  maxY = profile.GetInt(section, "wp.ptMaxPosition.y", 0);
  left = profile.GetInt(section, "wp.left", 0);
  right = profile.GetInt(section, "wp.right", 0);
  top = profile.GetInt(section, "wp.top", 0);
  bottom = profile.GetInt(section, "wp.bottom", 0);
  return true;
}

void WindowPlacement::Save(CProfile& profile, std::string_view section) const {
  profile.SetInt(section, "wp.showCmd", showCmd);
  profile.SetInt(section, "wp.flags", flags);
  profile.SetInt(section, "wp.ptMinPosition.x", minX);
  profile.SetInt(section, "wp.ptMinPosition.y", minY);
  profile.SetInt(section, "wp.ptMaxPosition.x", maxX);
  profile.SetInt(section, "wp.ptMaxPosition.y", maxY);
  profile.SetInt(section, "wp.left", left);
  profile.SetInt(section, "wp.right", right);
  profile.SetInt(section, "wp.top", top);
  profile.SetInt(section, "wp.bottom", bottom);
}

}  // namespace config
