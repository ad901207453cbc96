#pragma once
// Every command of the main window and of the result list as a QAction, by its command id: texts
// through the dictionary, keys from the key map, the main menu in its fixed order, the list's
// context menus, and enabled and checked states from the list and the busy state.
#include <QObject>
#include <QPointer>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "config/records.h"
#include "ui/key_list.h"
#include "ui/list_commands.h"
#include "ui/shortcut_map.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace ui {
class ResultModel;
}

namespace ui::qt {

// The window's own commands (the list's are ui::Command).
namespace wincmd {
inline constexpr int kSelectFolders = 32771;
inline constexpr int kMakeHistory = 32929;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 57609;
inline constexpr int kPrintSetup = 57606;
inline constexpr int kReport = 32779;
inline constexpr int kExit = 57665;
inline constexpr int kRescan = 32932;
inline constexpr int kToolbar = 59392;
inline constexpr int kStatusBar = 59393;
inline constexpr int kOptions = 32782;
inline constexpr int kOpen = 32906;
inline constexpr int kCopyTo = 32907;
inline constexpr int kPackage = 32931;
inline constexpr int kCustomize = 32802;
inline constexpr int kHelp = 57666;
inline constexpr int kKeyList = 34001;
inline constexpr int kAbout = 57664;
inline constexpr int kSchedule = 32793;
inline constexpr int kProperties = 32923;
inline constexpr int kCompare = 32783;
inline constexpr int kShowMenu = 34008;
}  // namespace wincmd

class WindowActions : public QObject {
  Q_OBJECT

 public:
  // Makes every action, without keys (BindKeys gives them). The keys of list commands will act
  // while `list` has the focus, the others anywhere in `window`.
  WindowActions(QWidget* window, QWidget* list);

  [[nodiscard]] QAction* Get(int id) const;
  [[nodiscard]] QAction* Get(Command command) const { return Get(static_cast<int>(command)); }
  // True for the list's own commands (ui::Command), which the plain model carries out.
  [[nodiscard]] bool IsListCommand(int id) const { return listCommands_.contains(id); }
  // The main menu in the fixed order, its texts translated and given unique mnemonics.
  void FillMenuBar(QMenuBar& bar) const;
  // The context menu of a folder header (with the Recursive submenu), of a folder row of its own,
  // or of file rows and several rows.
  enum class ContextMenu { FolderHeader, FolderRow, Files };
  [[nodiscard]] QMenu* MakeContextMenu(ContextMenu kind, QWidget* parent) const;
  // Builds the key map from the commands of `bar` (translated and filled) and then the commands
  // only the list reaches, applies the user's customization text and gives every action its keys.
  void BindKeys(const QMenuBar& bar, std::string_view customization);
  // The key list's rows; user tools are described by their names in `tools`.
  [[nodiscard]] KeyListing KeyList(const std::vector<config::UserTool>& tools) const;
  // The actions the toolbar shows, in order (nullptr: a separator).
  [[nodiscard]] std::vector<QAction*> ToolbarActions() const;

  // Enables and checks every action for the list's state; while busy only Cancel, looking and
  // scrolling stay live.
  void Refresh(ResultModel& model, bool busy, bool hasComparison);
  // Commands that exist: the others stay disabled.
  void SetAvailable(int id, bool available);

 signals:
  void triggered(int id);

 private:
  QAction* make(int id, const char* text, QWidget* owner, bool checkable = false);
  QAction* makeList(Command command, const char* text, QWidget* owner, bool checkable = false);

  std::map<int, QPointer<QAction>> actions_;
  // Command ids in the order their actions were made.
  std::vector<int> made_;
  ShortcutMap keys_;
  std::map<int, bool> available_;
  std::set<int> listCommands_;
};

// Gives the items of one menu level unique mnemonics after translation, and of every submenu.
void FixMenuMnemonics(QMenu& menu);

}  // namespace ui::qt
