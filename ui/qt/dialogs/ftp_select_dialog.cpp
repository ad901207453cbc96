#include "ui/qt/dialogs/ftp_select_dialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/case_fold.h"
#include "ui/controls/button_mnemonics.h"
#include "ui/controls/tx.h"
#include "ui/qt/dialogs/ftp_server_editor.h"

namespace ui::qt {

FtpSelectDialog::FtpSelectDialog(FtpConnections connections, QWidget* parent)
    : QDialog(parent), connections_(std::move(connections)) {
  setObjectName("ftpSelectDialog");
  setWindowTitle(tx("${FTP connections}"));
  list_ = new QListWidget;
  list_->setObjectName("connectionList");
  auto button = [](const char* text, const char* objectName) {
    auto* created = new QPushButton(tx(text));
    created->setObjectName(objectName);
    return created;
  };
  select_ = button("&${Select}", "select");
  select_->setDefault(true);
  QPushButton* cancel = button("&${Cancel}", "cancel");
  QPushButton* add = button("&${Add}", "add");
  delete_ = button("&${Delete}", "delete");
  clone_ = button("&${Clone}", "clone");
  edit_ = button("&${Edit}", "edit");
  auto* side = new QVBoxLayout;
  for (QPushButton* each : {select_, cancel, add, delete_, clone_, edit_}) {
    if (each != select_) each->setAutoDefault(false);
    side->addWidget(each);
    // Select and Cancel close the dialog; a gap keeps them apart from the buttons that edit the list.
    if (each == cancel) side->addSpacing(16);
  }
  side->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(side);

  connect(select_, &QPushButton::clicked, this, &FtpSelectDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &FtpSelectDialog::reject);
  connect(add, &QPushButton::clicked, this, [this] {
    config::FtpServer fresh;
    fresh.Firewall = -1;
    fresh.Flags = config::ftpflag::kPassive;
    edit(fresh, -1);
  });
  connect(delete_, &QPushButton::clicked, this, &FtpSelectDialog::deleteChosen);
  connect(clone_, &QPushButton::clicked, this, &FtpSelectDialog::cloneChosen);
  connect(edit_, &QPushButton::clicked, this, [this] {
    if (list_->currentRow() >= 0) edit(connections_.servers[static_cast<std::size_t>(list_->currentRow())], list_->currentRow());
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, &FtpSelectDialog::accept);
  connect(list_, &QListWidget::currentRowChanged, this, &FtpSelectDialog::showButtons);
  fill(0);
  FixWindowMnemonics(*this);
  resize(420, 300);
}

std::string FtpSelectDialog::ChosenPath() const {
  const int row = list_->currentRow();
  return row < 0 ? std::string() : "ftp:" + connections_.servers[static_cast<std::size_t>(row)].Name;
}

void FtpSelectDialog::accept() {
  if (list_->currentRow() >= 0) QDialog::accept();
}

void FtpSelectDialog::fill(int select) {
  list_->clear();
  for (const config::FtpServer& server : connections_.servers) list_->addItem(qs(server.Name));
  list_->setCurrentRow(std::min(select, list_->count() - 1));
  showButtons();
}

void FtpSelectDialog::showButtons() {
  const bool chosen = list_->currentRow() >= 0;
  for (QPushButton* each : {select_, delete_, clone_, edit_}) each->setEnabled(chosen);
}

void FtpSelectDialog::edit(const config::FtpServer& server, int index) {
  std::vector<std::string> otherNames;
  for (std::size_t i = 0; i < connections_.servers.size(); ++i) {
    if (static_cast<int>(i) != index) otherNames.push_back(connections_.servers[i].Name);
  }
  auto* editor = new FtpServerEditor(server, connections_.proxies, std::move(otherNames), this);
  editor->setAttribute(Qt::WA_DeleteOnClose);
  connect(editor, &QDialog::accepted, this, [this, editor, index] {
    connections_.proxies = editor->Proxies();
    if (index < 0) {
      connections_.servers.push_back(editor->Server());
    } else {
      connections_.servers[static_cast<std::size_t>(index)] = editor->Server();
    }
    fill(index < 0 ? static_cast<int>(connections_.servers.size()) - 1 : index);
  });
  editor->open();
}

void FtpSelectDialog::cloneChosen() {
  const int row = list_->currentRow();
  if (row < 0) return;
  config::FtpServer copy = connections_.servers[static_cast<std::size_t>(row)];
  // The first free "NAME 2", "NAME 3", ...: the editor would refuse the name taken.
  const std::string base = copy.Name;
  auto taken = [this](const std::string& name) {
    return std::any_of(connections_.servers.begin(), connections_.servers.end(),
                       [&](const config::FtpServer& server) { return platform::equalNoCase(server.Name, name); });
  };
  for (int number = 2; taken(copy.Name); ++number) copy.Name = base + " " + std::to_string(number);
  edit(copy, -1);
}

void FtpSelectDialog::deleteChosen() {
  const int row = list_->currentRow();
  if (row < 0) return;
  connections_.servers.erase(connections_.servers.begin() + row);
  fill(row);
}

}  // namespace ui::qt
