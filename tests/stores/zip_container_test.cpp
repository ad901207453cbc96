#include "stores/zip_container.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path.h"
#include "tests/support/temp_tree.h"
#include "tests/support/tools.h"

using stores::CZipException;
using stores::ZipContainer;
using testsupport::runPython;

namespace {

const platform::FileTime kWhen = testsupport::localTime(2023, 6, 15, 10, 20, 30);

// Makes an archive of the given files (name -> content) through the container.
void makeArchive(testsupport::TempTree& tree, const std::string& archive,
                 const std::vector<std::pair<std::string, std::string>>& files) {
  ZipContainer zip;
  zip.Open(archive, true);
  for (const auto& [name, content] : files) {
    const std::string local = tree.writeWithTime("input/" + std::to_string(zip.Count()), content, kWhen);
    zip.AddFile(local, name, -1, zip.FindName(name), 0, nullptr);
  }
  zip.Close();
}

int codeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const CZipException& failure) {
    return failure.code();
  }
  return 0;
}

}  // namespace

TEST(ZipContainer, WrittenArchivesAreReadByInfoZipAndPython) {
  VELKOR_REQUIRE_TOOL("unzip");
  testsupport::TempTree tree;
  const std::string archive = tree.path("made.zip");
  const std::string big(100000, 'q');
  makeArchive(tree, archive, {{"four", "1234"}, {"five", "12345"}, {"sub/deep/big.txt", big}, {"Grüße €.txt", "hallo"}});
  testsupport::runTool({"unzip", "-t", archive});
  const std::string listing = testsupport::runTool({"unzip", "-Z", archive}).output;
  EXPECT_NE(listing.find("4 b- stor"), std::string::npos) << listing;
  EXPECT_NE(listing.find("5 b- defN"), std::string::npos) << listing;
  EXPECT_NE(listing.find("sub/deep/big.txt"), std::string::npos);
  EXPECT_NE(listing.find("23-Jun-15 10:20"), std::string::npos) << listing;
  const auto python = runPython(
      "import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "assert z.testzip() is None\n"
      "for i in z.infolist(): print(i.filename, i.file_size, i.date_time[:5], i.flag_bits & 0x800, i.compress_type)\n",
      {archive});
  EXPECT_EQ(python.output,
            "four 4 (2023, 6, 15, 10, 20) 0 0\nfive 5 (2023, 6, 15, 10, 20) 0 8\n"
            "sub/deep/big.txt 100000 (2023, 6, 15, 10, 20) 0 8\nGrüße €.txt 5 (2023, 6, 15, 10, 20) 2048 8\n");
}

TEST(ZipContainer, ReadsArchivesOfOtherTools) {
  VELKOR_REQUIRE_TOOL("zip");
  testsupport::TempTree tree;
  tree.write("in/folder/a.txt", std::string(5000, 'a'));
  tree.write("in/folder/empty/.keep", "");
  tree.write("in/tiny", "x");
  platform::ProcessResult made = platform::runProcess({"sh", "-c", "cd '" + tree.path("in") + "' && zip -q -r ../infozip.zip ."});
  ASSERT_EQ(made.exitCode, 0) << made.errorOutput;
  // Python writing to a pipe must use data descriptors (bit 3).
  made = platform::runProcess({"sh", "-c", "/usr/bin/python3 -c \"import sys, zipfile\n"
                                           "z = zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.ZIP_DEFLATED)\n"
                                           "z.writestr('streamed/one.txt', 'one ' * 1000)\n"
                                           "z.writestr(zipfile.ZipInfo('stored.bin'), b'stored bytes')\n"
                                           "z.writestr('dir/', '')\n"
                                           "z.close()\" | cat > '" + tree.path("streamed.zip") + "'"});
  ASSERT_EQ(made.exitCode, 0) << made.errorOutput;

  tree.folder("out");
  ZipContainer zip;
  zip.Open(tree.path("infozip.zip"), false);
  ASSERT_GE(zip.FindName("FOLDER/A.TXT"), 0);
  zip.Extract(zip.FindName("folder/a.txt"), tree.path("out/a.txt"), nullptr);
  EXPECT_EQ(tree.read("out/a.txt"), std::string(5000, 'a'));
  bool sawFolder = false;
  for (int i = 0; i < zip.Count(); ++i) sawFolder = sawFolder || zip.Entry(i).isFolder();
  EXPECT_TRUE(sawFolder);
  zip.Discard();

  zip.Open(tree.path("streamed.zip"), false);
  const int streamed = zip.FindName("streamed/one.txt");
  ASSERT_GE(streamed, 0);
  EXPECT_NE(zip.Entry(streamed).flags & 0x0008, 0) << "the entry has a data descriptor";
  zip.Extract(streamed, tree.path("out/one.txt"), nullptr);
  EXPECT_EQ(tree.read("out/one.txt").size(), 4000u);
  zip.Extract(zip.FindName("stored.bin"), tree.path("out/stored.bin"), nullptr);
  EXPECT_EQ(tree.read("out/stored.bin"), "stored bytes");
}

TEST(ZipContainer, NamesFromDosAreCodePage437) {
  testsupport::TempTree tree;
  const std::string archive = tree.path("dos.zip");
  // One stored entry named "\x81ber.txt" written by a DOS program (host 0, no UTF-8 flag).
  runPython(
      "import struct, sys, zlib\n"
      "name, data = b'\\x81ber.txt', b'dos'\n"
      "crc = zlib.crc32(data)\n"
      "local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, 0, 0, 0x21, crc, 3, 3, len(name), 0) + name + data\n"
      "central = struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, 0, 0, 0, 0x21, crc, 3, 3, len(name), 0, 0, 0, 0, 0, 0) + name\n"
      "end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 1, 1, len(central), len(local), 0)\n"
      "open(sys.argv[1], 'wb').write(local + central + end)\n",
      {archive});
  ZipContainer zip;
  zip.Open(archive, false);
  ASSERT_EQ(zip.Count(), 1);
  EXPECT_EQ(zip.Entry(0).name, "über.txt");
}

TEST(ZipContainer, DamagedArchivesGiveCodesNotCrashes) {
  testsupport::TempTree tree;
  const std::string good = tree.path("good.zip");
  makeArchive(tree, good, {{"a.txt", "some content here"}, {"b.txt", std::string(3000, 'b')}});
  const std::string bytes = tree.read("good.zip");
  struct Case {
    const char* name;
    std::string content;
    int code;
  };
  std::string centralPastEnd = bytes;
  centralPastEnd[centralPastEnd.size() - 6] = '\x7F';  // central directory offset far away
  std::string longComment = bytes;
  longComment[longComment.size() - 1] = '\x40';  // a comment longer than the file
  std::string corruptData = bytes;
  corruptData[40] = static_cast<char>(corruptData[40] ^ 0x55);
  const Case cases[] = {
      {"text.zip", "this is no archive at all", 116},
      {"empty.zip", "", 116},
      {"truncated.zip", bytes.substr(0, bytes.size() / 2), 116},
      {"central.zip", centralPastEnd, 101},
      {"comment.zip", longComment, 101},
  };
  for (const Case& c : cases) {
    tree.write(c.name, c.content);
    ZipContainer zip;
    EXPECT_EQ(codeOf([&] { zip.Open(tree.path(c.name), true); }), c.code) << c.name;
    EXPECT_EQ(tree.read(c.name), c.content) << "a damaged file stays untouched";
  }
  tree.write("corrupt.zip", corruptData);
  tree.write("out/a.txt", "the old a.txt");
  ZipContainer zip;
  zip.Open(tree.path("corrupt.zip"), false);
  const int code = codeOf([&] { zip.Extract(zip.FindName("a.txt"), tree.path("out/a.txt"), nullptr); });
  EXPECT_TRUE(code == CZipException::kCrcMismatch || code == CZipException::kZlibData) << code;
  EXPECT_EQ(tree.read("out/a.txt"), "the old a.txt");
}

TEST(ZipContainer, Zip64AndEncryptionAreNotSupported) {
  testsupport::TempTree tree;
  // More entries than the classic end record counts make Python write the ZIP64 end records.
  runPython(
      "import sys, zipfile\n"
      "zipfile.ZIP_FILECOUNT_LIMIT = 1\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    z.writestr('a', 'data')\n"
      "    z.writestr('b', 'data')\n",
      {tree.path("zip64.zip")});
  ZipContainer zip;
  EXPECT_EQ(codeOf([&] { zip.Open(tree.path("zip64.zip"), false); }), CZipException::kNotSupported);
  EXPECT_NE(std::string(CZipException(CZipException::kNotSupported, "x: ZIP64").what()).find("ZIP64"), std::string::npos);
}

TEST(ZipContainer, ReplaceAndDeleteKeepTheRestAndTheFormat) {
  VELKOR_REQUIRE_TOOL("unzip");
  testsupport::TempTree tree;
  const std::string archive = tree.path("a.zip");
  makeArchive(tree, archive, {{"one", "first one"}, {"two", std::string(20000, '2')}, {"three", "last"}});
  const auto before = platform::readWholeFile(archive)->size();
  ZipContainer zip;
  zip.Open(archive, false);
  const std::string local = tree.writeWithTime("new-three", "x", kWhen);
  zip.AddFile(local, "three", -1, zip.FindName("THREE"), 0, nullptr);
  zip.DeleteEntries({zip.FindName("one"), zip.FindName("one")}, nullptr);
  EXPECT_EQ(platform::readWholeFile(archive)->size(), before) << "nothing is written before the archive closes";
  zip.Close();
  EXPECT_LT(platform::readWholeFile(archive)->size(), before);
  const std::string listing = testsupport::runTool({"unzip", "-Z1", archive}).output;
  EXPECT_EQ(listing, "two\nthree\n");
  testsupport::runTool({"unzip", "-t", archive});
}
