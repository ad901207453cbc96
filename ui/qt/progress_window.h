#pragma once
// The run's progress: the file in progress with its bytes, the bytes of the whole run, and Cancel.
// It reads the bridge's counters ten times a second; nothing is posted per byte. The whole run's
// part also goes to the taskbar.
#include <QDialog>
#include <QTimer>

#include "ui/qt/taskbar_progress.h"

class QLabel;
class QProgressBar;

namespace ui::qt {

class RunBridge;

class ProgressWindow : public QDialog {
  Q_OBJECT

 public:
  ProgressWindow(const RunBridge& bridge, QWidget* parent = nullptr);
  // Starts reading the counters and shows the window (not modal: the list stays live).
  void Start();
  void Stop();
  void SetStatus(const QString& text);

 signals:
  void cancelRequested();

 protected:
  void reject() override;

 private:
  void refresh();

  const RunBridge& bridge_;
  QTimer timer_;
  QLabel* file_;
  QLabel* fileBytes_;
  QLabel* totalBytes_;
  QLabel* status_;
  QProgressBar* fileBar_;
  QProgressBar* totalBar_;
  TaskbarProgress taskbar_;
};

}  // namespace ui::qt
