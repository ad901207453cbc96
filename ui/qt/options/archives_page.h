#pragma once
// "Archives": the archiver description file found at start-up (read-only here; "Edit" opens it
// in the user's editor) and whether an archive's missing seconds are ignored.
#include <functional>
#include <string>

#include "ui/qt/options/options_page.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui::qt {

class ArchivesPage : public OptionsPage {
  Q_OBJECT

 public:
  // `openInEditor` starts the user's editor on a file and sets `said` to the command it started;
  // false with `said` telling why when it could not.
  explicit ArchivesPage(std::function<bool(const std::string& file, std::string& said)> openInEditor,
                        QWidget* parent = nullptr);
  void Load(const config::COptions& options) override;
  void Save(config::COptions& options) const override;

 private:
  std::function<bool(const std::string&, std::string&)> openInEditor_;
  QLineEdit* path_;
  QPushButton* edit_;
  QLabel* editResult_;
  QCheckBox* ignoreSeconds_;
};

}  // namespace ui::qt
