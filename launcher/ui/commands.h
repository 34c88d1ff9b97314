#pragma once

#include <QString>
#include <map>
#include <optional>
#include <span>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QObject;
class QToolBar;
class QWidget;

namespace playdeck {

// Every command of the main window. The numbers are the framework's command ids.
enum class CommandId {
    ViewSingleplayer = 32771,
    ViewMultiplayer = 32772,
    ViewMods = 32773,
    ViewRefresh = 32774,
    ViewOptions = 32775,
    AppExit = 57665,
    LevelPlay = 32776,
    LevelCreateShortcut = 32777,
    LevelView = 32778,
    LevelEdit = 32779,
    HelpCheckVersion = 32780,
    AppAbout = 57664,
};

// One row of the command table: the stand-in for the menu, accelerator,
// toolbar and string resources. The XP look and the later dialogs draw from
// the same rows, so this stays data.
struct CommandSpec {
    CommandId id;
    const char* menu;         // top-level menu the item sits in
    const char* text;         // item text with '&' mnemonic and "\t" + key
    const char* toolbarLabel; // nullptr: no toolbar button
    const char* picture;      // toolbar/menu picture name, nullptr: none
    const char* prompt;       // status-bar prompt "\n" tool tip, nullptr: none
    bool checkable;
    bool separatorBefore; // a menu separator above the item
};

// The table, in menu order.
std::span<const CommandSpec> MainCommands();
// The top-level menus, in menu-bar order.
std::span<const char* const> MainMenus();
// Toolbar buttons by position; an empty slot is a separator.
std::span<const std::optional<CommandId>> MainToolbarLayout();

const CommandSpec& CommandSpecOf(CommandId id);

// Parts of one row as Qt wants them.
QString MenuTextOf(const CommandSpec& cmd); // text before "\t"
QString KeyTextOf(const CommandSpec& cmd);  // key after "\t", "" when none
QString StatusPromptOf(const CommandSpec& cmd);
QString ToolTipOf(const CommandSpec& cmd);

// The actions of every command, owned by owner, with text, key, picture,
// prompt and tip set from the table.
using CommandActions = std::map<CommandId, QAction*>;
CommandActions BuildCommandActions(QObject* owner);

// Fills a menu bar, a toolbar and a single menu from the table.
void BuildMenuBar(QMenuBar* bar, const CommandActions& actions);
void BuildToolBar(QToolBar* bar, const CommandActions& actions);
QMenu* BuildPopupMenu(const char* menu, const CommandActions& actions, QWidget* parent);

} // namespace playdeck
