#pragma once
// "Make History file": asks for a folder and whether its subfolders take part, then has the
// worker write the history files there and says when they are written.
#include <QObject>

class QWidget;

namespace ui::qt {

class WorkController;

class HistoryMaker : public QObject {
  Q_OBJECT

 public:
  HistoryMaker(WorkController& work, QWidget* window);
  // Asks (dialogs opened with open()) and starts; nothing while the worker is busy.
  void Ask(const QString& startFolder);

 signals:
  void statusText(const QString& text);

 private:
  void start(const QString& folder, bool recursive);

  WorkController& work_;
  QWidget* window_;
  bool waiting_ = false;
};

}  // namespace ui::qt
