#include "ui/qt/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "config/records.h"

namespace ui::qt {
namespace {

// The platform's show commands the record keeps.
constexpr int kShowNormal = 1;
constexpr int kShowMaximized = 3;

}  // namespace

bool RestorePlacement(QWidget& window, const config::CProfile& profile, std::string_view section) {
  config::WindowPlacement placement;
  if (!placement.Load(profile, section)) return false;
  const QRect stored(placement.left, placement.top, placement.right - placement.left, placement.bottom - placement.top);
  if (stored.width() < 100 || stored.height() < 60) return false;
  // A place on a screen that is gone is not restored: the window would be out of reach.
  bool visible = false;
  for (const QScreen* screen : QGuiApplication::screens()) visible = visible || screen->availableGeometry().intersects(stored);
  if (visible) {
    window.move(stored.topLeft());
  }
  window.resize(stored.size());
  if (placement.showCmd == kShowMaximized) window.setWindowState(window.windowState() | Qt::WindowMaximized);
  return true;
}

void SavePlacement(const QWidget& window, config::CProfile& profile, std::string_view section) {
  config::WindowPlacement placement;
  const QRect normal = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
  placement.showCmd = window.isMaximized() ? kShowMaximized : kShowNormal;
  placement.left = normal.left();
  placement.top = normal.top();
  placement.right = normal.right() + 1;
  placement.bottom = normal.bottom() + 1;
  placement.Save(profile, section);
}

}  // namespace ui::qt
