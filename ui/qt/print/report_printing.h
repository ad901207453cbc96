#pragma once
// The window's printing commands: Print (the print dialog, then the report), Print Setup (the
// page setup of the window's printer) and Print Preview. Each takes a copy of the result list
// when it begins; printing only reads the list.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "ui/qt/print/device_metrics.h"
#include "ui/report_content.h"

class QPrinter;
class QWidget;

namespace config {
class COptions;
}

namespace ui {
class ResultList;
}

namespace ui::qt {

class PrintPreviewWindow;

class ReportPrinting : public QObject {
  Q_OBJECT

 public:
  // `window` owns this object; `listView` is the list whose screen font the report grows from.
  // The list and the options outlive it.
  ReportPrinting(QWidget& window, const QWidget& listView, ResultList& list, const config::COptions& options);
  ~ReportPrinting() override;

  void Print();
  void PageSetup();
  // Opens the preview, or brings the open one to the front showing the list as it is now.
  void Preview();

  [[nodiscard]] QPrinter& Printer() { return *printer_; }
  // The open preview, or nullptr.
  [[nodiscard]] PrintPreviewWindow* OpenPreview() const;
  // The report of the list as it is now.
  [[nodiscard]] ReportContent Content() const;

 private:
  // The print dialog over `over`, then the report; `printed` runs once it is printed.
  void print(ReportContent content, QWidget* over, const std::function<void()>& printed);

  QWidget& window_;
  const QWidget& listView_;
  ResultList& list_;
  const config::COptions& options_;
  std::unique_ptr<QPrinter> printer_;
  QPointer<PrintPreviewWindow> preview_;
};

}  // namespace ui::qt
