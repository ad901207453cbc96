#include "config/options.h"

#include <gtest/gtest.h>

#include "platform/special_folders.h"

using config::COptions;
using config::CProfile;

namespace {

COptions loaded(const std::string& text) {
  CProfile profile;
  profile.LoadText(text);
  COptions options;
  options.Load(profile);
  return options;
}

COptions filledOptions() {
  COptions o;
  o.language = "deutsch.dic";
  o.optionsPage = 2;
  o.logState = 1;
  o.logFile = "/var/log/velkor.log";
  o.ntfsHours = 2;
  o.flags = 0x3F402;
  o.maxLogSize = 100;
  o.maxLogState = 1;
  o.listSort = 1;
  o.backupPath = "/srv/backups";
  o.mainWindowPair = 0x00640032;
  o.pathVariables.AddUserVariable({"Data", "/srv/data"});
  o.filters.push_back({"Mine", "*.mine \"with space*.x\"", "second", 4});
  o.filtersChanged = true;
  o.currentFilter = 6;
  o.listFont.faceName = "DejaVu Sans";
  o.listFont.height = -15;
  o.currentSession.Src = "\"quoted\" source";
  o.currentSession.Dst = "/dst";
  o.currentSession.Filter = {0x05, 0, 1700000000, 5LL << 30, 3, 1, 5, 2};
  o.userTools.push_back({"/usr/bin/meld", "%1 %2", "/tmp", "Meld", 3});
  config::CSession session;
  session.Name = "Docs";
  session.Src = "$(My Documents)";
  session.Dst = "/backup/docs";
  session.Files = "*.doc ! ~*";
  session.SFlags = 0x401;
  session.Todo = config::kBackup;
  session.Cmp = config::kContent;
  o.sessions.push_back(session);
  session.Name = "Mail|box";
  o.sessions.push_back(session);
  o.ftpServers.push_back({"home", "ftp.example", "me", "s3cret", "/pub", 2121, 1, 0, "FTPS", "sha256//abc=", ""});
  o.ftpServers.push_back({"box", "box.example", "me", "phrase", "", 2222, 2, -1, "SFTP", "", "/home/me/.ssh/id_ed25519"});
  o.ftpProxies.push_back({"proxy", "pu", "pp", 8021});
  o.projects.push_back({"Nightly", {"Docs", "Mail|box", "Missing"}});
  o.projects.push_back({"Empty", {}});
  o.shortcutText = "4,80A4,1080052_80A4_74";
  return o;
}

void expectSameStoredRecords(const COptions& a, const COptions& b) {
  EXPECT_EQ(a.language, b.language);
  EXPECT_EQ(a.optionsPage, b.optionsPage);
  EXPECT_EQ(a.logState, b.logState);
  EXPECT_EQ(a.logFile, b.logFile);
  EXPECT_EQ(a.ntfsHours, b.ntfsHours);
  EXPECT_EQ(a.flags, b.flags);
  EXPECT_EQ(a.maxLogSize, b.maxLogSize);
  EXPECT_EQ(a.maxLogState, b.maxLogState);
  EXPECT_EQ(a.listSort, b.listSort);
  EXPECT_EQ(a.backupPath, b.backupPath);
  EXPECT_EQ(a.mainWindowPair, b.mainWindowPair);
  EXPECT_TRUE(a.pathVariables == b.pathVariables);
  EXPECT_EQ(a.filters, b.filters);
  EXPECT_EQ(a.currentFilter, b.currentFilter);
  EXPECT_EQ(a.listFont, b.listFont);
  EXPECT_TRUE(a.currentSession.Equals(b.currentSession));
  EXPECT_EQ(a.currentSession.Filter.lowerBound, b.currentSession.Filter.lowerBound);
  EXPECT_EQ(a.userTools, b.userTools);
  ASSERT_EQ(a.sessions.size(), b.sessions.size());
  for (std::size_t i = 0; i < a.sessions.size(); ++i) EXPECT_TRUE(a.sessions[i].Equals(b.sessions[i]));
  EXPECT_EQ(a.ftpServers, b.ftpServers);
  EXPECT_EQ(a.ftpProxies, b.ftpProxies);
  ASSERT_EQ(a.projects.size(), b.projects.size());
  for (std::size_t i = 0; i < a.projects.size(); ++i) {
    EXPECT_EQ(a.projects[i].Name, b.projects[i].Name);
    EXPECT_EQ(a.projects[i].Sessions, b.projects[i].Sessions);
  }
  EXPECT_EQ(a.shortcutText, b.shortcutText);
}

}  // namespace

TEST(Options, WrittenConfigurationReadsBackEqual) {
  COptions original = filledOptions();
  CProfile profile;
  original.Save(profile);
  const std::string text = profile.ToText();
  EXPECT_NE(text.find("Src=#\"quoted\" source"), std::string::npos);
  EXPECT_NE(text.find("Project1=Nightly||Docs||Mail|box||Missing||"), std::string::npos);
  EXPECT_NE(text.find("6=Mine"), std::string::npos);
  EXPECT_NE(text.find("Version=1"), std::string::npos);
  // The newest key comes last in its section, so files of older versions keep their order.
  EXPECT_NE(text.find("Project2=Empty||\nShortcuts=4,80A4,1080052_80A4_74\n"), std::string::npos);
  const COptions reread = loaded(text);
  expectSameStoredRecords(original, reread);
}

TEST(Options, DefaultsFirstRunAndFlagBits) {
  const COptions fresh = loaded("");
  EXPECT_EQ(fresh.flags, 0xB402u);
  EXPECT_EQ(fresh.ntfsHours, 1);
  EXPECT_EQ(fresh.listSort, 3);
  EXPECT_EQ(fresh.filters.size(), 6u);
  EXPECT_EQ(fresh.filters[5].masks, "*.*");
  EXPECT_EQ(fresh.listFont, config::LogFont{});
  EXPECT_EQ(fresh.backupPath, platform::defaultBackupFolder());
  ASSERT_EQ(fresh.sessions.size(), 2u);
  EXPECT_EQ(fresh.sessions[0].Name, "My Docs");
  EXPECT_EQ(fresh.sessions[1].Name, "Outlook Backup");
  EXPECT_EQ(fresh.sessions[1].Todo, config::kBackup);
  EXPECT_TRUE(fresh.sessions[1].Dst.ends_with(".zip"));

  EXPECT_TRUE(loaded("[Options]\nVersion=1\n").sessions.empty());
  EXPECT_EQ(loaded("[Options]\nFlags=2097151\n").flags, 0xFFFFFu);
  EXPECT_EQ(loaded("[Options]\nBackupPath=relative/dir\n").backupPath, platform::defaultBackupFolder());
}

TEST(Options, OutOfRangeValuesLoadAsDefaults) {
  struct Case {
    const char* text;
    int sessions;
    int ntfsHours;
    int listSort;
    int todo;
  };
  const Case cases[] = {
      {"[Options]\nVersion=1\nSessions=-3\nNTFSHours=-1\nListSort=9\nTodo=7\n", 0, 1, 3, 0},
      {"[Options]\nVersion=1\nSessions=2000000000\nNTFSHours=abc\nListSort=-1\nTodo=-1\n", 0, 1, 3, 0},
      {"[Options]\nVersion=1\nSessions=99999999999999\nNTFSHours=99999999999\nListSort=x\nTodo=4\n", 0, 1, 3, 4},
      {"[Options]\nVersion=1\nSessions=2000000000\n[Session1]\nName=a\n[Session2]\nName=b\n", 2, 1, 3, 0},
  };
  for (const Case& c : cases) {
    const COptions o = loaded(c.text);
    EXPECT_EQ(static_cast<int>(o.sessions.size()), c.sessions) << c.text;
    EXPECT_EQ(o.ntfsHours, c.ntfsHours) << c.text;
    EXPECT_EQ(o.listSort, c.listSort) << c.text;
    EXPECT_EQ(o.currentSession.Todo, c.todo) << c.text;
  }
  const COptions o = loaded("[Options]\nVersion=1\nProjects=2000000000\nProject1=P||a||\n[Filters]\nTotal=9999\nCur=77\n");
  EXPECT_EQ(o.projects.size(), 1u);
  EXPECT_EQ(o.filters.size(), 6u);
  EXPECT_EQ(o.currentFilter, 0);
}

TEST(Options, FtpSectionsWrittenBeforeTheSecureKindsReadAsPlainFtp) {
  const COptions options = loaded("[Options]\nFTPList=3\n"
                                  "[FTPServer1]\nName=Old\nServer=ftp.example\nPort=2121\n"
                                  "[FTPServer2]\nName=Box\nServer=box.example\nProtocol=SFTP\n"
                                  "[FTPServer3]\nName=Tls\nServer=tls.example\nProtocol=ftps\nPinnedKey=sha256//abc=\n");
  ASSERT_EQ(options.ftpServers.size(), 3u);
  EXPECT_EQ(options.ftpServers[0].Protocol, "");
  EXPECT_EQ(options.ftpServers[0].Port, 2121);
  EXPECT_EQ(options.ftpServers[1].Port, 22) << "SFTP's own port when none is written";
  EXPECT_EQ(options.ftpServers[2].Port, 21);
  EXPECT_EQ(options.ftpServers[2].PinnedKey, "sha256//abc=");
  EXPECT_EQ(options.ftpServers[0].Firewall, -1) << "no proxy unless the section names one";
  for (const char* wrong : {"abc", "99999", "0", "-21", "21x"}) {
    const COptions read = loaded(std::string("[Options]\nFTPList=1\n[FTPServer1]\nName=P\nServer=s\nProtocol=SFTP\nPort=") + wrong + "\n");
    EXPECT_EQ(read.ftpServers[0].Port, 0) << "Port=" << wrong << " is no port: refused when used, never another port";
  }
}

TEST(Options, SavingIntoAHandWrittenFileKeepsItsComments) {
  CProfile profile;
  profile.LoadText("; mine\n[Options]\n; the language\n_Lng=deutsch.dic\nVersion=1\n");
  COptions options;
  options.Load(profile);
  options.Save(profile);
  const std::string text = profile.ToText();
  EXPECT_EQ(text.rfind("; mine\n[Options]\n; the language\n_Lng=deutsch.dic\nVersion=1\n", 0), 0u) << text;
}

TEST(ComboHistory, KeepsTenAndUnwrapsEntries) {
  CProfile profile;
  config::ComboHistory combo("StartSrc");
  for (int i = 0; i < 12; ++i) combo.Confirm("/path/" + std::to_string(i));
  combo.Confirm("/path/5");
  combo.Save(profile);
  EXPECT_EQ(profile.GetInt("Combos", "Combo_StartSrc", 0), 10);
  EXPECT_EQ(profile.GetText("Combos", "Combo_StartSrc0", ""), "&</path/11>");
  config::ComboHistory reread("StartSrc");
  reread.Load(profile);
  EXPECT_EQ(reread.Entries().size(), 10u);
  EXPECT_EQ(reread.Entries()[0], "/path/11");
  EXPECT_EQ(reread.Selected(), 6);
}
