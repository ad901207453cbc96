#pragma once
// "Vars": the path variables written "$(NAME)" in folder paths. The built-in ones are shown
// greyed and cannot be changed; the user's own can be added, edited and deleted.
#include "ui/qt/options/options_page.h"

class QTableWidget;

namespace ui::qt {

class VarsPage : public OptionsPage {
  Q_OBJECT

 public:
  explicit VarsPage(QWidget* parent = nullptr);
  void Load(const config::COptions& options) override;
  void Save(config::COptions& options) const override;

 private:
  [[nodiscard]] std::vector<config::PathVariable> userVariables() const;

  QTableWidget* table_;
  int builtIns_ = 0;
};

}  // namespace ui::qt
