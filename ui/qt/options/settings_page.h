#pragma once
// "Settings": the option flags the engine reads, the hours of the daylight-saving tolerance and
// the backup folder.
#include <vector>

#include "ui/qt/options/options_page.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace ui::qt {

class SettingsPage : public OptionsPage {
  Q_OBJECT

 public:
  explicit SettingsPage(QWidget* parent = nullptr);
  void Load(const config::COptions& options) override;
  void Save(config::COptions& options) const override;

 private:
  std::vector<std::pair<std::uint32_t, QCheckBox*>> flags_;
  QSpinBox* hours_;
  QLineEdit* backupFolder_;
  QPushButton* browse_;
};

}  // namespace ui::qt
