#pragma once
// The start dialog ("Velkor"): the session or project tree with Add, Delete and Rename, the
// "Folders" page (a session's fields) and the "Projects" page, and Preview, which checks both
// paths and builds the run list. It edits only its copy of the options and starts nothing; the
// window takes Choices() after accepted().
#include <QDialog>
#include <functional>

#include "ui/qt/dialogs/start_choices.h"

class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

namespace ui::qt {

class ProjectPage;
class SessionFields;

class StartDialog : public QDialog {
  Q_OBJECT

 public:
  StartDialog(StartChoices choices, PathRules rules, QWidget* parent = nullptr);
  [[nodiscard]] const StartChoices& Choices() const { return choices_; }
  // Changes made meanwhile by the options dialog, so OK does not write back the older values.
  void UpdateOptions(const std::function<void(config::COptions&)>& change) { change(choices_.options); }

  void accept() override;

 signals:
  // "Options...": the window opens the options dialog over this one.
  void optionsRequested();
  // "FTP..." of a folder field's menu: the window opens the FTP selection dialog for `field`.
  void ftpRequested(controls::FolderBox* field);

 private:
  [[nodiscard]] bool onProjects() const;
  void fillTree();
  // The tree's item changed: the fields of the session left are kept, the new one's shown.
  void treeChanged(QTreeWidgetItem* now, QTreeWidgetItem* before);
  void leaveSession(int index);
  void addEntry();
  void deleteEntry();
  void renameEntry();
  [[nodiscard]] int selectedIndex() const;
  // Asks for a name; empty when cancelled.
  [[nodiscard]] std::string askName(const char* title, const std::string& text);
  // False (focus on the field) when a path is unusable and not made.
  bool checkPath(const std::string& path, QWidget* field);
  void showError(const QString& text);

  StartChoices choices_;
  PathRules rules_;
  QTreeWidget* tree_;
  QTabWidget* tabs_;
  SessionFields* fields_;
  ProjectPage* projectPage_;
  QPushButton* delete_;
  QPushButton* rename_;
  // The session whose fields the page shows: -1 for the current session ("<< new >>").
  int shown_ = -1;
  bool filling_ = false;
};

}  // namespace ui::qt
