#include "ui/qt/tool_runner.h"

#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>
#include <mutex>

#include "engine/text.h"
#include "platform/process.h"
#include "platform/special_folders.h"
#include "ui/controls/tx.h"
#include "ui/qt/dialogs/tools_dialog.h"
#include "ui/qt/work_controller.h"
#include "ui/user_tools.h"

namespace ui::qt {
namespace {

// A Yes/No question opened over `window`; `yes` runs when Yes is chosen.
void askYesNo(QWidget* window, const QString& text, std::function<void()> yes) {
  auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Velkor"), text,
                              QMessageBox::Yes | QMessageBox::No, window);
  box->setObjectName("toolQuestion");
  box->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(box, &QMessageBox::finished, window, [box, yes = std::move(yes)] {
    if (box->standardButton(box->clickedButton()) == QMessageBox::Yes) yes();
  });
  box->open();
}

}  // namespace

QUrl FileUrlOf(const std::string& path) {
  return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

ToolRunner::ToolRunner(WorkController& work, config::COptions& options, config::CProfile& profile, QWidget* window)
    : QObject(window), work_(work), options_(options), profile_(profile), window_(window) {
  connect(&work_, &WorkController::taskFinished, this, &ToolRunner::launched);
}

int ToolRunner::currentFile(bool onBothSides) {
  ResultList& list = work_.Model().List();
  const int row = list.CurrentRow();
  if (list.KindOfRow(row) != RowKind::File) return -1;
  const int item = list.ItemOfRow(row);
  if (item < 0 || !onBothSides) return item;
  const std::lock_guard lock(work_.Engine().Items().Lock());
  return work_.Engine().Items().at(item).presence == engine::presence::kBoth ? item : -1;
}

void ToolRunner::RunTool(int index) {
  if (work_.Busy() || index < 0 || index >= static_cast<int>(options_.userTools.size())) return;
  const int item = currentFile(false);
  if (item < 0) return;
  const config::UserTool& tool = options_.userTools[static_cast<std::size_t>(index)];
  const std::string command = engine::TrimBlanks(tool.App);
  std::string parameters = tool.Params;
  if (engine::TrimBlanks(parameters).empty() && IsComparisonTool(tool)) parameters = ComparisonParameters(command);
  const std::string program = FindToolProgram(command, platform::executableFolder());
  if (program.empty()) {
    askYesNo(window_, txf("${Unable to find this tool: %s}\n${Run Tools Configuration?}", {command}),
             [this, index] { EditTools(index); });
    return;
  }
  launch(item, program, engine::TrimBlanks(parameters), engine::TrimBlanks(tool.StartAt));
}

void ToolRunner::Compare() {
  if (work_.Busy()) return;
  const int item = currentFile(true);
  if (item < 0) return;
  const int tool = ComparisonTool(options_.userTools);
  if (tool >= 0) {
    RunTool(tool);
    return;
  }
  const std::string program = FindComparisonProgram(platform::executableFolder());
  if (program.empty()) {
    askYesNo(window_, tx("${External file comparison tool is not configured!}\n${Do you want to do it now?}"), [this] {
      EditTools();
      // Looked up again once the dialog has closed with the tools it kept.
      connect(this, &ToolRunner::toolsEdited, this, [this] {
        if (ComparisonTool(options_.userTools) >= 0) Compare();
      }, Qt::SingleShotConnection);
    });
    return;
  }
  launch(item, program, ComparisonParameters(program), {});
}

void ToolRunner::Open() {
  if (work_.Busy()) return;
  ResultList& list = work_.Model().List();
  const int item = list.ItemOfRow(list.CurrentRow());
  if (item < 0) return;
  auto pending = std::make_shared<ToolLaunch>();
  engine::CompareEngine& engine = work_.Engine();
  if (!work_.StartTask([pending, &engine, item] {
        std::string error;
        const std::string file = LocalFileToOpen(engine, item, error);
        if (!file.empty()) pending->arguments = {file};
        pending->error = error;
      })) {
    return;
  }
  pending_ = pending;
  pendingOpen_ = true;
}

void ToolRunner::launch(int item, const std::string& program, const std::string& parameters,
                        const std::string& startFolder) {
  auto pending = std::make_shared<ToolLaunch>();
  engine::CompareEngine& engine = work_.Engine();
  const ToolRequest request{program, parameters, startFolder, ToolListFolder()};
  if (!work_.StartTask([pending, &engine, item, request] { *pending = PrepareToolLaunch(engine, item, request); })) return;
  pending_ = pending;
  pendingOpen_ = false;
}

void ToolRunner::launched() {
  if (!pending_) return;
  const ToolLaunch ready = *pending_;
  pending_.reset();
  if (!ready.error.empty()) {
    warn(qs(ready.error));
    return;
  }
  if (ready.arguments.empty()) return;
  if (pendingOpen_) {
    if (!QDesktopServices::openUrl(FileUrlOf(ready.arguments.front()))) {
      warn(txf("${No program to open} %s", {ready.arguments.front()}));
    }
    return;
  }
  std::string error;
  if (!platform::startDetached(ready.arguments, error, ready.workingFolder)) {
    warn(qs(error));
    return;
  }
  emit statusText(txf("${Started:} %s", {ready.arguments.front()}));
}

void ToolRunner::warn(const QString& text) {
  emit statusText(text);
  auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Velkor"), text, QMessageBox::Ok, window_);
  box->setObjectName("toolProblem");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void ToolRunner::EditTools(int current) {
  auto* dialog = new ToolsDialog(options_.userTools, current, window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    options_.userTools = dialog->Tools();
    options_.Save(profile_);
    emit toolsEdited();
  });
  dialog->open();
}

void ToolRunner::InsertToolItems(QMenu& menu, QAction* before, bool withComparison) {
  const std::vector<int> shown = MenuTools(options_.userTools, withComparison);
  for (const int index : shown) {
    auto* item = new QAction(qs(options_.userTools[static_cast<std::size_t>(index)].Name), &menu);
    item->setObjectName(QStringLiteral("tool%1").arg(index));
    item->setData(kFirstToolCommand + index);
    item->setEnabled(!work_.Busy());
    connect(item, &QAction::triggered, this, [this, index] { emit toolChosen(index); });
    menu.insertAction(before, item);
  }
  if (!shown.empty()) menu.insertSeparator(before);
}

}  // namespace ui::qt
