#include "ui/qt/options/archives_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/controls/tx.h"

namespace ui::qt {

ArchivesPage::ArchivesPage(std::function<bool(const std::string&, std::string&)> openInEditor, QWidget* parent)
    : OptionsPage(parent), openInEditor_(std::move(openInEditor)) {
  setObjectName("archivesPage");
  path_ = new QLineEdit;
  path_->setObjectName("descriptionPath");
  path_->setReadOnly(true);
  edit_ = new QPushButton(tx("&${Edit}"));
  edit_->setObjectName("editDescription");
  editResult_ = new QLabel;
  editResult_->setObjectName("editResult");
  editResult_->setWordWrap(true);
  ignoreSeconds_ = new QCheckBox(tx("&${Ignore seconds, if not available}"));
  ignoreSeconds_->setObjectName("ignoreSeconds");
  auto* note = new QLabel(tx("${The file says how archives of other kinds (tar, 7-Zip, ...) are listed, unpacked and "
                              "packed. Changes are read when the program starts next.}"));
  note->setWordWrap(true);

  auto* row = new QHBoxLayout;
  row->addWidget(path_, 1);
  row->addWidget(edit_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tx("${Archiver description file}:")));
  layout->addLayout(row);
  layout->addWidget(editResult_);
  layout->addWidget(note);
  layout->addSpacing(12);
  layout->addWidget(ignoreSeconds_);
  layout->addStretch();
  connect(edit_, &QPushButton::clicked, this, [this] {
    std::string said;
    if (openInEditor_ && openInEditor_(ss(path_->text()), said)) {
      // Named, so a terminal editor that ended at once for want of a terminal can be told.
      editResult_->setText(txf("${Started:} %s", {said}));
    } else {
      editResult_->setText(txf("${The editor could not be started:} %s", {said}));
    }
  });
}

void ArchivesPage::Load(const config::COptions& options) {
  const bool found = !options.archiverDescriptionPath.empty();
  path_->setText(found ? qs(options.archiverDescriptionPath) : QString());
  path_->setPlaceholderText(tx("(${no archiver description file was found})"));
  edit_->setEnabled(found);
  ignoreSeconds_->setChecked((options.flags & engine::option::kArchiveIgnoreSeconds) != 0);
}

void ArchivesPage::Save(config::COptions& options) const {
  const std::uint32_t bit = engine::option::kArchiveIgnoreSeconds;
  options.flags = ignoreSeconds_->isChecked() ? options.flags | bit : options.flags & ~bit;
}

}  // namespace ui::qt
