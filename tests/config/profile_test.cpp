#include "config/profile.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/temp_tree.h"

using config::CProfile;

TEST(Profile, ChangingOneValueKeepsEveryOtherLineByteForByte) {
  const std::string handWritten =
      "; Velkor settings, edited by hand\n"
      "# keep this note\n"
      "[Options]\n"
      "Version=1\n"
      "; how many hours\n"
      "NTFSHours=1\n"
      "  Flags = 46082\n"
      "this line is not a key\n"
      "BackupPath=/home/me/backups\n"
      "\n"
      "; sessions follow\n"
      "[Session1]\n"
      "Name=Docs\n"
      "Src=/home/me/Documents\n"
      "\n";
  CProfile profile;
  profile.LoadText(handWritten);
  EXPECT_EQ(profile.GetInt("OPTIONS", "flags", 0), 46082);
  profile.SetInt("Options", "NTFSHours", 2);
  std::string expected = handWritten;
  expected.replace(expected.find("NTFSHours=1"), 11, "NTFSHours=2");
  expected.replace(expected.find("  Flags = 46082"), 15, "Flags=46082");
  EXPECT_EQ(profile.ToText(), expected);
  EXPECT_TRUE(profile.Changed());

  CProfile again;
  again.LoadText(profile.ToText());
  EXPECT_EQ(again.ToText(), profile.ToText()) << "a saved file reads back to itself";
}

TEST(Profile, RulesOfTheFormat) {
  CProfile profile;
  profile.LoadText("[options]\nflags = 255 \n[Empty]\n[Gone]\nkey=\n[Options]\nX=later section takes the name\n");
  EXPECT_EQ(profile.GetInt("Options", "Flags", 0), 0) << "the repeated section took over the name";
  EXPECT_EQ(profile.GetText("options", "x", ""), "later section takes the name");
  EXPECT_EQ(profile.GetText("Nope", "x", "default"), "default");
  const std::string text = profile.ToText();
  EXPECT_EQ(text.find("[Empty]"), std::string::npos) << "a section without keys is not written";
  EXPECT_EQ(text.find("[Gone]"), std::string::npos) << "empty values are not written";
  EXPECT_NE(text.find("flags=255\n"), std::string::npos);
}

TEST(Profile, ValuesReadBackAsTheyWereSet) {
  CProfile profile;
  for (const std::string& value : {std::string("line\r\nbreak"), std::string("lone\rreturn"), std::string("lone\nfeed"), std::string("nul\0inside", 10), std::string("  blanks  "),
                                  std::string("#~looks encoded"), std::string("back\\slash"), std::string("tab\tin")}) {
    profile.SetText("S", "v", value);
    CProfile reread;
    reread.LoadText(profile.ToText());
    EXPECT_EQ(reread.GetText("S", "v", ""), value);
  }
  profile.SetText("S", "plain", "C:\\My Documents\\n");
  EXPECT_NE(profile.ToText().find("plain=C:\\My Documents\\n\n"), std::string::npos) << "plain values stay plain";
}

TEST(Profile, BadInputLoadsWhatItCan) {
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
  const std::string inputs[] = {
      garbage,
      "[Options]\n" + std::string(1 << 20, 'A') + "=1\nVersion=1\n",
      "[Options\nVersion=1\n[Options]\nNoEquals\n=5\nVersion=99999999999999999999\nOptPage=-12abc\n",
  };
  for (const std::string& input : inputs) {
    CProfile profile;
    profile.LoadText(input);
    (void)profile.ToText();
  }
  CProfile profile;
  profile.LoadText(inputs[2]);
  EXPECT_EQ(profile.GetInt("Options", "Version", 7), 7) << "an overflowing number gives the default";
  EXPECT_EQ(profile.GetInt("Options", "OptPage", 7), -12);
  EXPECT_NE(profile.ToText().find("[Options\n"), std::string::npos) << "a broken header is kept as a comment";
}

TEST(Profile, FileIsReplacedWholeAndAnUnreadableOneIsKept) {
  testsupport::TempTree tree;
  const std::string path = tree.write("orvandi3.ini", "[Options]\nVersion=1\n");
  CProfile profile;
  ASSERT_EQ(profile.SetFile(path), CProfile::LoadState::Loaded);
  EXPECT_TRUE(profile.WriteAtExit()) << "nothing set: nothing to write";
  profile.SetInt("Options", "OptPage", 3);
  ASSERT_TRUE(profile.WriteAtExit());
  EXPECT_EQ(tree.read("orvandi3.ini"), "[Options]\nVersion=1\nOptPage=3\n\n");
  EXPECT_EQ(platform::getAttributes(path) & platform::attr::kReadOnly, 0u);

  CProfile missing;
  EXPECT_EQ(missing.SetFile(tree.path("none.ini")), CProfile::LoadState::Missing);

  const std::string folderInstead = tree.folder("folder.ini");
  CProfile unreadable;
  EXPECT_EQ(unreadable.SetFile(folderInstead), CProfile::LoadState::Unreadable);
  unreadable.SetInt("Options", "Version", 1);
  std::string error;
  EXPECT_FALSE(unreadable.WriteAtExit(&error));
  EXPECT_NE(error.find("kept"), std::string::npos);
}
