#pragma once

#include <QIcon>
#include <QString>
#include <vector>

namespace gridlens {

// The viewer's commands: the one table its menu, toolbar, keys and status
// prompts are built from (and the XP-style menu draws from later).
enum class CommandId {
    FileOpen,
    FileExport,
    FilePrint,
    FilePrintSetup,
    FileMru, // "Recent File": replaced by the recent-file entries
    AppExit,
    EditFind,
    EditFindNext,
    EditFindPrevious,
    ViewWrap,
    AppAbout,
    FileNew,
    FileSave,
    NextPane,
    PrevPane,
    ContextHelp,
};

enum class Picture { None, Open, Print, About, ContextHelp };

struct Command {
    CommandId id;
    const char* menu;        // top-level menu ("&File"), nullptr: keys or toolbar only
    const char* text;        // menu text with '&' and "\t" + key, or the key alone
    const char* toolbarText; // text beside the toolbar picture, nullptr: none
    Picture picture;
    const char* prompt;   // status-bar prompt
    const char* tip;      // tool tip
    bool separatorBefore; // a menu separator goes before this entry
};

const std::vector<Command>& Commands();
const Command& CommandOf(CommandId id);
// The toolbar, left to right.
struct ToolbarSlot {
    bool isSeparator;
    CommandId id;
};
const std::vector<ToolbarSlot>& ToolbarLayout();
// The key given after "\t" in a command's text ("" when none).
QString KeyOf(const Command& c);
// The menu text without its key.
QString MenuTextOf(const Command& c);
// A 16x16 picture of the toolbar and menu.
QIcon PictureIcon(Picture p);
// The program's icon: a table under a lens.
QIcon ProgramIcon();

} // namespace gridlens
