#include "config/path_variables.h"

#include <chrono>
#include <gtest/gtest.h>

#include <cstdlib>

#include "config/config_location.h"
#include "platform/special_folders.h"
#include "tests/support/temp_tree.h"

using config::PathVariables;

namespace {

std::string expand(const PathVariables& vars, const std::string& text) {
  std::string out;
  EXPECT_TRUE(vars.Expand(text, out)) << out;
  return out;
}

}  // namespace

TEST(PathVariables, BuiltInsUserVariablesAndEnvironment) {
  PathVariables vars;
  vars.AddUserVariable({"Data", "$(Current drive)Data"});
  vars.SetEnvironment({{"TEMP", "/var/tmp"}, {"temp", "/lower"}});
  const std::string documents = platform::documentsFolder();
  EXPECT_EQ(expand(vars, "$(my documents)/Mail"), documents + "/Mail");
  EXPECT_EQ(expand(vars, "$(My Documents)/Mail"), documents + "/Mail");
  EXPECT_EQ(expand(vars, "$(Program Files)"), "/usr/");
  EXPECT_EQ(expand(vars, "$(Data)x and $(data)y"), "/Data/x and /Data/y");
  EXPECT_EQ(expand(vars, "$(Data)"), "/Data/");
  EXPECT_EQ(expand(vars, "%TEMP%/x"), "/var/tmp/x");
  EXPECT_EQ(expand(vars, "%temp%/x"), "/lower/x") << "environment names match as Linux spells them";
  EXPECT_EQ(expand(vars, "$(Unknown)/x %NOPE%"), "$(Unknown)/x %NOPE%");
  EXPECT_EQ(expand(vars, "/ü/$(Data)"), "/ü/Data/");
}

TEST(PathVariables, SelfReferencesFailQuicklyNamingTheVariable) {
  PathVariables vars;
  vars.AddUserVariable({"A", "$(A)x"});
  vars.AddUserVariable({"B", "$(C)"});
  vars.AddUserVariable({"C", "$(B)"});
  vars.SetEnvironment({{"X", "%X%"}});
  const auto start = std::chrono::steady_clock::now();
  for (const auto& [text, named] : {std::pair{"$(A)", "$(A)"}, std::pair{"/p/$(B)", "$("}, std::pair{"%X%", "%X%"}}) {
    std::string out;
    EXPECT_FALSE(vars.Expand(text, out)) << text;
    EXPECT_NE(out.find(named), std::string::npos) << out;
    EXPECT_NE(out.find("refers to itself"), std::string::npos) << out;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(PathVariables, StorageBehindTheBuiltIns) {
  config::CProfile profile;
  profile.LoadText("[PathVars]\nTotal=2\n0=Work\nvar_0=/srv/work\n1=Music\nvar_1=$(My Documents)/Music\n");
  PathVariables vars;
  vars.Load(profile);
  ASSERT_EQ(vars.All().size(), static_cast<std::size_t>(vars.BuiltInCount() + 2));
  EXPECT_EQ(vars.All()[static_cast<std::size_t>(vars.BuiltInCount())].name, "Work");
  config::CProfile saved;
  vars.Save(saved);
  EXPECT_EQ(saved.ToText(), "[PathVars]\nTotal=2\n0=Work\nvar_0=/srv/work\n1=Music\nvar_1=$(My Documents)/Music\n\n");
}

TEST(ConfigLocation, BesideTheProgramOnlyWhenAFileIsThereElseTheDesktopsFolder) {
  testsupport::TempTree tree;
  const std::string exe = tree.write("bin/orvandi3", "");
  const char* previous = std::getenv("XDG_CONFIG_HOME");
  const std::string kept = previous != nullptr ? previous : "";
  setenv("XDG_CONFIG_HOME", tree.path("config").c_str(), 1);
  EXPECT_EQ(config::LocateConfiguration("", exe), tree.path("config/velkor/orvandi3.ini"));
  EXPECT_EQ(config::LocateConfiguration("my", exe), tree.path("config/velkor/my.ini"));
  tree.write("bin/orvandi3.ini", "");
  tree.write("bin/my.cfg", "");
  EXPECT_EQ(config::LocateConfiguration("", exe), tree.path("bin/orvandi3.ini")) << "a portable install";
  EXPECT_EQ(config::LocateConfiguration("my.cfg", exe), tree.path("bin/my.cfg"));
  EXPECT_EQ(config::LocateConfiguration("/etc/x.ini", exe), "/etc/x.ini");
  EXPECT_EQ(config::LocateConfiguration("rel/x.ini", exe), "rel/x.ini");
  if (previous != nullptr) {
    setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}
