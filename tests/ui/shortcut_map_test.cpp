// The command keys from the built-in table, changed by the customization text and reset.
#include "ui/shortcut_map.h"

#include <gtest/gtest.h>

#include "ui/command_name.h"
#include "ui/list_commands.h"
#include "ui/shortcut_customization.h"

namespace {

constexpr int kRescan = 32932;      // F5
constexpr int kReverse = 32912;     // Alt+Left, Alt+Right
constexpr int kExit = 57665;        // none
constexpr int kPrintPreview = 57609;

ui::ShortcutMap windowMap() {
  ui::ShortcutMap map;
  map.AddCommand(kRescan, "View/Rescan");
  map.AddCommand(kReverse, "List/Reverse");
  map.AddCommand(kExit, "File/Exit");
  map.AddCommand(kPrintPreview, "File/Print Preview");
  return map;
}

// The command's keys as the key list reads them, joined by " ".
std::string keysOf(const ui::ShortcutMap& map, int id) {
  std::string text;
  for (const ui::Shortcut& shortcut : map.Find(id)->shortcuts) text += (text.empty() ? "" : " ") + ui::KeyTextOf(shortcut).text;
  return text;
}

}  // namespace

TEST(ShortcutMap, CommandsGetTheirBuiltInKeysAndKeepTheirFirstName) {
  ui::ShortcutMap map = windowMap();
  EXPECT_EQ(keysOf(map, kRescan), "F5");
  EXPECT_EQ(keysOf(map, kReverse), "Alt+Left Alt+Right");
  EXPECT_EQ(keysOf(map, kExit), "");
  EXPECT_EQ(keysOf(map, kPrintPreview), "Ctrl+Shift+P");
  map.AddCommand(kRescan, "Other/Rescan");
  EXPECT_EQ(map.Commands().size(), 4u);
  EXPECT_EQ(map.Find(kRescan)->name, "View/Rescan");
  EXPECT_EQ(map.Find(12345), nullptr);
}

TEST(ShortcutMap, CustomizationAddsAndRemovesKeysOfKnownCommands) {
  ui::ShortcutMap map = windowMap();
  // Rescan: + Ctrl+R, - F5; Exit: + Alt+X; 0x7FFF (unknown): + Ctrl+Q; Reverse: - Alt+Right.
  map.ApplyCustomization("A,80A4,1080052,E141,1100058,7FFF,1080051_80A4_74_8090_100027");
  EXPECT_EQ(keysOf(map, kRescan), "Ctrl+R");
  EXPECT_TRUE(map.Find(kRescan)->shortcuts.front().userDefined);
  EXPECT_EQ(keysOf(map, kExit), "Alt+X");
  EXPECT_EQ(keysOf(map, kReverse), "Alt+Left");
  EXPECT_EQ(map.Find(0x7FFF), nullptr);

  // A key the command has already is not added twice; lower-case digits read as well.
  map.ApplyCustomization("2,80a4,1080052");
  EXPECT_EQ(keysOf(map, kRescan), "Ctrl+R");

  map.ResetToBuiltIn();
  EXPECT_EQ(keysOf(map, kRescan), "F5");
  EXPECT_EQ(keysOf(map, kExit), "");
  EXPECT_EQ(keysOf(map, kReverse), "Alt+Left Alt+Right");
}

TEST(ShortcutMap, AKeyGivenToACommandIsTakenFromEveryOtherCommand) {
  // Two commands on one key would both be dead: Qt runs neither of an ambiguous pair.
  ui::ShortcutMap map = windowMap();
  map.ApplyCustomization("2,80A4,10C0050");
  EXPECT_EQ(keysOf(map, kRescan), "F5 Ctrl+Shift+P");
  EXPECT_EQ(keysOf(map, kPrintPreview), "") << "the user's key wins over the built-in one";

  map.ApplyCustomization("4,E141,74,8090,74");
  EXPECT_EQ(keysOf(map, kRescan), "Ctrl+Shift+P");
  EXPECT_EQ(keysOf(map, kExit), "");
  EXPECT_EQ(keysOf(map, kReverse), "Alt+Left Alt+Right F5") << "given twice: the later addition has it";

  map.ResetToBuiltIn();
  EXPECT_EQ(keysOf(map, kPrintPreview), "Ctrl+Shift+P");
  EXPECT_EQ(keysOf(map, kRescan), "F5");
}

TEST(ShortcutMap, MalformedCustomizationChangesOnlyWhatItSpellsOut) {
  const struct {
    const char* text;
    const char* rescanKeys;
    const char* why;
  } cases[] = {
      {"", "F5", "empty"},
      {"0,80A4,1080052", "F5", "a count of zero"},
      {"-2,80A4,1080052", "F5", "a count that is no number"},
      {"x", "F5", "no count"},
      {"FFFFFFFFF,80A4,1080052", "F5", "a count past 32 bits"},
      {"9,80A4,1080052", "F5 Ctrl+R", "a count larger than the numbers present"},
      {"3,80A4,1080052,80A4", "F5 Ctrl+R", "an odd list: the lone id at the end is ignored"},
      {"1,80A4", "F5", "an addition without its key"},
      {"2,80A4,1080052,80A4,1100058", "F5 Ctrl+R", "numbers past the count are not read"},
      {"4,80A4,1080052,,1100058", "F5 Ctrl+R", "a separator without a number ends the text"},
      {"2,180A4,1080052", "F5", "an id past 16 bits names no command"},
      {"3_80A4_74_80A4", "", "removals read in pairs too"},
  };
  for (const auto& c : cases) {
    ui::ShortcutMap map = windowMap();
    map.ApplyCustomization(c.text);
    EXPECT_EQ(keysOf(map, kRescan), c.rescanKeys) << c.why;
  }
}

TEST(ShortcutMap, AdditionsComeBeforeRemovalsWhereverTheyStand) {
  const ui::Customization parsed = ui::ParseCustomization("4_80A4_1080052,80A4,1080052");
  ASSERT_EQ(parsed.additions.size(), 1u);
  ASSERT_EQ(parsed.removals.size(), 1u);
  ui::ShortcutMap map = windowMap();
  map.ApplyCustomization("4_80A4_1080052,80A4,1080052");
  EXPECT_EQ(keysOf(map, kRescan), "F5");
}

TEST(CommandName, PopupsAndItemWithoutFirstMnemonicOrShortcutText) {
  EXPECT_EQ(ui::CommandName({"&File"}, "E&xit\tAlt+F4"), "File/Exit");
  EXPECT_EQ(ui::CommandName({"&Tools", "&Recursive"}, "&Do it now!"), "Tools/Recursive/Do it now!");
  EXPECT_EQ(ui::MenuItemName("&Select folders..."), "Select folders...");
}
