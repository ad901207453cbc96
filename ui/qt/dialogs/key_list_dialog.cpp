#include "ui/qt/dialogs/key_list_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "config/profile.h"
#include "ui/controls/tx.h"
#include "ui/qt/window_placement.h"

namespace ui::qt {
namespace {

constexpr const char* kPlacementSection = "KeyLister";
constexpr int kKeyMinimum = 80;
constexpr int kCommandMinimum = 140;

}  // namespace

KeyListDialog::KeyListDialog(std::vector<KeyListRow> rows, QWidget* parent) : QDialog(parent), rows_(std::move(rows)) {
  setObjectName("keyListDialog");
  setWindowTitle(tx("${Shortcuts}"));
  table_ = new QTableWidget(0, 3, this);
  table_->setObjectName("keyList");
  table_->setHorizontalHeaderLabels({tx("${Key}"), tx("${Command}"), tx("${Description}")});
  table_->setShowGrid(true);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  // One line of text per row, as dense as a list: the style's default row is much taller.
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setWordWrap(false);
  QHeaderView* header = table_->horizontalHeader();
  header->setSortIndicatorShown(true);
  header->setSectionsClickable(true);
  header->setStretchLastSection(true);
  // The widths follow the list's visible width, which is known only once the layout has placed it.
  table_->viewport()->installEventFilter(this);
  connect(header, &QHeaderView::sectionClicked, this, [this](int column) { SortBy(static_cast<KeyListColumn>(column)); });

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(tx("${Close}"), QDialogButtonBox::RejectRole);
  close->setObjectName("close");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  resize(780, 520);
  fill();
}

void KeyListDialog::SortBy(KeyListColumn column) {
  descending_ = column == sortColumn_ && !descending_;
  sortColumn_ = column;
  SortKeyList(rows_, column, descending_);
  fill();
}

void KeyListDialog::fill() {
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const KeyListRow& keys = rows_[static_cast<std::size_t>(row)];
    int column = 0;
    for (const std::string* text : {&keys.key, &keys.command, &keys.description}) {
      table_->setItem(row, column++, new QTableWidgetItem(qs(*text)));
    }
  }
  table_->horizontalHeader()->setSortIndicator(static_cast<int>(sortColumn_),
                                                descending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool KeyListDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_->viewport() && event->type() == QEvent::Resize) fitColumns();
  return QDialog::eventFilter(watched, event);
}

void KeyListDialog::fitColumns() {
  const int width = table_->viewport()->width();
  table_->setColumnWidth(0, std::max(kKeyMinimum, width / 4));
  table_->setColumnWidth(1, std::max(kCommandMinimum, width / 4));
}

void OpenKeyList(const KeyListing& listing, config::CProfile& profile, QWidget* parent) {
  auto* dialog = new KeyListDialog(listing.rows, parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  RestorePlacement(*dialog, profile, kPlacementSection);
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, &profile] { SavePlacement(*dialog, profile, kPlacementSection); });
  dialog->open();
  if (listing.unknownKey) {
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Velkor"), tx(kUnknownKeyMessage), QMessageBox::Ok, dialog);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  }
}

}  // namespace ui::qt
