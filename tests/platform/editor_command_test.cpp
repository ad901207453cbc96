#include "platform/editor_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>


#include "platform/process.h"
#include "tests/support/temp_tree.h"

namespace {

using Command = std::vector<std::string>;

TEST(EditorCommand, VisualThenEditorThenTheDesktopsProgramWithTheFileLast) {
  const std::string file = "/home/me/my notes; $(rm -rf ~).arc";
  EXPECT_EQ(platform::editorCommand(file, "kate", "vim"), (Command{"kate", file}));
  EXPECT_EQ(platform::editorCommand(file, "  code  --wait ", "vim"), (Command{"code", "--wait", file}))
      << "the program's own arguments, split at blanks";
  EXPECT_EQ(platform::editorCommand(file, " \t", "nano"), (Command{"nano", file})) << "a blank VISUAL is no editor";
  EXPECT_EQ(platform::editorCommand(file, "", ""), (Command{"xdg-open", file}));
}

TEST(EditorCommand, TheEditorGetsTheFileAsOneArgumentAndNoShellReadsIt) {
  testsupport::TempTree tree;
  // A stand-in editor that writes down the arguments it was given, one a line.
  const std::string editor = tree.write("bin/editor", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" >\"$(dirname \"$0\")/seen.tmp\"\n"
                                                      "mv \"$(dirname \"$0\")/seen.tmp\" \"$(dirname \"$0\")/seen\"\n");
  ASSERT_EQ(chmod(editor.c_str(), 0755), 0);
  const std::string file = tree.write("it's $(touch PWNED) `touch PWNED2`.arc", "[7z]\n");
  std::string error;
  ASSERT_TRUE(platform::startDetached(platform::editorCommand(file, editor + " --line 3", "vim"), error)) << error;
  for (int wait = 0; wait < 200 && !tree.exists("bin/seen"); ++wait) usleep(20000);
  ASSERT_TRUE(tree.exists("bin/seen"));
  EXPECT_EQ(tree.read("bin/seen"), "3\n--line\n3\n" + file + "\n");
  EXPECT_FALSE(tree.exists("PWNED"));
  EXPECT_FALSE(tree.exists("bin/PWNED2"));
}

TEST(EditorCommand, AnEditorThatIsNotThereIsSaid) {
  std::string error;
  EXPECT_FALSE(platform::startDetached({"velkor-no-such-editor", "/tmp/x.arc"}, error));
  EXPECT_NE(error.find("velkor-no-such-editor"), std::string::npos);
  EXPECT_FALSE(platform::startDetached({"./relative-editor", "/tmp/x.arc"}, error));
}

}  // namespace
