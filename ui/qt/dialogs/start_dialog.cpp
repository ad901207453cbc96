#include "ui/qt/dialogs/start_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/case_fold.h"
#include "platform/file_time.h"
#include "ui/controls/button_mnemonics.h"
#include "ui/controls/tx.h"
#include "ui/qt/dialogs/project_page.h"
#include "ui/qt/dialogs/session_fields.h"

namespace ui::qt {
namespace {

constexpr int kIndexRole = Qt::UserRole + 1;
constexpr int kFoldersTab = 0;
constexpr int kProjectsTab = 1;
namespace optflag = config::optflag;

}  // namespace

StartDialog::StartDialog(StartChoices choices, PathRules rules, QWidget* parent)
    : QDialog(parent), choices_(std::move(choices)), rules_(std::move(rules)) {
  setObjectName("startDialog");
  setWindowTitle(QStringLiteral("Velkor"));
  auto* layout = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  tree_ = new QTreeWidget;
  tree_->setObjectName("sessionTree");
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(false);
  tree_->setMinimumWidth(180);
  left->addWidget(tree_, 1);
  auto* treeButtons = new QHBoxLayout;
  auto* add = new QPushButton(tx("&${Add}"));
  add->setObjectName("add");
  delete_ = new QPushButton(tx("&${Delete}"));
  delete_->setObjectName("delete");
  rename_ = new QPushButton(tx("&${Rename}"));
  rename_->setObjectName("rename");
  // Return in the dialog is Preview, wherever the focus is.
  for (QPushButton* button : {add, delete_, rename_}) button->setAutoDefault(false);
  treeButtons->addWidget(add);
  treeButtons->addWidget(delete_);
  treeButtons->addWidget(rename_);
  left->addLayout(treeButtons);
  body->addLayout(left);
  tabs_ = new QTabWidget;
  tabs_->setObjectName("pages");
  fields_ = new SessionFields;
  fields_->SetChoices(choices_.sources, choices_.targets, choices_.masks);
  projectPage_ = new ProjectPage;
  tabs_->addTab(fields_, tx("   ${Folders}   "));
  tabs_->addTab(projectPage_, tx("   ${Projects}   "));
  body->addWidget(tabs_, 1);
  layout->addLayout(body, 1);

  auto* buttons = new QDialogButtonBox;
  QPushButton* options = buttons->addButton(tx("&${Options}..."), QDialogButtonBox::ActionRole);
  options->setObjectName("options");
  connect(options, &QPushButton::clicked, this, &StartDialog::optionsRequested);
  QPushButton* preview = buttons->addButton(tx("&${Preview}"), QDialogButtonBox::AcceptRole);
  preview->setObjectName("preview");
  preview->setDefault(true);
  QPushButton* cancel = buttons->addButton(tx("&${Cancel}"), QDialogButtonBox::RejectRole);
  cancel->setObjectName("cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &StartDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &StartDialog::reject);
  layout->addWidget(buttons);

  config::COptions& opts = choices_.options;
  fields_->Load(opts.currentSession);
  fields_->SetAdvancedShown((opts.flags & optflag::kAdvancedFilterShown) != 0);
  tabs_->setCurrentIndex((opts.flags & optflag::kLastStartWasProject) != 0 ? kProjectsTab : kFoldersTab);
  connect(tree_, &QTreeWidget::currentItemChanged, this, &StartDialog::treeChanged);
  connect(tabs_, &QTabWidget::currentChanged, this, [this] {
    leaveSession(shown_);
    shown_ = -1;
    fields_->Load(choices_.options.currentSession);
    fillTree();
  });
  connect(fields_, &SessionFields::returnPressed, this, &StartDialog::accept);
  for (controls::FolderBox* field : {fields_->Source(), fields_->Target()}) {
    connect(field, &controls::FolderBox::ftpRequested, this, [this, field] { emit ftpRequested(field); });
  }
  connect(add, &QPushButton::clicked, this, &StartDialog::addEntry);
  connect(delete_, &QPushButton::clicked, this, &StartDialog::deleteEntry);
  connect(rename_, &QPushButton::clicked, this, &StartDialog::renameEntry);
  fillTree();
  FixWindowMnemonics(*this);
  resize(900, 520);
  fields_->Source()->Box()->setFocus();
}

bool StartDialog::onProjects() const { return tabs_->currentIndex() == kProjectsTab; }

int StartDialog::selectedIndex() const {
  const QTreeWidgetItem* item = tree_->currentItem();
  return item == nullptr ? -1 : item->data(0, kIndexRole).toInt();
}

void StartDialog::fillTree() {
  filling_ = true;
  tree_->clear();
  config::COptions& opts = choices_.options;
  QTreeWidgetItem* select = nullptr;
  if (onProjects()) {
    for (std::size_t i = 0; i < opts.projects.size(); ++i) {
      auto* item = new QTreeWidgetItem(tree_, {qs(opts.projects[i].Name)});
      item->setData(0, kIndexRole, static_cast<int>(i));
      // The current project, else the first.
      if (select == nullptr || platform::equalNoCase(opts.projects[i].Name, opts.currentProjectName)) select = item;
    }
    if (opts.projects.empty()) {
      auto* none = new QTreeWidgetItem(tree_, {tx("${No projects}")});
      none->setData(0, kIndexRole, -1);
      none->setDisabled(true);
    }
  } else {
    auto* fresh = new QTreeWidgetItem(tree_, {tx("<< ${new} >>")});
    fresh->setData(0, kIndexRole, -1);
    select = fresh;
    for (std::size_t i = 0; i < opts.sessions.size(); ++i) {
      const std::string& name = opts.sessions[i].Name;
      const QString text = name.empty() ? txf("${Session} %d", {std::to_string(i + 1)}) : qs(name);
      auto* item = new QTreeWidgetItem(tree_, {text});
      item->setData(0, kIndexRole, static_cast<int>(i));
    }
  }
  tree_->setCurrentItem(select);
  filling_ = false;
  const int index = selectedIndex();
  delete_->setEnabled(index >= 0);
  rename_->setEnabled(index >= 0);
  if (onProjects()) projectPage_->Show(&choices_.options, index);
}

void StartDialog::leaveSession(int index) {
  config::COptions& opts = choices_.options;
  const config::CSession edited = fields_->Build(platform::localSecondsNow());
  if (index < 0) {
    // Leaving "<< new >>" keeps its fields without a question.
    const std::string name = opts.currentSession.Name;
    opts.currentSession.CopyFrom(edited);
    opts.currentSession.Name = name;
    return;
  }
  if (index >= static_cast<int>(opts.sessions.size())) return;
  config::CSession& stored = opts.sessions[static_cast<std::size_t>(index)];
  if (stored.Equals(edited)) return;
  const QString question = tx("${Save changes to this session?}") + "\n   " + qs(stored.Name);
  if (QMessageBox::question(this, QStringLiteral("Velkor"), question) == QMessageBox::Yes) stored.CopyFrom(edited);
}

void StartDialog::treeChanged(QTreeWidgetItem* now, QTreeWidgetItem*) {
  if (filling_ || now == nullptr) return;
  const int index = now->data(0, kIndexRole).toInt();
  delete_->setEnabled(index >= 0);
  rename_->setEnabled(index >= 0);
  if (onProjects()) {
    if (index >= 0) choices_.options.currentProjectName = choices_.options.projects[static_cast<std::size_t>(index)].Name;
    projectPage_->Show(&choices_.options, index);
    return;
  }
  leaveSession(shown_);
  shown_ = index;
  fields_->Load(index < 0 ? choices_.options.currentSession : choices_.options.sessions[static_cast<std::size_t>(index)]);
}

std::string StartDialog::askName(const char* title, const std::string& text) {
  bool ok = false;
  const char* prompt = onProjects() ? "${Please enter project name}:" : "${Please enter session name}:";
  const QString name = QInputDialog::getText(this, tx(title), tx(prompt), QLineEdit::Normal,
                                             qs(text), &ok);
  return ok ? ss(name.trimmed()) : std::string();
}

void StartDialog::showError(const QString& text) { QMessageBox::warning(this, QStringLiteral("Velkor"), text); }

void StartDialog::addEntry() {
  config::COptions& opts = choices_.options;
  if (onProjects()) {
    const std::string name = askName("${New Project}", ss(tx("${Project}")));
    if (name.empty()) return;
    config::CProject project;
    project.Name = name;
    if (const std::string error = opts.AddProject(project); !error.empty()) return showError(qs(error));
    opts.currentProjectName = name;
    fillTree();
    return;
  }
  const std::string name = askName("${New Session}", ss(tx("${Session}")));
  if (name.empty()) return;
  config::CSession session = fields_->Build(platform::localSecondsNow());
  session.Name = name;
  if (const std::string error = opts.AddSession(session); !error.empty()) return showError(qs(error));
  // The new session holds the fields now; "<< new >>" keeps them too.
  leaveSession(-1);
  shown_ = static_cast<int>(opts.sessions.size()) - 1;
  // The fields now stand for the new session: leaving it compares, and saves, under its name.
  fields_->Rename(opts.sessions.back().Name);
  fillTree();
  filling_ = true;
  tree_->setCurrentItem(tree_->topLevelItem(shown_ + 1));
  filling_ = false;
  delete_->setEnabled(true);
  rename_->setEnabled(true);
}

void StartDialog::deleteEntry() {
  config::COptions& opts = choices_.options;
  const int index = selectedIndex();
  if (index < 0) return;
  if (onProjects()) {
    const QString question = txf("${Delete this project?}\n%s", {opts.projects[static_cast<std::size_t>(index)].Name});
    if (QMessageBox::question(this, QStringLiteral("Velkor"), question) != QMessageBox::Yes) return;
    opts.DeleteProject(index);
    fillTree();
    return;
  }
  const std::string name = opts.sessions[static_cast<std::size_t>(index)].Name;
  QMessageBox ask(QMessageBox::Question, QStringLiteral("Velkor"), tx("${Delete this session?}") + " " + qs(name),
                  QMessageBox::Yes | QMessageBox::No, this);
  ask.setInformativeText(qs(opts.DeleteSessionDetail(name)));
  auto* update = new QCheckBox(tx("&${Update projects}"));
  update->setObjectName("updateProjects");
  update->setChecked(true);
  ask.setCheckBox(update);
  if (ask.exec() != QMessageBox::Yes) return;
  opts.DeleteSession(index, update->isChecked());
  shown_ = -1;
  fields_->Load(opts.currentSession);
  fillTree();
}

void StartDialog::renameEntry() {
  config::COptions& opts = choices_.options;
  const int index = selectedIndex();
  if (index < 0) return;
  if (onProjects()) {
    const std::string name = askName("${Rename Project}", opts.projects[static_cast<std::size_t>(index)].Name);
    if (name.empty()) return;
    if (const std::string error = opts.RenameProject(index, name); !error.empty()) return showError(qs(error));
    opts.currentProjectName = name;
  } else {
    const std::string old = opts.sessions[static_cast<std::size_t>(index)].Name;
    const std::string name = askName("${Rename Session}", old);
    if (name.empty()) return;
    if (const std::string error = opts.RenameSession(old, name); !error.empty()) return showError(qs(error));
    if (index == shown_) fields_->Rename(opts.sessions[static_cast<std::size_t>(index)].Name);
  }
  tree_->currentItem()->setText(0, qs(onProjects() ? opts.projects[static_cast<std::size_t>(index)].Name
                                                   : opts.sessions[static_cast<std::size_t>(index)].Name));
}

bool StartDialog::checkPath(const std::string& path, QWidget* field) {
  std::string message;
  switch (rules_.check(path, message)) {
    case PathState::Usable: return true;
    case PathState::Missing: {
      const QString question = tx("${Folder is not valid!}") + "\n" + qs(path) + "\n" + tx("${Do you want to create it?}");
      if (QMessageBox::question(this, QStringLiteral("Velkor"), question) == QMessageBox::Yes) {
        if (rules_.create(path, message)) return true;
        showError(qs(message));
      }
      break;
    }
    case PathState::Unusable: showError(qs(message)); break;
  }
  field->setFocus();
  return false;
}

void StartDialog::accept() {
  config::COptions& opts = choices_.options;
  if (fields_->AdvancedShown()) {
    opts.flags |= optflag::kAdvancedFilterShown;
  } else {
    opts.flags &= ~optflag::kAdvancedFilterShown;
  }
  if (onProjects()) {
    const int index = selectedIndex();
    if (index < 0 || !opts.SelectProjectForRun(opts.projects[static_cast<std::size_t>(index)].Name)) return;
    if (opts.runList.empty()) return showError(txf("${The project lists no existing session:} %s", {opts.currentProjectName}));
    opts.flags |= optflag::kLastStartWasProject;
    opts.flags &= ~optflag::kTreeShowsSessions;
    QDialog::accept();
    return;
  }
  // The fields become the current session, whichever session they were loaded from.
  const config::CSession edited = fields_->Build(platform::localSecondsNow());
  const std::string name = opts.currentSession.Name;
  opts.currentSession.CopyFrom(edited);
  opts.currentSession.Name = name;
  if (!checkPath(opts.currentSession.Src, fields_->Source()) || !checkPath(opts.currentSession.Dst, fields_->Target())) {
    return;
  }
  opts.flags &= ~optflag::kLastStartWasProject;
  opts.flags |= optflag::kTreeShowsSessions;
  opts.SelectCurrentSessionForRun();
  QDialog::accept();
}

}  // namespace ui::qt
