#include "ui/qt/options/vars_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/controls/tx.h"

namespace ui::qt {

VarsPage::VarsPage(QWidget* parent) : OptionsPage(parent) {
  setObjectName("varsPage");
  table_ = new QTableWidget(0, 2);
  table_->setObjectName("variableTable");
  table_->setHorizontalHeaderLabels({tx("${Name}"), tx("${Path}")});
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* add = new QPushButton(tx("&${Add}"));
  add->setObjectName("addVariable");
  auto* remove = new QPushButton(tx("&${Delete}"));
  remove->setObjectName("deleteVariable");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(remove);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);

  connect(add, &QPushButton::clicked, this, [this] {
    const int row = table_->rowCount();
    table_->insertRow(row);
    table_->setItem(row, 0, new QTableWidgetItem(QStringLiteral("NAME")));
    table_->setItem(row, 1, new QTableWidgetItem);
    table_->setCurrentCell(row, 0);
    table_->editItem(table_->item(row, 0));
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = table_->currentRow();
    if (row >= builtIns_) table_->removeRow(row);
  });
}

void VarsPage::Load(const config::COptions& options) {
  const std::vector<config::PathVariable>& all = options.pathVariables.All();
  builtIns_ = options.pathVariables.BuiltInCount();
  table_->setRowCount(0);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    auto* name = new QTableWidgetItem(qs(all[i].name));
    auto* path = new QTableWidgetItem(qs(all[i].path));
    if (row < builtIns_) {
      for (QTableWidgetItem* item : {name, path}) item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      for (QTableWidgetItem* item : {name, path}) item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    }
    table_->setItem(row, 0, name);
    table_->setItem(row, 1, path);
  }
  table_->resizeColumnToContents(0);
}

std::vector<config::PathVariable> VarsPage::userVariables() const {
  std::vector<config::PathVariable> variables;
  for (int row = builtIns_; row < table_->rowCount(); ++row) {
    const QString name = table_->item(row, 0) != nullptr ? table_->item(row, 0)->text().trimmed() : QString();
    const QString path = table_->item(row, 1) != nullptr ? table_->item(row, 1)->text().trimmed() : QString();
    // A row without a name could never be written "$(...)": it is no variable.
    if (!name.isEmpty()) variables.push_back({ss(name), ss(path)});
  }
  return variables;
}

void VarsPage::Save(config::COptions& options) const {
  config::PathVariables edited;
  for (config::PathVariable& variable : userVariables()) edited.AddUserVariable(std::move(variable));
  options.pathVariables.Assign(edited);
}

}  // namespace ui::qt
