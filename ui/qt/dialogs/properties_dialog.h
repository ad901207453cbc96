#pragma once
// "Properties": the selected item's path, size, times, permissions and owner on each side, side
// by side; read-only, and every value can be selected and copied.
#include <QDialog>

#include "ui/item_properties.h"
#include "ui/row_text.h"

namespace ui::qt {

class PropertiesDialog : public QDialog {
  Q_OBJECT

 public:
  // Each value is a label named after its side and row ("sourcePath", "targetOwner", ...).
  PropertiesDialog(const ItemProperties& properties, const DateTimeFormat& format, QWidget* parent = nullptr);
};

}  // namespace ui::qt
