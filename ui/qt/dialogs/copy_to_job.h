#pragma once
// "CopyTo...": opens the Copy To dialog on the lists of the planned run, copies on the worker
// (overwrite questions and copy errors asked in the window) and says how many files were copied.
#include <QObject>
#include <memory>

#include "config/profile.h"
#include "ui/copy_to.h"

class QWidget;

namespace ui::qt {

class WorkController;

class CopyToJob : public QObject {
  Q_OBJECT

 public:
  // `profile` keeps the dialog's remembered targets; it outlives the job.
  CopyToJob(WorkController& work, config::CProfile& profile, QWidget* window);
  // Opens the dialog; nothing while the worker is busy. A plan without files says so instead.
  void Ask();

 signals:
  void statusText(const QString& text);

 private:
  void start(const CopyToRequest& request);
  void report();

  WorkController& work_;
  config::CProfile& profile_;
  QWidget* window_;
  // Set while a job of ours runs: the worker writes it, the window reads it after the task ended.
  std::shared_ptr<CopyToResult> result_;
  std::shared_ptr<std::vector<std::string>> notes_;
  CopyToAction action_ = CopyToAction::Copy;
};

}  // namespace ui::qt
