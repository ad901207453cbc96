#include "ui/qt/dialogs/copy_to_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/controls/button_mnemonics.h"
#include "ui/controls/form_rows.h"
#include "ui/controls/tx.h"

namespace ui::qt {

CopyToDialog::CopyToDialog(CopyToChoices choices, QWidget* parent) : QDialog(parent), choices_(std::move(choices)) {
  setObjectName("copyToDialog");
  setWindowTitle(tx("${Copy To} ..."));
  target_ = new QComboBox;
  target_->setObjectName("copyToTarget");
  target_->setEditable(true);
  target_->setMinimumWidth(420);
  for (const std::string& entry : choices_.targets) target_->addItem(qs(entry));
  auto* browse = new QPushButton(QStringLiteral(". . ."));
  browse->setObjectName("browseCopyTarget");
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, tx("${Copy To} ..."), target_->currentText());
    if (!folder.isEmpty()) target_->setEditText(folder);
  });
  newFiles_ = new QRadioButton(tx("&${New files}"));
  newFiles_->setObjectName("newFiles");
  backupFiles_ = new QRadioButton(tx("&${Backup files}"));
  backupFiles_->setObjectName("backupFiles");
  newFiles_->setEnabled(choices_.hasNewFiles);
  backupFiles_->setEnabled(choices_.hasBackupFiles);
  (choices_.hasNewFiles ? newFiles_ : backupFiles_)->setChecked(true);
  strip_ = new QComboBox;
  strip_->setObjectName("stripFromPath");
  action_ = new QComboBox;
  action_->setObjectName("copyToAction");
  for (const char* text : kCopyToActionTexts) action_->addItem(tx(text));
  auto* lists = new QHBoxLayout;
  lists->addWidget(newFiles_);
  lists->addWidget(backupFiles_);
  lists->addStretch();
  auto* form = new QFormLayout;
  AddFieldRow(*form, tx("&${Target}:"), target_, {browse});
  form->addRow(QString(), lists);
  form->addRow(tx("&${Strip from path}:"), strip_);
  form->addRow(tx("&${Action}:"), action_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &CopyToDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  connect(newFiles_, &QRadioButton::toggled, this, &CopyToDialog::showStrips);
  showStrips();
  FixWindowMnemonics(*this);
}

void CopyToDialog::showStrips() {
  const std::vector<std::string>& strips = newFiles_->isChecked() ? choices_.newFilesStrips : choices_.backupFilesStrips;
  strip_->clear();
  for (const std::string& strip : strips) strip_->addItem(qs(strip));
  // Keeping every folder of the path is always possible.
  strip_->addItem(tx("(${keep the whole path})"), QString());
  for (int index = 0; index < strip_->count() - 1; ++index) strip_->setItemData(index, qs(strips[static_cast<std::size_t>(index)]));
  strip_->setCurrentIndex(0);
}

CopyToRequest CopyToDialog::Request() const {
  CopyToRequest request;
  request.list = newFiles_->isChecked() ? CopyToList::NewFiles : CopyToList::BackupFiles;
  request.target = ss(target_->currentText().trimmed());
  request.strip = ss(strip_->currentData().toString());
  request.action = static_cast<CopyToAction>(action_->currentIndex());
  return request;
}

void CopyToDialog::accept() {
  if (target_->currentText().trimmed().isEmpty()) {
    target_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace ui::qt
