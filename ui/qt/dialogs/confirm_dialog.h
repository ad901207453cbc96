#pragma once
// "File overwrite!": asks before a run overwrites or deletes a file. Shown with open(); its
// answer (one of engine::confirm's codes) comes with answered(), also when it is closed.
#include <QDialog>

#include "engine/syncrun.h"

class QCheckBox;
class QPushButton;

namespace ui::qt {

class ConfirmDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ConfirmDialog(const engine::ConfirmRequest& request, QWidget* parent = nullptr);

 signals:
  void answered(int answer);

 protected:
  void reject() override;

 private:
  void answer(int button);

  std::uint32_t kind_;
  QCheckBox* forAll_;
  QCheckBox* forAction_;
  bool sent_ = false;
};

}  // namespace ui::qt
