#include "ui/qt/progress_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt/run_bridge.h"
#include "ui/controls/tx.h"
#include "ui/row_text.h"

namespace ui::qt {
namespace {

constexpr int kRefreshMs = 100;
constexpr int kScale = 1000;

int permille(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  return static_cast<int>(std::min<std::uint64_t>(done, total) * kScale / total);
}

QString bytesText(std::uint64_t done, std::uint64_t total) {
  const std::string doneText = done == 0 ? "0" : FormatSize(done);
  const std::string totalText = total == 0 ? "0" : FormatSize(total);
  return txf("%s ${of} %s ${bytes}", {doneText, totalText});
}

}  // namespace

ProgressWindow::ProgressWindow(const RunBridge& bridge, QWidget* parent) : QDialog(parent), bridge_(bridge) {
  setObjectName("progressWindow");
  setWindowTitle(tx("${Synchronizing}"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  file_ = new QLabel;
  file_->setObjectName("file");
  file_->setMinimumWidth(460);
  file_->setTextFormat(Qt::PlainText);
  layout->addWidget(file_);
  fileBar_ = new QProgressBar;
  fileBar_->setObjectName("fileBar");
  fileBar_->setRange(0, kScale);
  fileBar_->setTextVisible(false);
  layout->addWidget(fileBar_);
  fileBytes_ = new QLabel;
  fileBytes_->setObjectName("fileBytes");
  layout->addWidget(fileBytes_);
  layout->addSpacing(8);
  layout->addWidget(new QLabel(tx("${Total}:")));
  totalBar_ = new QProgressBar;
  totalBar_->setObjectName("totalBar");
  totalBar_->setRange(0, kScale);
  totalBar_->setTextVisible(false);
  layout->addWidget(totalBar_);
  totalBytes_ = new QLabel;
  totalBytes_->setObjectName("totalBytes");
  layout->addWidget(totalBytes_);
  status_ = new QLabel;
  status_->setObjectName("status");
  layout->addWidget(status_);
  auto* buttons = new QDialogButtonBox;
  QPushButton* cancel = buttons->addButton(tx("${Cancel}   ( ${ESC} )"), QDialogButtonBox::RejectRole);
  cancel->setObjectName("cancel");
  connect(cancel, &QPushButton::clicked, this, &ProgressWindow::reject);
  layout->addWidget(buttons);
  timer_.setInterval(kRefreshMs);
  connect(&timer_, &QTimer::timeout, this, &ProgressWindow::refresh);
}

void ProgressWindow::Start() {
  status_->clear();
  refresh();
  timer_.start();
  if (QWidget* owner = parentWidget()) {
    // Low in the window: the questions of the run open in its middle and leave it in sight.
    adjustSize();
    const QRect area = owner->geometry();
    move(area.center().x() - width() / 2, area.bottom() - height() - 60);
  }
  show();
  raise();
}

void ProgressWindow::Stop() {
  timer_.stop();
  taskbar_.Hide();
  hide();
}

void ProgressWindow::SetStatus(const QString& text) { status_->setText(text); }

void ProgressWindow::reject() {
  // Cancel stops the run after the file in progress; the window goes when the run has ended.
  status_->setText(tx("${Cancelling...}"));
  emit cancelRequested();
}

void ProgressWindow::refresh() {
  const ProgressSnapshot progress = bridge_.Progress();
  const QString what = progress.kind == 2 ? qs(progress.file) : txf("${Copying:} %s", {progress.file});
  file_->setText(progress.file.empty() ? QString() : what);
  fileBar_->setValue(permille(progress.fileDone, progress.fileSize));
  fileBytes_->setText(bytesText(progress.fileDone, progress.fileSize));
  totalBar_->setValue(permille(progress.runDone, progress.runTotal));
  totalBytes_->setText(bytesText(progress.runDone, progress.runTotal));
  if (progress.runTotal > 0) taskbar_.Show(static_cast<double>(progress.runDone) / static_cast<double>(progress.runTotal));
}

}  // namespace ui::qt
