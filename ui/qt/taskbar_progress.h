#pragma once
// The run's progress on the program's taskbar or dock entry, where the desktop shows one: the
// launcher entry signal on the session bus (KDE Plasma, Ubuntu's dock, Dash to Dock, Plank).
// Without a session bus, or where nothing listens, it costs one signal a change and shows nothing.
#include <QDBusMessage>
#include <QObject>

namespace ui::qt {

// The signal that puts `fraction` (0 to 1) on the entry of our desktop file, or takes it away.
[[nodiscard]] QDBusMessage LauncherEntryUpdate(double fraction, bool visible);

class TaskbarProgress : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  // Shows `fraction` of the run done; sent only when it moved by a percent or more.
  void Show(double fraction);
  void Hide();

 private:
  void send(double fraction, bool visible);

  double shown_ = -1;
};

}  // namespace ui::qt
