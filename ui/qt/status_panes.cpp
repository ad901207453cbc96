#include "ui/qt/status_panes.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

#include "ui/list_totals.h"
#include "ui/qt/row_icons.h"
#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

const char* const kPaneTips[] = {"${Conflicts}", "${Copy to target}", "${Copy to source}", "${Delete}",
                                 "${Selected files}", "${Files shown}"};

}  // namespace

StatusPanes::StatusPanes(QWidget* parent) : QWidget(parent) {
  setObjectName("statusPanes");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  for (int pane = 0; pane < 6; ++pane) {
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setToolTip(tx(kPaneTips[pane]));
    auto* inner = new QHBoxLayout(frame);
    inner->setContentsMargins(3, 1, 3, 1);
    inner->setSpacing(3);
    auto* icon = new QLabel;
    icon->setPixmap(RowIcons::Get().RecordPixmap(pane + 1));
    inner->addWidget(icon);
    auto* count = new QLabel(QStringLiteral("0"));
    count->setObjectName(QStringLiteral("pane%1").arg(pane + 1));
    count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // As wide as "0000" at least.
    count->setMinimumWidth(count->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 6);
    inner->addWidget(count);
    layout->addWidget(frame);
    counts_[static_cast<std::size_t>(pane)] = count;
  }
}

void StatusPanes::Show(const ListTotals& totals) {
  for (int pane = 0; pane < 6; ++pane) {
    counts_[static_cast<std::size_t>(pane)]->setText(QString::number(totals.Count(pane + 1)));
  }
}

QString StatusPanes::CountText(int pane) const {
  if (pane < 1 || pane > 6) return {};
  return counts_[static_cast<std::size_t>(pane - 1)]->text();
}

}  // namespace ui::qt
