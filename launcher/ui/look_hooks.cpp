#include "launcher/ui/look_hooks.h"

#include "common/settings.h"
#include "launcher/ui/commands.h"
#include "launcher/ui/main_frame.h"
#include "launcher/ui/pictures.h"
#include "launcher/ui/playdeck32_view.h"
#include "xplook/flat_look.h"
#include "xplook/xp_menu.h"

#include <QMenu>

namespace playdeck {

namespace {

// One menu of the command table, with the frame's own actions.
qm::xp::MenuTemplateItem MenuTemplateOf(const char* name, const CMainFrame& frame)
{
    qm::xp::MenuTemplateItem menu{name, 0, true, false, false, {}, nullptr};
    for (const CommandSpec& cmd : MainCommands()) {
        if (QLatin1String(cmd.menu) != QLatin1String(name))
            continue;
        if (cmd.separatorBefore && !menu.items.empty())
            menu.items.push_back({});
        menu.items.push_back({cmd.text,
                              static_cast<int>(cmd.id),
                              false,
                              cmd.checkable,
                              false,
                              {},
                              frame.action(cmd.id)});
    }
    return menu;
}

// The toolbar's pictures as a strip of menu-sized cells.
qm::xp::ToolbarPictures ToolbarPicturesOf(QSize cell)
{
    qm::xp::ToolbarPictures pictures{{}, cell, {}};
    std::vector<QIcon> icons;
    for (const auto& slot : MainToolbarLayout()) {
        pictures.buttons.push_back(slot ? static_cast<int>(*slot) : 0);
        if (slot)
            icons.push_back(ToolbarPicture(CommandSpecOf(*slot).picture));
    }
    pictures.strip = qm::xp::MakePictureStrip(icons, cell);
    return pictures;
}

} // namespace

void EnableFlatLook()
{
    qm::xp::FlatLookManager::Instance().InstallHook(qm::xp::HookMode::OnDialogInit);
}

void ApplyMenuLook(QMainWindow* window, QMenu* popup)
{
    auto* frame = qobject_cast<CMainFrame*>(window);
    if (!frame)
        return;
    const int look = qm::xp::ReadXpLook(qm::SettingsKey);
    // The frame owns its menus for its whole life.
    auto* menu = new qm::xp::XpMenu(look, frame);
    std::vector<qm::xp::MenuTemplateItem> bar;
    for (const char* name : MainMenus())
        bar.push_back(MenuTemplateOf(name, *frame));
    menu->LoadMenu(bar, frame);
    menu->LoadToolbar(ToolbarPicturesOf(menu->cell()));
    frame->setMenuBar(menu->menuBar());
    for (const char* name : MainMenus())
        if (QMenu* dropDown = menu->dropDown(QString::fromLatin1(name)))
            QObject::connect(dropDown, &QMenu::aboutToShow, frame, &CMainFrame::UpdateCommandUI);

    if (popup) {
        auto* level = new qm::xp::XpMenu(look, frame);
        level->LoadPopup(MenuTemplateOf("&Level", *frame), popup);
        level->LoadToolbar(ToolbarPicturesOf(level->cell()));
    }
}

} // namespace playdeck
