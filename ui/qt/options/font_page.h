#pragma once
// "Font": the font of the result list, with a sample line drawn in it.
#include "ui/qt/options/options_page.h"

class QCheckBox;
class QFontComboBox;
class QLabel;
class QSpinBox;

namespace ui::qt {

class FontPage : public OptionsPage {
  Q_OBJECT

 public:
  explicit FontPage(QWidget* parent = nullptr);
  void Load(const config::COptions& options) override;
  void Save(config::COptions& options) const override;

 private:
  [[nodiscard]] QFont shown() const;
  void showSample();

  config::LogFont loaded_;
  // The font as the page showed it right after loading: unchanged, the record stays as it was.
  QFont loadedShown_;
  QFontComboBox* family_;
  QSpinBox* pixels_;
  QCheckBox* bold_;
  QCheckBox* italic_;
  QLabel* sample_;
};

}  // namespace ui::qt
