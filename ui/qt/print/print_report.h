#pragma once
// Prints the report on a printer: every page, or the range the print dialog chose.
#include "ui/qt/print/device_metrics.h"
#include "ui/report_content.h"

class QPrinter;

namespace ui::qt {

// Pages `first` to `last` (from 1; 0: from the first, to the last). The number of pages printed;
// a list without rows prints none and leaves the printer untouched.
int PrintReport(QPrinter& printer, const ReportContent& content, const ScreenFont& screen, int first = 0,
                int last = 0);
// The pages the report takes on the printer as it is set up now.
[[nodiscard]] int ReportPageCount(QPrinter& printer, const ReportContent& content, const ScreenFont& screen);

}  // namespace ui::qt
