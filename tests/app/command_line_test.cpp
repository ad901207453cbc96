#include "app/command_line.h"

#include <gtest/gtest.h>

using app::CAppCommandLine;

namespace {

const std::int64_t kNow = app::LocalSecondsOfDate(2026, 12, 6, 14, 35, 0);

CAppCommandLine parse(std::vector<std::string> arguments) { return CAppCommandLine(arguments, kNow); }

}  // namespace

TEST(CommandLine, PositionalArgumentsAndKeywords) {
  auto c = parse({"/a", "", "/b", "*.txt", "-BACK", "-R", "-auto", "-Scan"});
  EXPECT_EQ(c.pair.Src, "/a");
  EXPECT_EQ(c.pair.Dst, "/b");
  EXPECT_EQ(c.pair.Files, "*.txt");
  EXPECT_EQ(c.pair.Todo, config::kBackup);
  EXPECT_EQ(c.pair.SFlags, config::sflag::kSubfolders);
  EXPECT_EQ(c.batchFlags, app::batchflag::kAuto | app::batchflag::kScan);
  EXPECT_TRUE(c.badValues.empty());
  EXPECT_EQ(parse({"/a", "/b", "*.txt", "stray"}).badValues, std::vector<std::string>{"stray"}) << "never guessed at";
  EXPECT_EQ(parse({"/a", "/b", "/backups"}).badValues, std::vector<std::string>{"/backups"}) << "masks name no folders";
  EXPECT_EQ(parse({"Docs"}).pair.Todo, config::kTodoNotGiven);
  EXPECT_EQ(parse({"-RM", "-M", "-O"}).pair.SFlags, 0x303u);
  EXPECT_EQ(parse({"-smart"}).pair.Todo, config::kSmart);
  EXPECT_EQ(parse({"-?"}).batchFlags, app::batchflag::kUsage);
  EXPECT_EQ(parse({"--help"}).pair.Filter.flags, 0u) << "--help is not an age filter";
}

TEST(CommandLine, AgeSwitchClearsEarlierFilterFlags) {
  EXPECT_EQ(parse({"-H", "--D3"}).pair.Filter.flags, 0x01u);
  const auto c = parse({"--D3", "-H"});
  EXPECT_EQ(c.pair.Filter.flags, 0x21u);
  EXPECT_EQ(c.pair.Filter.ageUnit, config::kDays);
  EXPECT_EQ(c.pair.Filter.ageAmount, 3);
  EXPECT_EQ(c.pair.Filter.lowerBound, kNow - 3 * 86400);
  EXPECT_EQ(parse({"--W"}).pair.Filter.ageUnit, config::kThisWeek);
  EXPECT_EQ(parse({"--D"}).pair.Filter.lowerBound, app::LocalSecondsOfDate(2026, 12, 6, 0, 0, 0));
  EXPECT_FALSE(parse({"--Q"}).badValues.empty());
  // A word that begins with a switch letter is no such switch: "-mirror" never means "-M".
  for (const char* word : {"-mirror", "-overwrite", "-hidden", "-Recursive", "-RMx"}) {
    const auto parsed = parse({"/a", "/b", word});
    EXPECT_EQ(parsed.badValues, std::vector<std::string>{word}) << word;
    EXPECT_EQ(parsed.pair.SFlags, 0u) << word;
  }
}

TEST(CommandLine, ConfigurationFileForms) {
  EXPECT_EQ(parse({"-Imy"}).configurationFile, "my");
  EXPECT_EQ(parse({"-I:C:\\cfg\\x.ini"}).configurationFile, "C:\\cfg\\x.ini");
  EXPECT_EQ(parse({"-I=other.ini"}).configurationFile, "other.ini");
  EXPECT_EQ(parse({"-I/etc/velkor.ini"}).configurationFile, "/etc/velkor.ini");
  EXPECT_EQ(parse({"-I./here.ini"}).configurationFile, "./here.ini");
}

TEST(CommandLine, DateRanges) {
  auto c = parse({"-date:1.2.2005"});
  EXPECT_EQ(c.pair.Filter.flags, config::xflag::kDateBetween);
  EXPECT_EQ(c.pair.Filter.lowerBound, app::LocalSecondsOfDate(2005, 2, 1, 0, 0, 0));
  EXPECT_EQ(c.pair.Filter.upperBound, kNow);
  c = parse({"-H", "-DATE:1.2.2005-31.12.2005"});
  EXPECT_EQ(c.pair.Filter.flags, config::xflag::kDateBetween | config::xflag::kSkipHidden);
  EXPECT_EQ(c.pair.Filter.upperBound, app::LocalSecondsOfDate(2005, 12, 31, 23, 59, 59));
  EXPECT_EQ(parse({"-date:0.3.2005"}).pair.Filter.lowerBound, app::LocalSecondsOfDate(2005, 2, 28, 0, 0, 0));
  for (const char* bad : {"-date:1.2", "-date:1.2.2005-3", "-date:32.1.2005", "-date:1.13.2005", "-date:1.1.1800", "-date:a.b.c"}) {
    c = parse({bad});
    EXPECT_EQ(c.pair.Filter.flags, 0u) << bad;
    EXPECT_FALSE(c.badValues.empty()) << bad;
  }
}

TEST(CommandLine, ExcludeSwitchesAndLogSwitches) {
  auto c = parse({"-X*.tmp ~*", "-XDcache build"});
  EXPECT_EQ(c.pair.XFiles, "*.tmp ~*");
  EXPECT_EQ(c.pair.DirList, "cache build");
  EXPECT_EQ(c.pair.SFlags, config::sflag::kExcludeFolders) << "-X leaves the include masks as they are";
  EXPECT_EQ(parse({"-log=/var/log/v.log"}).logFileOverride, "/var/log/v.log");
  EXPECT_EQ(parse({"-log"}).logMode, 2);
  EXPECT_EQ(parse({"-nolog"}).logMode, 0);
  EXPECT_FALSE(parse({"-frobnicate"}).badValues.empty());
}
