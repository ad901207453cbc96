#include "ui/qt/dialogs/session_fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

using config::CExtFilter;
namespace sflag = config::sflag;
namespace xflag = config::xflag;

constexpr std::int64_t kDay = 86400;

QDate dateOf(std::int64_t localSeconds) {
  return QDate(1970, 1, 1).addDays(localSeconds >= 0 ? localSeconds / kDay : (localSeconds - kDay + 1) / kDay);
}

std::int64_t secondsOf(const QDate& date) { return QDate(1970, 1, 1).daysTo(date) * kDay; }

QComboBox* choices(const QString& name, std::initializer_list<const char*> texts) {
  auto* box = new QComboBox;
  box->setObjectName(name);
  for (const char* text : texts) box->addItem(tx(text));
  return box;
}

QCheckBox* check(const QString& name, const char* text) {
  auto* box = new QCheckBox(tx(text));
  box->setObjectName(name);
  return box;
}

}  // namespace

SessionFields::SessionFields(QWidget* parent) : QWidget(parent) {
  setObjectName("folderFields");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  source_ = new controls::FolderBox("source");
  target_ = new controls::FolderBox("target");
  form->addRow(tx("&${Source}:"), source_);
  form->addRow(tx("&${Target}:"), target_);
  masks_ = new QComboBox;
  masks_->setObjectName("masks");
  masks_->setEditable(true);
  masks_->setInsertPolicy(QComboBox::NoInsert);
  leaveOut_ = new QToolButton;
  leaveOut_->setObjectName("leaveOut");
  leaveOut_->setText(QStringLiteral("!"));
  leaveOut_->setCheckable(true);
  leaveOut_->setToolTip(tx("${The masks name the files to leave out}"));
  auto* maskRow = new QHBoxLayout;
  maskRow->addWidget(masks_, 1);
  maskRow->addWidget(leaveOut_);
  auto* maskLabel = new QLabel(tx("${&Masks}:"));
  maskLabel->setBuddy(masks_);
  form->addRow(maskLabel, maskRow);
  layout->addLayout(form);

  auto* switches = new QGridLayout;
  subfolders_ = check("subfolders", "&${Include subfolders}");
  matchedFolders_ = check("matchedFolders", "&${Matched only}");
  orphans_ = check("orphans", "&${Orphans only}");
  matchedFiles_ = check("matchedFiles", "&${Matched only}");
  switches->addWidget(subfolders_, 0, 0);
  switches->addWidget(matchedFolders_, 0, 1);
  switches->addWidget(new QLabel(tx("${Files}:")), 1, 0);
  auto* fileSwitches = new QHBoxLayout;
  fileSwitches->addWidget(orphans_);
  fileSwitches->addWidget(matchedFiles_);
  fileSwitches->addStretch();
  switches->addLayout(fileSwitches, 1, 1);
  layout->addLayout(switches);
  // One side only and both sides only exclude each other.
  connect(orphans_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) matchedFiles_->setChecked(false);
  });
  connect(matchedFiles_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) orphans_->setChecked(false);
  });
  connect(subfolders_, &QCheckBox::toggled, this, &SessionFields::updateEnabled);

  auto* modes = new QFormLayout;
  compare_ = choices("compareMode", {"${Date} + ${Size}", "${Date or content}", "${Content}", "${Size only}"});
  todo_ = choices("action", {"${Synchronize}", "${Update target}", "${Backup}", "${Duplicate}"});
  modes->addRow(tx("${Compare by}:"), compare_);
  modes->addRow(tx("${Action}:"), todo_);
  folderMode_ = choices("folderMode", {"( ${Include all folders} )", "${Filter folders}", "${Exclude folders}"});
  folderList_ = new QLineEdit;
  folderList_->setObjectName("folderList");
  auto* folders = new QHBoxLayout;
  folders->addWidget(folderMode_);
  folders->addWidget(folderList_, 1);
  modes->addRow(tx("${Folders}:"), folders);
  connect(folderMode_, &QComboBox::currentIndexChanged, this, &SessionFields::updateEnabled);
  layout->addLayout(modes);

  advancedToggle_ = new QToolButton;
  advancedToggle_->setObjectName("advancedToggle");
  advancedToggle_->setText(tx("${Advanced filter}"));
  advancedToggle_->setCheckable(true);
  advancedToggle_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  advancedToggle_->setArrowType(Qt::RightArrow);
  layout->addWidget(advancedToggle_);
  advanced_ = new QGroupBox;
  advanced_->setObjectName("advancedFilter");
  auto* filter = new QGridLayout(advanced_);
  notOlder_ = check("notOlder", "${Not older &than}:");
  ageAmount_ = new QSpinBox;
  ageAmount_->setObjectName("ageAmount");
  ageAmount_->setRange(0, 100000);
  ageUnit_ = choices("ageUnit", {"${hours}", "${days}", "${weeks}", "${months}", "${Today}", "${This week}", "${This month}"});
  filter->addWidget(notOlder_, 0, 0);
  filter->addWidget(ageAmount_, 0, 1);
  filter->addWidget(ageUnit_, 0, 2);
  between_ = check("between", "${Date is bet&ween}:");
  from_ = new QDateEdit(QDate::currentDate());
  from_->setObjectName("from");
  from_->setCalendarPopup(true);
  to_ = new QDateEdit(QDate::currentDate());
  to_->setObjectName("to");
  to_->setCalendarPopup(true);
  filter->addWidget(between_, 1, 0);
  filter->addWidget(from_, 1, 1);
  filter->addWidget(to_, 1, 2);
  sizeOn_ = check("sizeOn", "${File siz&e}:");
  sizeTest_ = choices("sizeTest", {"=", ">", "<"});
  size_ = new QSpinBox;
  size_->setObjectName("size");
  size_->setRange(0, 1 << 30);
  sizeUnit_ = choices("sizeUnit", {"${bytes}", "KB", "MB"});
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(sizeTest_);
  sizeRow->addWidget(size_, 1);
  filter->addWidget(sizeOn_, 2, 0);
  filter->addLayout(sizeRow, 2, 1);
  filter->addWidget(sizeUnit_, 2, 2);
  skipHidden_ = check("skipHidden", "${Skip system and &hidden files}");
  filter->addWidget(skipHidden_, 3, 0, 1, 3);
  layout->addWidget(advanced_);
  layout->addStretch();
  connect(advancedToggle_, &QToolButton::toggled, this, &SessionFields::SetAdvancedShown);
  // Not older than wins over a date range, as the filter keeps only one of them.
  connect(notOlder_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) between_->setChecked(false);
  });
  connect(between_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) notOlder_->setChecked(false);
  });
  SetAdvancedShown(false);
  updateEnabled();
  // An editable combo box keeps Return to itself.
  for (QComboBox* box : {source_->Box(), target_->Box(), masks_}) {
    connect(box->lineEdit(), &QLineEdit::returnPressed, this, &SessionFields::returnPressed);
  }
}

void SessionFields::SetChoices(const controls::FolderChoices& sources, const controls::FolderChoices& targets,
                               const std::vector<std::string>& masks) {
  source_->SetChoices(sources);
  target_->SetChoices(targets);
  const QString text = masks_->currentText();
  masks_->clear();
  for (const std::string& mask : masks) masks_->addItem(QString::fromStdString(mask));
  masks_->setEditText(text);
}

void SessionFields::SetAdvancedShown(bool shown) {
  advanced_->setVisible(shown);
  advancedToggle_->setChecked(shown);
  advancedToggle_->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
}

bool SessionFields::AdvancedShown() const { return advancedToggle_->isChecked(); }

void SessionFields::updateEnabled() {
  matchedFolders_->setEnabled(subfolders_->isChecked());
  folderList_->setEnabled(folderMode_->currentIndex() != 0);
}

void SessionFields::Load(const config::CSession& session) {
  name_ = session.Name;
  xfiles_ = session.XFiles;
  source_->SetPath(session.Src);
  target_->SetPath(session.Dst);
  masks_->setEditText(QString::fromStdString(session.Files));
  leaveOut_->setChecked((session.SFlags & sflag::kInvertedMasks) != 0);
  subfolders_->setChecked((session.SFlags & sflag::kSubfolders) != 0);
  matchedFolders_->setChecked((session.SFlags & sflag::kMatchedFoldersOnly) != 0);
  orphans_->setChecked((session.SFlags & sflag::kOrphansOnly) != 0);
  matchedFiles_->setChecked((session.SFlags & sflag::kMatchedFilesOnly) != 0);
  compare_->setCurrentIndex(std::clamp(session.Cmp, 0, 3));
  todo_->setCurrentIndex(std::clamp(session.Todo, 0, 3));
  folderMode_->setCurrentIndex(session.DirList.empty() ? 0 : (session.SFlags & sflag::kExcludeFolders) != 0 ? 2 : 1);
  folderList_->setText(QString::fromStdString(session.DirList));
  const CExtFilter& filter = session.Filter;
  notOlder_->setChecked((filter.flags & xflag::kNotOlderThan) != 0);
  ageAmount_->setValue(filter.ageAmount);
  ageUnit_->setCurrentIndex(std::clamp(filter.ageUnit, 0, 6));
  between_->setChecked((filter.flags & xflag::kNotOlderThan) == 0 && (filter.flags & xflag::kDateBetween) != 0);
  if ((filter.flags & xflag::kDateBetween) != 0) {
    from_->setDate(dateOf(filter.lowerBound));
    to_->setDate(dateOf(filter.upperBound));
  }
  const std::uint32_t sizeFlags = filter.flags & (xflag::kSizeEqual | xflag::kSizeGreater | xflag::kSizeLess);
  sizeOn_->setChecked(sizeFlags != 0);
  sizeTest_->setCurrentIndex(sizeFlags == xflag::kSizeGreater ? 1 : sizeFlags == xflag::kSizeLess ? 2 : 0);
  size_->setValue(static_cast<int>(std::clamp<std::int64_t>(filter.sizeEntered, 0, size_->maximum())));
  sizeUnit_->setCurrentIndex(std::clamp(filter.sizeUnitEntered, 0, 2));
  skipHidden_->setChecked((filter.flags & xflag::kSkipHidden) != 0);
  updateEnabled();
}

config::CSession SessionFields::Build(std::int64_t nowLocal) const {
  config::CSession session;
  session.Name = name_;
  session.XFiles = xfiles_;
  session.Src = source_->Path();
  session.Dst = target_->Path();
  session.Files = masks_->currentText().trimmed().toStdString();
  session.SFlags = 0;
  if (leaveOut_->isChecked()) session.SFlags |= sflag::kInvertedMasks;
  if (subfolders_->isChecked()) {
    session.SFlags |= sflag::kSubfolders;
    if (matchedFolders_->isChecked()) session.SFlags |= sflag::kMatchedFoldersOnly;
  }
  if (orphans_->isChecked()) session.SFlags |= sflag::kOrphansOnly;
  if (matchedFiles_->isChecked()) session.SFlags |= sflag::kMatchedFilesOnly;
  session.Cmp = compare_->currentIndex();
  session.Todo = todo_->currentIndex();
  if (folderMode_->currentIndex() != 0) {
    session.DirList = folderList_->text().trimmed().toStdString();
    if (folderMode_->currentIndex() == 2 && !session.DirList.empty()) session.SFlags |= sflag::kExcludeFolders;
  }
  CExtFilter& filter = session.Filter;
  filter.ageAmount = ageAmount_->value();
  filter.ageUnit = ageUnit_->currentIndex();
  if (notOlder_->isChecked()) {
    filter.flags |= xflag::kNotOlderThan;
    filter.lowerBound = CExtFilter::AgeThreshold(filter.ageAmount, filter.ageUnit, nowLocal);
  } else if (between_->isChecked()) {
    filter.flags |= xflag::kDateBetween;
    filter.lowerBound = secondsOf(from_->date());
    filter.upperBound = secondsOf(to_->date()) + kDay - 1;
  }
  filter.sizeEntered = size_->value();
  filter.sizeUnitEntered = sizeUnit_->currentIndex();
  if (sizeOn_->isChecked()) {
    filter.flags |= sizeTest_->currentIndex() == 1 ? xflag::kSizeGreater : sizeTest_->currentIndex() == 2 ? xflag::kSizeLess : xflag::kSizeEqual;
    filter.sizeLimit = filter.sizeEntered << (filter.sizeUnitEntered * 10);
  }
  if (skipHidden_->isChecked()) filter.flags |= xflag::kSkipHidden;
  return session;
}

}  // namespace ui::qt
