// The FTP selection dialog and the connection editor change only their own copies; Select hands
// the list and the chosen path to the window, which keeps them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "config/profile.h"
#include "ui/qt/dialogs/ftp_proxy_editor.h"
#include "ui/qt/dialogs/ftp_select_dialog.h"
#include "ui/qt/dialogs/ftp_server_editor.h"
#include "ui/qt/dialogs/session_fields.h"
#include "ui/qt/dialogs/start_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/window_placement.h"

namespace {

using ui::qt::FtpServerEditor;

config::FtpServer serverNamed(const std::string& name, int flags = 0) {
  config::FtpServer server;
  server.Name = name;
  server.Server = name + ".example.org";
  server.User = "me";
  server.Pass = "secret";
  server.Flags = flags;
  server.Firewall = -1;
  return server;
}

ui::qt::FtpConnections twoConnections() {
  return {{serverNamed("Office"), serverNamed("Box", config::ftpflag::kAnonymous)}, {{"proxy.lan", "", "", 3128}}};
}

void click(QWidget* parent, const char* name) {
  auto* button = parent->findChild<QPushButton*>(name);
  ASSERT_NE(button, nullptr) << name;
  ASSERT_TRUE(button->isEnabled()) << name;
  QTest::mouseClick(button, Qt::LeftButton);
}

// The connection editor the dialog opened last, waited for as it opens with open().
template <typename Editor>
Editor* openedEditor(QWidget& over) {
  Editor* editor = nullptr;
  EXPECT_TRUE(QTest::qWaitFor([&] {
    for (Editor* each : over.findChildren<Editor*>()) {
      if (each->isVisible()) editor = each;
    }
    return editor != nullptr;
  }));
  return editor;
}

void pressOk(QDialog& dialog) { dialog.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click(); }

QStringList names(ui::qt::FtpSelectDialog& dialog) {
  QStringList shown;
  auto* list = dialog.findChild<QListWidget*>("connectionList");
  for (int row = 0; row < list->count(); ++row) shown << list->item(row)->text();
  return shown;
}

}  // namespace

TEST(FtpSelectDialog, AddEditCloneAndDeleteChangeTheListAndTheEditorsCancelDoesNot) {
  ui::qt::FtpSelectDialog dialog(twoConnections());
  dialog.show();
  auto* list = dialog.findChild<QListWidget*>("connectionList");

  click(&dialog, "add");
  FtpServerEditor* editor = openedEditor<FtpServerEditor>(dialog);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->findChild<QCheckBox*>("passive")->isChecked()) << "a new connection starts passive";
  EXPECT_FALSE(editor->findChild<QCheckBox*>("useProxy")->isChecked());
  QTest::keyClicks(editor->findChild<QLineEdit*>("name"), "Home");
  QTest::keyClicks(editor->findChild<QLineEdit*>("server"), "home.example.org");
  pressOk(*editor);
  EXPECT_EQ(names(dialog), QStringList({"Office", "Box", "Home"}));
  const config::FtpServer& added = dialog.Connections().servers.back();
  EXPECT_EQ(added.Server, "home.example.org");
  EXPECT_EQ(added.Flags, config::ftpflag::kPassive);
  EXPECT_EQ(added.Firewall, -1);
  EXPECT_EQ(added.Port, 21);
  EXPECT_EQ(list->currentRow(), 2) << "the new connection is chosen";

  list->setCurrentRow(1);
  click(&dialog, "edit");
  editor = openedEditor<FtpServerEditor>(dialog);
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(editor->findChild<QCheckBox*>("passive")->isChecked()) << "a stored record keeps its bit";
  editor->findChild<QLineEdit*>("folder")->setText("backup");
  pressOk(*editor);
  EXPECT_EQ(dialog.Connections().servers[1].Folder, "backup");
  EXPECT_EQ(dialog.Connections().servers[1].Flags, config::ftpflag::kAnonymous);

  click(&dialog, "edit");
  editor = openedEditor<FtpServerEditor>(dialog);
  ASSERT_NE(editor, nullptr);
  editor->findChild<QLineEdit*>("folder")->setText("elsewhere");
  editor->reject();
  EXPECT_EQ(dialog.Connections().servers[1].Folder, "backup");

  list->setCurrentRow(0);
  click(&dialog, "clone");
  editor = openedEditor<FtpServerEditor>(dialog);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->findChild<QLineEdit*>("name")->text(), "Office 2") << "the copy's name is free";
  pressOk(*editor);
  EXPECT_EQ(names(dialog), QStringList({"Office", "Box", "Home", "Office 2"}));
  EXPECT_EQ(dialog.Connections().servers[3].Pass, "secret");

  list->setCurrentRow(1);
  click(&dialog, "delete");
  EXPECT_EQ(names(dialog), QStringList({"Office", "Home", "Office 2"}));
  EXPECT_EQ(list->currentRow(), 1) << "the next connection is chosen";
  click(&dialog, "select");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ChosenPath(), "ftp:Home");
}

TEST(FtpSelectDialog, SelectNeedsAConnection) {
  ui::qt::FtpSelectDialog dialog({});
  dialog.show();
  EXPECT_FALSE(dialog.findChild<QPushButton*>("select")->isEnabled());
  dialog.accept();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.ChosenPath(), "");
}

TEST(FtpServerEditor, OkStaysOffWhileTheNameIsEmptyOrNamesAnotherConnection) {
  FtpServerEditor editor(serverNamed(""), {}, {"Office"});
  editor.show();
  QPushButton* ok = editor.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok);
  auto* name = editor.findChild<QLineEdit*>("name");
  EXPECT_FALSE(ok->isEnabled());
  name->setText("office");
  EXPECT_FALSE(ok->isEnabled()) << "names are compared without regard to case";
  name->setText("Office2");
  EXPECT_TRUE(ok->isEnabled());
}

TEST(FtpServerEditor, AnonymousDisablesTheUserAndThePasswordIsMasked) {
  FtpServerEditor editor(serverNamed("Office"), {}, {});
  editor.show();
  auto* user = editor.findChild<QLineEdit*>("user");
  EXPECT_TRUE(user->isEnabled());
  editor.findChild<QCheckBox*>("anonymous")->click();
  EXPECT_FALSE(user->isEnabled());
  EXPECT_EQ(editor.Server().Flags, config::ftpflag::kAnonymous);
  editor.findChild<QCheckBox*>("anonymous")->click();
  EXPECT_TRUE(user->isEnabled());
  EXPECT_EQ(editor.findChild<QLineEdit*>("password")->echoMode(), QLineEdit::Password);

  FtpServerEditor anonymous(serverNamed("Box", config::ftpflag::kAnonymous | config::ftpflag::kPassive), {}, {});
  EXPECT_FALSE(anonymous.findChild<QLineEdit*>("user")->isEnabled());
}

TEST(FtpServerEditor, TheProxyListPositionIsTheFirewallIndexPlusOne) {
  const std::vector<config::FtpProxy> proxies = {{"first.lan", "", "", 3128}, {"second.lan", "u", "p", 8000}};
  struct Case {
    int stored;
    bool checked;
    int position;
  };
  for (const Case& each : {Case{-1, false, 0}, Case{0, true, 1}, Case{1, true, 2}, Case{2, false, 0}, Case{-7, false, 0}}) {
    config::FtpServer server = serverNamed("Office");
    server.Firewall = each.stored;
    FtpServerEditor editor(server, proxies, {});
    EXPECT_EQ(editor.findChild<QCheckBox*>("useProxy")->isChecked(), each.checked) << each.stored;
    EXPECT_EQ(editor.findChild<QComboBox*>("proxyList")->currentIndex(), each.position) << each.stored;
    EXPECT_EQ(editor.Server().Firewall, each.checked ? each.stored : -1) << "a proxy out of range is none";
  }
  config::FtpServer server = serverNamed("Office");
  FtpServerEditor editor(server, proxies, {});
  auto* proxyList = editor.findChild<QComboBox*>("proxyList");
  EXPECT_EQ(proxyList->itemText(2), "second.lan:8000");
  EXPECT_FALSE(proxyList->isEnabled());
  editor.findChild<QCheckBox*>("useProxy")->click();
  proxyList->setCurrentIndex(2);
  EXPECT_EQ(editor.Server().Firewall, 1);
  proxyList->setCurrentIndex(0);
  EXPECT_EQ(editor.Server().Firewall, -1) << "\"Add new Proxy\" is no proxy";
}

TEST(FtpServerEditor, ChangeAddsANewProxyOrEditsTheChosenOne) {
  FtpServerEditor editor(serverNamed("Office"), {{"first.lan", "", "", 3128}}, {});
  editor.show();
  editor.findChild<QCheckBox*>("useProxy")->click();
  click(&editor, "changeProxy");
  auto* proxyEditor = openedEditor<ui::qt::FtpProxyEditor>(editor);
  ASSERT_NE(proxyEditor, nullptr);
  EXPECT_EQ(proxyEditor->findChild<QSpinBox*>("proxyPort")->value(), 8080);
  EXPECT_EQ(proxyEditor->findChild<QLineEdit*>("proxyPassword")->echoMode(), QLineEdit::Password);
  proxyEditor->findChild<QLineEdit*>("proxyServer")->setText("new.lan");
  pressOk(*proxyEditor);
  ASSERT_EQ(editor.Proxies().size(), 2u);
  EXPECT_EQ(editor.Proxies()[1].FServer, "new.lan");
  EXPECT_EQ(editor.Server().Firewall, 1) << "the new proxy is chosen";

  editor.findChild<QComboBox*>("proxyList")->setCurrentIndex(1);
  click(&editor, "changeProxy");
  proxyEditor = openedEditor<ui::qt::FtpProxyEditor>(editor);
  ASSERT_NE(proxyEditor, nullptr);
  EXPECT_EQ(proxyEditor->findChild<QLineEdit*>("proxyServer")->text(), "first.lan");
  proxyEditor->findChild<QSpinBox*>("proxyPort")->setValue(3129);
  pressOk(*proxyEditor);
  EXPECT_EQ(editor.Proxies()[0].FPort, 3129);
  EXPECT_EQ(editor.Proxies().size(), 2u);
  EXPECT_EQ(editor.Server().Firewall, 0);
}

TEST(FtpServerEditor, TheKindKeepsItsKeysAndAnUnknownKindStaysAsWritten) {
  config::FtpServer old = serverNamed("Office");
  FtpServerEditor plain(old, {}, {});
  EXPECT_EQ(plain.Server(), old) << "a record opened and closed is unchanged";
  auto* protocol = plain.findChild<QComboBox*>("protocol");
  protocol->setCurrentText("SFTP");
  EXPECT_EQ(plain.Server().Port, 22) << "the kind's own port follows the kind";
  EXPECT_FALSE(plain.findChild<QLineEdit*>("pinnedKey")->isEnabled());
  plain.findChild<QLineEdit*>("keyFile")->setText("~/.ssh/id_ed25519");
  EXPECT_EQ(plain.Server().Protocol, "SFTP");
  EXPECT_EQ(plain.Server().KeyFile, "~/.ssh/id_ed25519");
  protocol->setCurrentText("FTPS");
  EXPECT_EQ(plain.Server().Port, 21);
  EXPECT_FALSE(plain.findChild<QLineEdit*>("keyFile")->isEnabled());

  config::FtpServer otherPort = serverNamed("Office");
  otherPort.Port = 2121;
  FtpServerEditor moved(otherPort, {}, {});
  moved.findChild<QComboBox*>("protocol")->setCurrentText("SFTP");
  EXPECT_EQ(moved.Server().Port, 2121) << "a port the user chose stays";

  config::FtpServer unknown = serverNamed("Office");
  unknown.Protocol = "FTPES";
  FtpServerEditor kept(unknown, {}, {});
  EXPECT_EQ(kept.Server().Protocol, "FTPES") << "never saved as plain FTP";
}

TEST(FtpSelectWindow, SelectKeepsTheListAndFillsTheFieldCancelChangesNothing) {
  config::CProfile profile;
  config::COptions options;
  const ui::qt::FtpConnections stored = twoConnections();
  options.ftpServers = stored.servers;
  options.ftpProxies = stored.proxies;
  ui::qt::MainWindow window(options, profile);
  window.show();
  window.Begin(false);
  auto* start = window.findChild<ui::qt::StartDialog*>();
  ASSERT_NE(start, nullptr);
  ui::controls::FolderBox* source = start->findChild<ui::qt::SessionFields*>()->Source();
  source->SetPath("/home/me");

  emit source->ftpRequested();
  auto* dialog = openedEditor<ui::qt::FtpSelectDialog>(*start);
  ASSERT_NE(dialog, nullptr);
  click(dialog, "delete");
  click(dialog, "cancel");
  EXPECT_EQ(options.ftpServers, stored.servers);
  EXPECT_EQ(source->Path(), "/home/me");

  emit source->ftpRequested();
  dialog = openedEditor<ui::qt::FtpSelectDialog>(*start);
  ASSERT_NE(dialog, nullptr);
  click(dialog, "delete");
  click(dialog, "select");
  ASSERT_EQ(options.ftpServers.size(), 1u);
  EXPECT_EQ(options.ftpServers[0].Name, "Box");
  EXPECT_EQ(source->Path(), "ftp:Box");
  config::COptions reread;
  reread.Load(profile);
  EXPECT_EQ(reread.ftpServers, options.ftpServers) << "the configuration holds the list";
  EXPECT_EQ(start->Choices().options.ftpServers, options.ftpServers) << "the start dialog's OK keeps it";
  QWidget placed;
  EXPECT_TRUE(ui::qt::RestorePlacement(placed, profile, "DFTPSEL"));
}
