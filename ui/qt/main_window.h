#pragma once
// The main window: wiring only. The menus, toolbar and keys come from WindowActions, the list
// from ResultView over the work controller's table, the counts from StatusPanes; comparisons
// and runs go to the WorkController, questions to dialogs opened with open().
#include <QMainWindow>
#include <QStringList>

#include "config/options.h"
#include "config/profile.h"
#include "engine/syncrun.h"
#include "ui/qt/pending_answer.h"

class QLabel;
class QToolBar;

namespace ui::controls {
class FolderBox;
}

namespace ui::qt {

class CopyToJob;
class HistoryMaker;
class PackageMaker;
class ProgressWindow;
class ReportPrinting;
class ResultView;
class RowDelegate;
class StartDialog;
class StatusPanes;
class ToolRunner;
class WindowActions;
class WorkController;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `options` and `profile` outlive the window; the window saves into them when it closes.
  MainWindow(config::COptions& options, config::CProfile& profile, QWidget* parent = nullptr);
  ~MainWindow() override;

  // What the window does first, once the event loop runs: with `scanNow` it scans the run list
  // (the start dialog opens instead when the list cannot be scanned), else it opens the start dialog.
  void Begin(bool scanNow);
  // Opens the start dialog (the command "Select folders...").
  void OpenStartDialog();
  // Scans the run list at once; a session that cannot be scanned is named in a message.
  void Scan();

  [[nodiscard]] WorkController& Work() { return *work_; }
  [[nodiscard]] WindowActions& Actions() { return *actions_; }
  [[nodiscard]] ResultView& View() { return *view_; }
  [[nodiscard]] StatusPanes& Panes() { return *panes_; }
  [[nodiscard]] ReportPrinting& Printing() { return *printing_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void command(int id);
  // Starts the scan of the run list; false with the reason in `problem` (empty: busy or no list).
  bool startScan(QString& problem);
  void listCommand(int id);
  void refresh();
  void showContextMenu(const QPoint& position);
  void askMasks(bool select);
  void confirm(const engine::ConfirmRequest& request, const std::shared_ptr<PendingAnswer<int>>& answer);
  void comparisonFinished(bool ok);
  void runFinished(const engine::RunTotals& totals);
  void storesNotFinished(const QString& text);
  // Problems met by the last comparison or run, shown once it ended.
  void showProblems();
  // The options dialog, over the start dialog when opened from there; OK writes its pages into the
  // options, the configuration and the start dialog's copy.
  void openOptions(StartDialog* start = nullptr);
  // The FTP selection dialog over the start dialog; Select keeps the list in the options and the
  // configuration and puts the chosen path into `field`.
  void openFtp(StartDialog* start, controls::FolderBox* field);
  // The current row's item on both sides, read now.
  void showProperties();
  void openHelp();
  void saveLayout();

  config::COptions& options_;
  config::CProfile& profile_;
  WorkController* work_;
  RowDelegate* delegate_;
  ResultView* view_;
  WindowActions* actions_;
  StatusPanes* panes_;
  ProgressWindow* progress_;
  HistoryMaker* history_;
  PackageMaker* package_;
  CopyToJob* copyTo_;
  ToolRunner* tools_;
  ReportPrinting* printing_;
  QToolBar* toolbar_;
  QLabel* hiddenNote_;
  QStringList problems_;
  bool hasComparison_ = false;
  bool closing_ = false;
  bool closed_ = false;
};

}  // namespace ui::qt
