// How a shortcut reads in the key list, and its packed form in the customization text.
#include "ui/shortcut.h"

#include <gtest/gtest.h>

#include "ui/key_names.h"

namespace {

using ui::Shortcut;
namespace keymod = ui::keymod;

Shortcut keys(std::uint8_t modifiers, std::uint16_t key) { return {static_cast<std::uint8_t>(modifiers | keymod::kVirtualKey), key, false}; }

}  // namespace

TEST(Shortcut, ReadsModifiersInCtrlAltShiftOrderThenTheKeyName) {
  const struct {
    Shortcut shortcut;
    const char* text;
  } cases[] = {
      {keys(keymod::kCtrl | keymod::kShift, 'P'), "Ctrl+Shift+P"},
      {keys(keymod::kAlt, 0x25), "Alt+Left"},
      {keys(keymod::kAlt | keymod::kCtrl, 0x2E), "Ctrl+Alt+Delete"},
      {keys(keymod::kShift | keymod::kAlt | keymod::kCtrl, 0x2E), "Ctrl+Alt+Shift+Delete"},
      {keys(0, 0x6B), "ADD"},
      {keys(keymod::kCtrl, 0x0D), "Ctrl+Return"},
      {keys(0, 0x74), "F5"},
      {keys(0, 0x87), "F24"},
      {keys(keymod::kCtrl, '9'), "Ctrl+9"},
      {keys(0, 0x65), "NUMPAD5"},
      {keys(0, 0x22), "Next"},
      {keys(0, 0xFE), "VK_OEM_CLEAR"},
  };
  for (const auto& c : cases) {
    const ui::KeyText text = ui::KeyTextOf(c.shortcut);
    EXPECT_EQ(text.text, c.text);
    EXPECT_TRUE(text.known) << c.text;
  }
}

TEST(Shortcut, AKeyWithoutANameKeepsOnlyItsModifiers) {
  const ui::KeyText text = ui::KeyTextOf(keys(keymod::kCtrl, 0x07));
  EXPECT_EQ(text.text, "Ctrl+");
  EXPECT_FALSE(text.known);
  // The gaps between the table's runs have no names either.
  for (const std::uint16_t gap : {0x00, 0x0A, 0x15, 0x1C, 0x3A, 0x40, 0x5E, 0x88, 0x92, 0xF5, 0xFF, 0x100}) {
    EXPECT_FALSE(ui::KeyName(gap)) << gap;
  }
}

TEST(Shortcut, PackedFormKeepsKeyModifiersAndOriginOnly) {
  const Shortcut ctrlR{keymod::kVirtualKey | keymod::kCtrl, 'R', true};
  EXPECT_EQ(ctrlR.Packed(), 0x01080052u);
  const Shortcut back = Shortcut::FromPacked(ctrlR.Packed());
  EXPECT_EQ(back.modifiers, ctrlR.modifiers);
  EXPECT_EQ(back.key, ctrlR.key);
  EXPECT_TRUE(back.userDefined);

  // The virtual-key flag is not packed; a built-in F5 packs as the plain key.
  EXPECT_EQ(keys(0, 0x74).Packed(), 0x74u);
  const Shortcut all = Shortcut::FromPacked(0x001C1234);
  EXPECT_EQ(all.modifiers, keymod::kVirtualKey | keymod::kShift | keymod::kCtrl | keymod::kAlt);
  EXPECT_FALSE(all.userDefined);
  // Bits outside the modifier mask, and an origin byte other than 1, are dropped.
  EXPECT_EQ(Shortcut::FromPacked(0x02E30041).Packed(), 0x00000041u);
  EXPECT_TRUE(Shortcut::FromPacked(0x02E30041).SameKeys(keys(0, 'A')));
}
