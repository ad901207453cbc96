#pragma once
// The icons of the result list and of the status panes, drawn once in code (no image files of
// anyone else's) and handed out by their number in the list's image strip.
#include <QIcon>
#include <QPixmap>
#include <array>

namespace ui::qt {

class RowIcons {
 public:
  static constexpr int kCount = 19;
  // Status pane icons follow the list's strip: one per totals record 1 to 6.
  static constexpr int kAllFiles = kCount;

  RowIcons();
  // A null pixmap for a number without an icon (ui::icon::kNone).
  [[nodiscard]] const QPixmap& Pixmap(int number) const;
  // The icon of a totals record (1 conflicts ... 6 files shown).
  [[nodiscard]] const QPixmap& RecordPixmap(int record) const;

  // The process's icons; made on first use on the window thread.
  [[nodiscard]] static const RowIcons& Get();

 private:
  std::array<QPixmap, kCount + 1> pixmaps_;
  QPixmap none_;
};

}  // namespace ui::qt
