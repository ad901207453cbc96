#include "ui/qt/dialogs/ftp_server_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "platform/case_fold.h"
#include "ui/controls/button_mnemonics.h"
#include "ui/controls/tx.h"
#include "ui/qt/dialogs/ftp_proxy_editor.h"

namespace ui::qt {
namespace {

constexpr int kNewProxyPort = 8080;

int ownPort(const QString& protocol) { return protocol.compare("SFTP", Qt::CaseInsensitive) == 0 ? 22 : 21; }

QString proxyText(const config::FtpProxy& proxy) { return qs(proxy.FServer) + ":" + QString::number(proxy.FPort); }

QLineEdit* lineEdit(const std::string& text, const char* objectName) {
  auto* edit = new QLineEdit(qs(text));
  edit->setObjectName(objectName);
  return edit;
}

}  // namespace

FtpServerEditor::FtpServerEditor(config::FtpServer server, std::vector<config::FtpProxy> proxies,
                                 std::vector<std::string> otherNames, QWidget* parent)
    : QDialog(parent), server_(std::move(server)), proxies_(std::move(proxies)), otherNames_(std::move(otherNames)) {
  setObjectName("ftpServerEditor");
  setWindowTitle(tx("${FTP connections}"));
  protocol_ = new QComboBox;
  protocol_->setObjectName("protocol");
  protocol_->addItems({"FTP", "FTPS", "SFTP"});
  const QString stored = qs(server_.Protocol);
  int shown = stored.isEmpty() ? 0 : protocol_->findText(stored, Qt::MatchFixedString);
  if (shown < 0) {
    // A kind this program does not know stays as written: shown as FTP it would be saved as FTP,
    // and the password would travel unencrypted.
    protocol_->addItem(stored);
    shown = protocol_->count() - 1;
  }
  protocol_->setCurrentIndex(shown);
  shownProtocol_ = protocol_->currentText();
  name_ = lineEdit(server_.Name, "name");
  host_ = lineEdit(server_.Server, "server");
  host_->setMinimumWidth(320);
  port_ = new QSpinBox;
  port_->setObjectName("port");
  // 0 is how the configuration keeps a port that was no port; shown as it is, never moved to another.
  port_->setRange(0, 65535);
  port_->setValue(server_.Port);
  user_ = lineEdit(server_.User, "user");
  password_ = lineEdit(server_.Pass, "password");
  password_->setEchoMode(QLineEdit::Password);
  folder_ = lineEdit(server_.Folder, "folder");
  anonymous_ = new QCheckBox(tx("&${Anonymous}"));
  anonymous_->setObjectName("anonymous");
  anonymous_->setChecked((server_.Flags & config::ftpflag::kAnonymous) != 0);
  passive_ = new QCheckBox(tx("&${Passive mode}"));
  passive_->setObjectName("passive");
  passive_->setChecked((server_.Flags & config::ftpflag::kPassive) != 0);
  useProxy_ = new QCheckBox(tx("&${Firewall / Proxy}:"));
  useProxy_->setObjectName("useProxy");
  proxyList_ = new QComboBox;
  proxyList_->setObjectName("proxyList");
  change_ = new QPushButton(tx("${Change}"));
  change_->setObjectName("changeProxy");
  change_->setAutoDefault(false);
  pinnedKey_ = lineEdit(server_.PinnedKey, "pinnedKey");
  pinnedKey_->setPlaceholderText(QStringLiteral("sha256//BASE64"));
  keyFile_ = lineEdit(server_.KeyFile, "keyFile");
  nameProblem_ = new QLabel;
  nameProblem_->setObjectName("nameProblem");

  const bool proxyInRange = server_.Firewall >= 0 && server_.Firewall < static_cast<int>(proxies_.size());
  fillProxies(proxyInRange ? server_.Firewall + 1 : 0);
  useProxy_->setChecked(proxyInRange);

  auto* form = new QFormLayout(this);
  form->addRow(tx("${Protocol}:"), protocol_);
  form->addRow(tx("&${Name}:"), name_);
  auto* hostRow = new QHBoxLayout;
  hostRow->addWidget(host_, 1);
  hostRow->addWidget(new QLabel(tx("${Port}:")));
  hostRow->addWidget(port_);
  // A row of two fields gets no buddy from the form, and its "&" would show as written.
  auto* hostLabel = new QLabel(tx("&${Server}:"));
  hostLabel->setBuddy(host_);
  form->addRow(hostLabel, hostRow);
  form->addRow(tx("&${User}:"), user_);
  form->addRow(tx("&${Password}:"), password_);
  form->addRow(tx("&${Folder}:"), folder_);
  auto* flags = new QHBoxLayout;
  flags->addWidget(anonymous_);
  flags->addWidget(passive_);
  flags->addStretch();
  form->addRow(QString(), flags);
  auto* proxyRow = new QHBoxLayout;
  proxyRow->addWidget(proxyList_, 1);
  proxyRow->addWidget(change_);
  form->addRow(useProxy_, proxyRow);
  form->addRow(tx("${Pinned key} (FTPS):"), pinnedKey_);
  form->addRow(tx("${Key file} (SFTP):"), keyFile_);
  form->addRow(nameProblem_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName("buttons");
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &FtpServerEditor::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &FtpServerEditor::reject);
  form->addRow(buttons);

  auto showProxy = [this] {
    proxyList_->setEnabled(useProxy_->isChecked());
    change_->setEnabled(useProxy_->isChecked());
  };
  connect(useProxy_, &QCheckBox::toggled, this, showProxy);
  connect(anonymous_, &QCheckBox::toggled, this, [this](bool on) { user_->setEnabled(!on); });
  connect(protocol_, &QComboBox::currentIndexChanged, this, &FtpServerEditor::protocolChanged);
  connect(change_, &QPushButton::clicked, this, &FtpServerEditor::changeProxy);
  connect(name_, &QLineEdit::textChanged, this, &FtpServerEditor::checkName);
  showProxy();
  user_->setEnabled(!anonymous_->isChecked());
  protocolChanged();
  checkName();
  FixWindowMnemonics(*this);
}

void FtpServerEditor::fillProxies(int select) {
  proxyList_->clear();
  proxyList_->addItem(tx("${Add new Proxy}"));
  for (const config::FtpProxy& proxy : proxies_) proxyList_->addItem(proxyText(proxy));
  proxyList_->setCurrentIndex(select);
}

void FtpServerEditor::changeProxy() {
  const int chosen = proxyList_->currentIndex() - 1;
  config::FtpProxy proxy;
  proxy.FPort = kNewProxyPort;
  if (chosen >= 0) proxy = proxies_[static_cast<std::size_t>(chosen)];
  auto* editor = new FtpProxyEditor(proxy, this);
  editor->setAttribute(Qt::WA_DeleteOnClose);
  connect(editor, &QDialog::accepted, this, [this, editor, chosen] {
    if (chosen < 0) {
      proxies_.push_back(editor->Proxy());
    } else {
      proxies_[static_cast<std::size_t>(chosen)] = editor->Proxy();
    }
    fillProxies(chosen < 0 ? static_cast<int>(proxies_.size()) : chosen + 1);
  });
  editor->open();
}

void FtpServerEditor::protocolChanged() {
  const QString now = protocol_->currentText();
  if (port_->value() == ownPort(shownProtocol_)) port_->setValue(ownPort(now));
  shownProtocol_ = now;
  const bool known = protocol_->currentIndex() < 3;
  pinnedKey_->setEnabled(!known || now == "FTPS");
  keyFile_->setEnabled(!known || now == "SFTP");
}

void FtpServerEditor::checkName() {
  const std::string name = ss(name_->text().trimmed());
  QString problem;
  if (name.empty()) {
    problem = tx("${The connection needs a name.}");
  } else {
    for (const std::string& other : otherNames_) {
      if (platform::equalNoCase(other, name)) problem = tx("${Another connection has this name.}");
    }
  }
  nameProblem_->setText(problem);
  ok_->setEnabled(problem.isEmpty());
}

config::FtpServer FtpServerEditor::Server() const {
  config::FtpServer server = server_;
  // A section written before the kinds existed keeps its lack of the key.
  const QString protocol = protocol_->currentText();
  server.Protocol = server_.Protocol.empty() && protocol == "FTP" ? std::string() : ss(protocol);
  server.Name = ss(name_->text().trimmed());
  server.Server = ss(host_->text().trimmed());
  server.Port = port_->value();
  server.User = ss(user_->text());
  server.Pass = ss(password_->text());
  server.Folder = ss(folder_->text().trimmed());
  server.Flags &= ~(config::ftpflag::kAnonymous | config::ftpflag::kPassive);
  if (anonymous_->isChecked()) server.Flags |= config::ftpflag::kAnonymous;
  if (passive_->isChecked()) server.Flags |= config::ftpflag::kPassive;
  server.Firewall = useProxy_->isChecked() && proxyList_->currentIndex() > 0 ? proxyList_->currentIndex() - 1 : -1;
  server.PinnedKey = ss(pinnedKey_->text().trimmed());
  server.KeyFile = ss(keyFile_->text().trimmed());
  return server;
}

}  // namespace ui::qt
