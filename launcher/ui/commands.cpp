#include "launcher/ui/commands.h"

#include "launcher/ui/pictures.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <array>
#include <stdexcept>

namespace playdeck {

namespace {

constexpr const char* kView = "&View";
constexpr const char* kLevel = "&Level";
constexpr const char* kHelp = "&Help";

using C = CommandId;

// The main window's menu resource, accelerators and status strings in one place.
constexpr std::array<CommandSpec, 12> kCommands{{
    {C::ViewSingleplayer, kView, "&Singleplayer Missions\tCtrl+S", "Singleplayer", "single",
     "Singleplayer Missions\nSingleplayer Missions", true, false},
    {C::ViewMultiplayer, kView, "&Multiplayer Missions\tCtrl+M", "Multiplayer", "multi",
     "Multiplayer Missions\nMultiplayer Missions", true, false},
    {C::ViewMods, kView, "M&ODs\tCtrl+O", "MODs", "mods", "MODs\nMODs", true, false},
    {C::ViewRefresh, kView, "&Refresh\tF5", nullptr, nullptr, nullptr, false, true},
    {C::ViewOptions, kView, "&Options", nullptr, nullptr, nullptr, false, false},
    {C::AppExit, kView, "E&xit", nullptr, nullptr, nullptr, false, true},
    {C::LevelPlay, kLevel, "&Play selected level\tReturn", "Play level", "play",
     "Launch Red Faction with selected level\nLaunch Red Faction with selected level", false,
     false},
    {C::LevelCreateShortcut, kLevel, "&Create shortcut to level", "Create shortcut", "shortcut",
     "Create shortcut (e.g. on Windows desktop)\nCreate shortcut (e.g. on Windows desktop)", false,
     false},
    {C::LevelView, kLevel, "View .VPP in Quorvel Mananger PACKPEEK32\tF3", "View in PACKPEEK32",
     "view",
     "Open .VPP file in Quorvel Manager PACKPEEK32\nOpen .VPP file in Quorvel Manager PACKPEEK32",
     false, true},
    {C::LevelEdit, kLevel, "Edit .VPP in Quorvel Manager PACKFORGE32\tF4", "Edit in PACKFORGE32",
     "edit",
     "Edit .VPP file in Quorvel Manager PACKFORGE32\nEdit .VPP file in Quorvel Manager PACKFORGE32",
     false, false},
    {C::HelpCheckVersion, kHelp, "Check for new version", nullptr, nullptr, nullptr, false, false},
    {C::AppAbout, kHelp, "&About Quorvel Manager PLAYDECK32...", nullptr, nullptr, nullptr, false,
     true},
}};

constexpr std::array<const char*, 3> kMenus{kView, kLevel, kHelp};

constexpr std::array<std::optional<CommandId>, 9> kToolbar{
    C::ViewSingleplayer,    C::ViewMultiplayer, C::ViewMods,  std::nullopt, C::LevelPlay,
    C::LevelCreateShortcut, std::nullopt,       C::LevelView, C::LevelEdit};

// One part of a "a\tb" or "a\nb" resource text; a missing part is empty,
// except that a prompt without a tip serves as its own tip.
QString partOf(const char* text, char separator, int index)
{
    if (!text)
        return {};
    const QStringList parts = QString::fromLatin1(text).split(QLatin1Char(separator));
    if (index < parts.size())
        return parts[index];
    return separator == '\n' ? parts[0] : QString();
}

} // namespace

std::span<const CommandSpec> MainCommands()
{
    return kCommands;
}
std::span<const char* const> MainMenus()
{
    return kMenus;
}
std::span<const std::optional<CommandId>> MainToolbarLayout()
{
    return kToolbar;
}

const CommandSpec& CommandSpecOf(CommandId id)
{
    for (const CommandSpec& cmd : kCommands)
        if (cmd.id == id)
            return cmd;
    throw std::out_of_range("unknown command id");
}

QString MenuTextOf(const CommandSpec& cmd)
{
    return partOf(cmd.text, '\t', 0);
}
QString KeyTextOf(const CommandSpec& cmd)
{
    return partOf(cmd.text, '\t', 1);
}
QString StatusPromptOf(const CommandSpec& cmd)
{
    return partOf(cmd.prompt, '\n', 0);
}
QString ToolTipOf(const CommandSpec& cmd)
{
    return partOf(cmd.prompt, '\n', 1);
}

CommandActions BuildCommandActions(QObject* owner)
{
    CommandActions actions;
    for (const CommandSpec& cmd : kCommands) {
        auto* action = new QAction(MenuTextOf(cmd), owner);
        action->setObjectName(QStringLiteral("cmd%1").arg(static_cast<int>(cmd.id)));
        action->setData(static_cast<int>(cmd.id));
        const QString key = KeyTextOf(cmd);
        if (key == QLatin1String("Return"))
            // The keypad's Enter is the same key to the old accelerator table.
            action->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
        else if (!key.isEmpty())
            action->setShortcut(QKeySequence(key));
        if (cmd.picture)
            action->setIcon(ToolbarPicture(cmd.picture));
        // A toolbar button shows the icon text, the menu shows the text.
        if (cmd.toolbarLabel)
            action->setIconText(QString::fromLatin1(cmd.toolbarLabel));
        action->setStatusTip(StatusPromptOf(cmd));
        action->setToolTip(cmd.prompt ? ToolTipOf(cmd) : MenuTextOf(cmd).remove(QLatin1Char('&')));
        action->setCheckable(cmd.checkable);
        // Menu items show their picture only in the XP look.
        action->setIconVisibleInMenu(false);
        actions.emplace(cmd.id, action);
    }
    return actions;
}

static void fillMenu(QMenu* menu, const char* name, const CommandActions& actions)
{
    for (const CommandSpec& cmd : kCommands) {
        if (QLatin1String(cmd.menu) != QLatin1String(name))
            continue;
        if (cmd.separatorBefore && !menu->isEmpty())
            menu->addSeparator();
        menu->addAction(actions.at(cmd.id));
    }
}

void BuildMenuBar(QMenuBar* bar, const CommandActions& actions)
{
    for (const char* name : kMenus)
        fillMenu(bar->addMenu(QString::fromLatin1(name)), name, actions);
}

void BuildToolBar(QToolBar* bar, const CommandActions& actions)
{
    for (const auto& slot : kToolbar) {
        if (!slot) {
            bar->addSeparator();
            continue;
        }
        bar->addAction(actions.at(*slot));
    }
}

QMenu* BuildPopupMenu(const char* name, const CommandActions& actions, QWidget* parent)
{
    auto* menu = new QMenu(QString::fromLatin1(name), parent);
    fillMenu(menu, name, actions);
    return menu;
}

} // namespace playdeck
