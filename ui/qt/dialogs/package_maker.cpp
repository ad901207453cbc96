#include "ui/qt/dialogs/package_maker.h"

#include <QFileDialog>
#include <QMessageBox>

#include "app/run_setup.h"
#include "ui/controls/tx.h"
#include "ui/qt/work_controller.h"

namespace ui::qt {

PackageMaker::PackageMaker(WorkController& work, const config::COptions& options, QWidget* window)
    : QObject(window), work_(work), options_(options), window_(window) {
  connect(&work_, &WorkController::taskFinished, this, &PackageMaker::report);
}

void PackageMaker::Ask() {
  if (work_.Busy() || options_.runList.empty()) return;
  auto* dialog = new QFileDialog(window_, tx("${Package}"), {}, QStringLiteral("(*.pkg)"));
  dialog->setObjectName("packageFile");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setDefaultSuffix(QStringLiteral("pkg"));
  connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) { start(file.toStdString()); });
  dialog->open();
}

void PackageMaker::start(const std::string& file) {
  const int todo = options_.runList.front().Todo;
  const stores::PackageTask task = todo == config::kSynchronize || todo == config::kSmart ? stores::PackageTask::Synchronize
                                                                                          : stores::PackageTask::UpdateTarget;
  auto result = std::make_shared<stores::PackageResult>();
  engine::SyncEngine& engine = work_.Engine();
  const engine::StoreContext context = app::MakeStoreContext(options_, nullptr);
  if (!work_.StartTask([result, &engine, file, task, context] { *result = stores::MakePackage(engine, file, task, context, true); })) {
    return;
  }
  result_ = result;
  file_ = file;
  emit statusText(tx("${Writing the package...}"));
}

void PackageMaker::report() {
  if (!result_) return;
  const stores::PackageResult result = *result_;
  result_.reset();
  QString text;
  if (result.refused || (!result.written && !result.nothingToPut)) {
    text = txf("${Package not written:} %s", {file_});
  } else if (result.nothingToPut) {
    text = txf("${Nothing to put into a package; it now carries nothing:} %s", {file_});
  } else {
    text = txf("${Package written:} %s (${files with content}: %s, ${list lines only}: %s)",
               {file_, std::to_string(result.withContent), std::to_string(result.listOnly)});
  }
  emit statusText(text);
  auto* box = new QMessageBox(result.failures.empty() ? QMessageBox::Information : QMessageBox::Warning,
                              tx("${Package}"), text, QMessageBox::Ok, window_);
  box->setAttribute(Qt::WA_DeleteOnClose);
  std::string details;
  for (const std::string& failure : result.failures) details += failure + "\n";
  if (!details.empty()) box->setDetailedText(QString::fromStdString(details));
  box->open();
}

}  // namespace ui::qt
