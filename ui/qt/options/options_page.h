#pragma once
// One page of the options dialog: shows its part of the options and writes back what it shows.
#include <QWidget>

#include "config/options.h"

namespace ui::qt {

// No signals of its own, so no meta-object: the pages are QObjects through QWidget.
class OptionsPage : public QWidget {
 public:
  using QWidget::QWidget;
  // Shows the page's options.
  virtual void Load(const config::COptions& options) = 0;
  // Writes what the page shows into `options`; what it does not show stays as it is.
  virtual void Save(config::COptions& options) const = 0;
};

}  // namespace ui::qt
