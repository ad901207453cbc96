#include "ui/qt/dialogs/confirm_dialog.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/confirm_answer.h"
#include "ui/controls/button_mnemonics.h"
#include "ui/controls/tx.h"
#include "ui/row_text.h"

namespace ui::qt {
namespace {

// A path that fits its field: the middle gives way, the file name stays.
QLabel* pathLabel(const std::string& path) {
  auto* label = new QLabel;
  label->setText(qs(path));
  label->setToolTip(qs(path));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setMinimumWidth(420);
  label->setWordWrap(true);
  return label;
}

QString sizeAndDate(const std::string& path) {
  const QFileInfo info(qs(path));
  if (path.empty() || !info.exists()) return {};
  const QLocale locale;
  return qs(FormatSize(static_cast<std::uint64_t>(info.size()))) + "    " +
         locale.toString(info.lastModified(), QLocale::ShortFormat);
}

}  // namespace

ConfirmDialog::ConfirmDialog(const engine::ConfirmRequest& request, QWidget* parent)
    : QDialog(parent), kind_(request.kind) {
  setObjectName("confirmDialog");
  const ConfirmTexts texts = ConfirmTextsFor(request.kind);
  setWindowTitle(tx(*texts.title != '\0' ? texts.title : "${File overwrite!}"));
  const bool deletion = (request.kind & (engine::confirm::kDelete | engine::confirm::kDeleteReadOnly)) != 0;

  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel;
  icon->setPixmap(style()->standardIcon(deletion ? QStyle::SP_MessageBoxWarning : QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  icon->setAlignment(Qt::AlignTop);
  top->addWidget(icon);
  auto* grid = new QGridLayout;
  int line = 0;
  if (*texts.message != '\0') {
    auto* message = new QLabel(tx(texts.message));
    message->setObjectName("message");
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    grid->addWidget(message, line++, 0, 1, 2);
  }
  grid->addWidget(new QLabel(tx(deletion ? "${Delete file}:" : "${Overwrite file} :")), line, 0, Qt::AlignTop);
  auto* existing = pathLabel(request.path);
  existing->setObjectName("existingPath");
  grid->addWidget(existing, line++, 1);
  grid->addWidget(new QLabel(sizeAndDate(request.path)), line++, 1);
  if (!request.secondPath.empty()) {
    grid->addWidget(new QLabel(tx("${New file}:")), line, 0, Qt::AlignTop);
    auto* second = pathLabel(request.secondPath);
    second->setObjectName("newPath");
    grid->addWidget(second, line++, 1);
    grid->addWidget(new QLabel(sizeAndDate(request.secondPath)), line++, 1);
  }
  top->addLayout(grid, 1);
  layout->addLayout(top);

  forAll_ = new QCheckBox(tx("&${Apply for all}"));
  forAll_->setObjectName("applyForAll");
  forAction_ = new QCheckBox(tx("&${Apply for this action}"));
  forAction_->setObjectName("applyForAction");
  // Mutually exclusive, yet both may be off.
  connect(forAll_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) forAction_->setChecked(false);
  });
  connect(forAction_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) forAll_->setChecked(false);
  });
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(forAll_);
  boxes->addWidget(forAction_);
  boxes->addStretch();
  layout->addLayout(boxes);

  auto* overwrite = new QPushButton(tx(deletion ? "&${Yes}" : "&${Overwrite}"));
  overwrite->setObjectName("overwrite");
  auto* skip = new QPushButton(tx(deletion ? "&${No}" : "&${Skip}"));
  skip->setObjectName("skip");
  auto* cancel = new QPushButton(tx("&${Cancel}"));
  cancel->setObjectName("cancel");
  overwrite->setDefault(true);
  connect(overwrite, &QPushButton::clicked, this, [this] { answer(static_cast<int>(ConfirmButton::Overwrite)); });
  connect(skip, &QPushButton::clicked, this, [this] { answer(static_cast<int>(ConfirmButton::Skip)); });
  connect(cancel, &QPushButton::clicked, this, [this] { answer(static_cast<int>(ConfirmButton::Cancel)); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(overwrite);
  buttons->addWidget(skip);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  FixWindowMnemonics(*this);
}

void ConfirmDialog::answer(int button) {
  if (sent_) return;
  sent_ = true;
  const ConfirmScope scope = forAll_->isChecked()      ? ConfirmScope::AllActions
                             : forAction_->isChecked() ? ConfirmScope::ThisAction
                                                       : ConfirmScope::Once;
  emit answered(ConfirmAnswer(static_cast<ConfirmButton>(button), scope, kind_));
  accept();
}

void ConfirmDialog::reject() {
  // Escape or the window's close box: the run stops, as with Cancel.
  if (!sent_) {
    sent_ = true;
    emit answered(engine::confirm::kCancel);
  }
  QDialog::reject();
}

}  // namespace ui::qt
