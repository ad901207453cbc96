// The report printed to PDF files, the print preview's toolbar, and the window's print commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "tests/ui/result_fixture.h"
#include "tests/ui_qt/window_fixture.h"
#include "tests/ui_qt/window_on_folders.h"
#include "ui/qt/main_window.h"
#include "ui/qt/print/print_preview_window.h"
#include "ui/qt/print/print_report.h"
#include "ui/qt/print/qt_report_painter.h"
#include "ui/qt/print/report_printing.h"
#include "ui/qt/window_actions.h"

using testsupport::ResultFixture;

namespace {

const ui::qt::ScreenFont kScreen{QFont(QStringLiteral("DejaVu Sans"), 9), 96, 96};

// `files` files in one folder, each copied to the target.
ui::ReportContent reportOf(ResultFixture& f, int files, const std::string& source = "/src") {
  const int top = f.comparison.AddFolder(f.comparison.AddPair(false, source, "/dst"), "", -1);
  for (int file = 0; file < files; ++file) {
    f.comparison.AddFile(top, {.name = "file" + std::to_string(file) + ".txt", .sourceSize = 100, .targetSize = 10});
  }
  f.open();
  return ui::ReportOf(f.list(), {source, "/dst", "*.*"}, testsupport::kTestFormat, {2025, 1, 2, 3, 4, 5, 0});
}

// The pages of a PDF file written by Qt: one "/Type /Page" object each.
int pdfPages(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QString text = QString::fromLatin1(file.readAll());
  return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

struct PdfPrinter {
  QTemporaryDir folder;
  QPrinter printer{QPrinter::HighResolution};
  QString path = folder.filePath(QStringLiteral("report.pdf"));
  PdfPrinter() {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
  }
};

}  // namespace

TEST(PrintReport, PrintsOnePageForAShortListAndBreaksALongOne) {
  {
    ResultFixture f;
    PdfPrinter pdf;
    EXPECT_EQ(ui::qt::PrintReport(pdf.printer, reportOf(f, 5), kScreen), 1);
    EXPECT_EQ(pdfPages(pdf.path), 1);
  }
  {
    ResultFixture f;
    PdfPrinter pdf;
    const ui::ReportContent content = reportOf(f, 400);
    const int pages = ui::qt::ReportPageCount(pdf.printer, content, kScreen);
    EXPECT_GT(pages, 3) << "400 rows of a 9 point font do not fit on three A4 pages";
    EXPECT_EQ(ui::qt::PrintReport(pdf.printer, content, kScreen), pages);
    EXPECT_EQ(pdfPages(pdf.path), pages);
  }
  {
    ResultFixture f;
    PdfPrinter pdf;
    EXPECT_EQ(ui::qt::PrintReport(pdf.printer, reportOf(f, 400), kScreen, 2, 3), 2) << "the chosen range";
    EXPECT_EQ(pdfPages(pdf.path), 2);
  }
}

TEST(PrintReport, ListWithoutRowsPrintsNoPage) {
  ResultFixture f;
  f.open();
  PdfPrinter pdf;
  const ui::ReportContent content = ui::ReportOf(f.list(), {}, testsupport::kTestFormat, {});
  EXPECT_EQ(ui::qt::ReportPageCount(pdf.printer, content, kScreen), 0);
  EXPECT_EQ(ui::qt::PrintReport(pdf.printer, content, kScreen), 0);
  EXPECT_FALSE(QFile::exists(pdf.path)) << "no page, no file";
}

TEST(PrintReport, FontGrowsWithThePrintersResolution) {
  PdfPrinter pdf;
  const ui::qt::DeviceMetrics onPrinter(kScreen, pdf.printer);
  QImage screen(10, 10, QImage::Format_RGB32);
  screen.setDotsPerMeterX(qRound(96 / 0.0254));
  screen.setDotsPerMeterY(qRound(96 / 0.0254));
  const ui::qt::DeviceMetrics onScreen(kScreen, screen);
  const double ratio = static_cast<double>(onPrinter.LineHeight()) / onScreen.LineHeight();
  EXPECT_NEAR(ratio, pdf.printer.logicalDpiY() / 96.0, 0.25 * pdf.printer.logicalDpiY() / 96.0);
}

TEST(PrintReport, LongPathIsShortenedInsideItsLineAndNeverWraps) {
  QImage page(600, 90, QImage::Format_RGB32);
  page.fill(Qt::white);
  const ui::qt::DeviceMetrics metrics(kScreen, page);
  const int line = metrics.LineHeight();
  {
    QPainter painter(&page);
    ui::qt::QtReportPainter canvas(painter, metrics);
    const std::string path = "/home/user/" + std::string(400, 'x') + "/end";
    canvas.Path({10, line, 300, line}, path, ui::ReportFont::Folder);
  }
  int inkInside = 0;
  for (int y = 0; y < page.height(); ++y) {
    for (int x = 0; x < page.width(); ++x) {
      if (qGray(page.pixel(x, y)) > 128) continue;
      const bool inside = y >= line && y < 2 * line && x >= 10 && x < 310;
      EXPECT_TRUE(inside) << "ink at " << x << "," << y;
      if (!inside) return;
      ++inkInside;
    }
  }
  EXPECT_GT(inkInside, 0);
}

TEST(PrintPreview, OnePageOrTwoIsOnlyOfferedWithMoreThanOnePage) {
  PdfPrinter pdf;
  {
    ResultFixture f;
    ui::qt::PrintPreviewWindow preview(pdf.printer, reportOf(f, 3), kScreen);
    preview.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview.Pages().pageCount() == 1; }, 10000));
    auto* mode = preview.findChild<QAction*>("pageMode");
    ASSERT_NE(mode, nullptr);
    EXPECT_FALSE(mode->isEnabled());
    EXPECT_FALSE(preview.findChild<QAction*>("nextPage")->isEnabled());
  }
  ResultFixture f;
  ui::qt::PrintPreviewWindow preview(pdf.printer, reportOf(f, 400), kScreen);
  preview.show();
  preview.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&preview));
  ASSERT_TRUE(QTest::qWaitFor([&] { return preview.Pages().pageCount() > 1; }, 10000));
  auto* mode = preview.findChild<QAction*>("pageMode");
  EXPECT_TRUE(mode->isEnabled());
  EXPECT_EQ(mode->toolTip(), "Two pages") << "the button names the mode it switches to";
  mode->trigger();
  EXPECT_EQ(mode->toolTip(), "One page");
  EXPECT_EQ(preview.Pages().viewMode(), QPrintPreviewWidget::FacingPagesView);
  mode->trigger();
  EXPECT_EQ(preview.Pages().currentPage(), 1);
  QTest::keyClick(&preview, Qt::Key_PageDown);
  EXPECT_EQ(preview.Pages().currentPage(), 2);
  QTest::keyClick(&preview, Qt::Key_PageUp);
  EXPECT_EQ(preview.Pages().currentPage(), 1);
  EXPECT_FALSE(preview.findChild<QAction*>("previousPage")->isEnabled());
  QTest::keyClick(&preview, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !preview.isVisible(); }, 2000));
}

TEST(PrintCommands, PrintAndPreviewNeedAComparisonWithRows) {
  testsupport::WindowFixture folders;
  folders.layOut();
  const config::CSession pair = folders.chooseFolders();
  config::CProfile profile;
  ui::qt::MainWindow window(folders.options, profile);
  window.show();
  QAction* preview = window.Actions().Get(ui::qt::wincmd::kPrintPreview);
  EXPECT_FALSE(preview->isEnabled()) << "nothing compared yet";
  EXPECT_FALSE(window.Actions().Get(ui::qt::wincmd::kPrint)->isEnabled());
  EXPECT_TRUE(window.Actions().Get(ui::qt::wincmd::kPrintSetup)->isEnabled());
  EXPECT_FALSE(window.Actions().Get(ui::qt::wincmd::kReport)->isEnabled()) << "the report command has no handler";
  window.Scan();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Work().Busy() && preview->isEnabled(); }, 20000));
  const ui::ReportContent content = window.Printing().Content();
  EXPECT_EQ(content.heading.source, pair.Src);
  EXPECT_EQ(content.rows.size(), static_cast<std::size_t>(window.Work().Model().List().RowCount()));
  preview->trigger();
  ASSERT_NE(window.Printing().OpenPreview(), nullptr);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.Printing().OpenPreview()->Pages().pageCount() == 1; }, 10000));

  // Nothing selected and only the selected shown: no rows, nothing to print.
  window.Actions().Get(ui::Command::SelectNone)->trigger();
  window.Actions().Get(ui::Command::SelectedOnly)->trigger();
  ASSERT_EQ(window.Work().Model().List().RowCount(), 0);
  EXPECT_FALSE(preview->isEnabled());
  EXPECT_FALSE(window.Actions().Get(ui::qt::wincmd::kPrint)->isEnabled());
}

namespace {

struct PreviewOnFolders : testsupport::WindowOnFolders {
  // The action the report's row of `name` prints.
  static std::string actionOf(const ui::ReportContent& content, const std::string& name) {
    for (const ui::ReportRow& row : content.rows) {
      if (row.source.name == name || row.target.name == name) return row.action;
    }
    return "(no row)";
  }
};

}  // namespace

TEST_F(PreviewOnFolders, PreviewAgainShowsTheListAsItIsNow) {
  QAction* preview = window->Actions().Get(ui::qt::wincmd::kPrintPreview);
  preview->trigger();
  ui::qt::PrintPreviewWindow* shown = window->Printing().OpenPreview();
  ASSERT_NE(shown, nullptr);
  const std::string before = actionOf(shown->Content(), "a.txt");
  EXPECT_EQ(before, ">>");
  goTo("a.txt");
  window->Actions().Get(ui::Command::Reverse)->trigger();
  ASSERT_NE(actionOf(window->Printing().Content(), "a.txt"), before);

  preview->trigger();
  EXPECT_EQ(window->Printing().OpenPreview(), shown) << "the open preview is raised";
  EXPECT_EQ(actionOf(shown->Content(), "a.txt"), actionOf(window->Printing().Content(), "a.txt"))
      << "its pages, and what its Print button prints, are the list as it is now";
}
