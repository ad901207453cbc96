#pragma once
// The FTP selection dialog ("FTP connections"): the connections by name with Add, Delete, Clone
// and Edit, which change its own copy of the list. Select closes it with a connection chosen; the
// caller then keeps Connections() in the configuration and puts ChosenPath() into its field.
#include <QDialog>
#include <string>
#include <vector>

#include "config/records.h"

class QListWidget;
class QPushButton;

namespace ui::qt {

struct FtpConnections {
  std::vector<config::FtpServer> servers;
  std::vector<config::FtpProxy> proxies;
};

class FtpSelectDialog : public QDialog {
  Q_OBJECT

 public:
  explicit FtpSelectDialog(FtpConnections connections, QWidget* parent = nullptr);
  [[nodiscard]] const FtpConnections& Connections() const { return connections_; }
  // "ftp:" and the chosen connection's name.
  [[nodiscard]] std::string ChosenPath() const;

  // Closes only with a connection chosen.
  void accept() override;

 private:
  void fill(int select);
  // The editor over a connection; OK puts it at `index`, or adds it when `index` is -1.
  void edit(const config::FtpServer& server, int index);
  void cloneChosen();
  void deleteChosen();
  void showButtons();

  FtpConnections connections_;
  QListWidget* list_;
  QPushButton* select_;
  QPushButton* delete_;
  QPushButton* clone_;
  QPushButton* edit_;
};

}  // namespace ui::qt
