#include "ui/qt/options/language_page.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/case_fold.h"
#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

// Each item keeps the configuration's name of its dictionary ("" for English).
constexpr int kNameRole = Qt::UserRole;

}  // namespace

LanguagePage::LanguagePage(std::vector<DictionaryInfo> dictionaries, QWidget* parent)
    : OptionsPage(parent), dictionaries_(std::move(dictionaries)) {
  setObjectName("languagePage");
  list_ = new QListWidget;
  list_->setObjectName("languageList");
  auto* note = new QLabel(tx("${The language changes when the program starts next.}"));
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addWidget(note);
}

void LanguagePage::Load(const config::COptions& options) {
  list_->clear();
  auto add = [this](const QString& text, const std::string& name) {
    auto* item = new QListWidgetItem(text, list_);
    item->setData(kNameRole, qs(name));
    return item;
  };
  QListWidgetItem* current = add(QStringLiteral("English"), "");
  for (const DictionaryInfo& dictionary : dictionaries_) {
    QListWidgetItem* item = add(qs(dictionary.language) + "  (" + qs(dictionary.fileName) + ")", dictionary.fileName);
    if (platform::asciiLower(dictionary.fileName) == platform::asciiLower(options.language)) current = item;
  }
  // A dictionary named but not found here stays chosen as it is written, never silently dropped.
  if (!options.language.empty() && current->data(kNameRole).toString().isEmpty()) {
    current = add(qs(options.language) + "  " + tx("(${not found})"), options.language);
  }
  list_->setCurrentItem(current);
}

void LanguagePage::Save(config::COptions& options) const {
  const QListWidgetItem* item = list_->currentItem();
  if (item == nullptr) return;
  const std::string chosen = ss(item->data(kNameRole).toString());
  // The same dictionary keeps the spelling it was written with.
  if (platform::asciiLower(chosen) != platform::asciiLower(options.language)) options.language = chosen;
}

}  // namespace ui::qt
