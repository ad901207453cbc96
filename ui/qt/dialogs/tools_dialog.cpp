#include "ui/qt/dialogs/tools_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/controls/button_mnemonics.h"
#include "ui/controls/form_rows.h"
#include "ui/controls/tx.h"
#include "ui/qt/window_actions.h"
#include "ui/user_tools.h"

namespace ui::qt {
namespace {

QPushButton* makeButton(const QString& text, const char* objectName) {
  auto* button = new QPushButton(text);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

ToolsDialog::ToolsDialog(std::vector<config::UserTool> tools, int first, QWidget* parent)
    : QDialog(parent), tools_(std::move(tools)) {
  setObjectName("toolsDialog");
  setWindowTitle(tx("${User tools}"));
  list_ = new QListWidget;
  list_->setObjectName("toolList");
  name_ = new QLineEdit;
  name_->setObjectName("name");
  command_ = new QLineEdit;
  command_->setObjectName("command");
  parameters_ = new QLineEdit;
  parameters_->setObjectName("parameters");
  startFolder_ = new QLineEdit;
  startFolder_->setObjectName("startFolder");
  comparison_ = new QCheckBox(tx("&${Use for file comparison}"));
  comparison_->setObjectName("comparison");
  QPushButton* browseCommand = makeButton(QStringLiteral(". . ."), "browseCommand");
  QPushButton* browseFolder = makeButton(QStringLiteral(". . ."), "browseFolder");
  macros_ = makeButton(QStringLiteral(">>"), "macros");
  for (QPushButton* small : {browseCommand, browseFolder, macros_}) small->setMaximumWidth(40);

  auto* form = new QFormLayout;
  form->addRow(tx("&${Name}:"), name_);
  AddFieldRow(*form, tx("&${Command}:"), command_, {browseCommand});
  AddFieldRow(*form, tx("&${Parameters}:"), parameters_, {macros_});
  AddFieldRow(*form, tx("&${Start folder}:"), startFolder_, {browseFolder});
  form->addRow(QString(), comparison_);

  QPushButton* add = makeButton(tx("&${Add}"), "add");
  QPushButton* remove = makeButton(tx("&${Delete}"), "delete");
  QPushButton* up = makeButton(tx("${Move up}"), "up");
  QPushButton* down = makeButton(tx("${Move down}"), "down");
  QPushButton* close = makeButton(tx("${Close}"), "close");
  close->setDefault(true);

  auto* side = new QVBoxLayout;
  for (QPushButton* button : {add, remove, up, down}) side->addWidget(button);
  side->addStretch();
  side->addWidget(close);
  auto* top = new QHBoxLayout;
  top->addWidget(list_, 1);
  top->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(form);
  FixWindowMnemonics(*this);
  toolFields_ = {name_, command_, parameters_, startFolder_, comparison_, browseCommand, browseFolder, macros_, remove, up, down};

  connect(list_, &QListWidget::currentRowChanged, this, &ToolsDialog::showTool);
  // Every field writes into the current tool at once; typing a name renames its list entry.
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (config::UserTool* tool = current()) tool->Name = ss(text);
    if (list_->currentItem() != nullptr) list_->currentItem()->setText(text);
  });
  connect(command_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (config::UserTool* tool = current(); tool != nullptr && !showing_) tool->App = ss(text);
  });
  connect(parameters_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (config::UserTool* tool = current(); tool != nullptr && !showing_) tool->Params = ss(text);
  });
  connect(startFolder_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (config::UserTool* tool = current(); tool != nullptr && !showing_) tool->StartAt = ss(text);
  });
  connect(comparison_, &QCheckBox::toggled, this, [this](bool on) {
    if (showing_ || current() == nullptr) return;
    const int row = list_->currentRow();
    // One tool compares: marking this one unmarks any other.
    if (on) {
      MarkComparisonTool(tools_, row);
    } else {
      tools_[static_cast<std::size_t>(row)].Flags &= 0xFFFF;
    }
  });
  connect(add, &QPushButton::clicked, this, [this] { chooseCommand(true); });
  connect(remove, &QPushButton::clicked, this, &ToolsDialog::deleteTool);
  connect(up, &QPushButton::clicked, this, [this] { move(-1); });
  connect(down, &QPushButton::clicked, this, [this] { move(1); });
  connect(browseCommand, &QPushButton::clicked, this, [this] { chooseCommand(false); });
  connect(browseFolder, &QPushButton::clicked, this, &ToolsDialog::chooseStartFolder);
  connect(macros_, &QPushButton::clicked, this, &ToolsDialog::showMacroMenu);
  connect(close, &QPushButton::clicked, this, &ToolsDialog::accept);
  fill(std::clamp(first, 0, std::max(0, static_cast<int>(tools_.size()) - 1)));
  resize(560, 420);
}

config::UserTool* ToolsDialog::current() {
  const int row = list_->currentRow();
  return row < 0 || row >= static_cast<int>(tools_.size()) ? nullptr : &tools_[static_cast<std::size_t>(row)];
}

void ToolsDialog::fill(int select) {
  list_->clear();
  for (const config::UserTool& tool : tools_) list_->addItem(qs(tool.Name));
  list_->setCurrentRow(std::min(select, list_->count() - 1));
  showTool();
}

void ToolsDialog::showTool() {
  const config::UserTool* tool = current();
  showing_ = true;
  name_->setText(tool != nullptr ? qs(tool->Name) : QString());
  command_->setText(tool != nullptr ? qs(tool->App) : QString());
  parameters_->setText(tool != nullptr ? qs(tool->Params) : QString());
  startFolder_->setText(tool != nullptr ? qs(tool->StartAt) : QString());
  comparison_->setChecked(tool != nullptr && IsComparisonTool(*tool));
  showing_ = false;
  for (QWidget* field : toolFields_) field->setEnabled(tool != nullptr);
}

void ToolsDialog::AddTool(const QString& path) {
  config::UserTool tool;
  tool.App = ss(path);
  tool.Name = ss(QFileInfo(path).completeBaseName());
  tool.Params = std::string(kSourceFolderMacro);
  tools_.push_back(std::move(tool));
  fill(static_cast<int>(tools_.size()) - 1);
  name_->setFocus();
  name_->selectAll();
}

void ToolsDialog::deleteTool() {
  if (current() == nullptr) return;
  auto* box = new QMessageBox(QMessageBox::Question, windowTitle(), tx("${Delete current tool?}"),
                              QMessageBox::Yes | QMessageBox::No, this);
  box->setObjectName("deleteTool");
  box->setAttribute(Qt::WA_DeleteOnClose);
  const int row = list_->currentRow();
  connect(box, &QMessageBox::finished, this, [this, box, row] {
    if (box->standardButton(box->clickedButton()) != QMessageBox::Yes || row >= static_cast<int>(tools_.size())) return;
    tools_.erase(tools_.begin() + row);
    fill(row);
  });
  box->open();
}

void ToolsDialog::move(int step) {
  const int row = list_->currentRow();
  const int other = row + step;
  if (row < 0 || other < 0 || other >= static_cast<int>(tools_.size())) return;
  std::swap(tools_[static_cast<std::size_t>(row)], tools_[static_cast<std::size_t>(other)]);
  fill(other);
}

void ToolsDialog::chooseCommand(bool forNewTool) {
  auto* dialog = new QFileDialog(this, tx("${Command}"), QStringLiteral("/usr/bin"), tx("${All Files} (*)"));
  dialog->setObjectName("chooseProgram");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileMode(QFileDialog::ExistingFile);
  connect(dialog, &QFileDialog::fileSelected, this, [this, forNewTool](const QString& path) {
    if (forNewTool) {
      AddTool(path);
      return;
    }
    config::UserTool* tool = current();
    if (tool == nullptr) return;
    command_->setText(path);
    if (tool->Name.empty() || qs(tool->Name) == tx("${New tool}")) {
      tool->Name = ss(QFileInfo(path).completeBaseName());
      name_->setText(qs(tool->Name));
      list_->currentItem()->setText(qs(tool->Name));
    }
  });
  dialog->open();
}

void ToolsDialog::chooseStartFolder() {
  auto* dialog = new QFileDialog(this, tx("${Start folder}"), startFolder_->text());
  dialog->setObjectName("chooseFolder");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  connect(dialog, &QFileDialog::fileSelected, startFolder_, &QLineEdit::setText);
  dialog->open();
}

void ToolsDialog::showMacroMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName("macroMenu");
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const std::pair<const char*, std::string_view> macros[] = {
      {"${Source File}", kSourcePathMacro},    {"${Source Folder}", kSourceFolderMacro},
      {"${Target File}", kTargetPathMacro},    {"${Target Folder}", kTargetFolderMacro},
      {"${New Files List}", kNewFileListMacro}, {"${Backup List}", kBackupListMacro},
  };
  for (const auto& [text, macro] : macros) {
    const QString inserted = qs(std::string(macro));
    menu->addAction(tx(text), this, [this, inserted] { parameters_->insert(inserted); });
  }
  FixMenuMnemonics(*menu);
  menu->popup(macros_->mapToGlobal(QPoint(0, macros_->height())));
}

}  // namespace ui::qt
