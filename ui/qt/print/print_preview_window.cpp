#include "ui/qt/print/print_preview_window.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QToolBar>

#include "ui/controls/tx.h"
#include "ui/qt/print/print_report.h"

namespace ui::qt {

PrintPreviewWindow::PrintPreviewWindow(QPrinter& printer, ReportContent content, ScreenFont screen, QWidget* parent)
    : QMainWindow(parent, Qt::Window), printer_(printer), content_(std::move(content)), screen_(std::move(screen)) {
  setObjectName("printPreview");
  setWindowTitle(tx("${Print Preview}"));
  preview_ = new QPrintPreviewWidget(&printer_, this);
  preview_->setObjectName("previewPages");
  // The page's width fills the window, so its lines can be read without zooming.
  preview_->setZoomMode(QPrintPreviewWidget::FitToWidth);
  setCentralWidget(preview_);
  connect(preview_, &QPrintPreviewWidget::paintRequested, this,
          [this](QPrinter* device) { PrintReport(*device, content_, screen_); });
  connect(preview_, &QPrintPreviewWidget::previewChanged, this, &PrintPreviewWindow::updateButtons);

  toolbar_ = addToolBar(tx("${Print Preview}"));
  QToolBar* bar = toolbar_;
  bar->setObjectName("previewToolbar");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  connect(addButton("${Print}...", "previewPrint", {}), &QAction::triggered, this, &PrintPreviewWindow::printRequested);
  next_ = addButton("${Next page}", "nextPage", QKeySequence(Qt::Key_PageDown));
  connect(next_, &QAction::triggered, this, [this] { turnPage(1); });
  previous_ = addButton("${Previous page}", "previousPage", QKeySequence(Qt::Key_PageUp));
  connect(previous_, &QAction::triggered, this, [this] { turnPage(-1); });
  pageMode_ = addButton("${Two pages}", "pageMode", {});
  connect(pageMode_, &QAction::triggered, this, &PrintPreviewWindow::switchPageMode);
  connect(addButton("${Zoom-in}", "zoomIn", {}), &QAction::triggered, preview_, [this] { preview_->zoomIn(); });
  connect(addButton("${Zoom-out}", "zoomOut", {}), &QAction::triggered, preview_, [this] { preview_->zoomOut(); });
  connect(addButton("${Close}", "closePreview", QKeySequence(Qt::Key_Escape)), &QAction::triggered, this,
          &QWidget::close);
  bar->addSeparator();
  auto* label = new QLabel(tx("${Printer}:") + " ", bar);
  bar->addWidget(label);
  printers_ = new QComboBox(bar);
  printers_->setObjectName("printers");
  printers_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  printers_->addItems(QPrinterInfo::availablePrinterNames());
  printers_->setPlaceholderText(tx("${No printer installed}"));
  printers_->setEnabled(printers_->count() > 0);
  printers_->setCurrentIndex(printers_->findText(printer_.printerName()));
  label->setBuddy(printers_);
  bar->addWidget(printers_);
  connect(printers_, &QComboBox::textActivated, this, &PrintPreviewWindow::choosePrinter);
  updateButtons();
}

QAction* PrintPreviewWindow::addButton(const char* text, const char* name, const QKeySequence& key) {
  auto* action = new QAction(tx(text), this);
  action->setObjectName(name);
  action->setToolTip(action->text());
  action->setShortcut(key);
  toolbar_->addAction(action);
  return action;
}

void PrintPreviewWindow::SetContent(ReportContent content) {
  content_ = std::move(content);
  preview_->updatePreview();
}

void PrintPreviewWindow::turnPage(int direction) {
  const int step = twoPages_ ? 2 : 1;
  preview_->setCurrentPage(std::clamp(preview_->currentPage() + direction * step, 1, std::max(1, preview_->pageCount())));
  updateButtons();
}

void PrintPreviewWindow::switchPageMode() {
  twoPages_ = !twoPages_;
  if (twoPages_) {
    preview_->setFacingPagesViewMode();
  } else {
    preview_->setSinglePageViewMode();
  }
  updateButtons();
}

void PrintPreviewWindow::choosePrinter(const QString& name) {
  if (name == printer_.printerName()) return;
  printer_.setPrinterName(name);
  preview_->updatePreview();
}

void PrintPreviewWindow::updateButtons() {
  const int pages = preview_->pageCount();
  next_->setEnabled(preview_->currentPage() < pages);
  previous_->setEnabled(preview_->currentPage() > 1);
  // The button names the mode it switches to.
  pageMode_->setText(tx(twoPages_ ? "${One page}" : "${Two pages}"));
  pageMode_->setToolTip(pageMode_->text());
  pageMode_->setEnabled(pages > 1);
}

}  // namespace ui::qt
