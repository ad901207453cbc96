#pragma once
// "Language": the dictionary the texts are shown in, or the built-in English. Takes effect when
// the program starts next, before any window exists.
#include <vector>

#include "ui/qt/options/options_page.h"
#include "ui/translator.h"

class QListWidget;

namespace ui::qt {

class LanguagePage : public OptionsPage {
  Q_OBJECT

 public:
  // `dictionaries`: those found beside the program and in the data folder.
  explicit LanguagePage(std::vector<DictionaryInfo> dictionaries, QWidget* parent = nullptr);
  void Load(const config::COptions& options) override;
  void Save(config::COptions& options) const override;

 private:
  std::vector<DictionaryInfo> dictionaries_;
  QListWidget* list_;
};

}  // namespace ui::qt
