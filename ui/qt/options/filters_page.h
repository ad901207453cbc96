#pragma once
// "File Filters": the named sets of masks; each can be renamed, its masks changed, and the list
// taken back to what it was when the dialog opened ("Undo changes").
#include <vector>

#include "ui/qt/options/options_page.h"

class QLineEdit;
class QListWidget;

namespace ui::qt {

class FiltersPage : public OptionsPage {
  Q_OBJECT

 public:
  explicit FiltersPage(QWidget* parent = nullptr);
  void Load(const config::COptions& options) override;
  void Save(config::COptions& options) const override;

 private:
  void show(const std::vector<config::NamedFilter>& filters, int current);
  void showCurrent();
  void editCurrent();

  std::vector<config::NamedFilter> loaded_;
  std::vector<config::NamedFilter> filters_;
  QListWidget* list_;
  QLineEdit* name_;
  QLineEdit* masks_;
  bool showing_ = false;
};

}  // namespace ui::qt
