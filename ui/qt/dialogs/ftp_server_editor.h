#pragma once
// The connection editor ("FTP connections"): one connection's kind, name, server, port, login,
// starting folder, flags and proxy, and the keys of FTPS and SFTP. It edits copies of the
// connection and of the proxy list ("Change" edits or adds a proxy); OK stays off while the name
// is empty or names another connection.
#include <QDialog>
#include <string>
#include <vector>

#include "config/records.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace ui::qt {

class FtpServerEditor : public QDialog {
  Q_OBJECT

 public:
  // `otherNames`: the names of the other connections, which this one may not take.
  FtpServerEditor(config::FtpServer server, std::vector<config::FtpProxy> proxies,
                  std::vector<std::string> otherNames, QWidget* parent = nullptr);
  [[nodiscard]] config::FtpServer Server() const;
  [[nodiscard]] const std::vector<config::FtpProxy>& Proxies() const { return proxies_; }

 private:
  void fillProxies(int select);
  void changeProxy();
  void protocolChanged();
  void checkName();

  config::FtpServer server_;
  std::vector<config::FtpProxy> proxies_;
  std::vector<std::string> otherNames_;
  QComboBox* protocol_;
  QLineEdit* name_;
  QLineEdit* host_;
  QSpinBox* port_;
  QLineEdit* user_;
  QLineEdit* password_;
  QLineEdit* folder_;
  QCheckBox* anonymous_;
  QCheckBox* passive_;
  QCheckBox* useProxy_;
  QComboBox* proxyList_;
  QPushButton* change_;
  QLineEdit* pinnedKey_;
  QLineEdit* keyFile_;
  QLabel* nameProblem_;
  QPushButton* ok_;
  // The kind shown before the last change, whose own port the port field may still hold.
  QString shownProtocol_;
};

}  // namespace ui::qt
