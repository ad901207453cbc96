#include "ui/qt/print/report_printing.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include "config/options.h"
#include "ui/controls/tx.h"
#include "ui/qt/print/print_preview_window.h"
#include "ui/qt/print/print_report.h"

namespace ui::qt {
namespace {

// The pair the list shows: the first one compared (the run list), or the last-used pair before any.
ReportHeading headingOf(const config::COptions& options) {
  const config::CSession& pair = options.runList.empty() ? options.currentSession : options.runList.front();
  // No masks means every file; excluded masks follow a "!", as the session's summary writes them.
  std::string masks = pair.Files.empty() ? "*.*" : pair.Files;
  if (!pair.XFiles.empty()) masks += " ! " + pair.XFiles;
  return {pair.Src, pair.Dst, masks};
}

}  // namespace

ReportPrinting::ReportPrinting(QWidget& window, const QWidget& listView, ResultList& list, const config::COptions& options)
    : QObject(&window),
      window_(window),
      listView_(listView),
      list_(list),
      options_(options),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

ReportPrinting::~ReportPrinting() {
  // The preview draws on the printer: it goes first.
  delete preview_.data();
}

PrintPreviewWindow* ReportPrinting::OpenPreview() const { return preview_.data(); }

ReportContent ReportPrinting::Content() const {
  return ReportOf(list_, headingOf(options_), DateTimeFormat::User(), platform::localFromFileTime(platform::fileTimeNow()));
}

void ReportPrinting::Print() { print(Content(), &window_, [] {}); }

void ReportPrinting::print(ReportContent content, QWidget* over, const std::function<void()>& printed) {
  const ScreenFont screen = ScreenFontOf(listView_);
  const int pages = ReportPageCount(*printer_, content, screen);
  if (pages == 0) return;
  auto* dialog = new QPrintDialog(printer_.get(), over);
  dialog->setObjectName("printDialog");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setMinMax(1, pages);
  connect(dialog, &QDialog::accepted, this, [this, content = std::move(content), screen, printed] {
    const bool range = printer_->printRange() == QPrinter::PageRange;
    PrintReport(*printer_, content, screen, range ? printer_->fromPage() : 0, range ? printer_->toPage() : 0);
    printed();
  });
  dialog->open();
}

void ReportPrinting::PageSetup() {
  auto* dialog = new QPageSetupDialog(printer_.get(), &window_);
  dialog->setObjectName("pageSetupDialog");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  // A preview shows the pages as they are set up now.
  connect(dialog, &QDialog::accepted, this, [this] {
    if (preview_ != nullptr) preview_->Pages().updatePreview();
  });
  dialog->open();
}

void ReportPrinting::Preview() {
  if (preview_ != nullptr) {
    // Marks, actions and filters may have changed since it opened.
    preview_->SetContent(Content());
    preview_->raise();
    preview_->activateWindow();
    return;
  }
  preview_ = new PrintPreviewWindow(*printer_, Content(), ScreenFontOf(listView_), &window_);
  preview_->setAttribute(Qt::WA_DeleteOnClose);
  preview_->resize(window_.size() * 9 / 10);
  connect(preview_, &PrintPreviewWindow::printRequested, this, [this] {
    QPointer<PrintPreviewWindow> shown(preview_);
    print(preview_->Content(), preview_, [shown] {
      if (shown != nullptr) shown->close();
    });
  });
  preview_->show();
}

}  // namespace ui::qt
