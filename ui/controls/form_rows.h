#pragma once
// A form row whose field comes with buttons beside it: the label's key must still reach the
// field, which a row built from a layout alone does not give it (the label would show its "&").
#include <QString>
#include <initializer_list>

class QFormLayout;
class QWidget;

namespace ui {

// Adds "label  [field][buttons...]" to `form`, the label's key moving the focus to `field`.
void AddFieldRow(QFormLayout& form, const QString& label, QWidget* field, std::initializer_list<QWidget*> buttons);

}  // namespace ui
