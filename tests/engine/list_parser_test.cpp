#include "engine/list_parser.h"

#include <gtest/gtest.h>

#include "tests/support/temp_tree.h"

using engine::HistoryList;
using engine::ListerRecord;
using engine::ParsedEntry;

namespace {

ParsedEntry parse(std::string_view record, std::string_view format) {
  ParsedEntry parsed;
  engine::ParseRecord(record, engine::ListLineFormat::Parse(format), parsed);
  return parsed;
}

}  // namespace

TEST(ListParser, FieldCodes) {
  auto p = parse("  1234   05-12-2006 13:45:10  1a2B  0  0   name with spaces.txt", engine::kHistoryLineFormat);
  EXPECT_EQ(p.entry.size, 1234);
  EXPECT_EQ(p.entry.checksum, 0x1a2bu);
  EXPECT_EQ(p.entry.path, "name with spaces.txt");
  EXPECT_EQ(p.local, (platform::CalendarTime{2006, 12, 5, 13, 45, 10, 0}));

  EXPECT_EQ(parse("12 zz 2006-12-05 x", "L|C|yyyy-MM-dd|N").entry.checksum, 0u) << "hex with text after it reads as 0";
  EXPECT_EQ(parse("abcdefghij", "N(3-4)").entry.path, "cde");
  EXPECT_EQ(parse("abcdefghij", "N(3)").entry.path, "cdefghij");
  EXPECT_EQ(parse("abcdefghij", "N(30)").entry.path, "");
  EXPECT_EQ(parse("abcdefghij", "N(0)").entry.path, "");
  EXPECT_EQ(parse("Dirfile.txt 10", "X3|N|L").entry.path, "file.txt") << "X3 hands the rest of its column on";
  EXPECT_EQ(parse("Dirfile.txt 10", "X3|N|L").entry.size, 10) << "the pending text stands in for a column";
  EXPECT_EQ(parse("99999999999999999999 a", "L|N").entry.size, 0) << "an overflowing size reads as 0";
  EXPECT_EQ(parse("-5 a", "L|N").entry.size, -5);
}

TEST(ListParser, DatesAndTimesAreRangeChecked) {
  EXPECT_FALSE(parse("31-02-2006", "dd-MM-yyyy").haveDate);
  EXPECT_FALSE(parse("05-13-2006", "dd-MM-yyyy").haveDate);
  EXPECT_FALSE(parse("05-12", "dd-MM-yyyy").haveDate);
  EXPECT_FALSE(parse("x5-12-2006", "dd-MM-yyyy").haveDate);
  EXPECT_FALSE(parse("24:00:00", "hh-mm-ss").haveTime);
  EXPECT_FALSE(parse("12", "hh-mm-ss").haveTime);
  auto p = parse("7:05", "hh:mm");
  EXPECT_TRUE(p.haveTime);
  EXPECT_EQ(p.local.hour, 7);
  EXPECT_EQ(p.local.minute, 5);
  EXPECT_EQ(p.local.second, 0);
  p = parse("12/31/99", "MM/dd/yy");
  EXPECT_EQ(p.local, (platform::CalendarTime{1999, 12, 31, 0, 0, 0, 0}));
}

TEST(ListParser, FramingMultiLineRecordsAndUnsafeNames) {
  ListerRecord lister{"N|$|L|dd.MM.yyyy|hh:mm", "-----", "=====", 1};
  const std::string text =
      "header\r\n-----\r\nsub\\a.txt\r\n10 01.02.2003 04:05\r\n../evil\r\n1 01.02.2003 04:05\r\n"
      "/abs\r\n1 01.02.2003 04:05\r\nC:x\r\n1 01.02.2003 04:05\r\nb/c.txt\r\n20 01.02.2003 04:05\r\n"
      "=====\r\nafter\r\n1 01.02.2003 04:05\r\n";
  HistoryList list;
  engine::RejectedNames rejected;
  ASSERT_TRUE(engine::ParseListText(text, lister, list, &rejected));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.at(0).path, "sub/a.txt");
  EXPECT_EQ(list.at(0).name, "a.txt");
  EXPECT_EQ(list.at(0).size, 10);
  EXPECT_EQ(list.at(1).path, "b/c.txt");
  EXPECT_EQ(rejected, (engine::RejectedNames{"../evil", "/abs", "C:x"}));

  lister.startMarker = "never there";
  list.Append({});
  EXPECT_FALSE(engine::ParseListText(text, lister, list));
  EXPECT_EQ(list.Count(), 0);
}

TEST(ListParser, LinesWithoutTimeOrNameAreDropped) {
  HistoryList list;
  ASSERT_TRUE(engine::ParseListText("5 a\n5 01-01-2001\n\n5 01-01-2001 b\n", {"L|dd-MM-yyyy|N!", "", "", 0, false}, list));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.at(0).name, "b");
}
