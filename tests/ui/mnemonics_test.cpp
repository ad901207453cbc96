#include "ui/mnemonics.h"

#include <gtest/gtest.h>

#include <cctype>

using Texts = std::vector<std::string>;

TEST(Mnemonics, ClashesAreResolvedMovingAsLittleAsPossible) {
  Texts menu = {"&Open", "&Options"};
  ui::MakeUniqueMnemonics(menu, true);
  EXPECT_EQ(menu, (Texts{"&Open", "O&ptions"}));

  Texts distinct = {"&Copy", "Paste"};
  ui::MakeUniqueMnemonics(distinct, true);
  EXPECT_EQ(distinct, (Texts{"&Copy", "Paste"})) << "first candidates differ: nothing changes";

  Texts giveUp = {"&Ab", "&A"};
  ui::MakeUniqueMnemonics(giveUp, false);
  EXPECT_EQ(giveUp, (Texts{"A&b", "&A"})) << "the first text gives its character to the one that has no other";

  Texts noneLeft = {"&X", "&Xy", "x"};
  ui::MakeUniqueMnemonics(noneLeft, false);
  EXPECT_EQ(noneLeft, (Texts{"&X", "X&y", "x"})) << "a text without a free candidate keeps what it had";

  Texts shortcuts = {"&Save\tCtrl+S", "&Select all\tCtrl+A"};
  ui::MakeUniqueMnemonics(shortcuts, true);
  EXPECT_EQ(shortcuts, (Texts{"&Save\tCtrl+S", "Select &all\tCtrl+A"}));

  Texts words = {"&Delete", "&Do it now!", "&Rename"};
  ui::MakeUniqueMnemonics(words, true);
  EXPECT_EQ(words, (Texts{"&Delete", "Do &it now!", "&Rename"}));
}

TEST(Mnemonics, KeysHeldOutsideTheGroupStayAndPunctuationIsNoKey) {
  Texts page = {"&Cancel it", "A&ction"};
  ui::MakeUniqueMnemonics(page, false, {"&Cancel", "&Preview"});
  EXPECT_EQ(page, (Texts{"Cancel &it", "&Action"})) << "c belongs to the dialog's Cancel";

  Texts punctuation = {"&Firewall / Proxy:", "&Folder:", "&Options...", "O&rphans", "Op&tions2", "&Image"};
  ui::MakeUniqueMnemonics(punctuation, false);
  for (const std::string& text : punctuation) {
    const std::size_t at = text.find('&');
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(text[at + 1]))) << text;
  }
}
