// The key list's rows and its three sort orders.
#include "ui/key_list.h"

#include <gtest/gtest.h>

#include "ui/builtin_shortcuts.h"

namespace {

// Commands as the window's menus name them, each with its built-in keys.
ui::ShortcutMap windowMap() {
  ui::ShortcutMap map;
  map.AddCommand(32771, "File/Select folders...");       // F2
  map.AddCommand(57609, "File/Print Preview");           // Ctrl+Shift+P
  map.AddCommand(32932, "View/Rescan");                  // F5
  map.AddCommand(57666, "Help/Help");                    // F1
  map.AddCommand(34008, "List/Show menu");               // Ctrl+F10
  map.AddCommand(32912, "List/reverse");                 // Alt+Left, Alt+Right
  map.AddCommand(32789, "List/Toggle selection");        // Space
  map.AddCommand(34004, "List/Select by mask");          // ADD
  map.AddCommand(ui::kFirstUserTool, "Tools/Tool 1");    // Ctrl+1
  map.AddCommand(ui::kFirstUserTool + 1, "Tools/Tool 2");  // Ctrl+2
  map.AddCommand(ui::kLastUserTool, "Tools/Tool 9");     // Ctrl+9
  return map;
}

std::string statusText(int id) {
  return id == 32932 ? "Compare the folders again\nRescan" : id == 57666 ? "" : "Does " + std::to_string(id);
}

std::vector<std::string> column(const std::vector<ui::KeyListRow>& rows, std::string ui::KeyListRow::*field) {
  std::vector<std::string> values;
  for (const ui::KeyListRow& row : rows) values.push_back(row.*field);
  return values;
}

}  // namespace

TEST(KeyList, SortedByKeyFunctionKeysComeFirstThenModifiersThenKeyCode) {
  const ui::KeyListing listing = ui::MakeKeyList(windowMap(), statusText, {{"meld", "%1 %2", "", "Meld", 0}});
  EXPECT_FALSE(listing.unknownKey);
  EXPECT_EQ(column(listing.rows, &ui::KeyListRow::key),
            (std::vector<std::string>{"F1", "F2", "F5", "Ctrl+F10", "Space", "ADD", "Ctrl+1", "Ctrl+Shift+P", "Alt+Left",
                                      "Alt+Right"}));
}

TEST(KeyList, DescriptionsAreTheFirstLineOrTheToolsName) {
  ui::ShortcutMap map = windowMap();
  map.AddCommand(32790, "List/Toggle #internal");  // Insert: left out by its name
  // Tool 1 has a name, tool 2 none, tool 9 (33941) is beyond the list: only tool 1 is shown.
  const ui::KeyListing listing = ui::MakeKeyList(map, statusText, {{"meld", "", "", "Meld", 0}, {"vim", "", "", "", 0}});
  std::map<std::string, std::string> described;
  for (const ui::KeyListRow& row : listing.rows) described[row.command] = row.description;
  EXPECT_EQ(described.size(), 9u);
  EXPECT_EQ(described["View/Rescan"], "Compare the folders again");
  EXPECT_EQ(described["Help/Help"], "");
  EXPECT_EQ(described["Tools/Tool 1"], "Meld");
  EXPECT_FALSE(described.contains("Tools/Tool 2"));
  EXPECT_FALSE(described.contains("Tools/Tool 9"));
  EXPECT_FALSE(described.contains("List/Toggle #internal"));
}

TEST(KeyList, TextColumnsSortWithoutLetterCaseAndEitherWay) {
  ui::KeyListing listing = ui::MakeKeyList(windowMap(), statusText, {});
  ui::SortKeyList(listing.rows, ui::KeyListColumn::Command, false);
  const std::vector<std::string> commands = column(listing.rows, &ui::KeyListRow::command);
  EXPECT_EQ(commands.front(), "File/Print Preview");
  EXPECT_EQ(commands[3], "List/reverse") << "between Help/Help and List/Select by mask";
  EXPECT_EQ(commands[4], "List/reverse");
  EXPECT_EQ(column(listing.rows, &ui::KeyListRow::key)[3], "Alt+Left") << "equal names keep the key order";
  ui::SortKeyList(listing.rows, ui::KeyListColumn::Description, true);
  EXPECT_EQ(listing.rows.front().description, "Does 57609");
  EXPECT_EQ(listing.rows.back().description, "");
  ui::SortKeyList(listing.rows, ui::KeyListColumn::Key, true);
  EXPECT_EQ(listing.rows.back().key, "F1");
}

TEST(KeyList, AnUnknownKeyIsListedWithItsModifiersAndReported) {
  ui::ShortcutMap map = windowMap();
  map.ApplyCustomization("2,80A4,1080007");
  const ui::KeyListing listing = ui::MakeKeyList(map, statusText, {});
  EXPECT_TRUE(listing.unknownKey);
  const std::vector<std::string> keys = column(listing.rows, &ui::KeyListRow::key);
  EXPECT_NE(std::find(keys.begin(), keys.end(), "Ctrl+"), keys.end());
}
