#pragma once
// The names commands have in the key list, made from their translated menu texts.
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// A menu text without its first "&" and cut at the first tab ("E&xit\tAlt+F4" gives "Exit").
[[nodiscard]] std::string MenuItemName(std::string_view text);
// The enclosing popups' texts and the item's, each as MenuItemName, joined by "/" ("File/Exit").
[[nodiscard]] std::string CommandName(const std::vector<std::string>& popups, std::string_view item);

}  // namespace ui
