#include "ui/controls/folder_box.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

#include "ui/controls/tx.h"

namespace ui::controls {

FolderBox::FolderBox(const QString& objectName, QWidget* parent) : QWidget(parent) {
  setObjectName(objectName);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  box_ = new QComboBox;
  box_->setObjectName(objectName + "Box");
  box_->setEditable(true);
  box_->setInsertPolicy(QComboBox::NoInsert);
  box_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  box_->setMinimumContentsLength(40);
  layout->addWidget(box_, 1);
  button_ = new QToolButton;
  button_->setObjectName(objectName + "Menu");
  button_->setText(QStringLiteral("..."));
  button_->setPopupMode(QToolButton::InstantPopup);
  button_->setMenu(new QMenu(button_));
  connect(button_->menu(), &QMenu::aboutToShow, this, &FolderBox::fillMenu);
  layout->addWidget(button_);
}

void FolderBox::SetChoices(const FolderChoices& choices) {
  choices_ = choices;
  const QString text = box_->currentText();
  box_->clear();
  for (const std::string& path : choices_.history) box_->addItem(QString::fromStdString(path));
  box_->setEditText(text);
}

void FolderBox::SetPath(const std::string& path) { box_->setEditText(QString::fromStdString(path)); }

std::string FolderBox::Path() const { return box_->currentText().trimmed().toStdString(); }

void FolderBox::pickFile(const QString& title, const QString& filter, const QString& suffix) {
  auto* dialog = new QFileDialog(this, title, box_->currentText(), filter);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  // The archive or package may not exist yet: the first run makes it.
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  dialog->setDefaultSuffix(suffix);
  connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) { box_->setEditText(file); });
  dialog->open();
}

void FolderBox::fillMenu() {
  QMenu* menu = button_->menu();
  menu->clear();
  menu->addAction(tx("${Folder}..."), this, [this] {
    auto* dialog = new QFileDialog(this, tx("${Select folder}"), box_->currentText());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& folder) { box_->setEditText(folder); });
    dialog->open();
  });
  menu->addAction(tx("${Archive} (ZIP)..."), this, [this] { pickFile(tx("${Archive}"), "ZIP (*.zip)", "zip"); });
  menu->addAction(tx("FTP..."), this, &FolderBox::ftpRequested);
  menu->addAction(tx("${Snapshot}..."), this, [this] { pickFile(tx("${Snapshot}"), "(*.pck)", "pck"); });
  menu->addAction(tx("${Package}..."), this, [this] { pickFile(tx("${Package}"), "(*.pkg)", "pkg"); });
  if (!choices_.history.empty()) {
    QMenu* recent = menu->addMenu(tx("${Recent paths}"));
    for (const std::string& path : choices_.history) {
      const QString text = QString::fromStdString(path);
      recent->addAction(text, this, [this, text] { box_->setEditText(text); });
    }
  }
  if (!choices_.pathVariables.empty()) {
    QMenu* variables = menu->addMenu(tx("${Path variables}"));
    for (const std::string& name : choices_.pathVariables) {
      const QString variable = QString::fromStdString("$(" + name + ")");
      variables->addAction(variable, this, [this, variable] {
        box_->lineEdit()->insert(variable);
      });
    }
  }
}

}  // namespace ui::controls
