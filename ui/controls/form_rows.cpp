#include "ui/controls/form_rows.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace ui {

void AddFieldRow(QFormLayout& form, const QString& label, QWidget* field, std::initializer_list<QWidget*> buttons) {
  auto* row = new QHBoxLayout;
  row->addWidget(field, 1);
  for (QWidget* button : buttons) row->addWidget(button);
  auto* name = new QLabel(label);
  name->setBuddy(field);
  form.addRow(name, row);
}

}  // namespace ui
