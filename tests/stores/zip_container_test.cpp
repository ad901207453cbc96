#include "stores/zip_container.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "platform/file_system.h"
#include "platform/path.h"
#include "stores/zip_records.h"
#include "tests/support/temp_tree.h"
#include "tests/support/tools.h"

using stores::CZipException;
using stores::ZipContainer;
using testsupport::runPython;

namespace {

const platform::FileTime kWhen = testsupport::localTime(2023, 6, 15, 10, 20, 30);

// Content from memory, with the time and mode an entry takes from its input.
class MemoryInput : public stores::ZipInput {
 public:
  explicit MemoryInput(std::string content, std::uint32_t mode = 0100644) : content_(std::move(content)), mode_(mode) {}
  std::int64_t read(char* buffer, std::size_t capacity) override {
    const std::size_t chunk = std::min(capacity, content_.size() - at_);
    content_.copy(buffer, chunk, at_);
    at_ += chunk;
    return static_cast<std::int64_t>(chunk);
  }
  std::uint64_t size() const override { return content_.size(); }
  platform::FileTime lastWriteTime() const override { return kWhen; }
  std::uint32_t unixMode() const override { return mode_; }

 private:
  std::string content_;
  std::uint32_t mode_;
  std::size_t at_ = 0;
};

void add(ZipContainer& zip, const std::string& name, const std::string& content, int level = -1) {
  MemoryInput input(content);
  zip.AddEntry(input, name, level, nullptr);
}

// Makes an archive of the given entries (name -> content) through the container.
void makeArchive(const std::string& archive, const std::vector<std::pair<std::string, std::string>>& files) {
  ZipContainer zip;
  zip.Open(archive, true);
  for (const auto& [name, content] : files) add(zip, name, content);
  zip.Close();
}

std::string contentOf(const ZipContainer& zip, int index) {
  const auto reader = zip.OpenEntry(index);
  std::string content;
  char buffer[7];  // small, so that an entry takes many reads
  while (const std::size_t got = reader->read(buffer, sizeof buffer)) content.append(buffer, got);
  return content;
}

int codeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const CZipException& failure) {
    return failure.code();
  }
  return 0;
}

std::string namesOf(const std::string& archive) {
  return runPython(
             "import sys, zipfile\n"
             "print(' '.join(i.filename for i in zipfile.ZipFile(sys.argv[1]).infolist()))\n",
             {archive})
      .output;
}

unsigned modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFFu;
}

struct ScopedUmask {
  explicit ScopedUmask(mode_t mask) : previous(::umask(mask)) {}
  ~ScopedUmask() { ::umask(previous); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;
  mode_t previous;
};

// For every entry: its name, its central record's fields but the offset, and a digest of its
// bytes in the archive (local header, data, data descriptor), as Python reads them.
const char* const kEntryFingerprints =
    "import hashlib, struct, sys, zipfile\n"
    "z = zipfile.ZipFile(sys.argv[1])\n"
    "f = open(sys.argv[1], 'rb')\n"
    "for i in z.infolist():\n"
    "    f.seek(i.header_offset)\n"
    "    n, m = struct.unpack('<HH', f.read(30)[26:30])\n"
    "    f.seek(i.header_offset)\n"
    "    span = f.read(30 + n + m + i.compress_size + (16 if i.flag_bits & 8 else 0))\n"
    "    print(i.orig_filename, i.create_system, i.create_version, i.extract_version, i.flag_bits, i.compress_type,\n"
    "          i.date_time, i.CRC, i.compress_size, i.file_size, i.extra.hex(), i.comment, i.internal_attr,\n"
    "          i.external_attr, hashlib.sha1(span).hexdigest())\n";

// The lines of `all` that start with one of the names.
std::string linesOf(const std::string& all, const std::vector<std::string>& names) {
  std::string picked;
  std::size_t start = 0;
  while (start < all.size()) {
    const std::size_t end = all.find('\n', start);
    const std::string line = all.substr(start, end - start);
    for (const std::string& name : names) {
      if (line.starts_with(name + " ")) picked += line + "\n";
    }
    start = end == std::string::npos ? all.size() : end + 1;
  }
  return picked;
}

}  // namespace

TEST(ZipContainer, WrittenArchivesAreReadByInfoZipAndPython) {
  VELKOR_REQUIRE_TOOL("unzip");
  testsupport::TempTree tree;
  const std::string archive = tree.path("made.zip");
  const std::string big(100000, 'q');
  makeArchive(archive, {{"four", "1234"}, {"five", "12345"}, {"sub/deep/big.txt", big}, {"Grüße €.txt", "hallo"}});
  testsupport::runTool({"unzip", "-t", archive});
  const std::string listing = testsupport::runTool({"unzip", "-Z", archive}).output;
  EXPECT_NE(listing.find("4 bx stor"), std::string::npos) << listing;
  EXPECT_NE(listing.find("5 bx defN"), std::string::npos) << listing;
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
  EXPECT_EQ(zip.FindName("FOLDER/A.TXT"), -1) << "letter case counts";
  ASSERT_GE(zip.FindName("folder/a.txt"), 0);
  EXPECT_EQ(zip.FindName("folder\\a.txt"), -1) << "made on Unix: a backslash is part of a name";
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
  std::string ones;
  for (int i = 0; i < 1000; ++i) ones += "one ";
  EXPECT_EQ(contentOf(zip, streamed), ones) << "read in small pieces";
  zip.Extract(zip.FindName("stored.bin"), tree.path("out/stored.bin"), nullptr);
  EXPECT_EQ(tree.read("out/stored.bin"), "stored bytes");
}

TEST(ZipContainer, EncryptedEntriesWithDataDescriptorsAreCopiedByteForByte) {
  VELKOR_REQUIRE_TOOL("zip");
  VELKOR_REQUIRE_TOOL("unzip");
  testsupport::TempTree tree;
  tree.write("in/secret1.txt", "first secret");
  tree.write("in/secret2.txt", std::string(30000, 's'));
  tree.write("in/drop.txt", "to be deleted");
  const std::string archive = tree.path("locked.zip");
  const auto made = platform::runProcess(
      {"sh", "-c", "cd '" + tree.path("in") + "' && zip -q -P secret -fd '" + archive + "' secret1.txt drop.txt secret2.txt"});
  ASSERT_EQ(made.exitCode, 0) << made.errorOutput;
  ASSERT_NE(testsupport::runTool({"unzip", "-Z", "-v", archive}).output.find("extended local header:                          yes"),
            std::string::npos)
      << "the entries have data descriptors";
  const std::vector<std::string> kept = {"secret1.txt", "secret2.txt"};
  const std::string before = linesOf(runPython(kEntryFingerprints, {archive}).output, kept);

  ZipContainer zip;
  zip.Open(archive, false);
  add(zip, "added.txt", "in the clear");
  zip.DeleteNames({"drop.txt"}, nullptr);
  zip.Close();

  testsupport::runTool({"unzip", "-P", "secret", "-t", archive});
  EXPECT_EQ(namesOf(archive), "secret1.txt secret2.txt added.txt\n");
  EXPECT_EQ(linesOf(runPython(kEntryFingerprints, {archive}).output, kept), before);
}

TEST(ZipContainer, UntouchedNamesKeepTheirBytesAndNewNamesGetTheFlagOnlyForUtf8) {
  testsupport::TempTree tree;
  const std::string archive = tree.path("names.zip");
  // Python would write UTF-8; made to write code page 437 without the flag, as DOS tools do.
  runPython(
      "import sys, zipfile\n"
      "zipfile.ZipInfo._encodeFilenameFlags = lambda self: (self.filename.encode('cp437'), self.flag_bits)\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    info = zipfile.ZipInfo('\\u00dcmlaut.txt')\n"
      "    info.create_system = 0\n"
      "    z.writestr(info, 'umlaut')\n",
      {archive});
  const std::string before = runPython(kEntryFingerprints, {archive}).output;
  ZipContainer zip;
  zip.Open(archive, false);
  ASSERT_EQ(zip.Count(), 1);
  EXPECT_EQ(zip.Entry(0).name, "Ümlaut.txt");
  EXPECT_EQ(zip.Entry(0).rawName, "\x9Amlaut.txt");
  add(zip, "plain.txt", "ascii name");
  add(zip, "Grüße.txt", "utf-8 name");
  add(zip, "bad\xFF\xFE.txt", "not utf-8");
  zip.Close();

  const std::string after = runPython(kEntryFingerprints, {archive}).output;
  EXPECT_EQ(after.substr(0, after.find('\n') + 1), before) << "raw name, flags and bytes as they were";
  const auto python = runPython(
      "import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "assert z.testzip() is None\n"
      "for i in z.infolist(): print(i.orig_filename, i.flag_bits & 0x800)\n",
      {archive});
  EXPECT_EQ(python.output, "Ümlaut.txt 0\nplain.txt 0\nGrüße.txt 2048\nbad\u00A0\u25A0.txt 0\n")
      << "Python reads the name that is not UTF-8 as code page 437";
  zip.Open(archive, false);
  EXPECT_EQ(zip.Entry(3).rawName, "bad\xFF\xFE.txt");
  EXPECT_EQ(zip.FindName("bad\xFF\xFE.txt"), 3) << "found by the bytes it was added under";
}

TEST(ZipContainer, TheLastEntryOfANameIsTheFile) {
  testsupport::TempTree tree;
  const std::string archive = tree.path("twice.zip");
  runPython(
      "import sys, warnings, zipfile\n"
      "warnings.simplefilter('ignore')\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    z.writestr('a.txt', 'first')\n"
      "    z.writestr('A.txt', 'capital')\n"
      "    z.writestr('a.txt', 'second')\n"
      "    z.writestr('b.txt', 'bee')\n",
      {archive});
  const std::string copy = tree.path("copy.zip");
  ASSERT_TRUE(platform::writeFileReplacing(copy, tree.read("twice.zip"), 0644));

  ZipContainer zip;
  zip.Open(archive, false);
  ASSERT_EQ(zip.FindName("a.txt"), 2);
  EXPECT_EQ(contentOf(zip, zip.FindName("a.txt")), "second");
  EXPECT_EQ(contentOf(zip, zip.FindName("A.txt")), "capital");
  add(zip, "a.txt", "replaced");
  EXPECT_EQ(zip.Count(), 3);
  EXPECT_EQ(contentOf(zip, zip.FindName("a.txt")), "replaced");
  EXPECT_EQ(zip.FindName("b.txt"), 2) << "the earlier a.txt is gone";
  zip.Close();
  EXPECT_EQ(namesOf(archive), "A.txt a.txt b.txt\n") << "in the place of the last a.txt";

  zip.Open(copy, false);
  zip.DeleteNames({"a.txt"}, nullptr);
  EXPECT_EQ(zip.FindName("a.txt"), -1);
  zip.Close();
  EXPECT_EQ(namesOf(copy), "A.txt b.txt\n");
}

TEST(ZipContainer, ReplaceAndDeleteKeepTheRestAndTheFormat) {
  VELKOR_REQUIRE_TOOL("unzip");
  testsupport::TempTree tree;
  const std::string archive = tree.path("a.zip");
  makeArchive(archive, {{"one", "first one"}, {"two", std::string(20000, '2')}, {"three", "last"}});
  const auto before = platform::readWholeFile(archive)->size();
  ZipContainer zip;
  zip.Open(archive, false);
  add(zip, "three", "x");
  zip.DeleteNames({"one", "one", "absent"}, nullptr);
  EXPECT_EQ(platform::readWholeFile(archive)->size(), before) << "nothing is written before the archive closes";
  zip.Close();
  EXPECT_LT(platform::readWholeFile(archive)->size(), before);
  EXPECT_EQ(testsupport::runTool({"unzip", "-Z1", archive}).output, "two\nthree\n");
  testsupport::runTool({"unzip", "-t", archive});
}

TEST(ZipContainer, ManyEntriesUseTheZip64EndRecords) {
  VELKOR_REQUIRE_TOOL("unzip");
  testsupport::TempTree tree;
  const char* const kCheck =
      "import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "f = open(sys.argv[1], 'rb').read()\n"
      "print(len(z.infolist()), z.infolist()[-1].filename, f.rfind(b'PK\\x06\\x06') >= 0)\n";
  for (const int count : {65535, 70000}) {
    const std::string archive = tree.path(std::to_string(count) + ".zip");
    ZipContainer zip;
    zip.Open(archive, true);
    for (int i = 0; i < count; ++i) add(zip, "f" + std::to_string(i), "x");
    zip.Close();
    testsupport::runTool({"unzip", "-tq", archive});
    EXPECT_EQ(runPython(kCheck, {archive}).output, std::to_string(count) + " f" + std::to_string(count - 1) + " True\n");
    zip.Open(archive, false);
    EXPECT_EQ(zip.Count(), count) << "read back by the program that wrote it";
    zip.Discard();
  }
  const std::string python = tree.path("python.zip");
  runPython(
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    for i in range(70000): z.writestr('p%d' % i, str(i))\n",
      {python});
  ZipContainer zip;
  zip.Open(python, false);
  ASSERT_EQ(zip.Count(), 70000);
  EXPECT_EQ(contentOf(zip, zip.FindName("p69999")), "69999");
}

// About 45 s under ASan: 4 GiB are deflated by the container and inflated by unzip, and Python
// writes and the container extracts another 4 GiB.
TEST(ZipContainer, EntriesOver4GiBRoundTrip) {
  VELKOR_REQUIRE_TOOL("unzip");
  VELKOR_REQUIRE_TOOL("truncate");
  testsupport::TempTree tree;
  constexpr std::uint64_t kBig = (1ULL << 32) + 5;
  // Sparse: 4 GiB of zeros cost no disk; deflated they make a small archive.
  const std::string big = tree.write("big.bin", "");
  testsupport::runTool({"truncate", "-s", std::to_string(kBig - 4), big});
  const auto tail = platform::runProcess({"sh", "-c", "printf tail >> '" + big + "'"});
  ASSERT_EQ(tail.exitCode, 0);
  const std::string ours = tree.path("ours.zip");
  ZipContainer zip;
  zip.Open(ours, true);
  add(zip, "before.txt", "small one before");
  zip.AddFile(big, "big.bin", 1, nullptr);
  add(zip, "after.txt", "small one after");
  zip.Close();
  testsupport::runTool({"unzip", "-tq", ours});
  EXPECT_EQ(runPython("import sys, zipfile\n"
                      "print([i.file_size for i in zipfile.ZipFile(sys.argv[1]).infolist()])\n",
                      {ours})
                .output,
            "[16, " + std::to_string(kBig) + ", 15]\n");
  (void)platform::deleteFile(big);

  const std::string python = tree.path("python.zip");
  runPython(
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    z.writestr('first.txt', 'first')\n"
      "    with z.open('huge.bin', 'w', force_zip64=True) as w:\n"
      "        block = bytes(1 << 20)\n"
      "        for i in range(4096): w.write(block)\n"
      "        w.write(b'end!!')\n"
      "    z.writestr('last.txt', 'last')\n",
      {python});
  zip.Open(python, false);
  const int huge = zip.FindName("huge.bin");
  ASSERT_GE(huge, 0);
  EXPECT_EQ(zip.Entry(huge).uncompressedSize, kBig);
  EXPECT_GT(zip.Entry(zip.FindName("last.txt")).localHeaderOffset, kBig) << "an offset from the ZIP64 field";
  zip.Extract(huge, tree.path("huge.out"), nullptr);  // checks the size and the CRC
  struct stat st {};
  ASSERT_EQ(::stat(tree.path("huge.out").c_str(), &st), 0);
  EXPECT_EQ(static_cast<std::uint64_t>(st.st_size), kBig);
  EXPECT_EQ(contentOf(zip, zip.FindName("last.txt")), "last");
}

TEST(ZipContainer, CentralRecordsMoveTheirOffsetIntoZip64WhenItNoLongerFits) {
  stores::ZipEntry entry;
  entry.rawName = "name.txt";
  entry.compressedSize = 5ULL << 32;  // a size in the ZIP64 field, before the offset
  entry.uncompressedSize = 7;
  entry.crc = 0x12345678;
  const std::string small = stores::zipformat::newCentralRecord(entry, 100);
  const auto parse = [](const std::string& record) {
    stores::ZipEntry read;
    EXPECT_EQ(stores::zipformat::parseCentralRecord(reinterpret_cast<const unsigned char*>(record.data()),
                                                    record.size() + 10, read),
              record.size());
    return read;
  };
  for (const std::uint64_t offset : {std::uint64_t{200}, std::uint64_t{6} << 32, std::uint64_t{0xFFFFFFFF}}) {
    const std::string moved = stores::zipformat::movedCentralRecord(small, offset);
    const stores::ZipEntry read = parse(moved);
    EXPECT_EQ(read.localHeaderOffset, offset);
    EXPECT_EQ(read.compressedSize, entry.compressedSize);
    EXPECT_EQ(read.uncompressedSize, 7u);
    EXPECT_EQ(read.crc, entry.crc);
    EXPECT_EQ(read.rawName, "name.txt");
    // Moving back keeps the offset where it now lives.
    EXPECT_EQ(parse(stores::zipformat::movedCentralRecord(moved, 300)).localHeaderOffset, 300u);
  }
  entry.compressedSize = 5;
  const std::string plain = stores::zipformat::newCentralRecord(entry, 100);
  const std::string moved = stores::zipformat::movedCentralRecord(plain, 6ULL << 32);
  EXPECT_EQ(moved.size(), plain.size() + 12) << "a ZIP64 field of the offset alone";
  EXPECT_EQ(parse(moved).localHeaderOffset, 6ULL << 32);
}

TEST(ZipContainer, WhatStandsBeforeTheFirstEntryIsKept) {
  VELKOR_REQUIRE_TOOL("zip");
  testsupport::TempTree tree;
  const std::string archive = tree.path("sfx.zip");
  makeArchive(tree.path("plain.zip"), {{"a.txt", "alpha"}});
  // A self-extracting archive: a program, then the archive with offsets made absolute by zip -A.
  tree.write("sfx.zip", std::string(5000, '\x90') + tree.read("plain.zip"));
  testsupport::runTool({"zip", "-q", "-A", archive});
  ZipContainer zip;
  zip.Open(archive, false);
  add(zip, "b.txt", "beta");
  zip.Close();
  EXPECT_EQ(tree.read("sfx.zip").substr(0, 5000), std::string(5000, '\x90'));
  if (testsupport::haveTool("unzip")) testsupport::runTool({"unzip", "-tq", archive});
  zip.Open(archive, false);
  EXPECT_EQ(zip.Count(), 2);
}

TEST(ZipContainer, PermissionsGoInAndComeOutLessTheUmask) {
  testsupport::TempTree tree;
  const ScopedUmask umask(022);
  const std::string archive = tree.path("modes.zip");
  ZipContainer zip;
  zip.Open(archive, true);
  const std::pair<const char*, std::uint32_t> modes[] = {
      {"0750", 0100750}, {"0777", 0100777}, {"04755", 0104755}, {"0444", 0100444}};
  for (const auto& [name, mode] : modes) {
    MemoryInput input(name, mode);
    zip.AddEntry(input, name, -1, nullptr);
  }
  zip.Close();
  EXPECT_EQ(modeOf(archive), 0644u) << "a new archive: 0666 less the umask";
  const auto python = runPython(
      "import sys, zipfile\n"
      "for i in zipfile.ZipFile(sys.argv[1]).infolist(): print(i.create_system, oct(i.external_attr >> 16), i.external_attr & 1)\n",
      {archive});
  EXPECT_EQ(python.output, "3 0o100750 0\n3 0o100777 0\n3 0o104755 0\n3 0o100444 1\n");

  zip.Open(archive, false);
  const std::pair<const char*, unsigned> extracted[] = {{"0750", 0750}, {"0777", 0755}, {"04755", 0755}, {"0444", 0444}};
  for (const auto& [name, expected] : extracted) {
    zip.Extract(zip.FindName(name), tree.path(std::string("out-") + name), nullptr);
    EXPECT_EQ(modeOf(tree.path(std::string("out-") + name)), expected) << name;
  }
  zip.Discard();

  // A rewrite keeps the archive's own mode.
  ASSERT_EQ(::chmod(archive.c_str(), 0640), 0);
  zip.Open(archive, false);
  add(zip, "more", "more");
  zip.Close();
  EXPECT_EQ(modeOf(archive), 0640u);
}

TEST(ZipContainer, EntriesFromDosGetTheModeOfANewFile) {
  testsupport::TempTree tree;
  const ScopedUmask umask(022);
  const std::string archive = tree.path("dos.zip");
  runPython(
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    for name, attributes in (('normal.txt', 0x20), ('readonly.txt', 0x21)):\n"
      "        info = zipfile.ZipInfo(name, (2020, 1, 2, 3, 4, 6))\n"
      "        info.create_system = 0\n"
      "        info.external_attr = attributes\n"
      "        z.writestr(info, name)\n",
      {archive});
  ZipContainer zip;
  zip.Open(archive, false);
  zip.Extract(zip.FindName("normal.txt"), tree.path("normal.txt"), nullptr);
  zip.Extract(zip.FindName("readonly.txt"), tree.path("readonly.txt"), nullptr);
  EXPECT_EQ(modeOf(tree.path("normal.txt")), 0644u);
  EXPECT_EQ(modeOf(tree.path("readonly.txt")), 0444u);
}

TEST(ZipContainer, LinksAreReportedAndNeverExtractedAsFiles) {
  VELKOR_REQUIRE_TOOL("zip");
  testsupport::TempTree tree;
  tree.write("in/target.txt", "the target");
  ASSERT_EQ(::symlink("target.txt", tree.path("in/link").c_str()), 0);
  const auto made = platform::runProcess({"sh", "-c", "cd '" + tree.path("in") + "' && zip -q -y ../links.zip link target.txt"});
  ASSERT_EQ(made.exitCode, 0) << made.errorOutput;
  ZipContainer zip;
  zip.Open(tree.path("links.zip"), false);
  const int link = zip.FindName("link");
  ASSERT_GE(link, 0);
  EXPECT_TRUE(zip.Entry(link).isLink());
  EXPECT_FALSE(zip.Entry(zip.FindName("target.txt")).isLink());
  EXPECT_EQ(zip.ReadLinkTarget(link), "target.txt");
  EXPECT_EQ(codeOf([&] { zip.Extract(link, tree.path("out-link"), nullptr); }), CZipException::kNotSupported);
  EXPECT_FALSE(tree.exists("out-link"));
  zip.Discard();

  const std::string targets = tree.path("targets.zip");
  runPython(
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    for name, length in (('longest', 4096), ('too-long', 4097)):\n"
      "        info = zipfile.ZipInfo(name)\n"
      "        info.external_attr = 0o120777 << 16\n"
      "        z.writestr(info, 't' * length)\n",
      {targets});
  zip.Open(targets, false);
  EXPECT_EQ(zip.ReadLinkTarget(zip.FindName("longest")).size(), 4096u);
  EXPECT_EQ(codeOf([&] { (void)zip.ReadLinkTarget(zip.FindName("too-long")); }), CZipException::kDamaged);
}

TEST(ZipContainer, AnImpossibleDosTimeIsOneTimeForListingAndFile) {
  testsupport::TempTree tree;
  const std::string archive = tree.path("time.zip");
  runPython(
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    z.writestr(zipfile.ZipInfo('late.txt', (2020, 5, 17, 25, 10, 0)), 'hour 25')\n",
      {archive});
  ZipContainer zip;
  zip.Open(archive, false);
  const platform::FileTime listed = zip.Entry(0).lastWriteTime();
  EXPECT_EQ(listed, testsupport::localTime(2020, 5, 17, 23, 10, 0));
  zip.Extract(0, tree.path("late.txt"), nullptr);
  EXPECT_EQ(platform::getLastWriteTime(tree.path("late.txt")), listed);
}

// One stored entry "a.txt" ("hello") whose headers say `crc` and `size`.
void writeStoredEntry(const std::string& archive, const std::string& crc, const std::string& size) {
  runPython(
      "import struct, sys\n"
      "name, data = b'a.txt', b'hello'\n"
      "crc, size = " + crc + ", " + size + "\n"
      "local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, 0, 0, 0x21, crc, len(data), size, len(name), 0) + name + data\n"
      "central = struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 0x314, 20, 0, 0, 0, 0x21, crc, len(data), size,\n"
      "                      len(name), 0, 0, 0, 0, 0o100644 << 16, 0) + name\n"
      "end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 1, 1, len(central), len(local), 0)\n"
      "open(sys.argv[1], 'wb').write(local + central + end)\n",
      {archive});
}

TEST(ZipContainer, ExtractionChecksTheCrcAndTheSizes) {
  testsupport::TempTree tree;
  tree.folder("out");
  const std::string good = tree.path("good.zip");
  writeStoredEntry(good, "0x3610a686", "5");
  ZipContainer zip;
  zip.Open(good, false);
  zip.Extract(0, tree.path("out/a.txt"), nullptr);
  EXPECT_EQ(tree.read("out/a.txt"), "hello") << "the well-made archive extracts";
  zip.Discard();
  (void)platform::deleteFile(tree.path("out/a.txt"));

  const std::string badCrc = tree.path("crc.zip");
  writeStoredEntry(badCrc, "0x3610a687", "5");
  zip.Open(badCrc, false);
  EXPECT_EQ(codeOf([&] { zip.Extract(0, tree.path("out/a.txt"), nullptr); }), CZipException::kCrcMismatch);
  EXPECT_EQ(platform::filesBelow(tree.path("out")), std::vector<std::string>{}) << "no file left behind";
  zip.Discard();

  // A deflated entry whose declared size is one byte off either way.
  const std::string deflated = tree.path("deflated.zip");
  makeArchive(deflated, {{"text", std::string(1000, 't')}});
  const std::string bytes = tree.read("deflated.zip");
  const std::size_t central = bytes.rfind("PK\x01\x02");
  for (const int delta : {1, -1}) {
    std::string changed = bytes;
    changed[central + 24] = static_cast<char>(changed[central + 24] + delta);  // low byte of 1000 (0xE8)
    tree.write("changed.zip", changed);
    zip.Open(tree.path("changed.zip"), false);
    EXPECT_EQ(codeOf([&] { (void)contentOf(zip, 0); }), CZipException::kDamaged) << delta;
    zip.Discard();
  }
}

TEST(ZipContainer, AnArchiveChangedByAnotherProgramIsNotOverwritten) {
  testsupport::TempTree tree;
  const std::string archive = tree.path("shared.zip");
  makeArchive(archive, {{"one", "one"}});
  ZipContainer zip;
  zip.Open(archive, false);
  add(zip, "two", "two");
  makeArchive(tree.path("other.zip"), {{"theirs", "written meanwhile"}});
  const std::string theirs = tree.read("other.zip");
  ASSERT_TRUE(platform::renameReplace(tree.path("other.zip"), archive));
  EXPECT_EQ(codeOf([&] { zip.Close(); }), CZipException::kChangedByOther);
  EXPECT_EQ(tree.read("shared.zip"), theirs);
  EXPECT_EQ(platform::filesBelow(tree.root()).size(), 1u) << "the new archive was dropped";
  EXPECT_NE(std::string(CZipException(CZipException::kChangedByOther).what()).find("nothing was written"),
            std::string::npos);

  // An archive that was missing at Open and made meanwhile by someone else.
  const std::string fresh = tree.path("fresh.zip");
  zip.Open(fresh, true);
  add(zip, "mine", "mine");
  tree.write("fresh.zip", "theirs");
  EXPECT_EQ(codeOf([&] { zip.Close(); }), CZipException::kChangedByOther);
  EXPECT_EQ(tree.read("fresh.zip"), "theirs");
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
  makeArchive(good, {{"a.txt", "some content here"}, {"b.txt", std::string(3000, 'b')}});
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
  // A byte within the first entry's data, after its header, name and extra field.
  const auto field = [&](std::size_t at) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8)); };
  const std::size_t data = 30 + field(26) + field(28) + 5;
  corruptData[data] = static_cast<char>(corruptData[data] ^ 0x55);
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
