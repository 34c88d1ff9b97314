// The launcher on Windows: the catalogue of the demo game read through the
// Win32 facade, and a level started with the real starter in the stand-in
// game, which records what Windows handed it.
#include "common/settings.h"
#include "demo/demo_game/demo_game.h"
#include "demo/demo_game/packfile_builder.h"
#include "launcher/catalogue.h"
#include "launcher/game_locator.h"
#include "launcher/game_log.h"
#include "launcher/launch.h"
#include "launcher/list_command.h"
#include "platform/file_system.h"
#include "win_support.h"

#include <algorithm>
#include <optional>
#include <sstream>

namespace qm::wintest {
namespace {

using namespace playdeck;

// Points the game's install key at a folder while it lives; the value found
// before comes back afterwards.
class InstallPathGuard {
public:
    explicit InstallPathGuard(const std::string& folder)
        : m_before(
              RegistryStore().value(HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue))
    {
        EXPECT_TRUE(
            WriteRegString(HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue, folder));
    }
    ~InstallPathGuard()
    {
        RegistryStore store;
        if (m_before)
            store.setValue(HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue,
                           m_before->type, m_before->data);
        else
            store.deleteValue(HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue);
    }

private:
    std::optional<RegValue> m_before;
};

// The stand-in's log escapes a backslash as two.
std::string Escaped(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

TEST_F(WinTest, DemoGameCatalogueAndALevelStartedWithItsAnsiName)
{
    const std::string game = root() + "\\Red Faction";
    std::string error;
    ASSERT_TRUE(demo::MakeDemoGame(game, BinFile("qm_rf_standin_win.exe"), error)) << error;
    const InstallPathGuard installed(game);

    // The three lists are the very bytes the Linux build prints.
    for (const char* mode : {"single", "multi", "mods"}) {
        std::ostringstream out, err;
        EXPECT_EQ(RunListCommand(mode, out, err), 0) << mode << err.str();
        EXPECT_EQ(out.str(),
                  ReadBytes(std::string(QM_FIXTURES_DIR "/launcher/list-") + mode + ".txt"))
            << mode;
    }

    // A level made on a Windows-1252 system: é in its file name and its texts.
    ASSERT_TRUE(fs::SaveFileAtomic(
        game + "\\user_maps\\single\\Caf\xe9 Hall.vpp",
        demo::BuildVpp(
            {{"caf\xe9 hall.rfl", demo::BuildRfl("Le Caf\xe9", "Ren\xe9", "07/14/2001"), {}}})));
    const std::string folder = WithTrailingSeparator(game);
    const auto rows = ScanLevelFolder(folder + ModeFolder(LevelMode::Singleplayer));
    const auto cafe = std::find_if(rows.begin(), rows.end(),
                                   [](const CatalogueRow& r) { return r[0].starts_with("Caf"); });
    ASSERT_NE(cafe, rows.end());
    // Windows gives the name back as UTF-8; the level's own texts stay bytes.
    EXPECT_EQ(*cafe, (CatalogueRow{"Caf\xc3\xa9 Hall.vpp", "Le Caf\xe9", "Ren\xe9", "07/14/2001"}));

    const auto request = LaunchRequestForRow(0, (*cafe)[0], (*cafe)[1], folder, "-window");
    ASSERT_TRUE(request);
    EXPECT_EQ(*request,
              (LaunchRequest{folder + "rf.exe", "-window -level Caf\xc3\xa9 Hall", folder}));
    const auto start = GameStartRequest(*request);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->program, game + "\\rf.exe"); // no runner in front
    EXPECT_EQ(start->parameters, request->parameters);

    ASSERT_EQ(StartLaunch(*request), LaunchResult::Started);
    std::string log;
    ASSERT_TRUE(WaitFor([&] {
        log = ReadBytes(game + "\\rf_launch.log");
        return log.find("end\n") != std::string::npos;
    }));
    // Unquoted and unsplit, in the game's ANSI code page: é arrives as 0xE9.
    EXPECT_NE(log.find("cwd " + Escaped(game) + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\" -window -level Caf\xe9 Hall\n"), std::string::npos) << log;
    EXPECT_NE(log.find("arg -window\narg -level\narg Caf\xe9\narg Hall\nend\n"), std::string::npos)
        << log;
    EXPECT_NE(ReadBytes(GameLogPath()).find(" in " + folder + ": "), std::string::npos);
}

} // namespace
} // namespace qm::wintest
