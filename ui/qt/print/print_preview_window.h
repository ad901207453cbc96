#pragma once
// The print preview: the report's pages as the printer will print them, a toolbar to page, zoom,
// show one or two pages, print or close, and the installed printers; choosing another printer
// lays the pages out again for it. PageDown and PageUp turn pages, Escape closes.
#include <QMainWindow>

#include "ui/qt/print/device_metrics.h"
#include "ui/report_content.h"

class QAction;
class QComboBox;
class QPrintPreviewWidget;
class QPrinter;
class QToolBar;

namespace ui::qt {

class PrintPreviewWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `printer` is the window's printer and outlives the preview.
  PrintPreviewWindow(QPrinter& printer, ReportContent content, ScreenFont screen, QWidget* parent = nullptr);

  [[nodiscard]] const ReportContent& Content() const { return content_; }
  // Lays the pages out again for `content`: the list as it is now.
  void SetContent(ReportContent content);
  [[nodiscard]] QPrintPreviewWidget& Pages() { return *preview_; }

 signals:
  // The Print button: the owner asks for the print dialog and prints this preview's content.
  void printRequested();

 private:
  QAction* addButton(const char* text, const char* name, const QKeySequence& key);
  void turnPage(int direction);
  void switchPageMode();
  void choosePrinter(const QString& name);
  void updateButtons();

  QPrinter& printer_;
  ReportContent content_;
  ScreenFont screen_;
  QPrintPreviewWidget* preview_;
  QToolBar* toolbar_;
  QAction* next_ = nullptr;
  QAction* previous_ = nullptr;
  QAction* pageMode_ = nullptr;
  QComboBox* printers_ = nullptr;
  bool twoPages_ = false;
};

}  // namespace ui::qt
