#include "config/session.h"

#include <gtest/gtest.h>

#include "config/options.h"
#include "tests/support/temp_tree.h"

using config::CExtFilter;
using config::COptions;
using config::CProject;
using config::CSession;

namespace {

std::int64_t localSeconds(int year, int month, int day, int hour, int minute, int second) {
  // Local seconds count a wall-clock time as if it were UTC.
  return platform::unixSecondsFromFileTime(testsupport::utcTime(year, month, day, hour, minute, second));
}

platform::FindData file(std::uint64_t size, platform::FileTime time, std::uint32_t attributes = platform::attr::kNormal) {
  platform::FindData data;
  data.size = size;
  data.lastWriteTime = time;
  data.attributes = attributes;
  return data;
}

COptions withProjects() {
  COptions options;
  options.sessions.clear();
  for (const char* name : {"Docs", "Mail", "Photos"}) {
    CSession s;
    s.Name = name;
    EXPECT_EQ(options.AddSession(s), "");
  }
  options.projects.push_back({"Nightly", {"Docs", "docs", "Mail", "Gone"}});
  options.projects.push_back({"Weekly", {"Photos"}});
  return options;
}

}  // namespace

TEST(Project, TextFormat) {
  EXPECT_EQ((CProject{"Nightly", {"Docs", "Mail"}}).ToText(), "Nightly||Docs||Mail||");
  EXPECT_EQ((CProject{"Nightly", {}}).ToText(), "Nightly||");
  CProject p;
  p.Parse("A||B");
  EXPECT_EQ(p.Name, "A");
  EXPECT_TRUE(p.Sessions.empty());
  p.Parse("no bars");
  EXPECT_EQ(p.Name, "");
  p.Parse("P||a|b||c||");
  EXPECT_EQ(p.Sessions, (std::vector<std::string>{"a|b", "c"}));
}

TEST(Session, EqualityMergeAndCopy) {
  CSession a;
  a.Name = "Docs";
  a.Src = "/Home/Docs";
  a.Files = "*.TXT";
  CSession b = a;
  b.Src = "/home/docs";
  b.Files = "*.txt";
  EXPECT_TRUE(a.Equals(b));
  b.Filter.flags = config::xflag::kNotOlderThan;
  EXPECT_FALSE(a.Equals(b));
  a.Filter.flags = config::xflag::kNotOlderThan;
  a.Filter.lowerBound = 5;
  EXPECT_TRUE(a.Equals(b)) << "time bounds count only for a date range";

  CSession current;
  current.Name = "keep";
  current.Files = "*.doc";
  current.Cmp = config::kContent;
  current.Todo = config::kBackup;
  CSession commandLine;
  commandLine.Src = "/a";
  commandLine.Dst = "/b";
  commandLine.Todo = config::kTodoNotGiven;
  current.Merge(commandLine);
  EXPECT_EQ(current.Name, "keep");
  EXPECT_EQ(current.Files, "*.doc");
  EXPECT_EQ(current.Todo, config::kBackup);
  EXPECT_EQ(current.Cmp, config::kContent);
  EXPECT_EQ(current.Src, "/a");
}

TEST(Session, MergeKeepsEachListWithTheSwitchThatSaysHowItIsMeant) {
  CSession current;
  current.DirList = "cache";
  current.Files = "*.tmp";
  current.SFlags = config::sflag::kExcludeFolders | config::sflag::kInvertedMasks;
  CSession commandLine;
  commandLine.Src = "/a";
  commandLine.Dst = "/b";
  commandLine.SFlags = config::sflag::kSubfolders;
  current.Merge(commandLine);
  EXPECT_EQ(current.SFlags, config::sflag::kSubfolders | config::sflag::kExcludeFolders | config::sflag::kInvertedMasks)
      << "-R alone leaves the folder list an exclude list";

  commandLine.DirList = "docs";
  commandLine.SFlags = config::sflag::kSubfolders;
  current.Merge(commandLine);
  EXPECT_EQ(current.DirList, "docs");
  EXPECT_EQ(current.SFlags & config::sflag::kExcludeFolders, 0u) << "a new include list comes with its own meaning";
  EXPECT_NE(current.SFlags & config::sflag::kInvertedMasks, 0u) << "the masks were not given: their switch stays";
}

TEST(ExtFilter, SizesAndTimesAre64Bit) {
  CExtFilter filter;
  filter.flags = config::xflag::kSizeLess;
  filter.sizeLimit = 100 * 1024;
  const auto big = file(5ULL << 30, 0);
  const auto small = file(10, 0);
  EXPECT_FALSE(filter.Accepts(&big, nullptr)) << "5 GiB is not less than 100 KB";
  EXPECT_TRUE(filter.Accepts(&small, nullptr));
  EXPECT_FALSE(filter.Accepts(&small, &big));

  filter.flags = config::xflag::kDateBetween;
  filter.lowerBound = localSeconds(2005, 2, 1, 0, 0, 0);
  filter.upperBound = localSeconds(2099, 12, 31, 23, 59, 59);
  const auto inside = file(1, testsupport::localTime(2098, 6, 1, 12, 0, 0));
  const auto before = file(1, testsupport::localTime(2004, 6, 1, 12, 0, 0));
  const auto after = file(1, testsupport::localTime(2100, 6, 1, 12, 0, 0));
  EXPECT_TRUE(filter.Accepts(&inside, &before)) << "the newer file decides";
  EXPECT_FALSE(filter.Accepts(&after, &inside)) << "the older one does not rescue the pair";

  filter.flags = config::xflag::kSkipHidden;
  const auto hidden = file(1, 0, platform::attr::kHidden);
  EXPECT_FALSE(filter.Accepts(&small, &hidden));
}

TEST(ExtFilter, AgeThresholds) {
  const std::int64_t sundayNoon = localSeconds(2026, 12, 6, 12, 34, 56);  // a Sunday
  EXPECT_EQ(CExtFilter::AgeThreshold(3, config::kHours, sundayNoon), sundayNoon - 3 * 3600);
  EXPECT_EQ(CExtFilter::AgeThreshold(2, config::kDays, sundayNoon), sundayNoon - 2 * 86400);
  EXPECT_EQ(CExtFilter::AgeThreshold(0, config::kToday, localSeconds(2026, 12, 6, 0, 10, 0)),
            localSeconds(2026, 12, 6, 0, 0, 0));
  EXPECT_EQ(CExtFilter::AgeThreshold(0, config::kThisWeek, sundayNoon), localSeconds(2026, 11, 30, 0, 0, 0));
  EXPECT_EQ(CExtFilter::AgeThreshold(0, config::kThisMonth, sundayNoon), localSeconds(2026, 12, 1, 0, 0, 0));

  CExtFilter filter;
  filter.flags = config::xflag::kNotOlderThan;
  filter.ageAmount = 2;
  filter.ageUnit = config::kDays;
  filter.lowerBound = 12345;
  filter.PrepareForScan(sundayNoon);
  EXPECT_EQ(filter.lowerBound, sundayNoon - 2 * 86400) << "the bound is taken when the scan starts";
}

TEST(Sessions, NamesMustBeUsableAndUnique) {
  COptions options = withProjects();
  CSession s;
  for (const char* bad : {"", "a||b", "ends|", "DOCS", "tab\there"}) {
    s.Name = bad;
    EXPECT_NE(options.AddSession(s), "") << bad;
  }
  EXPECT_EQ(options.sessions.size(), 3u);
  EXPECT_NE(options.RenameSession("Mail", "photos"), "");
  EXPECT_EQ(options.RenameSession("Mail", "MAIL"), "") << "changing only the case of one's own name is fine";
}

TEST(Sessions, RenameAndDeleteKeepProjectsConsistent) {
  COptions options = withProjects();
  ASSERT_EQ(options.RenameSession("docs", "Documents"), "");
  EXPECT_EQ(options.projects[0].Sessions, (std::vector<std::string>{"Documents", "Documents", "Mail", "Gone"}));
  EXPECT_EQ(options.DeleteSessionDetail("Documents"), "Total 1: Nightly");
  EXPECT_EQ(options.DeleteSessionDetail("Nobody"), "No projects affected");

  options.DeleteSession(0, true);
  EXPECT_EQ(options.projects[0].Sessions, (std::vector<std::string>{"Mail", "Gone"}));
  options.DeleteSession(0, false);
  EXPECT_EQ(options.projects[0].Sessions, (std::vector<std::string>{"Mail", "Gone"}));

  for (int i = 0; i < 30; ++i) options.projects.push_back({"Project number " + std::to_string(i), {"Photos"}});
  const auto affected = options.ProjectsListing("photos");
  EXPECT_EQ(affected.count, 31);
  EXPECT_EQ(affected.text.size(), 53u);
  EXPECT_TRUE(affected.text.ends_with("..."));
}

TEST(Sessions, RunListFromProjectOrCurrentSession) {
  COptions options = withProjects();
  EXPECT_FALSE(options.SelectProjectForRun("nothing"));
  EXPECT_TRUE(options.runList.empty());
  ASSERT_TRUE(options.SelectProjectForRun("nightly"));
  EXPECT_EQ(options.currentProjectName, "Nightly");
  ASSERT_EQ(options.runList.size(), 3u);
  EXPECT_EQ(options.runList[2].Name, "Mail");
  options.currentSession.Src = "/x";
  options.SelectCurrentSessionForRun();
  ASSERT_EQ(options.runList.size(), 1u);
  EXPECT_EQ(options.runList[0].Src, "/x");
}
