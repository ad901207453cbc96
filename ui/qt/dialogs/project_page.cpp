#include "ui/qt/dialogs/project_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/case_fold.h"
#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

// "  1. Name" with the paths and masks below it; a name no session has stands alone.
QString memberText(int position, const std::string& name, const config::CSession* session) {
  QString text = qs("  " + std::to_string(position) + ". ") + (name.empty() ? tx("${Unknown session}") : qs(name));
  if (session == nullptr) return text;
  return text + "\n      " + qs(session->Src) + "  ->  " + qs(session->Dst) + "\n      " +
         qs(session->Files.empty() ? "*.*" : session->Files) +
         ((session->SFlags & config::sflag::kInvertedMasks) != 0 ? tx("  (${left out})") : QString());
}

}  // namespace

ProjectPage::ProjectPage(QWidget* parent) : QWidget(parent) {
  setObjectName("projectPage");
  auto* layout = new QGridLayout(this);
  members_ = new QListWidget;
  members_->setObjectName("projectSessions");
  available_ = new QListWidget;
  available_->setObjectName("availableSessions");
  // Each label's key moves to its list.
  auto* membersLabel = new QLabel(tx("&${Sessions}:"));
  membersLabel->setBuddy(members_);
  auto* availableLabel = new QLabel(tx("&${Available}:"));
  availableLabel->setBuddy(available_);
  layout->addWidget(membersLabel, 0, 0);
  layout->addWidget(availableLabel, 0, 2);
  layout->addWidget(members_, 1, 0);
  auto* buttons = new QVBoxLayout;
  auto* add = new QPushButton(QStringLiteral("<<"));
  add->setObjectName("addToProject");
  auto* remove = new QPushButton(QStringLiteral(">>"));
  remove->setObjectName("removeFromProject");
  buttons->addStretch();
  buttons->addWidget(add);
  buttons->addWidget(remove);
  buttons->addStretch();
  layout->addLayout(buttons, 1, 1);
  layout->addWidget(available_, 1, 2);
  layout->setColumnStretch(0, 3);
  layout->setColumnStretch(2, 2);
  connect(add, &QPushButton::clicked, this, [this] { move(true); });
  connect(remove, &QPushButton::clicked, this, [this] { move(false); });
  connect(available_, &QListWidget::itemDoubleClicked, this, [this] { move(true); });
  connect(members_, &QListWidget::itemDoubleClicked, this, [this] { move(false); });
}

void ProjectPage::Show(config::COptions* options, int index) {
  options_ = options;
  index_ = index;
  fill();
}

void ProjectPage::fill() {
  members_->clear();
  available_->clear();
  const bool valid = options_ != nullptr && index_ >= 0 && index_ < static_cast<int>(options_->projects.size());
  setEnabled(valid);
  if (!valid) return;
  const config::CProject& project = options_->projects[static_cast<std::size_t>(index_)];
  int position = 1;
  for (const std::string& name : project.Sessions) {
    members_->addItem(memberText(position++, name, options_->FindSession(name)));
  }
  for (const config::CSession& session : options_->sessions) {
    const bool listed = std::any_of(project.Sessions.begin(), project.Sessions.end(),
                                    [&](const std::string& name) { return platform::equalNoCase(name, session.Name); });
    if (!listed && !session.Name.empty()) available_->addItem(qs(session.Name));
  }
}

void ProjectPage::move(bool intoProject) {
  if (options_ == nullptr || index_ < 0) return;
  config::CProject& project = options_->projects[static_cast<std::size_t>(index_)];
  if (intoProject) {
    const QListWidgetItem* item = available_->currentItem();
    if (item == nullptr) return;
    project.Sessions.push_back(ss(item->text()));
  } else {
    const int row = members_->currentRow();
    if (row < 0 || row >= static_cast<int>(project.Sessions.size())) return;
    project.Sessions.erase(project.Sessions.begin() + row);
  }
  fill();
}

}  // namespace ui::qt
