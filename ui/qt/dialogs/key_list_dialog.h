#pragma once
// "Shortcuts": every key of the window with its command and what the command does, sortable by
// each column; read-only.
#include <QDialog>
#include <vector>

#include "ui/key_list.h"

class QTableWidget;

namespace config {
class CProfile;
}

namespace ui::qt {

class KeyListDialog : public QDialog {
  Q_OBJECT

 public:
  // The rows as given (MakeKeyList sorts them by key), in the table "keyList".
  explicit KeyListDialog(std::vector<KeyListRow> rows, QWidget* parent = nullptr);

  // Sorts as a click on the column's header does: the same column again reverses the order.
  void SortBy(KeyListColumn column);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fill();
  void fitColumns();

  std::vector<KeyListRow> rows_;
  KeyListColumn sortColumn_ = KeyListColumn::Key;
  bool descending_ = false;
  QTableWidget* table_;
};

// Opens the dialog over `parent` where it was last ("KeyLister"), and keeps its place when it
// closes; a key without a name is reported in a message over it.
void OpenKeyList(const KeyListing& listing, config::CProfile& profile, QWidget* parent);

}  // namespace ui::qt
