#pragma once

#include "common/settings.h"
#include "common/tools_library.h"
#include "common/ui/message_box.h"
#include "demo/demo_game/demo_game.h"
#include "launcher/game_locator.h"
#include "launcher/ui/main_frame.h"
#include "launcher/ui/playdeck32_app.h"
#include "launcher/ui/playdeck32_view.h"
#include "launcher/ui/vpp_action_dlg.h"
#include "support/temp_world.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

namespace playdeck::test {

// A demo game in a fresh world, its "InstallPath" stored, no start-up pause.
class LauncherTest : public qm::test::TempWorldTest {
protected:
    void SetUp() override
    {
        game = world.root() + "/Red Faction/";
        std::string error;
        ASSERT_TRUE(qm::demo::MakeDemoGame(game, QM_BIN_DIR "/qm_rf_standin", error)) << error;
        world.setEnv("QM_SPLASH_MS", "0");
        qm::ui::MessageBox::clearHistory();
    }
    void TearDown() override { qm::ui::MessageBox::clearHistory(); }

    void install(const std::string& path) const
    {
        qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue, path);
    }
    void setDword(const char* name, uint32_t value) const
    {
        qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, value);
    }
    uint32_t dword(const char* name) const
    {
        return qm::ReadRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, 12345);
    }

    // Where start-up's association step believes the program lies: a folder
    // of the world, so no test writes beside the real binary.
    std::string programPath() const;

    // Runs start-up with the game installed; the window is up and active.
    CMainFrame* start(const std::vector<std::string>& arguments = {});

    // The list's rows, cells joined by TAB, as --list prints them.
    QStringList rows() const;
    QStringList headers() const;
    std::vector<int> widths() const;
    // Selects exactly the rows given.
    void select(std::initializer_list<int> rowsToSelect) const;
    int rowOf(const QString& firstCells) const;

    // Triggers a command and drives the modal Dialog it opens; false when no
    // such dialog came up. A dialog left open is cancelled.
    template <class Dialog>
    bool driveCommandDialog(CommandId command, const std::function<void(Dialog&)>& drive) const
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!d)
                return;
            seen = true;
            drive(*d);
            if (d->isVisible())
                d->reject();
        });
        frame->action(command)->trigger();
        return seen;
    }

    std::string game;
    std::unique_ptr<CPLAYDECK32App> app;
    CMainFrame* frame = nullptr;
    CPLAYDECK32View* view = nullptr;
};

// Runs act on the action chooser as soon as it is up in its modal loop.
void WhenChooserShows(std::function<void(CVppActionDlg&)> act);

// The expected --list output of a mode, from the catalogue's own test files.
QStringList ExpectedListing(const char* mode);

} // namespace playdeck::test
