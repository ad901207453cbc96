#include "ui/qt/dialogs/history_maker.h"

#include <QFileDialog>
#include <QMessageBox>

#include "ui/controls/tx.h"
#include "ui/qt/work_controller.h"

namespace ui::qt {

HistoryMaker::HistoryMaker(WorkController& work, QWidget* window) : QObject(window), work_(work), window_(window) {
  connect(&work_, &WorkController::historyFinished, this, [this] {
    if (!waiting_) return;
    waiting_ = false;
    emit statusText(tx("${History files written.}"));
  });
}

void HistoryMaker::Ask(const QString& startFolder) {
  if (work_.Busy()) return;
  auto* dialog = new QFileDialog(window_, tx("${Make History file}"), startFolder);
  dialog->setObjectName("historyFolder");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& folder) {
    auto* ask = new QMessageBox(QMessageBox::Question, tx("${Make History file}"),
                                tx("${Include subfolders}?") + "\n" + folder,
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, window_);
    ask->setObjectName("historySubfolders");
    ask->setAttribute(Qt::WA_DeleteOnClose);
    connect(ask, &QMessageBox::finished, this, [this, ask, folder] {
      const QMessageBox::StandardButton button = ask->standardButton(ask->clickedButton());
      if (button == QMessageBox::Yes || button == QMessageBox::No) start(folder, button == QMessageBox::Yes);
    });
    ask->open();
  });
  dialog->open();
}

void HistoryMaker::start(const QString& folder, bool recursive) {
  if (!work_.StartHistory(folder.toStdString(), recursive)) return;
  waiting_ = true;
  emit statusText(tx("${Making history files...}"));
}

}  // namespace ui::qt
