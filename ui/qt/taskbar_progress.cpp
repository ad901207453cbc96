#include "ui/qt/taskbar_progress.h"

#include <QDBusConnection>
#include <QVariantMap>
#include <algorithm>
#include <cmath>

namespace ui::qt {

QDBusMessage LauncherEntryUpdate(double fraction, bool visible) {
  QDBusMessage message = QDBusMessage::createSignal(QStringLiteral("/org/velkor/launcher"),
                                                    QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                    QStringLiteral("Update"));
  QVariantMap properties;
  properties.insert(QStringLiteral("progress"), std::clamp(fraction, 0.0, 1.0));
  properties.insert(QStringLiteral("progress-visible"), visible);
  message << QStringLiteral("application://velkor.desktop") << properties;
  return message;
}

void TaskbarProgress::Show(double fraction) {
  if (shown_ >= 0 && std::abs(fraction - shown_) < 0.01) return;
  send(fraction, true);
  shown_ = fraction;
}

void TaskbarProgress::Hide() {
  if (shown_ < 0) return;
  send(0, false);
  shown_ = -1;
}

void TaskbarProgress::send(double fraction, bool visible) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) bus.send(LauncherEntryUpdate(fraction, visible));
}

}  // namespace ui::qt
