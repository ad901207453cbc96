#include "engine/mask_list.h"

#include <gtest/gtest.h>

using engine::MaskList;
using engine::MatchMask;

TEST(MatchMask, WildcardsCaseAndTheAppendedDot) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"readme", "*.*", true},       {"a.b.c", "*.*", true},        {"NOTES.TXT", "*.txt", true},
      {"txt", "*.txt", false},       {"a.gz.gz", "*.gz", true},     {"ab.c", "*?.c", true},
      {"a.c", "*?.c", true},         {".c", "*?.c", false},         {"x_old.cpp", "*_old.*", true},
      {"readme", "read*", true},     {"readme", "*", true},         {"readme", "", true},
      {"", "*", false},              {"abc", "a?c", true},          {"abbc", "a?c", false},
      {"Übung.TXT", "übung.txt", true}, {"data2024.csv", "data*.c?v", true}, {"makefile", "*.", true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchMask(c.name, c.mask), c.matches) << c.name << " vs " << c.mask;
}

TEST(MaskList, ParsingSeparatorsAndQuotes) {
  EXPECT_EQ(MaskList::Parse("*.cpp;*.h, *.txt").masks(), (std::vector<std::string>{"*.cpp", "*.h", "*.txt"}));
  EXPECT_EQ(MaskList::Parse("\"my file*.doc\" *.x").masks(), (std::vector<std::string>{"my file*.doc", "*.x"}));
  EXPECT_EQ(MaskList::Parse("").masks(), (std::vector<std::string>{"*.*"}));
  EXPECT_TRUE(MaskList::Parse("", false).empty());
  EXPECT_TRUE(MaskList::Parse(" ;; , ", false).empty());
}

TEST(MaskList, IncludeAndExcludeTexts) {
  const auto texts = engine::SplitMaskText("*.cpp *.h ! *_old.*");
  const MaskList include = MaskList::Parse(texts.include);
  const MaskList exclude = MaskList::Parse(texts.exclude, false);
  auto accepted = [&](const char* name) { return include.Matches(name) && !exclude.Matches(name); };
  EXPECT_TRUE(accepted("x.cpp"));
  EXPECT_FALSE(accepted("x_old.cpp"));
  EXPECT_FALSE(accepted("x.c"));
  EXPECT_EQ(engine::SplitMaskText("*.txt").exclude, "");
}
