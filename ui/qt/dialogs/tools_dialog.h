#pragma once
// The user tools dialog: the tools by name, each with its command, parameters (macros inserted
// from the ">>" menu), start folder and whether it is the file-comparison tool. Add, Delete and
// the moves change the dialog's own copy; Close hands it back through Tools().
#include <QDialog>
#include <vector>

#include "config/records.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ui::qt {

class ToolsDialog : public QDialog {
  Q_OBJECT

 public:
  // Opens on tool `first` (the first tool when out of range).
  ToolsDialog(std::vector<config::UserTool> tools, int first, QWidget* parent = nullptr);
  [[nodiscard]] const std::vector<config::UserTool>& Tools() const { return tools_; }

  // The dialog has only Close: Escape keeps the changes as Close does.
  void reject() override { accept(); }

  // A new tool for the program at `path`, named after the file, starting on the source folder.
  void AddTool(const QString& path);

 private:
  void fill(int select);
  // Shows the current tool in the fields.
  void showTool();
  void deleteTool();
  void move(int step);
  void chooseCommand(bool forNewTool);
  void chooseStartFolder();
  void showMacroMenu();
  [[nodiscard]] config::UserTool* current();

  std::vector<config::UserTool> tools_;
  QListWidget* list_;
  QLineEdit* name_;
  QLineEdit* command_;
  QLineEdit* parameters_;
  QLineEdit* startFolder_;
  QCheckBox* comparison_;
  QPushButton* macros_;
  std::vector<QWidget*> toolFields_;
  bool showing_ = false;
};

}  // namespace ui::qt
