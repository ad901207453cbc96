// Reading the description file of outside archivers, and turning its templates into commands.
#include <gtest/gtest.h>

#include "stores/archiver_description.h"
#include "tests/stores/shipped_archivers.h"

namespace {

using stores::ArchiverDescription;
using stores::ExpandTemplate;

TEST(ArchiverDescriptions, KindsAreEnumeratedByExtensionsOrByNumber) {
  const auto byExtension = testsupport::ArchiversOf(
      "[ext]\narj lzh=ARJ\n;rar=RAR\n7z=Seven\n"
      "[ARJ]\np=sh\nlist=%P -c true %A\nlformat=L|yyyy-MM-dd|hh:mm|N!\n"
      "[Seven]\np=/nonexistent/7z\nlist=%P l %A\nlformat=L|yyyy-MM-dd|hh:mm:ss|N!\n");
  ASSERT_EQ(byExtension.size(), 2u) << "a key beginning with ';' is no kind";
  EXPECT_EQ(byExtension[0].name, "ARJ");
  EXPECT_EQ(byExtension[0].extensions, " arj lzh ");
  EXPECT_NE(stores::FindArchiver(byExtension, "x.arj"), nullptr);
  EXPECT_EQ(stores::FindArchiver(byExtension, "X.LZH"), &byExtension[0]);
  EXPECT_FALSE(byExtension[1].ProgramsFound());
  EXPECT_EQ(stores::FindArchiver(byExtension, "x.7z"), nullptr) << "a kind whose program is missing opens nothing";
  EXPECT_FALSE(byExtension[0].HasSeconds()) << "a line format without ss gives no seconds";
  EXPECT_TRUE(byExtension[1].HasSeconds());

  const auto byNumber = testsupport::ArchiversOf(
      "[General]\n1=One\n2=Two\n4=Four\n[One]\next=one\np=sh\n[Two]\np=sh\n[Four]\next=four\np=sh\n");
  ASSERT_EQ(byNumber.size(), 2u) << "the numbers stop at the first gap";
  EXPECT_EQ(byNumber[0].extensions, " one ");
  EXPECT_EQ(byNumber[1].extensions, " two ") << "without its own ext key a kind is named by its section";
}

TEST(ArchiverDescriptions, TheLongestExtensionChoosesTheKind) {
  const auto kinds = testsupport::ArchiversOf(
      "[ext]\ngz=Gzip\ntar.gz tgz=TarGz\n[Gzip]\np=sh\nlist=%P %A\n[TarGz]\np=sh\nlist=%P %A\n");
  EXPECT_EQ(stores::FindArchiver(kinds, "backup.TAR.GZ")->name, "TarGz");
  EXPECT_EQ(stores::FindArchiver(kinds, "notes.gz")->name, "Gzip");
  EXPECT_EQ(stores::FindArchiver(kinds, "a.b.tgz")->name, "TarGz");
  EXPECT_EQ(stores::FindArchiver(kinds, "tar"), nullptr);
}

TEST(ArchiverDescriptions, TemplatesAreCheckedWhenRead) {
  EXPECT_TRUE(stores::TemplateProblem("%P -tvf %A").empty());
  EXPECT_FALSE(stores::TemplateProblem("tar -tvf %A").empty()) << "a template must begin with a placeholder";
  EXPECT_FALSE(stores::TemplateProblem("%P").empty());
  EXPECT_FALSE(stores::TemplateProblem("%P -x %A %F %U").empty()) << "at most three placeholders";
  EXPECT_FALSE(stores::TemplateProblem("%P -x %Q").empty());
  EXPECT_FALSE(stores::TemplateProblem("%P -x %A %").empty());
  const auto kinds = testsupport::ArchiversOf("[ext]\nx=X\n[X]\np=sh\nlist=%P l %A\nget=sh x %A %F\n");
  ASSERT_EQ(kinds.size(), 1u);
  EXPECT_NE(kinds[0].problem.find("get"), std::string::npos) << "the unusable template is named";
  EXPECT_TRUE(ExpandTemplate(kinds[0].getTemplate, {"a", {"b"}, "p", "u"}).empty()) << "and runs nothing";
}

TEST(ArchiverDescriptions, EveryValueIsOneWholeArgument) {
  const stores::TemplateValues values{"/home/u/my \"odd\" $(x).tar", {"a b.txt", "sub/it's;x"}, "/usr/bin/tar", "/usr/bin/untar"};
  EXPECT_EQ(ExpandTemplate("%P --delete -f %A %F", values),
            (std::vector<std::string>{"/usr/bin/tar", "--delete", "-f", "/home/u/my \"odd\" $(x).tar", "a b.txt", "sub/it's;x"}));
  EXPECT_EQ(ExpandTemplate("%U \"-o out dir\" --file=%A", values),
            (std::vector<std::string>{"/usr/bin/untar", "-o out dir", "--file=/home/u/my \"odd\" $(x).tar"}));
  EXPECT_EQ(ExpandTemplate("%p x %A %F", {"a", {}, "p", "u"}), (std::vector<std::string>{"p", "x", "a"}))
      << "no file names: no argument for them";
  EXPECT_FALSE(stores::IsArchiverSafeName("-rf"));
  EXPECT_FALSE(stores::IsArchiverSafeName("a*.txt"));
  EXPECT_TRUE(stores::IsArchiverSafeName("sub/-x and $(y);"));
  EXPECT_FALSE(stores::IsArchiverSafeName("@names.txt")) << "7-Zip would add the files named in names.txt";
  EXPECT_TRUE(stores::IsArchiverSafeName("a:b/ü @x 😀"));
  for (const char* lost : {" lead", "trail ", "back\\slash", "new\nline", "tab\tin", "bad \xff byte", "new \xf0\x9f\xab\xa8 emoji"}) {
    EXPECT_FALSE(stores::IsArchiverSafeName(lost)) << "a listing gives back another name for " << lost;
  }
}

TEST(ArchiverDescriptions, TheShippedFileDescribesTarAnd7z) {
  const auto kinds = testsupport::ShippedArchivers();
  for (const char* name : {"a.tar", "a.tar.gz", "a.tgz", "a.tar.xz", "a.tar.bz2", "a.7z"}) {
    const auto kind = testsupport::ShippedArchiverFor(name);
    EXPECT_FALSE(kind.name.empty()) << name;
    EXPECT_TRUE(kind.problem.empty()) << kind.problem;
    EXPECT_TRUE(kind.HasSeconds()) << name;
  }
}

}  // namespace
