#include "ui/command_name.h"

namespace ui {

std::string MenuItemName(std::string_view text) {
  text = text.substr(0, text.find('\t'));
  std::string name(text);
  if (const std::size_t mnemonic = name.find('&'); mnemonic != std::string::npos) name.erase(mnemonic, 1);
  return name;
}

std::string CommandName(const std::vector<std::string>& popups, std::string_view item) {
  std::string name;
  for (const std::string& popup : popups) name += MenuItemName(popup) + "/";
  return name + MenuItemName(item);
}

}  // namespace ui
