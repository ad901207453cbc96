#pragma once
// "Firewall / Proxy settings": one proxy's server, port, user and password. Edits its own copy.
#include <QDialog>

#include "config/records.h"

class QLineEdit;
class QSpinBox;

namespace ui::qt {

class FtpProxyEditor : public QDialog {
  Q_OBJECT

 public:
  explicit FtpProxyEditor(const config::FtpProxy& proxy, QWidget* parent = nullptr);
  [[nodiscard]] config::FtpProxy Proxy() const;

 private:
  QLineEdit* server_;
  QSpinBox* port_;
  QLineEdit* user_;
  QLineEdit* password_;
};

}  // namespace ui::qt
