#pragma once
// The six count panes after the status bar's message: conflicts, copies to the target, copies to
// the source, deletions, files the run will carry out, files shown; each an icon and a number.
#include <QWidget>
#include <array>

class QLabel;

namespace ui {
class ListTotals;
}

namespace ui::qt {

class StatusPanes : public QWidget {
  Q_OBJECT

 public:
  explicit StatusPanes(QWidget* parent = nullptr);
  void Show(const ListTotals& totals);
  // The count of pane 1 to 6, as shown (for tests and the screenshots' checks).
  [[nodiscard]] QString CountText(int pane) const;

 private:
  std::array<QLabel*, 6> counts_{};
};

}  // namespace ui::qt
