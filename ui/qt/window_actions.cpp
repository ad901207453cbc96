#include "ui/qt/window_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include "ui/mnemonics.h"
#include "ui/controls/tx.h"
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
  make(wincmd::kSelectFolders, "&${Select folders}...", Qt::Key_F2, window);
  make(wincmd::kMakeHistory, "${Make History file}...", {}, window);
  make(wincmd::kPrint, "&${Print}...", QKeySequence(Qt::CTRL | Qt::Key_P), window);
  make(wincmd::kPrintPreview, "${Print Preview}", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), window);
  make(wincmd::kPrintSetup, "${Print Setup}...", {}, window);
  make(wincmd::kReport, "${Report}...", {}, window);
  make(wincmd::kExit, "${Exit}", {}, window);
  for (const FilterInfo& filter : Filters()) {
    if (filter.command) makeList(*filter.command, filter.menuText, {}, window, true);
  }
  makeList(C::ShowSameFiles, "${Show same files}", {}, window, true);
  makeList(C::NameSorting, "${Name sorting}", {}, window, true);
  makeList(C::DateSorting, "${Date sorting}", {}, window, true);
  makeList(C::TypeSorting, "${Type sorting}", {}, window, true);
  makeList(C::DirectionSorting, "${Direction sorting}", {}, window, true);
  make(wincmd::kRescan, "${Rescan}", Qt::Key_F5, window);
  make(wincmd::kToolbar, "&${Toolbar}", {}, window, true);
  make(wincmd::kStatusBar, "&${Status Bar}", {}, window, true);
  make(wincmd::kOptions, "${Options}...", {}, window);
  make(wincmd::kOpen, "${Open}", {}, window);
  make(wincmd::kCopyTo, "${CopyTo}...", {}, window);
  make(wincmd::kPackage, "${Package}...", {}, window);
  make(wincmd::kCustomize, "${&Customize}", {}, window);
  make(wincmd::kHelp, "${Help}", Qt::Key_F1, window);
  make(wincmd::kKeyList, "${Key list}", {}, window);
  make(wincmd::kAbout, "${About}...", {}, window);
  make(wincmd::kSchedule, "${Schedule}...", {}, window);
  make(wincmd::kProperties, "${Properties}", QKeySequence(Qt::ALT | Qt::Key_Return), list);
  make(wincmd::kCompare, "${Compare files}", Qt::Key_Return, list);
  make(wincmd::kShowMenu, "${Show menu}", QKeySequence(Qt::CTRL | Qt::Key_F10), list);

  makeList(C::ToggleSelection, "${Toggle selection}", Qt::Key_Space, list);
  makeList(C::ToggleSelectionAndMoveDown, "${Toogle sel and move down}", Qt::Key_Insert, list);
  makeList(C::NextFolder, "${Go to next folder}", QKeySequence(Qt::CTRL | Qt::Key_Down), list);
  makeList(C::PreviousFolder, "${Go to previous folder}", QKeySequence(Qt::CTRL | Qt::Key_Up), list);
  makeList(C::ReverseSelection, "${Reverse selection}", QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk), list);
  makeList(C::SelectAll, "${Select all}", QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus), list);
  makeList(C::SelectNone, "${Select none}", QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Minus), list);
  makeList(C::SelectByMask, "${Select by mask}", QKeySequence(Qt::KeypadModifier | Qt::Key_Plus), list);
  makeList(C::UnselectByMask, "${Unselect by mask}", QKeySequence(Qt::KeypadModifier | Qt::Key_Minus), list);
  makeList(C::ToggleFolders, "${Toggle folders}", QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Slash), list);
  makeList(C::Select, "${Select}", {}, list);
  makeList(C::AllToTarget, "${All >>}", {}, list);
  makeList(C::AllToSource, "${All <<}", {}, list);
  makeList(C::Reverse, "${Reverse}", QKeySequence(Qt::ALT | Qt::Key_Left), list)
      ->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::ALT | Qt::Key_Right)});
  makeList(C::Delete, "${Delete}", {}, list);
  makeList(C::DoItNow, "${Do it now!}", QKeySequence(Qt::CTRL | Qt::Key_Space), window);
  makeList(C::SelectRecursive, "${Select}", {}, list);
  makeList(C::DeleteRecursive, "${Delete}", {}, list);
  makeList(C::AllToTargetRecursive, "${All >>}", {}, list);
  makeList(C::AllToSourceRecursive, "${All <<}", {}, list);
  makeList(C::DoItNowRecursive, "${Do it now!}", {}, list);
  makeList(C::CopyFiles, "${Copy files}", QKeySequence(Qt::CTRL | Qt::Key_Return), window);
}

QAction* WindowActions::makeList(Command command, const char* text, const QKeySequence& keys, QWidget* owner, bool checkable) {
  listCommands_.insert(static_cast<int>(command));
  return make(static_cast<int>(command), text, keys, owner, checkable);
}

QAction* WindowActions::make(int id, const char* text, const QKeySequence& keys, QWidget* owner, bool checkable) {
  auto* action = new QAction(tx(text), owner);
  action->setObjectName(QStringLiteral("command%1").arg(id));
  action->setData(id);
  if (!keys.isEmpty()) {
    action->setShortcut(keys);
    // List keys (Space, Insert, Delete) belong to the list, not to every field of the window.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(action);
  }
  action->setCheckable(checkable);
  connect(action, &QAction::triggered, this, [this, id] { emit triggered(id); });
  actions_[id] = action;
  available_[id] = true;
  return action;
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
