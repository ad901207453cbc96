#include "ui/user_tools.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/file_system.h"
#include "platform/path.h"
#include "tests/support/memory_store.h"
#include "tests/support/temp_tree.h"
#include "ui/tool_launch.h"

using Args = std::vector<std::string>;

namespace {

config::UserTool tool(const std::string& name, const std::string& app, int flags = 0) {
  config::UserTool made;
  made.Name = name;
  made.App = app;
  made.Flags = flags;
  return made;
}

ui::ToolValues someValues() {
  ui::ToolValues values;
  values.sourcePath = "/home/ann/My Letters/a.txt";
  values.targetPath = "/media/stick/a.txt";
  values.sourceAlias = "/src/a.txt";
  values.targetAlias = "/dst/a.txt";
  values.day = 5;
  values.month = 12;
  values.year = 2026;
  return values;
}

}  // namespace

TEST(UserToolParameters, MacrosAreReplacedWithinTheirWordAndEveryValueIsOneArgument) {
  const ui::ToolValues values = someValues();
  EXPECT_EQ(ui::ExpandToolParameters("{$SourcePath} {$SourcePath}", values),
            (Args{"/home/ann/My Letters/a.txt", "/home/ann/My Letters/a.txt"}));
  EXPECT_EQ(ui::ExpandToolParameters("--left={$SourcePath} \"{$TargetPath}\" /={$DstAlias}", values),
            (Args{"--left=/home/ann/My Letters/a.txt", "/media/stick/a.txt", "/=/dst/a.txt"}));
  EXPECT_EQ(ui::ExpandToolParameters("log-%Y%M%D.txt %% %X", values), (Args{"log-261205.txt", "%%", "%X"}));
  EXPECT_EQ(ui::ExpandToolParameters("\"two words\" {$SourceFolder}", values),
            (Args{"two words", "/home/ann/My Letters/a.txt"}));
  EXPECT_TRUE(ui::ExpandToolParameters("", values).empty());
}

TEST(UserToolParameters, AValueIsNeverReadAgainForMacros) {
  ui::ToolValues values = someValues();
  values.sourcePath = "/x/{$TargetPath}%D";
  EXPECT_EQ(ui::ExpandToolParameters("{$SourcePath}", values), (Args{"/x/{$TargetPath}%D"}));
}

TEST(UserToolParameters, ComparisonProgramsGetBothPathsAndOurOwnKindTheAliasesToo) {
  EXPECT_EQ(ui::ComparisonParameters("/usr/bin/meld"), "{$SourcePath} {$TargetPath}");
  EXPECT_EQ(ui::ComparisonParameters("C:\\Tools\\DiffWork3.exe"),
            "{$SourcePath} /={$SrcAlias} {$TargetPath} /={$DstAlias}");
  EXPECT_EQ(ui::ComparisonParameters("diffwork3.exe"), "{$SourcePath} {$TargetPath}");
}

TEST(UserTools, TheComparisonToolIsTheFirstMarkedElseTheLastOfOurKindWhichGetsMarked) {
  std::vector<config::UserTool> tools{tool("a", "/opt/diffwork3"), tool("b", "/opt/diffwork.exe", 0x7),
                                      tool("c", "diffwork3")};
  EXPECT_EQ(ui::ComparisonTool(tools), 1);
  EXPECT_EQ(tools[1].Flags, 0x10007);
  EXPECT_EQ(ui::ComparisonTool(tools), 1);

  tools[1].Flags = 0x20000;
  tools[2].Flags = 0x10000;
  EXPECT_EQ(ui::ComparisonTool(tools), 1) << "the first marked one";
  ui::MarkComparisonTool(tools, 2);
  EXPECT_EQ(tools[1].Flags, 0);
  EXPECT_EQ(tools[2].Flags, 0x10000);

  std::vector<config::UserTool> none{tool("edit", "/usr/bin/gedit")};
  EXPECT_EQ(ui::ComparisonTool(none), -1);
  EXPECT_EQ(none[0].Flags, 0);
}

TEST(UserTools, MenusShowToolsWithANameAndACommand) {
  const std::vector<config::UserTool> tools{tool("Edit", "gedit"), tool("", "nameless"), tool("No command", ""),
                                            tool("Compare", "meld", 0x10000)};
  EXPECT_EQ(ui::MenuTools(tools, true), (std::vector<int>{0, 3}));
  EXPECT_EQ(ui::MenuTools(tools, false), (std::vector<int>{0}));
}

TEST(UserTools, ProgramsAreFoundBesideUsThenAlongThePathNeverInTheCurrentFolder) {
  testsupport::TempTree tree;
  const std::string ours = tree.write("prog/mytool", "#!/bin/sh\n");
  const std::string onPath = tree.write("bin/pathtool", "#!/bin/sh\n");
  const std::string here = tree.write("cwd/heretool", "#!/bin/sh\n");
  for (const std::string& file : {ours, onPath, here}) ::chmod(file.c_str(), 0755);
  testsupport::ScopedEnvironment path("PATH", tree.path("bin"));
  const std::string programFolder = tree.path("prog");
  EXPECT_EQ(ui::FindToolProgram("mytool", programFolder), ours);
  EXPECT_EQ(ui::FindToolProgram("pathtool", programFolder), onPath);
  EXPECT_EQ(ui::FindToolProgram(onPath, programFolder), onPath);
  ASSERT_EQ(::chdir(tree.path("cwd").c_str()), 0);
  EXPECT_EQ(ui::FindToolProgram("heretool", programFolder), "");
  EXPECT_EQ(ui::FindToolProgram("./heretool", programFolder), "");
  EXPECT_EQ(ui::FindToolProgram("missing", programFolder), "");
  ASSERT_EQ(::chdir("/"), 0);
}

namespace {

// A comparison of two local folders with a file on both sides, one only in the source and one
// to delete; everything selected as planned.
struct ToolLaunchOnDisk : ::testing::Test {
  testsupport::TempTree tree;
  engine::EngineSettings settings;
  engine::CompareEngine engine{settings, engine::StoreContext{}};
  engine::CompareObserver quiet;

  void SetUp() override {
    tree.writeWithTime("my src/both.txt", "new", testsupport::utcTime(2025, 1, 1, 0, 0, 0));
    tree.writeWithTime("dst/both.txt", "old", testsupport::utcTime(2020, 1, 1, 0, 0, 0));
    tree.write("my src/new.txt", "n");
    tree.folder("lists");
    engine::SessionSpec session;
    session.source = tree.folder("my src");
    session.target = tree.folder("dst");
    session.flags = engine::sessionflag::kSubfolders;
    ASSERT_TRUE(engine.RunComparison(session, quiet)) << engine.LastError();
  }
  int itemNamed(const std::string& name) {
    for (int index = 0; index < engine.Items().Count(); ++index) {
      if (engine.Items().at(index).name == name) return index;
    }
    return -1;
  }
  ui::ToolLaunch launch(const std::string& name, const std::string& parameters) {
    return ui::PrepareToolLaunch(engine, itemNamed(name), {"/usr/bin/tool", parameters, "", tree.path("lists")});
  }
};

}  // namespace

TEST_F(ToolLaunchOnDisk, LocalFoldersGiveTheirFilesAndAMissingSideWhereItWouldBe) {
  const ui::ToolLaunch both = launch("both.txt", "{$SourcePath} {$TargetPath}");
  EXPECT_EQ(both.error, "");
  EXPECT_EQ(both.arguments, (Args{"/usr/bin/tool", tree.path("my src/both.txt"), tree.path("dst/both.txt")}));
  const ui::ToolLaunch onlySource = launch("new.txt", "{$TargetPath}");
  EXPECT_EQ(onlySource.arguments, (Args{"/usr/bin/tool", tree.path("dst/new.txt")}));
  EXPECT_TRUE(launch("", "{$SourcePath}").arguments.empty()) << "a folder row starts nothing";
}

TEST_F(ToolLaunchOnDisk, ListFilesNameThePlannedFilesAndAListThatCannotBeWrittenStopsTheTool) {
  const ui::ToolLaunch lists = launch("both.txt", "{$NewFileList} {$BackupList}");
  ASSERT_EQ(lists.error, "");
  const std::string newList = platform::joinPath(tree.path("lists"), "orvandi3.lst");
  const std::string backupList = platform::joinPath(tree.path("lists"), "orvandi3back.lst");
  EXPECT_EQ(lists.arguments, (Args{"/usr/bin/tool", newList, backupList}));
  EXPECT_EQ(tree.read("lists/orvandi3.lst"), tree.path("my src/both.txt") + "\n" + tree.path("my src/new.txt") + "\n");
  EXPECT_EQ(tree.read("lists/orvandi3back.lst"), tree.path("dst/both.txt") + "\n");

  const ui::ToolLaunch unwritable =
      ui::PrepareToolLaunch(engine, itemNamed("both.txt"), {"/usr/bin/tool", "{$BackupList}", "", tree.path("none")});
  EXPECT_TRUE(unwritable.arguments.empty());
  EXPECT_NE(unwritable.error.find("Fail to generate file list!"), std::string::npos) << unwritable.error;
}

TEST_F(ToolLaunchOnDisk, AFolderSwappedForALinkSinceTheComparisonNeverLeadsTheToolOutOfThePair) {
  tree.write("my src/sub/deep.txt", "inside");
  tree.write("dst/sub/deep.txt", "inside too");
  tree.write("outside/deep.txt", "outside");
  engine::SessionSpec session;
  session.source = tree.path("my src");
  session.target = tree.path("dst");
  session.flags = engine::sessionflag::kSubfolders;
  ASSERT_TRUE(engine.RunComparison(session, quiet)) << engine.LastError();
  ASSERT_EQ(::rename(tree.path("my src/sub").c_str(), tree.path("my src/moved").c_str()), 0);
  ASSERT_EQ(::symlink(tree.path("outside").c_str(), tree.path("my src/sub").c_str()), 0);

  for (const char* parameters : {"{$SourcePath}", "{$SourceFolder}"}) {
    const ui::ToolLaunch swapped = launch("deep.txt", parameters);
    const std::string given = swapped.arguments.size() == 2
                                  ? platform::readWholeFile(swapped.arguments[1]).value_or("(nothing there)")
                                  : "(refused: " + swapped.error + ")";
    EXPECT_NE(given, "outside") << parameters << " " << (swapped.arguments.size() == 2 ? swapped.arguments[1] : "");
  }
  std::string error;
  EXPECT_NE(platform::readWholeFile(ui::LocalFileToOpen(engine, itemNamed("deep.txt"), error)).value_or(""), "outside");
}

TEST(ToolLaunch, AStoreThatIsNoLocalFolderHandsOutALocalCopy) {
  engine::CompareEngine engine(engine::EngineSettings{}, engine::StoreContext{});
  auto source = std::make_unique<testsupport::MemoryStore>(engine::StoreContext{}, "/src");
  source->Put("a.txt", "content of a", 1);
  ASSERT_TRUE(testsupport::CompareWithEmptyTarget(engine, std::move(source)));
  int item = 0;
  while (engine.Items().at(item).name != "a.txt") ++item;
  const ui::ToolLaunch launch = ui::PrepareToolLaunch(engine, item, {"/bin/tool", "{$SourcePath} {$TargetPath} {$SrcAlias}", "", "/tmp"});
  ASSERT_EQ(launch.arguments.size(), 4u) << launch.error;
  EXPECT_EQ(platform::readWholeFile(launch.arguments[1]).value_or(""), "content of a");
  EXPECT_EQ(launch.arguments[2], "") << "a store of copies has no path for a file it does not hold";
  EXPECT_EQ(launch.arguments[3], "/src/a.txt");
  std::string error;
  EXPECT_EQ(platform::readWholeFile(ui::LocalFileToOpen(engine, item, error)).value_or(""), "content of a");
}
