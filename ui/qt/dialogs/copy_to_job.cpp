#include "ui/qt/dialogs/copy_to_job.h"

#include <QMessageBox>

#include "engine/text.h"
#include "ui/controls/tx.h"
#include "ui/qt/dialogs/copy_to_dialog.h"
#include "ui/qt/work_controller.h"

namespace ui::qt {
namespace {

// Copy To's questions, asked in the window through the run's bridge; runs on the worker.
class BridgedObserver : public CopyToObserver {
 public:
  BridgedObserver(RunBridge& bridge, std::vector<std::string>& notes) : bridge_(bridge), notes_(notes) {}

  int ConfirmOverwrite(const engine::ConfirmRequest& request) override { return bridge_.Confirm(request); }
  void FileSkipped(const std::string& path, const std::string& reason) override { notes_.push_back(path + ": " + reason); }
  bool FileFailed(const std::string& path, const std::string& reason) override {
    notes_.push_back(path + ": " + reason);
    const std::string question =
        engine::TranslateFormat("${There was an error:}\n%s\n${Do you want to continue?}", {path + ": " + reason});
    return bridge_.AskYesNo(question, engine::PromptIcon::Error) == engine::PromptAnswer::Yes;
  }

 private:
  RunBridge& bridge_;
  std::vector<std::string>& notes_;
};

}  // namespace

CopyToJob::CopyToJob(WorkController& work, config::CProfile& profile, QWidget* window)
    : QObject(window), work_(work), profile_(profile), window_(window) {
  connect(&work_, &WorkController::taskFinished, this, &CopyToJob::report);
}

void CopyToJob::Ask() {
  if (work_.Busy()) return;
  CopyToChoices choices;
  const std::vector<PlannedFile> newFiles = CopyToFiles(work_.Engine(), CopyToList::NewFiles);
  const std::vector<PlannedFile> backupFiles = CopyToFiles(work_.Engine(), CopyToList::BackupFiles);
  if (newFiles.empty() && backupFiles.empty()) {
    emit statusText(tx("${The plan has no files to copy.}"));
    return;
  }
  choices.hasNewFiles = !newFiles.empty();
  choices.hasBackupFiles = !backupFiles.empty();
  choices.newFilesStrips = StripChoices(newFiles);
  choices.backupFilesStrips = StripChoices(backupFiles);
  config::ComboHistory targets = CopyToTargets();
  targets.Load(profile_);
  choices.targets = targets.Entries();
  auto* dialog = new CopyToDialog(std::move(choices), window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    const CopyToRequest request = dialog->Request();
    config::ComboHistory history = CopyToTargets();
    history.Load(profile_);
    history.Confirm(request.target);
    history.Save(profile_);
    start(request);
  });
  dialog->open();
}

void CopyToJob::start(const CopyToRequest& request) {
  auto result = std::make_shared<CopyToResult>();
  auto notes = std::make_shared<std::vector<std::string>>();
  engine::CompareEngine& engine = work_.Engine();
  RunBridge& bridge = work_.Bridge();
  if (!work_.StartTask([result, notes, &engine, &bridge, request] {
        BridgedObserver observer(bridge, *notes);
        *result = CopyTo(engine, request, observer);
      })) {
    return;
  }
  result_ = result;
  notes_ = notes;
  action_ = request.action;
  emit statusText(tx("${Copying files...}"));
}

void CopyToJob::report() {
  if (!result_) return;
  const CopyToResult result = *result_;
  const std::vector<std::string> notes = *notes_;
  result_.reset();
  notes_.reset();
  QString text;
  if (!result.refused.empty()) {
    text = qs(result.refused);
  } else if (action_ == CopyToAction::CreateTree && result.failed == 0) {
    text = tx("${The folders were made.}");
  } else {
    text = qs(CopyToSummary(result)) + (result.cancelled ? "  " + tx("(${cancelled})") : QString());
  }
  emit statusText(text);
  const bool trouble = !result.refused.empty() || result.failed > 0;
  auto* box = new QMessageBox(trouble ? QMessageBox::Warning : QMessageBox::Information, tx("${Copy To} ..."), text,
                              QMessageBox::Ok, window_);
  box->setObjectName("copyToResult");
  box->setAttribute(Qt::WA_DeleteOnClose);
  std::string details;
  for (const std::string& note : notes) details += note + "\n";
  if (!details.empty()) box->setDetailedText(qs(details));
  box->open();
}

}  // namespace ui::qt
