#pragma once
// "Package...": asks where the package of the compared session goes, has the worker write what
// the other machine lacks into it, and says what it holds.
#include <QObject>
#include <memory>

#include "config/options.h"
#include "stores/make_package.h"

class QWidget;

namespace ui::qt {

class WorkController;

class PackageMaker : public QObject {
  Q_OBJECT

 public:
  PackageMaker(WorkController& work, const config::COptions& options, QWidget* window);
  void Ask();

 signals:
  void statusText(const QString& text);

 private:
  void start(const std::string& file);
  void report();

  WorkController& work_;
  const config::COptions& options_;
  QWidget* window_;
  // Written by the worker, read after its end.
  std::shared_ptr<stores::PackageResult> result_;
  std::string file_;
};

}  // namespace ui::qt
