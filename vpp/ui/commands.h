#pragma once

#include <QIcon>
#include <QString>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace packtools {

// The commands of both packfile tools: each program takes its own table,
// from which its menu, toolbar, keys and status prompts are built.
enum class CommandId {
    FileNew,
    FileNewLevel,
    FileOpen,
    FileSave,
    FileSaveAs,
    FileMru,
    AppExit,
    EntryOpen,
    EntryExtract,
    EntryExtractAll,
    EntryAddFiles,
    EntryAddFolder,
    EntryRemove,
    EntryRename,
    EntryMoveUp,
    EntryMoveDown,
    EntryReplace,
    EditFind,
    AppAbout,
};

enum class Picture { None, New, Open, Save, Extract, Add, Remove, Up, Down, About };

struct Command {
    CommandId id;
    const char* menu;        // top-level menu, nullptr: keys only
    const char* text;        // '&' mnemonic, "\t" + key
    const char* toolbarText; // nullptr: not on the toolbar
    Picture picture;
    const char* prompt;
    bool separatorBefore;
};

const std::vector<Command>& PeekCommands();
const std::vector<Command>& ForgeCommands();

// Actions, menus (XP look unless DisableXPMenuStyle of settingsKey is 1) and
// the toolbar of a main window from its table. The File menu is returned.
struct BuiltCommands {
    std::map<CommandId, QAction*> actions;
    QMenu* fileMenu = nullptr;
    QToolBar* toolBar = nullptr;
};
BuiltCommands BuildCommands(QMainWindow& window, const std::vector<Command>& table,
                            const std::string& settingsKey);

QIcon PictureIcon(Picture p);
// A packfile (a box of blocks) with a lens (viewer) or a hammer (editor).
QIcon ProgramIcon(bool editor);

// The type column: what an extension stands for in the game.
QString TypeOfName(const std::string& name);
// Whether an entry is shown as text when opened.
bool LooksLikeText(const std::string& name, const std::string& firstBytes);

// The framework's recent-file list: "File1" to "File10" below key, as bytes.
class RecentFiles {
public:
    explicit RecentFiles(std::string key) : m_key(std::move(key)) {}
    void load();
    void add(const std::string& path); // first, saved at once
    const std::vector<std::string>& entries() const { return m_entries; }

private:
    std::string m_key;
    std::vector<std::string> m_entries;
};

// Fills the entries of a File menu after its placeholder action.
void FillRecentMenu(QMenu* menu, QAction* placeholder, const std::vector<std::string>& files,
                    std::vector<QAction*>* made, const std::function<void(int)>& open);

} // namespace packtools
