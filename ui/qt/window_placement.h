#pragma once
// A window's size and place kept in the configuration, in the platform's placement record under
// the window's own section ("MainFrame", "ConfirmDlg", "StartDlg", ...).
#include <string_view>

class QWidget;

namespace config {
class CProfile;
}

namespace ui::qt {

// Puts the window where it was; false (left as it is) when nothing usable is stored.
bool RestorePlacement(QWidget& window, const config::CProfile& profile, std::string_view section);
void SavePlacement(const QWidget& window, config::CProfile& profile, std::string_view section);

}  // namespace ui::qt
