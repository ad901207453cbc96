#include "ui/qt/options/filters_page.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/controls/tx.h"

namespace ui::qt {

FiltersPage::FiltersPage(QWidget* parent) : OptionsPage(parent) {
  setObjectName("filtersPage");
  list_ = new QListWidget;
  list_->setObjectName("filterList");
  name_ = new QLineEdit;
  name_->setObjectName("filterName");
  masks_ = new QLineEdit;
  masks_->setObjectName("filterMasks");
  auto* add = new QPushButton(tx("&${Add}"));
  add->setObjectName("addFilter");
  auto* remove = new QPushButton(tx("&${Delete}"));
  remove->setObjectName("deleteFilter");
  auto* undo = new QPushButton(tx("${&Undo changes}"));
  undo->setObjectName("undoFilters");

  auto* fields = new QFormLayout;
  fields->addRow(tx("${&Name}:"), name_);
  fields->addRow(tx("${&Mask}:"), masks_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(remove);
  buttons->addStretch();
  buttons->addWidget(undo);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(fields);
  layout->addLayout(buttons);

  connect(list_, &QListWidget::currentRowChanged, this, &FiltersPage::showCurrent);
  connect(name_, &QLineEdit::textEdited, this, &FiltersPage::editCurrent);
  connect(masks_, &QLineEdit::textEdited, this, &FiltersPage::editCurrent);
  connect(add, &QPushButton::clicked, this, [this] {
    config::NamedFilter filter;
    filter.name = ss(tx("${New filter}"));
    filter.masks = "*.*";
    filters_.push_back(filter);
    show(filters_, static_cast<int>(filters_.size()) - 1);
    name_->setFocus();
    name_->selectAll();
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = list_->currentRow();
    if (row < 0) return;
    filters_.erase(filters_.begin() + row);
    show(filters_, std::min(row, static_cast<int>(filters_.size()) - 1));
  });
  connect(undo, &QPushButton::clicked, this, [this] { show(loaded_, list_->currentRow()); });
}

void FiltersPage::show(const std::vector<config::NamedFilter>& filters, int current) {
  filters_ = filters;
  showing_ = true;
  list_->clear();
  for (const config::NamedFilter& filter : filters_) list_->addItem(qs(filter.name));
  showing_ = false;
  list_->setCurrentRow(std::clamp(current, filters_.empty() ? -1 : 0, static_cast<int>(filters_.size()) - 1));
  showCurrent();
}

void FiltersPage::showCurrent() {
  if (showing_) return;
  const int row = list_->currentRow();
  const bool any = row >= 0 && row < static_cast<int>(filters_.size());
  name_->setEnabled(any);
  masks_->setEnabled(any);
  name_->setText(any ? qs(filters_[static_cast<std::size_t>(row)].name) : QString());
  masks_->setText(any ? qs(filters_[static_cast<std::size_t>(row)].masks) : QString());
}

void FiltersPage::editCurrent() {
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(filters_.size())) return;
  config::NamedFilter& filter = filters_[static_cast<std::size_t>(row)];
  filter.name = ss(name_->text());
  filter.masks = ss(masks_->text());
  list_->item(row)->setText(name_->text());
}

void FiltersPage::Load(const config::COptions& options) {
  loaded_ = options.filters;
  show(loaded_, options.currentFilter);
}

void FiltersPage::Save(config::COptions& options) const {
  // The filters are written back only when they changed, as loading made them.
  if (filters_ != options.filters) {
    options.filters = filters_;
    options.filtersChanged = true;
  }
  const int current = list_->currentRow();
  if (current >= 0) options.currentFilter = current;
}

}  // namespace ui::qt
