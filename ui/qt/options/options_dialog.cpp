#include "ui/qt/options/options_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/controls/button_mnemonics.h"
#include "ui/controls/tx.h"
#include "ui/qt/options/archives_page.h"
#include "ui/qt/options/filters_page.h"
#include "ui/qt/options/font_page.h"
#include "ui/qt/options/language_page.h"
#include "ui/qt/options/settings_page.h"
#include "ui/qt/options/vars_page.h"

namespace ui::qt {

OptionsDialog::OptionsDialog(const config::COptions& options, OptionsEnvironment environment, QWidget* parent)
    : QDialog(parent) {
  setObjectName("optionsDialog");
  setWindowTitle(tx("${Options}"));
  pageList_ = new QListWidget;
  pageList_->setObjectName("pageList");
  pages_ = new QStackedWidget;
  pages_->setObjectName("pages");
  const std::pair<const char*, OptionsPage*> pages[] = {
      {"${Settings}", new SettingsPage},
      {"${File Filters}", new FiltersPage},
      {"${Font}", new FontPage},
      {"${Language}", new LanguagePage(std::move(environment.dictionaries))},
      {"${Archives}", new ArchivesPage(std::move(environment.openInEditor))},
      {"${Vars}", new VarsPage},
  };
  for (const auto& [title, page] : pages) {
    pageList_->addItem(tx(title));
    pages_->addWidget(page);
    page->Load(options);
    pageWidgets_.push_back(page);
  }
  pageList_->setFixedWidth(pageList_->sizeHintForColumn(0) + 32);
  pageList_->setSpacing(2);
  connect(pageList_, &QListWidget::currentRowChanged, pages_, &QStackedWidget::setCurrentIndex);
  const int first = options.optionsPage >= 0 && options.optionsPage < pageList_->count() ? options.optionsPage : 0;
  pageList_->setCurrentRow(first);
  // The arrow keys move between the pages first.
  pageList_->setFocus();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* body = new QHBoxLayout;
  body->addWidget(pageList_);
  body->addWidget(pages_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addWidget(buttons);
  FixWindowMnemonics(*this);
  // Room for a backup folder's or the description file's whole path.
  resize(720, 460);
}

void OptionsDialog::SaveInto(config::COptions& options) const {
  for (const OptionsPage* page : pageWidgets_) page->Save(options);
  options.optionsPage = pageList_->currentRow();
}

}  // namespace ui::qt
