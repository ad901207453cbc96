#pragma once
// User tools in the window: the tools in the Tools menu and the file rows' context menu, a tool
// started on the current row, the external comparison (double click, Return, "Compare files"),
// "Open" with the desktop's program for the file, and the tools dialog ("Customize"). The row's
// files are made local on the worker (an archive extracts, a server downloads); the program is
// started when that is done, and never waited for.
#include <QObject>
#include <QUrl>
#include <memory>
#include <string>

#include "config/options.h"
#include "config/profile.h"
#include "ui/tool_launch.h"

class QAction;
class QMenu;
class QWidget;

namespace ui::qt {

// The URL of a local file as the desktop's opener takes it, made from the path's bytes: a name
// that is not UTF-8 keeps its bytes percent-encoded rather than turning into another name.
[[nodiscard]] QUrl FileUrlOf(const std::string& path);

class WorkController;

class ToolRunner : public QObject {
  Q_OBJECT

 public:
  // `options` and `profile` keep the tools; they outlive the runner.
  ToolRunner(WorkController& work, config::COptions& options, config::CProfile& profile, QWidget* window);

  // Tool `index` on the current row (a file row); a tool whose program is not found offers the
  // tools dialog instead.
  void RunTool(int index);
  // The comparison tool, else a comparison program found on this machine, on the current row
  // when its file is on both sides.
  void Compare();
  // The current row's file with the desktop's program for it.
  void Open();
  // The tools dialog on tool `current`; Close keeps the tools in the options and the configuration.
  void EditTools(int current = 0);

  // Puts one item per tool before `before` in `menu` (the Tools menu's "Open", or the first item
  // of a file row's context menu), then a separator; the comparison tool only when `withComparison`.
  void InsertToolItems(QMenu& menu, QAction* before, bool withComparison);

 signals:
  void statusText(const QString& text);
  // A tool item was chosen: the window runs command kFirstToolCommand + index.
  void toolChosen(int index);
  // The tools dialog closed and its tools are kept.
  void toolsEdited();

 private:
  // Gets the row's files ready on the worker, then starts the program (or opens the file).
  void launch(int item, const std::string& program, const std::string& parameters, const std::string& startFolder);
  void launched();
  // The item of the current row when it is a file row (and on both sides with `onBothSides`), else -1.
  [[nodiscard]] int currentFile(bool onBothSides);
  void warn(const QString& text);

  WorkController& work_;
  config::COptions& options_;
  config::CProfile& profile_;
  QWidget* window_;
  // Set while a preparation of ours runs: the worker writes it, the window reads it after the task.
  std::shared_ptr<ToolLaunch> pending_;
  bool pendingOpen_ = false;
};

}  // namespace ui::qt
