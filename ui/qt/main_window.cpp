#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <algorithm>

#include "app/run_setup.h"
#include "engine/text.h"
#include "platform/editor_command.h"
#include "platform/file_time.h"
#include "platform/process.h"
#include "platform/special_folders.h"
#include "ui/controls/tx.h"
#include "ui/help_file.h"
#include "ui/user_tools.h"
#include "ui/qt/dialogs/confirm_dialog.h"
#include "ui/qt/dialogs/copy_to_job.h"
#include "ui/qt/dialogs/ftp_select_dialog.h"
#include "ui/qt/dialogs/history_maker.h"
#include "ui/qt/dialogs/key_list_dialog.h"
#include "ui/qt/dialogs/package_maker.h"
#include "ui/qt/dialogs/properties_dialog.h"
#include "ui/qt/dialogs/start_dialog.h"
#include "ui/qt/list_font.h"
#include "ui/qt/options/options_dialog.h"
#include "ui/qt/print/report_printing.h"
#include "ui/qt/progress_window.h"
#include "ui/qt/result_view.h"
#include "ui/qt/row_delegate.h"
#include "ui/qt/start_path_rules.h"
#include "ui/qt/status_panes.h"
#include "ui/qt/tool_runner.h"
#include "ui/qt/window_actions.h"
#include "ui/qt/window_placement.h"
#include "ui/qt/work_controller.h"

namespace ui::qt {
namespace {

constexpr const char* kPlacementSection = "MainFrame";

ViewState initialView(const config::COptions& options) {
  ViewState view;
  view.sortKey = SortKeyFromStored(options.listSort);
  view.showSameFiles = (options.flags & engine::option::kShowSameFiles) != 0;
  return view;
}

QString summary(const engine::RunTotals& totals) {
  return txf("${Copied to target}: %d, ${copied to source}: %d, ${deleted}: %d, ${failed}: %d",
             {std::to_string(totals.copiedToTarget), std::to_string(totals.copiedToSource), std::to_string(totals.deleted),
              std::to_string(totals.failed)});
}

// Menu items that have no command behind them, shown disabled.
constexpr int kWithoutCommand[] = {wincmd::kReport, wincmd::kSchedule};

// The main menu's popup that holds `action`.
QMenu* menuHolding(QMenuBar& bar, QAction* action) {
  for (QAction* title : bar.actions()) {
    if (title->menu() != nullptr && title->menu()->actions().contains(action)) return title->menu();
  }
  return nullptr;
}

// The dictionaries beside the program and in the data folder, each name once.
std::vector<DictionaryInfo> installedDictionaries() {
  std::vector<DictionaryInfo> all = ListDictionaries(platform::executableFolder());
  for (DictionaryInfo& dictionary : ListDictionaries(VELKOR_DATA_DIR)) {
    const bool known = std::any_of(all.begin(), all.end(), [&](const DictionaryInfo& other) {
      return other.fileName == dictionary.fileName;
    });
    if (!known) all.push_back(std::move(dictionary));
  }
  return all;
}

}  // namespace

MainWindow::MainWindow(config::COptions& options, config::CProfile& profile, QWidget* parent)
    : QMainWindow(parent), options_(options), profile_(profile) {
  setObjectName("mainWindow");
  setWindowTitle(txf("Velkor %s", {VELKOR_VERSION}));
  work_ = new WorkController(options.EngineSettings(), app::MakeStoreContext(options, nullptr), initialView(options), this);
  delegate_ = new RowDelegate(DateTimeFormat::User(), this);
  view_ = new ResultView(work_->Table(), *delegate_, this);
  view_->SetListFont(FontOfRecord(options.listFont));
  setCentralWidget(view_);
  actions_ = new WindowActions(this, view_);
  for (const int id : kWithoutCommand) actions_->SetAvailable(id, false);
  actions_->FillMenuBar(*menuBar());
  actions_->BindKeys(*menuBar(), options_.shortcutText);
  toolbar_ = addToolBar(tx("${Toolbar}"));
  toolbar_->setObjectName("toolbar");
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (QAction* action : actions_->ToolbarActions()) {
    if (action == nullptr) {
      toolbar_->addSeparator();
    } else {
      toolbar_->addAction(action);
    }
  }
  panes_ = new StatusPanes;
  hiddenNote_ = new QLabel;
  hiddenNote_->setObjectName("hiddenNote");
  statusBar()->addPermanentWidget(hiddenNote_);
  statusBar()->addPermanentWidget(panes_);
  progress_ = new ProgressWindow(work_->Bridge(), this);
  history_ = new HistoryMaker(*work_, this);
  package_ = new PackageMaker(*work_, options_, this);
  connect(history_, &HistoryMaker::statusText, this, [this](const QString& text) { statusBar()->showMessage(text); });
  connect(package_, &PackageMaker::statusText, this, [this](const QString& text) { statusBar()->showMessage(text); });
  tools_ = new ToolRunner(*work_, options_, profile_, this);
  connect(tools_, &ToolRunner::statusText, this, [this](const QString& text) { statusBar()->showMessage(text); });
  connect(tools_, &ToolRunner::toolChosen, this, [this](int index) { command(kFirstToolCommand + index); });
  // The tools are put in front of "Open" each time the Tools menu opens, as they are now.
  if (QMenu* toolsMenu = menuHolding(*menuBar(), actions_->Get(wincmd::kOpen))) {
    connect(toolsMenu, &QMenu::aboutToShow, this, [this, toolsMenu] {
      QAction* open = actions_->Get(wincmd::kOpen);
      for (QAction* item : toolsMenu->actions()) {
        if (item == open) break;
        toolsMenu->removeAction(item);
        if (item->parent() == toolsMenu) item->deleteLater();
      }
      tools_->InsertToolItems(*toolsMenu, open, true);
    });
  }
  copyTo_ = new CopyToJob(*work_, profile_, this);
  printing_ = new ReportPrinting(*this, *view_, work_->Model().List(), options_);
  connect(copyTo_, &CopyToJob::statusText, this, [this](const QString& text) { statusBar()->showMessage(text); });

  connect(actions_, &WindowActions::triggered, this, &MainWindow::command);
  connect(view_, &ResultView::commandRequested, this, [this](Command id) { listCommand(static_cast<int>(id)); });
  connect(view_, &ResultView::smartToggleRequested, this, [this] {
    if (!work_->Busy()) work_->Table().SmartToggleAll();
  });
  connect(view_, &ResultView::folderToggleRequested, this, [this](int row) {
    if (!work_->Busy()) work_->Table().ToggleFolder(row);
  });
  connect(view_, &ResultView::contextMenuRequested, this, &MainWindow::showContextMenu);
  connect(view_, &ResultView::compareRequested, this, [this] { command(wincmd::kCompare); });
  connect(&work_->Table(), &ResultTableModel::totalsChanged, this, &MainWindow::refresh);
  connect(work_, &WorkController::busyChanged, this, &MainWindow::refresh);
  connect(work_, &WorkController::runStarted, progress_, &ProgressWindow::Start);
  // The status line says what the window is doing, not "Ready", while the plan is carried out.
  connect(work_, &WorkController::runStarted, this, [this] { statusBar()->showMessage(tx("${Synchronizing...}")); });
  connect(progress_, &ProgressWindow::cancelRequested, work_, &WorkController::Cancel);
  connect(work_, &WorkController::statusText, this, [this](const QString& text) {
    statusBar()->showMessage(text);
    progress_->SetStatus(text);
  });
  connect(work_, &WorkController::problem, this, [this](const QString& text) {
    problems_.append(text);
    statusBar()->showMessage(text);
  });
  connect(work_, &WorkController::itemFailed, this, [this](const QString& path, const QString& reason) {
    problems_.append(path + ": " + reason);
  });
  connect(work_, &WorkController::comparisonFinished, this, &MainWindow::comparisonFinished);
  connect(work_, &WorkController::runFinished, this, &MainWindow::runFinished);
  connect(work_, &WorkController::storesNotFinished, this, &MainWindow::storesNotFinished);
  connect(work_, &WorkController::confirmRequested, this, &MainWindow::confirm);
  connect(work_, &WorkController::yesNoRequested, this,
          [this](const QString& text, engine::PromptIcon, std::shared_ptr<PendingAnswer<engine::PromptAnswer>> answer) {
            auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Velkor"), text,
                                        QMessageBox::Yes | QMessageBox::No, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            connect(box, &QMessageBox::finished, this, [box, answer] {
              answer->Answer(box->standardButton(box->clickedButton()) == QMessageBox::Yes ? engine::PromptAnswer::Yes
                                                                                           : engine::PromptAnswer::No);
            });
            box->open();
          });
  connect(work_, &WorkController::message, this, [this](const QString& text, engine::PromptIcon) {
    problems_.append(text);
    statusBar()->showMessage(text);
  });

  actions_->Get(wincmd::kToolbar)->setChecked(true);
  actions_->Get(wincmd::kStatusBar)->setChecked(true);
  resize(1100, 680);
  RestorePlacement(*this, profile_, kPlacementSection);
  std::vector<int> widths;
  for (int column = 0; column < ResultTableModel::kColumns; ++column) {
    widths.push_back(profile_.GetInt(kPlacementSection, "Col" + std::to_string(column), 0));
  }
  view_->SetColumnWidths(widths);
  refresh();
}

MainWindow::~MainWindow() = default;

void MainWindow::refresh() {
  const bool busy = work_->Busy();
  actions_->Refresh(work_->Model(), busy, hasComparison_);
  // The report is the list as shown: a list without rows prints no page.
  const bool printable = hasComparison_ && !busy && work_->Model().List().RowCount() > 0;
  for (const int id : {wincmd::kPrint, wincmd::kPrintPreview}) actions_->Get(id)->setEnabled(printable);
  panes_->Show(work_->Model().List().Totals());
  hiddenNote_->setText(qs(work_->Model().List().HiddenNote()));
}

void MainWindow::command(int id) {
  if (actions_->IsListCommand(id)) {
    listCommand(id);
    return;
  }
  switch (id) {
    case wincmd::kSelectFolders: OpenStartDialog(); break;
    case wincmd::kRescan: Scan(); break;
    case wincmd::kMakeHistory: history_->Ask(qs(options_.currentSession.Src)); break;
    case wincmd::kPackage:
      if (hasComparison_) package_->Ask();
      break;
    case wincmd::kCopyTo:
      if (hasComparison_) copyTo_->Ask();
      break;
    case wincmd::kPrint:
      if (actions_->Get(id)->isEnabled()) printing_->Print();
      break;
    case wincmd::kPrintPreview:
      if (actions_->Get(id)->isEnabled()) printing_->Preview();
      break;
    case wincmd::kPrintSetup: printing_->PageSetup(); break;
    case wincmd::kExit: close(); break;
    case wincmd::kToolbar: toolbar_->setVisible(actions_->Get(id)->isChecked()); break;
    case wincmd::kStatusBar: statusBar()->setVisible(actions_->Get(id)->isChecked()); break;
    case wincmd::kHelp: openHelp(); break;
    case wincmd::kKeyList: OpenKeyList(actions_->KeyList(options_.userTools), profile_, this); break;
    case wincmd::kProperties: showProperties(); break;
    case wincmd::kOpen: tools_->Open(); break;
    case wincmd::kCompare: tools_->Compare(); break;
    case wincmd::kCustomize:
      if (!work_->Busy()) tools_->EditTools();
      break;
    case wincmd::kOptions: openOptions(); break;
    case wincmd::kShowMenu: {
      const QRect row = view_->visualRect(view_->currentIndex());
      showContextMenu(view_->viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint(10, 10)));
      break;
    }
    case wincmd::kAbout:
      QMessageBox::about(this, tx("${About}"),
                         txf("Velkor %s\n${two-folder file synchronizer}", {VELKOR_VERSION}));
      break;
    default:
      if (id >= kFirstToolCommand && id <= kLastToolCommand) tools_->RunTool(id - kFirstToolCommand);
      break;
  }
}

void MainWindow::listCommand(int id) {
  QAction* action = actions_->Get(id);
  if (action != nullptr && !action->isEnabled()) return;
  const auto command = static_cast<Command>(id);
  if (command == Command::SelectByMask || command == Command::UnselectByMask) {
    askMasks(command == Command::SelectByMask);
    return;
  }
  work_->Table().Execute(command);
  if (command == Command::ShowSameFiles) {
    const bool on = work_->Model().List().State().showSameFiles;
    options_.flags = on ? options_.flags | engine::option::kShowSameFiles : options_.flags & ~engine::option::kShowSameFiles;
  }
  options_.listSort = static_cast<int>(work_->Model().List().State().sortKey);
  refresh();
}

void MainWindow::askMasks(bool select) {
  auto* dialog = new QInputDialog(this);
  dialog->setObjectName("maskDialog");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(tx("${Expand selection}."));
  dialog->setLabelText(tx("${Specify file type}"));
  dialog->setTextValue(QStringLiteral("*.*"));
  connect(dialog, &QInputDialog::textValueSelected, this, [this, select](const QString& masks) {
    if (!work_->Busy()) work_->Table().SelectByMask(ss(masks), select);
    refresh();
  });
  dialog->open();
}

void MainWindow::showContextMenu(const QPoint& position) {
  ResultList& list = work_->Model().List();
  const std::vector<int> selected = list.ListSelection();
  WindowActions::ContextMenu kind = WindowActions::ContextMenu::Files;
  if (selected.size() <= 1) {
    const RowKind row = list.KindOfRow(list.CurrentRow());
    if (row == RowKind::FolderHeader) kind = WindowActions::ContextMenu::FolderHeader;
    if (row == RowKind::FolderRow) kind = WindowActions::ContextMenu::FolderRow;
  }
  QMenu* menu = actions_->MakeContextMenu(kind, this);
  if (kind == WindowActions::ContextMenu::Files && !menu->actions().isEmpty()) {
    tools_->InsertToolItems(*menu, menu->actions().front(), false);
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(position);
}

void MainWindow::OpenStartDialog() {
  if (work_->Busy()) return;
  StartChoices choices;
  choices.options = options_;
  auto history = [this](const char* owner) {
    config::ComboHistory combo(owner);
    combo.Load(profile_);
    return combo.Entries();
  };
  std::vector<std::string> variables;
  for (const config::PathVariable& variable : options_.pathVariables.All()) variables.push_back(variable.name);
  choices.sources = {history("StartSrc"), variables};
  choices.targets = {history("StartDst"), variables};
  choices.masks = history("StartMask");
  auto* dialog = new StartDialog(std::move(choices), MakePathRules(options_), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  RestorePlacement(*dialog, profile_, "StartDlg");
  connect(dialog, &QDialog::finished, this, [this, dialog] { SavePlacement(*dialog, profile_, "StartDlg"); });
  connect(dialog, &StartDialog::optionsRequested, this, [this, dialog] { openOptions(dialog); });
  connect(dialog, &StartDialog::ftpRequested, this, [this, dialog](controls::FolderBox* field) { openFtp(dialog, field); });
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    const config::COptions& chosen = dialog->Choices().options;
    options_.currentSession = chosen.currentSession;
    options_.sessions = chosen.sessions;
    options_.projects = chosen.projects;
    options_.currentProjectName = chosen.currentProjectName;
    options_.runList = chosen.runList;
    options_.flags = chosen.flags;
    for (const auto& [owner, text] : {std::pair{"StartSrc", options_.currentSession.Src},
                                      std::pair{"StartDst", options_.currentSession.Dst},
                                      std::pair{"StartMask", options_.currentSession.Files}}) {
      config::ComboHistory combo(owner);
      combo.Load(profile_);
      if (!text.empty()) combo.Confirm(text);
      combo.Save(profile_);
    }
    Scan();
  });
  dialog->open();
}

void MainWindow::Begin(bool scanNow) {
  QString problem;
  if (scanNow && startScan(problem)) return;
  OpenStartDialog();
  if (!problem.isEmpty()) statusBar()->showMessage(problem);
}

void MainWindow::Scan() {
  QString problem;
  if (!startScan(problem) && !problem.isEmpty()) QMessageBox::warning(this, QStringLiteral("Velkor"), problem);
}

bool MainWindow::startScan(QString& problem) {
  if (work_->Busy() || options_.runList.empty()) return false;
  std::vector<engine::SessionSpec> sessions;
  const std::int64_t now = platform::localSecondsNow();
  for (const config::CSession& session : options_.runList) {
    std::string error;
    auto planned = app::MakeSessionSpec(session, options_, now, error);
    if (!planned) {
      problem = qs(error);
      return false;
    }
    planned->quiet = false;
    sessions.push_back(std::move(*planned));
  }
  problems_.clear();
  // The start dialog and the options may have changed what the comparison reads.
  (void)work_->SetSettings(options_.EngineSettings());
  const config::CSession& first = options_.runList.front();
  setWindowTitle(txf("Velkor %s", {VELKOR_VERSION}) + " - " + qs(first.Src) + "  <->  " + qs(first.Dst));
  statusBar()->showMessage(tx("${Comparing...}"));
  return work_->StartComparison(std::move(sessions));
}

void MainWindow::confirm(const engine::ConfirmRequest& request, const std::shared_ptr<PendingAnswer<int>>& answer) {
  auto* dialog = new ConfirmDialog(request, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  RestorePlacement(*dialog, profile_, "ConfirmDlg");
  connect(dialog, &ConfirmDialog::answered, this, [this, dialog, answer](int value) {
    SavePlacement(*dialog, profile_, "ConfirmDlg");
    answer->Answer(value);
  });
  dialog->open();
}

void MainWindow::comparisonFinished(bool ok) {
  hasComparison_ = true;
  const ListTotals& totals = work_->Model().List().Totals();
  if (!ok) {
    statusBar()->showMessage(qs(work_->Engine().LastError()));
  } else if (totals.Count(record::kShown) == 0 && !work_->Model().List().State().showSameFiles) {
    statusBar()->showMessage(tx(work_->Engine().FilesSeen() == 0 ? "${No files were found to synchronize!}"
                                                                  : "${Folders seems to be identical!}"));
  } else {
    statusBar()->showMessage(tx("${Ready}"));
  }
  view_->setFocus();
  refresh();
  showProblems();
}

void MainWindow::runFinished(const engine::RunTotals& totals) {
  progress_->Stop();
  statusBar()->showMessage(summary(totals) + (totals.cancelled ? "  " + tx("(${cancelled})") : QString()));
  refresh();
  showProblems();
}

void MainWindow::showProblems() {
  if (problems_.isEmpty()) return;
  auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Velkor"),
                              txf("${Problems}: %d", {std::to_string(problems_.size())}), QMessageBox::Ok, this);
  box->setObjectName("problems");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setInformativeText(problems_.mid(0, 5).join("\n"));
  box->setDetailedText(problems_.join("\n"));
  problems_.clear();
  box->open();
}

void MainWindow::storesNotFinished(const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Velkor"),
                              tx("${A store could not write back what it holds:}") + "\n" + text,
                              QMessageBox::Retry | QMessageBox::Ignore, this);
  box->setObjectName("storesNotFinished");
  box->setAttribute(Qt::WA_DeleteOnClose);
  connect(box, &QMessageBox::finished, this, [this, box] {
    if (box->standardButton(box->clickedButton()) == QMessageBox::Retry) {
      work_->RetryFinish();
    } else {
      work_->SkipFinish();
    }
  });
  box->open();
}

void MainWindow::openOptions(StartDialog* start) {
  if (work_->Busy()) return;
  OptionsEnvironment environment;
  environment.dictionaries = installedDictionaries();
  environment.openInEditor = [](const std::string& file, std::string& said) {
    const std::vector<std::string> command = platform::editorCommand(file);
    if (!platform::startDetached(command, said)) return false;
    said = command.front();
    return true;
  };
  QPointer<StartDialog> over(start);
  auto* dialog = new OptionsDialog(options_, std::move(environment), start != nullptr ? static_cast<QWidget*>(start) : this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  RestorePlacement(*dialog, profile_, "OptionsDlg");
  connect(dialog, &QDialog::finished, this, [this, dialog] { SavePlacement(*dialog, profile_, "OptionsDlg"); });
  connect(dialog, &QDialog::accepted, this, [this, dialog, over] {
    dialog->SaveInto(options_);
    if (over != nullptr) over->UpdateOptions([dialog](config::COptions& copy) { dialog->SaveInto(copy); });
    options_.Save(profile_);
    // The worker reads the engine's options unlocked: a busy engine takes them at the next scan.
    (void)work_->SetSettings(options_.EngineSettings());
    view_->SetListFont(FontOfRecord(options_.listFont));
    refresh();
  });
  dialog->open();
}

void MainWindow::openFtp(StartDialog* start, controls::FolderBox* field) {
  auto* dialog = new FtpSelectDialog({options_.ftpServers, options_.ftpProxies}, start);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  RestorePlacement(*dialog, profile_, "DFTPSEL");
  connect(dialog, &QDialog::finished, this, [this, dialog] { SavePlacement(*dialog, profile_, "DFTPSEL"); });
  QPointer<StartDialog> over(start);
  QPointer<controls::FolderBox> into(field);
  connect(dialog, &QDialog::accepted, this, [this, dialog, over, into] {
    const FtpConnections& chosen = dialog->Connections();
    options_.ftpServers = chosen.servers;
    options_.ftpProxies = chosen.proxies;
    options_.Save(profile_);
    // The start dialog's own copy too, so that its OK does not bring the older list back.
    if (over != nullptr) {
      over->UpdateOptions([&chosen](config::COptions& copy) {
        copy.ftpServers = chosen.servers;
        copy.ftpProxies = chosen.proxies;
      });
    }
    if (into != nullptr) into->SetPath(dialog->ChosenPath());
  });
  dialog->open();
}

void MainWindow::showProperties() {
  if (work_->Busy() || !hasComparison_) return;
  ResultList& list = work_->Model().List();
  const int item = list.ItemOfRow(list.CurrentRow());
  if (item < 0) return;
  auto* dialog = new PropertiesDialog(PropertiesOfItem(work_->Engine(), item), DateTimeFormat::User(), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

void MainWindow::openHelp() {
  const std::string page = HelpFile(platform::executableFolder(), VELKOR_DATA_DIR);
  if (page.empty()) {
    statusBar()->showMessage(tx("${The help is not installed.}"));
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(qs(page)))) {
    statusBar()->showMessage(txf("${No program to show the help:} %s", {page}));
  }
}

void MainWindow::saveLayout() {
  SavePlacement(*this, profile_, kPlacementSection);
  const std::vector<int> widths = view_->ColumnWidths();
  for (std::size_t column = 0; column < widths.size(); ++column) {
    profile_.SetInt(kPlacementSection, "Col" + std::to_string(column), widths[column]);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  event->ignore();
  if (closing_) return;
  closing_ = true;
  saveLayout();
  statusBar()->showMessage(tx("${Updating archives}"));
  // A run is cancelled and waited for, then the stores write back; only then does the window go.
  work_->Shutdown([this] {
    closed_ = true;
    progress_->Stop();
    close();
  });
}

}  // namespace ui::qt
