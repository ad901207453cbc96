#include "ui/qt/window_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include "ui/builtin_shortcuts.h"
#include "ui/command_name.h"
#include "ui/controls/tx.h"
#include "ui/mnemonics.h"
#include "ui/qt/window_keys.h"
#include "ui/result_model.h"
#include "ui/view_filters.h"

namespace ui::qt {
namespace {

using C = Command;

// Window commands that start work or change what a run reads: off while busy. Properties only
// looks, but asks the stores, which the worker is using.
bool startsWork(int id) {
  switch (id) {
    case wincmd::kProperties:
    case wincmd::kSelectFolders:
    case wincmd::kMakeHistory:
    case wincmd::kRescan:
    case wincmd::kOptions:
    case wincmd::kCopyTo:
    case wincmd::kPackage:
    case wincmd::kCustomize:
    case wincmd::kOpen:
    case wincmd::kCompare: return true;
    default: return false;
  }
}

// The commands of the list's Recursive submenu.
const std::set<int> kRecursive = {static_cast<int>(C::SelectRecursive), static_cast<int>(C::DeleteRecursive),
                                  static_cast<int>(C::AllToTargetRecursive), static_cast<int>(C::AllToSourceRecursive),
                                  static_cast<int>(C::DoItNowRecursive)};

// List commands that only look: they stay live while a worker runs.
bool onlyLooks(int id) { return id == static_cast<int>(C::NextFolder) || id == static_cast<int>(C::PreviousFolder); }

}  // namespace

void FixMenuMnemonics(QMenu& menu) {
  std::vector<QAction*> items;
  std::vector<std::string> texts;
  for (QAction* action : menu.actions()) {
    if (action->isSeparator()) continue;
    items.push_back(action);
    texts.push_back(ss(action->text()));
    if (action->menu() != nullptr) FixMenuMnemonics(*action->menu());
  }
  MakeUniqueMnemonics(texts, true);
  for (std::size_t i = 0; i < items.size(); ++i) items[i]->setText(qs(texts[i]));
}

WindowActions::WindowActions(QWidget* window, QWidget* list) : QObject(window) {
  make(wincmd::kSelectFolders, "&${Select folders}...", window);
  make(wincmd::kMakeHistory, "${Make History file}...", window);
  make(wincmd::kPrint, "&${Print}...", window);
  make(wincmd::kPrintPreview, "${Print Preview}", window);
  make(wincmd::kPrintSetup, "${Print Setup}...", window);
  make(wincmd::kReport, "${Report}...", window);
  make(wincmd::kExit, "${Exit}", window);
  for (const FilterInfo& filter : Filters()) {
    if (filter.command) makeList(*filter.command, filter.menuText, window, true);
  }
  makeList(C::ShowSameFiles, "${Show same files}", window, true);
  makeList(C::NameSorting, "${Name sorting}", window, true);
  makeList(C::DateSorting, "${Date sorting}", window, true);
  makeList(C::TypeSorting, "${Type sorting}", window, true);
  makeList(C::DirectionSorting, "${Direction sorting}", window, true);
  make(wincmd::kRescan, "${Rescan}", window);
  make(wincmd::kToolbar, "&${Toolbar}", window, true);
  make(wincmd::kStatusBar, "&${Status Bar}", window, true);
  make(wincmd::kOptions, "${Options}...", window);
  make(wincmd::kOpen, "${Open}", window);
  make(wincmd::kCopyTo, "${CopyTo}...", window);
  make(wincmd::kPackage, "${Package}...", window);
  make(wincmd::kCustomize, "${&Customize}", window);
  make(wincmd::kHelp, "${Help}", window);
  make(wincmd::kKeyList, "${Key list}", window);
  make(wincmd::kAbout, "${About}...", window);
  make(wincmd::kSchedule, "${Schedule}...", window);
  make(wincmd::kProperties, "${Properties}", list);
  make(wincmd::kCompare, "${Compare files}", list);
  make(wincmd::kShowMenu, "${Show menu}", list);

  makeList(C::ToggleSelection, "${Toggle selection}", list);
  makeList(C::ToggleSelectionAndMoveDown, "${Toogle sel and move down}", list);
  makeList(C::NextFolder, "${Go to next folder}", list);
  makeList(C::PreviousFolder, "${Go to previous folder}", list);
  makeList(C::ReverseSelection, "${Reverse selection}", list);
  makeList(C::SelectAll, "${Select all}", list);
  makeList(C::SelectNone, "${Select none}", list);
  makeList(C::SelectByMask, "${Select by mask}", list);
  makeList(C::UnselectByMask, "${Unselect by mask}", list);
  makeList(C::ToggleFolders, "${Toggle folders}", list);
  makeList(C::Select, "${Select}", list);
  makeList(C::AllToTarget, "${All >>}", list);
  makeList(C::AllToSource, "${All <<}", list);
  makeList(C::Reverse, "${Reverse}", list);
  makeList(C::Delete, "${Delete}", list);
  makeList(C::DoItNow, "${Do it now!}", window);
  makeList(C::SelectRecursive, "${Select}", list);
  makeList(C::DeleteRecursive, "${Delete}", list);
  makeList(C::AllToTargetRecursive, "${All >>}", list);
  makeList(C::AllToSourceRecursive, "${All <<}", list);
  makeList(C::DoItNowRecursive, "${Do it now!}", list);
  makeList(C::CopyFiles, "${Copy files}", window);
  // Ctrl+1 to Ctrl+9 run the user tools; they have no menu item. The ninth has always been 33941.
  for (int tool = 1; tool <= 9; ++tool) {
    const int id = tool < 9 ? kFirstUserTool + tool - 1 : kLastUserTool;
    make(id, "", window)->setText(txf("${User Tool} %d", {std::to_string(tool)}));
  }
}

QAction* WindowActions::makeList(Command command, const char* text, QWidget* owner, bool checkable) {
  listCommands_.insert(static_cast<int>(command));
  return make(static_cast<int>(command), text, owner, checkable);
}

QAction* WindowActions::make(int id, const char* text, QWidget* owner, bool checkable) {
  auto* action = new QAction(tx(text), owner);
  action->setObjectName(QStringLiteral("command%1").arg(id));
  action->setData(id);
  // List keys (Space, Insert, Return) belong to the list, not to every field of the window.
  action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  owner->addAction(action);
  action->setCheckable(checkable);
  connect(action, &QAction::triggered, this, [this, id] { emit triggered(id); });
  actions_[id] = action;
  available_[id] = true;
  made_.push_back(id);
  return action;
}

void WindowActions::BindKeys(const QMenuBar& bar, std::string_view customization) {
  keys_ = ShortcutMap{};
  AddMenuCommands(keys_, bar.actions(), {});
  // The commands that only the list's menus and keys reach, as the list's command menu.
  const std::string listMenu = ss(tx("${List}"));
  const std::string recursiveMenu = ss(tx("${Recursive}"));
  for (const int id : made_) {
    if (keys_.Find(id) != nullptr) continue;
    std::vector<std::string> popups{listMenu};
    if (kRecursive.contains(id)) popups.push_back(recursiveMenu);
    keys_.AddCommand(id, CommandName(popups, ss(Get(id)->text())));
  }
  keys_.ApplyCustomization(customization);
  for (const CommandKeys& command : keys_.Commands()) {
    QList<QKeySequence> sequences;
    for (const Shortcut& shortcut : command.shortcuts) {
      const QKeySequence sequence = KeySequenceOf(shortcut);
      if (!sequence.isEmpty()) sequences.append(sequence);
    }
    if (QAction* action = Get(command.id)) action->setShortcuts(sequences);
  }
}

KeyListing WindowActions::KeyList(const std::vector<config::UserTool>& tools) const {
  // Commands have no status texts of their own: the menu text stands for one.
  auto description = [this](int id) {
    const QAction* action = Get(id);
    if (!action->statusTip().isEmpty()) return ss(action->statusTip());
    std::string text = MenuItemName(ss(action->text()));
    if (text.ends_with("...")) text.resize(text.size() - 3);
    return text;
  };
  return MakeKeyList(keys_, description, tools);
}

QAction* WindowActions::Get(int id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second.data();
}

void WindowActions::SetAvailable(int id, bool available) { available_[id] = available; }

void WindowActions::FillMenuBar(QMenuBar& bar) const {
  auto add = [&](const char* title, std::initializer_list<int> ids) {
    QMenu* menu = bar.addMenu(tx(title));
    for (const int id : ids) {
      if (id == 0) {
        menu->addSeparator();
      } else {
        menu->addAction(Get(id));
      }
    }
    return menu;
  };
  add("&${File}", {wincmd::kSelectFolders, wincmd::kMakeHistory, 0, wincmd::kPrint, wincmd::kPrintPreview,
                   wincmd::kPrintSetup, 0, wincmd::kReport, 0, wincmd::kExit});
  std::vector<int> filters;
  for (const FilterInfo& filter : Filters()) {
    if (filter.command) filters.push_back(static_cast<int>(*filter.command));
  }
  QMenu* filterMenu = bar.addMenu(tx("&${Filters}"));
  for (const int id : filters) filterMenu->addAction(Get(id));
  filterMenu->addSeparator();
  filterMenu->addAction(Get(C::ShowSameFiles));
  filterMenu->addSeparator();
  for (const C sort : {C::NameSorting, C::DateSorting, C::TypeSorting, C::DirectionSorting}) filterMenu->addAction(Get(sort));
  add("&${View}", {wincmd::kRescan, 0, wincmd::kToolbar, wincmd::kStatusBar, 0, wincmd::kOptions});
  add("&${Tools}", {wincmd::kOpen, wincmd::kCopyTo, 0, static_cast<int>(C::DoItNow), static_cast<int>(C::CopyFiles), 0,
                    wincmd::kPackage, 0, wincmd::kCustomize});
  add("&${Help}", {wincmd::kHelp, wincmd::kKeyList, 0, wincmd::kAbout});
  add("&${Extra}", {wincmd::kSchedule});
  std::vector<QAction*> menus;
  std::vector<std::string> titles;
  for (QAction* menu : bar.actions()) {
    menus.push_back(menu);
    titles.push_back(ss(menu->text()));
    if (menu->menu() != nullptr) FixMenuMnemonics(*menu->menu());
  }
  MakeUniqueMnemonics(titles, true);
  for (std::size_t i = 0; i < menus.size(); ++i) menus[i]->setText(qs(titles[i]));
}

QMenu* WindowActions::MakeContextMenu(ContextMenu kind, QWidget* parent) const {
  auto* menu = new QMenu(parent);
  menu->setObjectName("contextMenu");
  auto add = [&](std::initializer_list<int> ids, QMenu* into) {
    for (const int id : ids) {
      if (id == 0) {
        into->addSeparator();
      } else {
        into->addAction(Get(id));
      }
    }
  };
  const auto id = [](C command) { return static_cast<int>(command); };
  switch (kind) {
    case ContextMenu::FolderHeader: {
      add({id(C::Select), id(C::AllToTarget), id(C::AllToSource), id(C::Reverse), id(C::Delete), 0, id(C::DoItNow), 0}, menu);
      QMenu* recursive = menu->addMenu(tx("${Recursive}"));
      add({id(C::SelectRecursive), id(C::AllToTargetRecursive), id(C::AllToSourceRecursive), id(C::DeleteRecursive), 0,
           id(C::DoItNowRecursive)},
          recursive);
      add({0, id(C::ToggleFolders)}, menu);
      break;
    }
    case ContextMenu::FolderRow:
      add({id(C::Select), id(C::AllToTarget), id(C::AllToSource), id(C::Delete), 0, id(C::DoItNow)}, menu);
      break;
    case ContextMenu::Files:
      add({wincmd::kCompare, wincmd::kOpen, 0, id(C::Select), id(C::AllToTarget), id(C::AllToSource), id(C::Reverse),
           id(C::Delete), 0, id(C::DoItNow), 0, wincmd::kCopyTo, wincmd::kProperties},
          menu);
      break;
  }
  FixMenuMnemonics(*menu);
  return menu;
}

std::vector<QAction*> WindowActions::ToolbarActions() const {
  return {Get(wincmd::kSelectFolders), Get(wincmd::kRescan), nullptr, Get(C::ShowAll), Get(C::SelectedOnly),
          Get(C::ConflictsOnly), Get(C::ShowSameFiles), nullptr, Get(C::Select), Get(C::AllToTarget),
          Get(C::AllToSource), Get(C::Reverse), Get(C::Delete), nullptr, Get(C::DoItNow), Get(C::CopyFiles)};
}

void WindowActions::Refresh(ResultModel& model, bool busy, bool hasComparison) {
  for (auto& [id, action] : actions_) {
    if (action == nullptr) continue;
    bool enabled = available_[id];
    const bool listCommand = listCommands_.contains(id);
    if (busy && (startsWork(id) || (listCommand && !onlyLooks(id)))) enabled = false;
    if (enabled && listCommand) {
      enabled = hasComparison && model.IsEnabled(static_cast<Command>(id));
      if (action->isCheckable()) action->setChecked(model.IsChecked(static_cast<Command>(id)));
    }
    action->setEnabled(enabled);
  }
}

}  // namespace ui::qt
