#include "ui/qt/dialogs/ftp_proxy_editor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

#include "ui/controls/button_mnemonics.h"
#include "ui/controls/tx.h"

namespace ui::qt {

FtpProxyEditor::FtpProxyEditor(const config::FtpProxy& proxy, QWidget* parent) : QDialog(parent) {
  setObjectName("ftpProxyEditor");
  setWindowTitle(tx("${Firewall / Proxy settings}"));
  server_ = new QLineEdit(qs(proxy.FServer));
  server_->setObjectName("proxyServer");
  server_->setMinimumWidth(300);
  port_ = new QSpinBox;
  port_->setObjectName("proxyPort");
  port_->setRange(1, 65535);
  port_->setValue(proxy.FPort);
  user_ = new QLineEdit(qs(proxy.FUser));
  user_->setObjectName("proxyUser");
  password_ = new QLineEdit(qs(proxy.FPass));
  password_->setObjectName("proxyPassword");
  password_->setEchoMode(QLineEdit::Password);
  auto* form = new QFormLayout(this);
  form->addRow(tx("&${Server}:"), server_);
  form->addRow(tx("${Port}:"), port_);
  form->addRow(tx("&${User}:"), user_);
  form->addRow(tx("&${Password}:"), password_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &FtpProxyEditor::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &FtpProxyEditor::reject);
  form->addRow(buttons);
  FixWindowMnemonics(*this);
}

config::FtpProxy FtpProxyEditor::Proxy() const {
  return {ss(server_->text().trimmed()), ss(user_->text()), ss(password_->text()), port_->value()};
}

}  // namespace ui::qt
