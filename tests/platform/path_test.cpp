#include "platform/path.h"

#include <gtest/gtest.h>

#include "platform/case_fold.h"
#include "platform/locale_format.h"

using namespace platform;

TEST(Path, JoiningAndSplitting) {
  EXPECT_EQ(joinPath("/a/", "/b"), "/a/b");
  EXPECT_EQ(joinPath("", "b"), "b");
  EXPECT_EQ(fileNameOf("a/b\\c.txt"), "b\\c.txt") << "a backslash is part of a name on disk";
  EXPECT_EQ(parentOf("a\\b"), "");
  EXPECT_EQ(parentOf("/a/b"), "/a");
  EXPECT_EQ(parentOf("/a"), "/");
  EXPECT_EQ(extensionOf("/x.y/archive.ZIP"), "ZIP");
  EXPECT_EQ(extensionOf("/x.y/noext"), "");
  EXPECT_EQ(toStoredName("a/b/c"), "a\\b\\c");
  EXPECT_EQ(fromStoredName("a\\b/c"), "a/b/c");
}

TEST(Path, NamesFromOutsideMustStayBelowTheirFolder) {
  for (const char* good : {"a", "a/b.txt", "a\\b", "..x", "x..", "a b/c"}) EXPECT_TRUE(isSafeRelativeName(good)) << good;
  for (const char* bad : {"", "/a", "\\a", "C:x", "c:\\x", "..", "a/../b", "a\\..\\b", "./a", "a//b", "a/", "a\tb"}) {
    EXPECT_FALSE(isSafeRelativeName(bad)) << bad;
  }
}

TEST(CaseFold, OneKeyForAllLetterCases) {
  EXPECT_EQ(caseKey("ReadMe.TXT"), "readme.txt");
  EXPECT_TRUE(equalNoCase("ÄRGER.doc", "ärger.DOC"));
  EXPECT_FALSE(equalNoCase("a", "b"));
  EXPECT_EQ(caseKey(std::string("bad\xff\xfe")), std::string("bad\xff\xfe"));
  EXPECT_EQ(asciiUpper("aé"), "Aé");
}

TEST(LocaleFormat, StrftimeFormatsBecomeDatePatterns) {
  EXPECT_EQ(datePatternFromStrftime("%d.%m.%Y"), "dd.MM.yyyy");
  EXPECT_EQ(datePatternFromStrftime("%m/%d/%y"), "MM/dd/yy");
  EXPECT_EQ(datePatternFromStrftime("%F"), "yyyy-MM-dd");
  EXPECT_EQ(datePatternFromStrftime("%-d/%-m/%Y"), "dd/MM/yyyy");
}
