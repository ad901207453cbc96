#pragma once
// "Options": the six pages in their fixed order (Settings, File Filters, Font, Language,
// Archives, Vars), a list of their names beside them. The pages show the options the dialog is
// given and it changes nothing by itself; after OK, SaveInto writes what the pages show.
#include <QDialog>
#include <functional>
#include <vector>

#include "config/options.h"
#include "ui/translator.h"

class QListWidget;
class QStackedWidget;

namespace ui::qt {

class OptionsPage;

// What the dialog needs besides the options: the dictionaries it offers and how a file is
// opened in the user's editor (`said`: the command started, or why none could be).
struct OptionsEnvironment {
  std::vector<DictionaryInfo> dictionaries;
  std::function<bool(const std::string& file, std::string& said)> openInEditor;
};

class OptionsDialog : public QDialog {
  Q_OBJECT

 public:
  OptionsDialog(const config::COptions& options, OptionsEnvironment environment, QWidget* parent = nullptr);

  // Writes what the pages show into `options`, and the open page as the one to show first next
  // time; the options no page shows stay as they are.
  void SaveInto(config::COptions& options) const;

 private:
  QListWidget* pageList_;
  QStackedWidget* pages_;
  std::vector<OptionsPage*> pageWidgets_;
};

}  // namespace ui::qt
