// The report's layout on a fixed-width device: what each row prints, where pages break, and the
// header and footer of each page.
#include "ui/report_job.h"

#include <gtest/gtest.h>

#include "tests/support/temp_tree.h"
#include "tests/ui/result_fixture.h"

using testsupport::ResultFixture;
namespace action = engine::action;
namespace presence = engine::presence;

namespace {

constexpr int kCharWidth = 10;
constexpr int kLine = 20;
// A sheet 1000 units wide and 600 high: 8 header lines, footer, room for rows in between.
constexpr ui::ReportBox kPage{0, 0, 1000, 600};

struct FixedMetrics : ui::ReportMetrics {
  int TextWidth(std::string_view text) const override { return static_cast<int>(text.size()) * kCharWidth; }
  int LineHeight() const override { return kLine; }
  int AverageCharWidth() const override { return kCharWidth; }
};

// Every drawing call, as text.
struct RecordingPainter : ui::ReportPainter {
  struct Call {
    std::string kind;
    ui::ReportBox box;
    std::string text;
  };
  std::vector<Call> calls;
  void Text(const ui::ReportBox& box, std::string_view text, ui::ReportFont, ui::ReportAlign) override {
    calls.push_back({"text", box, std::string(text)});
  }
  void Path(const ui::ReportBox& box, std::string_view path, ui::ReportFont) override {
    calls.push_back({"path", box, std::string(path)});
  }
  void Frame(const ui::ReportBox& box) override { calls.push_back({"frame", box, ""}); }
  void Line(int x1, int y1, int, int y2) override { calls.push_back({"line", {x1, y1, 0, y2 - y1}, ""}); }
  [[nodiscard]] const Call* find(const std::string& text) const {
    for (const Call& call : calls) {
      if (call.text == text) return &call;
    }
    return nullptr;
  }
};

ui::ReportContent contentOf(ResultFixture& f) {
  return ui::ReportOf(f.list(), {"/src", "/dst", "*.*"}, testsupport::kTestFormat, {2025, 1, 2, 3, 4, 5, 0});
}

// `folders` folders of `files` files each, all copied to the target.
void fill(ResultFixture& f, int folders, int files) {
  const int pair = f.comparison.AddPair(false);
  const int top = f.comparison.AddFolder(pair, "", -1);
  for (int folder = 0; folder < folders; ++folder) {
    const int at = f.comparison.AddFolder(pair, "d" + std::to_string(folder), top);
    for (int file = 0; file < files; ++file) {
      f.comparison.AddFile(at, {.name = "f" + std::to_string(file), .sourceSize = 10, .targetSize = 5});
    }
  }
}

}  // namespace

TEST(Report, FileRowsShowEachSideThatHasTheFileAndTheNameOnlyOnce) {
  const testsupport::ScopedTimeZone utc("UTC");
  ResultFixture f;
  const int top = f.comparison.AddFolder(f.comparison.AddPair(false), "", -1);
  const platform::FileTime time = testsupport::utcTime(2024, 7, 1, 22, 30, 5);
  f.comparison.AddFile(top, {.name = "both.txt", .presence = presence::kBoth, .sourceTime = time, .targetTime = time,
                             .sourceSize = 1234567, .targetSize = 99});
  f.comparison.AddFile(top, {.name = "back.txt", .action = action::kCopyToSource, .presence = presence::kTarget,
                             .targetTime = time, .targetSize = 7});
  f.comparison.AddFile(top, {.name = "empty.txt", .action = action::kDelete, .presence = presence::kSource,
                             .sourceTime = time, .sourceSize = 0});
  ui::ViewState byName;
  byName.sortKey = ui::SortKey::Name;
  f.open(byName);
  const ui::ReportContent content = contentOf(f);
  ASSERT_EQ(content.rows.size(), 4u);
  EXPECT_TRUE(content.rows[0].folder);
  EXPECT_EQ(content.rows[0].sourceFolder, "/src/");
  EXPECT_EQ(content.rows[0].targetFolder, "/dst/");

  const ui::ReportRow& back = content.rows[1];
  EXPECT_EQ(back.action, "<<");
  EXPECT_EQ(back.source.date + back.source.size + back.source.name, "") << "not in the source";
  EXPECT_EQ(back.target.name, "back.txt") << "only in the target: named there";
  EXPECT_EQ(back.target.size, "7");

  const ui::ReportRow& both = content.rows[2];
  EXPECT_EQ(both.action, ">>");
  EXPECT_EQ(both.source.date + " " + both.source.time + " " + both.source.size, "01.07.2024 22:30:05 1234567")
      << "a plain number, no group dots";
  EXPECT_EQ(both.source.name, "both.txt");
  EXPECT_EQ(both.target.size, "99");
  EXPECT_EQ(both.target.name, "") << "the name is printed once, on the source side";

  EXPECT_EQ(content.rows[3].action, "XX");
  EXPECT_EQ(content.rows[3].source.date + content.rows[3].source.name, "") << "size 0 leaves the side empty";

  EXPECT_EQ(content.printedAt, "02.01.2025 03:04:05");
  EXPECT_EQ(content.dateTimeSample, "9931.12.19999912:12:1299");
  EXPECT_EQ(content.sizeSample, "9912345670") << "ten times the largest size";
  EXPECT_EQ(ui::ActionText(action::kNone), "=");
}

TEST(Report, SizeColumnIsNeverNarrowerThanForTenThousandBytes) {
  ResultFixture f;
  fill(f, 1, 1);
  f.open();
  EXPECT_EQ(contentOf(f).sizeSample, "99100000");
}

TEST(Report, TotalsNameEachDirectionOnlyWhenItHasFiles) {
  const struct {
    ui::ReportTotals totals;
    const char* line;
  } cases[] = {
      {{12, 3, 1, 2}, "Total: 12;  >> 3;   << 1;   X 2;   "},
      {{4, 3, 1, 0}, "Total: 4;  >> 3;   << 1;   "},
      {{2, 0, 0, 2}, "Total: 2;  X 2;   "},
      {{0, 0, 0, 0}, "Total: 0;  "},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::TotalsLine(c.totals), c.line);
}

TEST(Report, ListWithoutRowsHasNoPage) {
  ResultFixture f;
  f.open();
  const ui::ReportContent content = contentOf(f);
  const FixedMetrics metrics;
  ui::ReportJob job(content, metrics, kPage);
  EXPECT_FALSE(job.HasPage(1));
  EXPECT_EQ(job.PageCount(), 0);
  EXPECT_TRUE(job.RowsOf(1).empty());
}

TEST(Report, RowsStartBelowTheHeaderAndAFolderRowFollowsABlankLine) {
  ResultFixture f;
  fill(f, 2, 2);
  f.open();
  const ui::ReportContent content = contentOf(f);
  const FixedMetrics metrics;
  ui::ReportJob job(content, metrics, kPage);
  EXPECT_EQ(job.PageCount(), 1);
  const std::vector<ui::ReportJob::Placed> rows = job.RowsOf(1);
  ASSERT_EQ(rows.size(), 6u) << "header row of d0, two files, header of d1, two files";
  EXPECT_EQ(rows[0].top, 8 * kLine) << "date, blank, source, target, files, totals and two blank lines above";
  EXPECT_EQ(rows[1].top - rows[0].top, kLine);
  EXPECT_EQ(rows[3].top - rows[2].top, 2 * kLine) << "a blank line before the second folder";
  EXPECT_EQ(job.HeaderLines(1).size(), 6u);
  EXPECT_EQ(job.HeaderLines(1)[2], "Source: /src");
  EXPECT_EQ(job.HeaderLines(1)[4], "Files: *.*");
  EXPECT_EQ(job.HeaderLines(2), std::vector<std::string>{"02.01.2025 03:04:05"});
}

TEST(Report, LongListBreaksIntoPagesThatPrintEveryRowOnceAboveTheFooter) {
  ResultFixture f;
  fill(f, 9, 7);
  f.open();
  const ui::ReportContent content = contentOf(f);
  const FixedMetrics metrics;
  ui::ReportJob job(content, metrics, kPage);
  const int pages = job.PageCount();
  ASSERT_GT(pages, 2);
  int next = 0;
  for (int page = 1; page <= pages; ++page) {
    const std::vector<ui::ReportJob::Placed> rows = job.RowsOf(page);
    ASSERT_FALSE(rows.empty()) << "page " << page;
    EXPECT_GE(rows.front().top, job.RowsTop(page));
    EXPECT_LE(rows.back().top + kLine, job.RowsBottom()) << "page " << page << " runs into the footer";
    EXPECT_LE(job.RowsBottom(), kPage.Bottom() - kLine) << "the footer keeps the last line";
    for (const ui::ReportJob::Placed& placed : rows) EXPECT_EQ(placed.row, next++) << "page " << page;
  }
  EXPECT_EQ(next, static_cast<int>(content.rows.size()));
  EXPECT_EQ(job.RowsTop(2), 3 * kLine) << "later pages: the date line and two blank lines";
  EXPECT_FALSE(job.HasPage(pages + 1));

  // Asking for a late page first lays out the pages before it: the same rows either way.
  ui::ReportJob jumping(content, metrics, kPage);
  const std::vector<ui::ReportJob::Placed> late = jumping.RowsOf(pages);
  ASSERT_FALSE(late.empty());
  EXPECT_EQ(late.front().row, job.RowsOf(pages).front().row);
}

TEST(Report, PageSmallerThanOneRowStillMovesOn) {
  ResultFixture f;
  fill(f, 1, 3);
  f.open();
  const ui::ReportContent content = contentOf(f);
  const FixedMetrics metrics;
  ui::ReportJob job(content, metrics, {0, 0, 1000, 3 * kLine});
  EXPECT_EQ(job.PageCount(), 4) << "one row per page, no endless pages";
}

TEST(Report, PageDrawsHeaderRowsAndFooterInsideTheNarrowedArea) {
  ResultFixture f;
  const int pair = f.comparison.AddPair(false, "/src/" + std::string(300, 'a'), "/dst");
  const int top = f.comparison.AddFolder(pair, "", -1);
  f.comparison.AddFile(top, {.name = "x.txt", .sourceSize = 1234, .targetSize = 1234});
  f.open();
  const ui::ReportContent content = contentOf(f);
  const FixedMetrics metrics;
  ui::ReportJob job(content, metrics, kPage);
  RecordingPainter painter;
  job.DrawPage(1, painter);

  const ui::ReportBox area = job.Area();
  EXPECT_EQ(area.x, 5 * kCharWidth);
  EXPECT_EQ(area.Right(), kPage.Right() - 2 * kCharWidth);
  const RecordingPainter::Call* folder = painter.find(content.rows[0].sourceFolder);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder->kind, "path") << "a long folder path is shortened, not wrapped";
  EXPECT_EQ(folder->box.height, kLine);
  EXPECT_LE(folder->box.Right(), area.x + area.width / 2) << "the source path keeps to the left half";
  const RecordingPainter::Call* file = painter.find("x.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->box.y, folder->box.y + kLine) << "the folder row took one line";
  for (const RecordingPainter::Call& call : painter.calls) {
    EXPECT_GE(call.box.x, area.x) << call.kind << " " << call.text;
    EXPECT_LE(call.box.Right(), area.Right()) << call.kind << " " << call.text;
  }
  const RecordingPainter::Call* number = painter.find("1");
  ASSERT_NE(number, nullptr);
  EXPECT_EQ(number->box.y, kPage.Bottom() - kLine) << "the page number in the last line";
  EXPECT_NE(painter.find("Velkor"), nullptr);
  EXPECT_NE(painter.find("Total: 1;  >> 1;   "), nullptr);
}
