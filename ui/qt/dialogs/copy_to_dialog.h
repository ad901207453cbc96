#pragma once
// "Copy To ...": where the files of the planned run go, which list (the files the run copies from,
// or those it would overwrite or delete), which common folder is left out of their paths, and
// whether they are copied, moved or only their folders made. Starts nothing.
#include <QDialog>
#include <string>
#include <vector>

#include "ui/copy_to.h"

class QComboBox;
class QRadioButton;

namespace ui::qt {

struct CopyToChoices {
  // The strip choices of each list (longest first); a list without files has none and is off.
  std::vector<std::string> newFilesStrips;
  std::vector<std::string> backupFilesStrips;
  bool hasNewFiles = false;
  bool hasBackupFiles = false;
  // Remembered targets, the last used first.
  std::vector<std::string> targets;
};

class CopyToDialog : public QDialog {
  Q_OBJECT

 public:
  CopyToDialog(CopyToChoices choices, QWidget* parent = nullptr);
  [[nodiscard]] CopyToRequest Request() const;

  // Keeps the dialog open while the target is empty.
  void accept() override;

 private:
  void showStrips();

  CopyToChoices choices_;
  QComboBox* target_;
  QRadioButton* newFiles_;
  QRadioButton* backupFiles_;
  QComboBox* strip_;
  QComboBox* action_;
};

}  // namespace ui::qt
