#include "ui/qt/options/settings_page.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

namespace option = engine::option;

struct FlagBox {
  std::uint32_t bit;
  const char* text;
  const char* name;
};
constexpr FlagBox kFlags[] = {
    {option::kIgnoreDaylightHours, "${&Ignore NTFS daylight savings}", "ignoreDaylightHours"},
    {option::kIgnoreTwoSeconds, "${&2 sec difference ignore, if same size}", "ignoreTwoSeconds"},
    {option::kDeleteToTrash, "${Delete to &Recycle bin}", "deleteToTrash"},
    {option::kUseHistory, "${Use history files}", "useHistory"},
    {option::kHandleEmptyFolders, "${Handle &empty folders}", "handleEmptyFolders"},
    {option::kSyncCollapsedFolders, "${Sync files in collapsed folders}", "syncCollapsedFolders"},
    {option::kClearReadOnlyFromCd, "${&Clear ReadOnly attribute when copying from CD}", "clearReadOnly"},
    {option::kMakeBackup, "${Make backup}", "makeBackup"},
};

}  // namespace

SettingsPage::SettingsPage(QWidget* parent) : OptionsPage(parent) {
  setObjectName("settingsPage");
  auto* layout = new QVBoxLayout(this);
  for (const FlagBox& flag : kFlags) {
    auto* box = new QCheckBox(tx(flag.text));
    box->setObjectName(flag.name);
    flags_.emplace_back(flag.bit, box);
    layout->addWidget(box);
    if (flag.bit == option::kIgnoreDaylightHours) {
      // Up to how many whole hours of difference count as the same time.
      hours_ = new QSpinBox;
      hours_->setObjectName("daylightHours");
      hours_->setRange(0, 99);
      auto* row = new QHBoxLayout;
      row->addSpacing(24);
      row->addWidget(new QLabel(tx("${Hours}:")));
      row->addWidget(hours_);
      row->addStretch();
      layout->addLayout(row);
      connect(box, &QCheckBox::toggled, hours_, &QWidget::setEnabled);
    }
  }
  backupFolder_ = new QLineEdit;
  backupFolder_->setObjectName("backupFolder");
  browse_ = new QPushButton(QStringLiteral(". . ."));
  browse_->setObjectName("browseBackupFolder");
  connect(browse_, &QPushButton::clicked, this, [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, tx("${Backup folder}"), backupFolder_->text());
    if (!folder.isEmpty()) backupFolder_->setText(folder);
  });
  auto* folderRow = new QHBoxLayout;
  folderRow->addSpacing(24);
  folderRow->addWidget(new QLabel(tx("${Backup folder}:")));
  folderRow->addWidget(backupFolder_, 1);
  folderRow->addWidget(browse_);
  layout->addLayout(folderRow);
  layout->addStretch();
  // The folder matters only with backups on.
  for (const auto& [bit, box] : flags_) {
    if (bit != option::kMakeBackup) continue;
    connect(box, &QCheckBox::toggled, backupFolder_, &QWidget::setEnabled);
    connect(box, &QCheckBox::toggled, browse_, &QWidget::setEnabled);
  }
}

void SettingsPage::Load(const config::COptions& options) {
  for (const auto& [bit, box] : flags_) box->setChecked((options.flags & bit) != 0);
  hours_->setValue(options.ntfsHours);
  hours_->setEnabled((options.flags & option::kIgnoreDaylightHours) != 0);
  backupFolder_->setText(qs(options.backupPath));
  const bool backups = (options.flags & option::kMakeBackup) != 0;
  backupFolder_->setEnabled(backups);
  browse_->setEnabled(backups);
}

void SettingsPage::Save(config::COptions& options) const {
  for (const auto& [bit, box] : flags_) options.flags = box->isChecked() ? options.flags | bit : options.flags & ~bit;
  options.ntfsHours = hours_->value();
  // An empty or relative folder would be wherever the program runs: the default folder instead.
  options.backupPath = config::EffectiveBackupPath(ss(backupFolder_->text().trimmed()));
}

}  // namespace ui::qt
