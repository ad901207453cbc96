// Updates carried between two machines that never see each other, exactly as the README shows:
// a snapshot written on B, a package made on A against it, the package brought in on B.
#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

#include "tests/app/program_test.h"
#include "tests/support/tools.h"

namespace {

using testsupport::kOld;

struct Packages : testsupport::ProgramTest {
  // What a folder holds: each file's name and content.
  std::string contentOf(const std::string& folder) {
    std::vector<std::string> files = platform::filesBelow(tree.path(folder));
    std::sort(files.begin(), files.end());
    std::string out;
    for (const std::string& file : files) {
      out += file.substr(tree.path(folder).size() + 1) + "=" + platform::readWholeFile(file).value_or("?") + ";";
    }
    return out;
  }
};

}  // namespace

TEST_F(Packages, TheTwoMachineRoundTripOfTheReadme) {
  VELKOR_REQUIRE_TOOL("unzip");
  for (const char* side : {"A", "B"}) {
    tree.writeWithTime(std::string(side) + "/work/kept.txt", "kept", kOld);
    tree.writeWithTime(std::string(side) + "/work/changed.txt", "first version", kOld);
    tree.writeWithTime(std::string(side) + "/work/deleted on A.txt", "still wanted on B", kOld);
  }
  const std::string workA = tree.path("A/work");
  const std::string workB = tree.path("B/work");
  const std::string snapshot = tree.path("B.pck");
  const std::string package = tree.path("A2B.pkg");

  // 1. On B: the snapshot of B's folder.
  auto made = run({workB, snapshot, "-update", "-R", "-auto"});
  ASSERT_EQ(made.exitCode, 0) << made.output << made.errorOutput;

  // Work goes on at A: times written now, to the nanosecond.
  tree.write("A/work/changed.txt", "second version, longer");
  tree.write("A/work/new.txt", "new at A");
  tree.write("A/work/new folder/deep.txt", "in a new subfolder");
  ASSERT_TRUE(platform::deleteFile(tree.path("A/work/deleted on A.txt")));

  // 2. On A: the package of what B lacks.
  auto packed = run({workA, snapshot, "-update", "-R", "-package=" + package});
  ASSERT_EQ(packed.exitCode, 0) << packed.output << packed.errorOutput;
  EXPECT_NE(packed.output.find("files with content: 3"), std::string::npos) << packed.output;
  EXPECT_TRUE(packed.errorOutput.empty()) << packed.errorOutput;
  testsupport::runTool({"unzip", "-tq", package});
  EXPECT_EQ(tree.read("B.pck").find("new.txt"), std::string::npos) << "the snapshot is only read";

  // 3. On B: the package brings B's folder up to date; what A deleted stays (an update never deletes).
  auto updated = run({package, workB, "-update", "-R", "-auto"});
  ASSERT_EQ(updated.exitCode, 0) << updated.output << updated.errorOutput;
  EXPECT_EQ(contentOf("B/work"), "changed.txt=second version, longer;deleted on A.txt=still wanted on B;kept.txt=kept;"
                                 "new folder/deep.txt=in a new subfolder;new.txt=new at A;");

  // A package lists only what it carries: a mirror of it deletes nothing it does not list.
  auto mirrored = run({package, workB, "-copy", "-R", "-auto"});
  EXPECT_EQ(mirrored.exitCode, 0) << mirrored.output << mirrored.errorOutput;
  EXPECT_TRUE(tree.exists("B/work/kept.txt"));
  EXPECT_TRUE(tree.exists("B/work/deleted on A.txt"));

  // B's new snapshot and A's folder now agree: nothing left to carry (times to the nanosecond on
  // A, to the second in the snapshot, compare equal).
  ASSERT_EQ(run({workB, snapshot, "-update", "-R", "-auto"}).exitCode, 0);
  auto again = run({workA, snapshot, "-update", "-R", "-package=" + package});
  EXPECT_EQ(again.exitCode, 0) << again.errorOutput;
  EXPECT_NE(again.output.find("Nothing to put into a package"), std::string::npos) << again.output;
  // The old package would bring old files again: it carries nothing now.
  const auto listed = testsupport::runTool({"unzip", "-l", package});
  EXPECT_EQ(listed.output.find("FILES/"), std::string::npos) << listed.output;
}

TEST_F(Packages, AListedFileThePackageDoesNotCarryIsNotDoneAndSaysSo) {
  const std::string script = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('LIST/list.txt', '           7   01-02-2003 04:05:06  0  0  0   carried.txt\r\n'
                                '           9   01-02-2003 04:05:06  0  0  0   missing.txt\r\n')
    z.writestr('FILES/carried.txt', 'carried')
)";
  const auto written = testsupport::runPython(script, {tree.path("list only.pkg")});
  if (written.exitCode != 0) GTEST_SKIP() << "Python could not write the package: " << written.errorOutput;
  auto result = run({tree.path("list only.pkg"), tree.path("dst"), "-update", "-R", "-auto"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.errorOutput.find("missing.txt: not in package"), std::string::npos) << result.errorOutput;
  EXPECT_NE(result.output.find("not in package: 1"), std::string::npos) << result.output;
  EXPECT_EQ(tree.read("dst/carried.txt"), "carried");
  EXPECT_FALSE(tree.exists("dst/missing.txt"));

  auto refused = run({tree.path("dst"), tree.path("list only.pkg"), "-update", "-R", "-package=" + tree.path("x.zip")});
  EXPECT_EQ(refused.exitCode, 2) << "nothing was tried";
  EXPECT_NE(refused.errorOutput.find("x.zip"), std::string::npos) << refused.errorOutput;
  EXPECT_FALSE(tree.exists("x.zip"));

  tree.write("changed/carried.txt", "changed");
  auto nowhere = run({tree.path("changed"), tree.path("list only.pkg"), "-update", "-R", "-package=" + tree.path("no such folder/x.pkg")});
  EXPECT_EQ(nowhere.exitCode, 2) << "a folder that is not there is said once, before anything is done";
  EXPECT_NE(nowhere.errorOutput.find("Package not written"), std::string::npos) << nowhere.errorOutput;
  EXPECT_EQ(nowhere.output.find("Package written"), std::string::npos) << nowhere.output;
}

TEST_F(Packages, ASnapshotKeptUpToDateForgetsWhatItsFolderNoLongerHas) {
  for (const char* side : {"A", "B"}) {
    tree.writeWithTime(std::string(side) + "/x.txt", "x", kOld);
    tree.writeWithTime(std::string(side) + "/y.txt", "y", kOld);
  }
  // Empty folders asked for: a listing has none of its own, which is no failure.
  tree.folder("B/empty");
  const auto first = run({tree.path("B"), tree.path("B.pck"), "-update", "-R", "-auto", "--empty-folders"});
  ASSERT_EQ(first.exitCode, 0) << first.output << first.errorOutput;
  ASSERT_TRUE(platform::deleteFile(tree.path("B/y.txt")));
  const auto again = run({tree.path("B"), tree.path("B.pck"), "-update", "-R", "-auto"});
  EXPECT_EQ(again.exitCode, 0) << again.errorOutput;
  EXPECT_EQ(tree.read("B.pck").find("y.txt"), std::string::npos) << tree.read("B.pck");
  // So A's package brings it back, as an update of B would.
  const auto packed = run({tree.path("A"), tree.path("B.pck"), "-update", "-R", "-package=" + tree.path("A2B.pkg")});
  EXPECT_NE(packed.output.find("files with content: 1"), std::string::npos) << packed.output << packed.errorOutput;
}

TEST_F(Packages, LinksOfTheFolderAnUpdateLeavesAloneAreNoFailure) {
  tree.writeWithTime("A/new.txt", "new", kOld);
  tree.writeWithTime("B/old.txt", "old", kOld);
  ASSERT_EQ(symlink("old.txt", tree.path("B/link").c_str()), 0);
  ASSERT_EQ(run({tree.path("A"), tree.path("B.pck"), "-update", "-R", "-package=" + tree.path("A2B.pkg")}).exitCode, 0);
  // The package cannot hold links, but an update never touches what only B has.
  const auto applied = run({tree.path("A2B.pkg"), tree.path("B"), "-update", "-R", "-auto"});
  EXPECT_EQ(applied.exitCode, 0) << applied.output << applied.errorOutput;
  EXPECT_EQ(tree.read("B/new.txt"), "new");
}
