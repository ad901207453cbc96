#pragma once
// Records that the configuration keeps for other parts of the program: user tools, FTP servers
// and proxies, named file filters, combo-box history lists and window placements.
#include <string>
#include <string_view>
#include <vector>

#include "config/transfer.h"

namespace config {

struct UserTool {
  std::string App;
  std::string Params;
  std::string StartAt;
  std::string Name;
  int Flags = 0;
  void Transfer(CProfile& profile, std::string_view section, config::Transfer direction);
  bool operator==(const UserTool&) const = default;
};

// The bits of FtpServer::Flags.
namespace ftpflag {
constexpr int kAnonymous = 1;
constexpr int kPassive = 2;
}  // namespace ftpflag

struct FtpServer {
  std::string Name;
  std::string Server;
  std::string User;
  // Kept as the user typed it: the file is readable by its owner only.
  std::string Pass;
  std::string Folder;
  int Port = 21;
  int Flags = 0;
  int Firewall = -1;
  // "FTP" (also when empty: a section written before the key), "FTPS" or "SFTP".
  std::string Protocol;
  // FTPS: the server's public key as "sha256//BASE64", for a certificate no authority signed.
  std::string PinnedKey;
  // SFTP: the private key to log in with ("Pass" is then its passphrase).
  std::string KeyFile;
  // A section without "Port" means the kind's own port: 21, or 22 for SFTP.
  void Transfer(CProfile& profile, std::string_view section, config::Transfer direction);
  bool operator==(const FtpServer&) const = default;
};

struct FtpProxy {
  std::string FServer;
  std::string FUser;
  std::string FPass;
  int FPort = 21;
  void Transfer(CProfile& profile, std::string_view section, config::Transfer direction);
  bool operator==(const FtpProxy&) const = default;
};

struct NamedFilter {
  std::string name;
  std::string masks;
  std::string secondText;
  int number = 1;
  bool operator==(const NamedFilter&) const = default;
};

// The six filters a new configuration offers.
[[nodiscard]] std::vector<NamedFilter> DefaultFilters();

// The remembered entries of a combo box, stored in "Combos" as "Combo_" + owner name.
class ComboHistory {
 public:
  static constexpr int kMaxSaved = 10;

  explicit ComboHistory(std::string owner) : owner_(std::move(owner)) {}
  void Load(const CProfile& profile);
  // Saves the selection and, when the list changed, the count and the first ten entries.
  void Save(CProfile& profile, bool allowEmptySelection = true) const;
  // A text not in the list goes to the top; one already there is only selected.
  void Confirm(const std::string& text);

  [[nodiscard]] const std::vector<std::string>& Entries() const { return entries_; }
  [[nodiscard]] int Selected() const { return selected_; }

 private:
  [[nodiscard]] std::string key() const { return "Combo_" + owner_; }
  std::string owner_;
  std::vector<std::string> entries_;
  int selected_ = -1;
  bool changed_ = false;
};

// A window's placement as the platform records it.
struct WindowPlacement {
  int showCmd = -1;
  int flags = 0;
  int minX = 0;
  int minY = 0;
  int maxX = 0;
  int maxY = 0;
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
  // False when nothing usable is stored (no "wp.showCmd" or a negative one).
  bool Load(const CProfile& profile, std::string_view section);
  void Save(CProfile& profile, std::string_view section) const;
  bool operator==(const WindowPlacement&) const = default;
};

}  // namespace config
