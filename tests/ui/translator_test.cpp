#include "ui/translator.h"

#include <gtest/gtest.h>

#include "engine/text.h"
#include "platform/path.h"
#include "tests/support/temp_tree.h"

using ui::Translator;

namespace {

Translator loaded(const std::string& pairs, const std::string& lineEnd = "\n") {
  std::string text = "Vorlexa x" + lineEnd + "[Deutsch]" + lineEnd + "[two]" + lineEnd + "three" + lineEnd;
  std::size_t start = 0;
  while (start < pairs.size()) {
    const std::size_t end = pairs.find('\n', start);
    text += pairs.substr(start, end - start) + lineEnd;
    start = end == std::string::npos ? pairs.size() : end + 1;
  }
  Translator translator;
  EXPECT_TRUE(translator.LoadDictionaryText(text, "test.dic"));
  return translator;
}

}  // namespace

TEST(Translator, TokensWithoutADictionary) {
  const Translator empty;
  EXPECT_EQ(empty.Translate("${Total}: %d;  "), "Total: %d;  ");
  EXPECT_EQ(empty.Translate("&${Yes}"), "&Yes");
  EXPECT_EQ(empty.Translate("${&Add}"), "&Add");
  EXPECT_EQ(empty.Translate("${open but never closed"), "${open but never closed");
  EXPECT_EQ(empty.Translate("${a} and ${b"), "${a} and ${b");
  EXPECT_EQ(empty.Translate("ab"), "ab");
  const std::string longText = "${Yes}" + std::string(800, 'x');
  EXPECT_EQ(empty.Translate(longText), longText);
}

TEST(Translator, DictionaryRules) {
  const Translator t = loaded("Cancel\n\n  Yes\nJa\n; a comment\n[section]\nNo\n;Nein\nAdd\nHinzu\nAdd\n&Hinzufügen\nTotal\nSumme");
  EXPECT_EQ(t.Header().language, "Deutsch");
  EXPECT_EQ(t.Header().second, "two");
  EXPECT_EQ(t.Header().third, "");
  EXPECT_EQ(t.Translate("${Cancel}"), "Cancel") << "an empty value is no translation";
  EXPECT_EQ(t.Translate("&${Yes}"), "&Ja");
  EXPECT_EQ(t.Translate("${No}"), "No") << "a value beginning with ; is no translation";
  EXPECT_EQ(t.Translate("${Add}"), "&Hinzufügen") << "a later pair replaces an earlier one";
  EXPECT_EQ(t.Translate("${Total}: %d;  "), "Summe: %d;  ");
}

TEST(Translator, LineEndsNulAndHeader) {
  for (const char* end : {"\n", "\r\n", "\r", "\n\r"}) {
    const Translator t = loaded("Yes\nJa\nNo\nNein", end);
    EXPECT_EQ(t.Translate("${Yes}/${No}"), "Ja/Nein") << "line end " << static_cast<int>(end[0]);
  }
  Translator withNul;
  static constexpr char kWithNul[] = "Vorlexa \n[a]\n[b]\n[c]\nDot\nx\0y\n";
  ASSERT_TRUE(withNul.LoadDictionaryText(std::string(kWithNul, sizeof kWithNul - 1), "n.dic"));
  EXPECT_EQ(withNul.Translate("${Dot}"), "x\xC2\xB7y");
  Translator wrong;
  EXPECT_FALSE(wrong.LoadDictionaryText("Dictionary\n[a]\n[b]\n[c]\nYes\nJa\n", "w.dic"));
  EXPECT_EQ(wrong.Translate("${Yes}"), "Yes");
  Translator latin1;
  ASSERT_TRUE(latin1.LoadDictionaryText("Vorlexa \n[a]\n[b]\n[c]\nSize\nGr\xF6\xDF" "e\n", "l.dic"));
  EXPECT_EQ(latin1.Translate("${Size}"), "Größe") << "an 8-bit dictionary reads as Latin-1";
}

TEST(Translator, FormatsWhoseConversionsDifferAreNotUsed) {
  const Translator t = loaded("Deleting: %s\n%s %s\nOpen %s\n%n oops\nCopy %s\n100% %s\nMove %s\nVerschiebe %s\nKeep %d\n%s");
  EXPECT_EQ(t.Translate("${Deleting: %s}"), "Deleting: %s");
  EXPECT_EQ(t.Translate("${Open %s}"), "Open %s");
  EXPECT_EQ(t.Translate("${Copy %s}"), "Copy %s");
  EXPECT_EQ(t.Translate("${Move %s}"), "Verschiebe %s");
  EXPECT_EQ(t.Translate("${Keep %d}"), "Keep %d");
  EXPECT_FALSE(t.Knows("Open %s")) << "an entry that breaks the conversions is as good as none";
  EXPECT_FALSE(t.Knows("Absent"));
  EXPECT_TRUE(t.Knows("Move %s"));
  EXPECT_TRUE(loaded("Port\nPort").Knows("Port")) << "a translation spelled like the phrase is one";
  engine::SetTranslator(nullptr);
  EXPECT_EQ(engine::FormatText(t.Translate("${Deleting: %s}"), {"a.txt"}), "Deleting: a.txt");
}

TEST(Translator, BadDictionariesLoadWhatTheyCan) {
  std::string binary;
  for (int i = 0; i < 200000; ++i) binary += static_cast<char>((i * 37 + 11) % 256);
  Translator t;
  t.LoadDictionaryText("Vorlexa " + binary, "bin.dic");
  t.LoadDictionaryText("Vorlexa \n[a]\n[b]\n[c]\n" + std::string(10 << 20, 'k'), "long.dic");
  EXPECT_EQ(t.Size(), 0u);
  const Translator dangling = loaded("Yes\nJa\nNo");
  EXPECT_EQ(dangling.Translate("${No}"), "No");
  EXPECT_EQ(dangling.Translate("${Yes}"), "Ja");
}

TEST(Translator, FindingAndListingDictionaries) {
  testsupport::TempTree tree;
  tree.write("bin/deutsch.dic", "Vorlexa \n[Deutsch]\n[x]\n[y]\n");
  tree.write("bin/broken.dic", "not a dictionary\n");
  tree.write("share/francais.dic", "Vorlexa \n[Français]\n");
  tree.write("here/local.dic", "Vorlexa \n[Local]\n");
  EXPECT_EQ(ui::FindDictionary("deutsch.dic", tree.path("bin"), tree.path("share")), tree.path("bin/deutsch.dic"));
  EXPECT_EQ(ui::FindDictionary("francais.dic", tree.path("bin"), tree.path("share")), tree.path("share/francais.dic"));
  EXPECT_EQ(ui::FindDictionary(tree.path("here/local.dic"), "", ""), tree.path("here/local.dic"));
  EXPECT_EQ(ui::FindDictionary("local.dic", tree.path("bin"), tree.path("share")), "") << "never the current folder";
  const auto listed = ui::ListDictionaries(tree.path("bin"));
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].language, "Deutsch");
  EXPECT_EQ(listed[0].fileName, "deutsch.dic");
}
