// Archives of outside archivers (tar, 7-Zip) as a side, through the binary and the description
// file it finds beside itself, checked with the tools themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

#include "engine/list_parser.h"
#include "platform/path.h"
#include "tests/app/program_test.h"
#include "tests/support/tools.h"

using testsupport::kLater;
using testsupport::kOld;

namespace {

struct ArchiveKind {
  const char* file;
  const char* tool;
  // The tool's own listing, one "size time name" line per file (times in UTC).
  std::vector<std::string> listCommand;
};

void PrintTo(const ArchiveKind& kind, std::ostream* out) { *out << kind.file; }

// "size YYYY-MM-DD HH:MM:SS name" lines of the archive's files, as the tool lists them, sorted.
std::vector<std::string> toolListing(const ArchiveKind& kind, const std::string& archive) {
  std::vector<std::string> command = kind.listCommand;
  command.push_back(archive);
  const auto listed = platform::runProcess(command, {"TZ=UTC", "LC_ALL=C.UTF-8"});
  EXPECT_EQ(listed.exitCode, 0) << listed.errorOutput;
  std::vector<std::string> lines;
  for (const std::string_view line : engine::SplitLines(listed.output)) {
    const std::string text(line);
    if (std::string(kind.tool) == "tar") {
      if (text.empty() || text[0] != '-') continue;
      // -rw-r--r-- 0/0   5 2024-03-01 12:00:00 name
      std::vector<std::string> words;
      std::size_t pos = 0;
      for (int column = 0; column < 5; ++column) {
        const auto start = text.find_first_not_of(' ', pos);
        pos = text.find(' ', start);
        words.push_back(text.substr(start, pos - start));
      }
      lines.push_back(words[2] + " " + words[3] + " " + words[4] + " " + text.substr(text.find_first_not_of(' ', pos)));
    } else if (text.size() > 53 && text[4] == '-' && text[20] != 'D' && text[20] != ' ' && text.find("------") == std::string::npos) {
      const auto sizeStart = text.find_first_not_of(' ', 25);
      lines.push_back(text.substr(sizeStart, text.find(' ', sizeStart) - sizeStart) + " " + text.substr(0, 19) + " " +
                      text.substr(53));
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class ArchiverProgram : public testsupport::ProgramTest, public ::testing::WithParamInterface<ArchiveKind> {};

TEST_P(ArchiverProgram, BackUpChangeUpdateAndRestore) {
  VELKOR_REQUIRE_TOOL(GetParam().tool);
  const std::string odd = "sub/it's \"$(touch PWNED)\"; `touch PWNED2` x";
  tree.writeWithTime("src/keep.txt", "kept", kOld);
  tree.writeWithTime("src/change.txt", "first", kOld);
  tree.writeWithTime("src/gone.txt", "to be deleted", kOld);
  tree.writeWithTime("src/" + odd, "odd name", kOld);
  tree.writeWithTime("src/deep/er/ü-ñ.txt", "unicode", kOld);
  const std::string archive = tree.path(GetParam().file);

  auto made = run({tree.path("src"), archive, "-back", "-R", "-auto"});
  ASSERT_EQ(made.exitCode, 0) << made.output << made.errorOutput;
  tree.writeWithTime("src/change.txt", "second, longer", kOld + kLater);
  ASSERT_TRUE(platform::deleteFile(tree.path("src/gone.txt")));
  tree.writeWithTime("src/new.txt", "new", kOld + kLater);
  const auto updated = run({tree.path("src"), archive, "-back", "-R", "-auto"});
  ASSERT_EQ(updated.exitCode, 0) << updated.output << updated.errorOutput;
  EXPECT_NE(updated.output.find("Copied to target: 2"), std::string::npos) << updated.output;
  EXPECT_NE(updated.output.find("deleted: 1"), std::string::npos) << updated.output;
  const auto again = run({tree.path("src"), archive, "-back", "-R", "-scan"});
  EXPECT_NE(again.output.find("Planned actions: 0"), std::string::npos) << "the archive's times are the files' own\n" << again.output;

  EXPECT_EQ(toolListing(GetParam(), archive),
            (std::vector<std::string>{"14 2024-03-01 14:17:17 change.txt", "3 2024-03-01 14:17:17 new.txt",
                                      "4 2024-03-01 12:00:00 keep.txt", "7 2024-03-01 12:00:00 deep/er/ü-ñ.txt",
                                      "8 2024-03-01 12:00:00 " + odd}))
      << "the tool itself lists exactly the files, sizes and times";

  const auto restored = run({archive, tree.path("back"), "-copy", "-R", "-auto"});
  ASSERT_EQ(restored.exitCode, 0) << restored.output << restored.errorOutput;
  for (const char* name : {"keep.txt", "change.txt", "new.txt", "deep/er/ü-ñ.txt"}) {
    EXPECT_EQ(tree.read(std::string("back/") + name), tree.read(std::string("src/") + name)) << name;
    EXPECT_EQ(platform::getLastWriteTime(tree.path(std::string("back/") + name)),
              platform::getLastWriteTime(tree.path(std::string("src/") + name)));
  }
  EXPECT_EQ(tree.read("back/" + odd), "odd name");
  EXPECT_FALSE(tree.exists("back/gone.txt"));
  for (const char* planted : {"PWNED", "PWNED2", "src/PWNED", "back/sub/PWNED"}) EXPECT_FALSE(tree.exists(planted)) << planted;
}

// Each name an archiver would take for something else (7-Zip's "@" list file) or print back
// escaped (bytes that are no UTF-8, a character the C library does not know yet) fails on its own;
// the archive takes every other file, "a:b" among them (no drive letter on Linux).
TEST_P(ArchiverProgram, ANameTheArchiverCannotTakeFailsAloneAndTheArchiveTakesTheRest) {
  VELKOR_REQUIRE_TOOL(GetParam().tool);
  const std::vector<std::string> refused = {"@list.txt", "bad\xff\xfe name", "shaking \xf0\x9f\xab\xa8 face"};
  const std::vector<std::string> taken = {"a:b", "c:notes.txt", "list.txt", "sub/@inner"};
  for (const std::string& name : refused) tree.writeWithTime("src/" + name, "refused " + name, kOld);
  for (const std::string& name : taken) tree.writeWithTime("src/" + name, "taken " + name, kOld);
  const std::string archive = tree.path(GetParam().file);

  const auto made = run({tree.path("src"), archive, "-back", "-R", "-auto"});
  EXPECT_EQ(made.exitCode, 1) << made.output << made.errorOutput;
  EXPECT_NE(made.output.find("Copied to target: 4,"), std::string::npos) << made.output << made.errorOutput;
  EXPECT_NE(made.output.find("failed: 3,"), std::string::npos) << made.output;
  EXPECT_EQ(made.errorOutput.find("was left as it was"), std::string::npos) << made.errorOutput;
  for (const std::string& name : refused) {
    EXPECT_NE(made.errorOutput.find("cannot be handed to an archiver: " + archive + "/" + name), std::string::npos) << name;
  }
  const auto again = run({tree.path("src"), archive, "-back", "-R", "-scan"});
  EXPECT_NE(again.output.find("Planned actions: 3"), std::string::npos) << "only the refused names remain\n" << again.output;

  const auto restored = run({archive, tree.path("back"), "-copy", "-R", "-auto"});
  EXPECT_EQ(restored.exitCode, 0) << restored.output << restored.errorOutput;
  EXPECT_EQ(restored.errorOutput.find("would leave the folder"), std::string::npos) << restored.errorOutput;
  for (const std::string& name : taken) EXPECT_EQ(tree.read("back/" + name), "taken " + name) << name;
}

INSTANTIATE_TEST_SUITE_P(
    RealTools, ArchiverProgram,
    ::testing::Values(ArchiveKind{"b.tar", "tar", {"tar", "--full-time", "--numeric-owner", "-tvf"}},
                      ArchiveKind{"b.tar.gz", "tar", {"tar", "--full-time", "--numeric-owner", "-tvzf"}},
                      ArchiveKind{"b.7z", "7z", {"7z", "l"}}),
    [](const ::testing::TestParamInfo<ArchiveKind>& kind) {
      std::string name = kind.param.file;
      std::replace(name.begin(), name.end(), '.', '_');
      return name;
    });

TEST_F(ArchiverProgram, HardLinksComeOutWithTheirContentAndKeepItWhenTheirTwinGoes) {
  VELKOR_REQUIRE_TOOL("tar");
  tree.writeWithTime("in/one.txt", "shared content", kOld);
  ASSERT_EQ(::link(tree.path("in/one.txt").c_str(), tree.path("in/two.txt").c_str()), 0);
  testsupport::runTool({"tar", "-cf", tree.path("h.tar"), "-C", tree.path("in"), "one.txt", "two.txt"});
  tree.writeWithTime("out/two.txt", "kept unless restored", kOld);
  // Hidden from the listing, the second name would be deleted from the target as not in the archive.
  const auto restored = run({tree.path("h.tar"), tree.path("out"), "-copy", "-R", "-auto"});
  ASSERT_EQ(restored.exitCode, 0) << restored.output << restored.errorOutput;
  EXPECT_EQ(tree.read("out/one.txt"), "shared content");
  EXPECT_EQ(tree.read("out/two.txt"), "shared content");

  // The archive loses the name that holds the content and gets a new one.txt: two.txt must
  // still come out whole.
  ASSERT_TRUE(platform::deleteFile(tree.path("out/one.txt")));
  const auto updated = run({tree.path("out"), tree.path("h.tar"), "-copy", "-R", "-auto"});
  ASSERT_EQ(updated.exitCode, 0) << updated.output << updated.errorOutput;
  const auto again = run({tree.path("h.tar"), tree.path("back"), "-copy", "-R", "-auto"});
  ASSERT_EQ(again.exitCode, 0) << again.output << again.errorOutput;
  EXPECT_FALSE(tree.exists("back/one.txt"));
  EXPECT_EQ(tree.read("back/two.txt"), "shared content");
}

TEST_F(ArchiverProgram, AnArchiveTheToolCannotListChangesNothing) {
  VELKOR_REQUIRE_TOOL("tar");
  tree.write("bad.tar.gz", "this is no archive");
  tree.writeWithTime("dst/only.txt", "only in the target", kOld);
  // Read as an empty archive, this run would delete the target's file.
  const auto result = run({tree.path("bad.tar.gz"), tree.path("dst"), "-copy", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.errorOutput.find("could not list"), std::string::npos) << result.errorOutput;
  EXPECT_NE(result.errorOutput.find("gzip"), std::string::npos) << "the tool's own words";
  EXPECT_EQ(tree.read("dst/only.txt"), "only in the target");
  EXPECT_EQ(tree.read("bad.tar.gz"), "this is no archive");
}

}  // namespace
