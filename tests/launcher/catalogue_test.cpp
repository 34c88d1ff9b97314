#include "common/settings.h"
#include "demo/demo_game/demo_game.h"
#include "demo/demo_game/packfile_builder.h"
#include "launcher/catalogue.h"
#include "launcher/game_locator.h"
#include "launcher/list_command.h"
#include "support/temp_world.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace playdeck;
using qm::test::readFileBytes;
using qm::test::TempWorldTest;

namespace {

class CatalogueTest : public TempWorldTest {
protected:
    // A demo game installed in the world's store; returns its folder.
    std::string installDemoGame()
    {
        const std::string game = world.root() + "/Red Faction";
        std::string error;
        EXPECT_TRUE(qm::demo::MakeDemoGame(game, QM_BIN_DIR "/qm_rf_standin", error)) << error;
        setInstallPath(game);
        return game;
    }
    static void setInstallPath(const std::string& folder)
    {
        ASSERT_TRUE(qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey,
                                       kGameInstallPathValue, folder));
    }
    static int list(const std::string& mode, std::string& out, std::string& err)
    {
        std::ostringstream o, e;
        const int code = RunListCommand(mode, o, e);
        out = o.str();
        err = e.str();
        return code;
    }
    std::string level(const std::string& relative, const std::string& name)
    {
        const std::string file = relative.substr(relative.find_last_of('/') + 1);
        const std::string rfl = file.substr(0, file.size() - 4) + ".rfl";
        return world.writeFile(relative,
                               qm::demo::BuildVpp({{rfl, qm::demo::BuildRfl(name, "a", "d"), {}}}));
    }
};

TEST_F(CatalogueTest, ListOfEachModeOnTheDemoGameMatchesTheExpectedFile)
{
    installDemoGame();
    for (const char* mode : {"single", "multi", "mods"}) {
        std::string out, err;
        EXPECT_EQ(list(mode, out, err), 0) << mode;
        EXPECT_EQ(err, "");
        EXPECT_EQ(out,
                  readFileBytes(std::string(QM_FIXTURES_DIR "/launcher/list-") + mode + ".txt"))
            << mode;
    }
}

TEST_F(CatalogueTest, ListWithoutModeFollowsLastMode)
{
    installDemoGame();
    std::string out, err;
    ASSERT_TRUE(qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastMode", 2));
    EXPECT_EQ(list("", out, err), 0);
    EXPECT_EQ(out, readFileBytes(QM_FIXTURES_DIR "/launcher/list-mods.txt"));
    // A broken stored mode shows nothing, as the window does.
    ASSERT_TRUE(qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastMode", 7));
    EXPECT_EQ(list("", out, err), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(list("solo", out, err), 2);
    EXPECT_NE(err.find("solo"), std::string::npos);
}

TEST_F(CatalogueTest, ListWithoutTheGameSaysSoAndFails)
{
    std::string out, err;
    EXPECT_EQ(list("single", out, err), 1); // no InstallPath at all
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, std::string(kGameMissingMessage) + "\n");
    // A folder without rf.exe is no game either.
    setInstallPath(world.makeDir("empty game"));
    EXPECT_EQ(list("mods", out, err), 1);
    EXPECT_EQ(err, std::string(kGameMissingMessage) + "\n");
}

TEST_F(CatalogueTest, GameFolderAlwaysEndsInOneSeparator)
{
    EXPECT_EQ(GetGameFolder(), "");
    EXPECT_FALSE(IsGameInstalled());
    setInstallPath("");
    EXPECT_EQ(GetGameFolder(), "");
    EXPECT_FALSE(IsGameInstalled());
    const std::string game = world.makeDir("games/RF");
    setInstallPath(game);
    EXPECT_EQ(GetGameFolder(), game + "/");
    EXPECT_FALSE(IsGameInstalled());
    world.writeFile("games/RF/rf.exe", "MZ");
    EXPECT_TRUE(IsGameInstalled());
    setInstallPath(game + "/");
    EXPECT_EQ(GetGameFolder(), game + "/");
}

TEST_F(CatalogueTest, OnlyRegularPackfilesOfTheFolderItselfCount)
{
    const std::string folder = world.makeDir("maps");
    level("maps/b level.VPP", "B");
    level("maps/A level.vpp", "A");
    level("maps/c.vpp.bak", "not a packfile name");
    level("maps/deeper/d.vpp", "one folder level only");
    world.makeDir("maps/e.vpp");
    std::filesystem::create_symlink(level("elsewhere/z link.vpp", "Z"), folder + "/z link.vpp");
    const auto rows = ScanLevelFolder(folder); // no trailing separator given
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (CatalogueRow{"A level.vpp", "A", "a", "d"}));
    EXPECT_EQ(rows[1][0], "b level.VPP");
    EXPECT_EQ(rows[2][0], "z link.vpp");
}

TEST_F(CatalogueTest, UnreadableOrMissingFoldersGiveNoRows)
{
    EXPECT_TRUE(ScanLevelFolder(world.root() + "/missing").empty());
    EXPECT_TRUE(ScanModsFolder(world.root() + "/missing").empty());
    EXPECT_TRUE(ScanMode(LevelMode::Singleplayer, "").empty());
    // A mode folder that is a file.
    world.writeFile("game/user_maps/single", "x");
    EXPECT_TRUE(ScanMode(LevelMode::Singleplayer, world.root() + "/game/").empty());
    // A folder without read permission (meaningless for root, who reads anyway).
    level("locked/x.vpp", "X");
    ::chmod((world.root() + "/locked").c_str(), 0);
    if (::geteuid() != 0) {
        EXPECT_TRUE(ScanLevelFolder(world.root() + "/locked").empty());
    }
    ::chmod((world.root() + "/locked").c_str(), 0700);
}

TEST_F(CatalogueTest, ColumnsAndModes)
{
    const auto level = ColumnsOf(LevelMode::Singleplayer);
    ASSERT_EQ(level.size(), 4u);
    EXPECT_STREQ(level[0].caption, "Filename");
    EXPECT_EQ(level[3].width, 220);
    const auto mods = ColumnsOf(LevelMode::Mods);
    ASSERT_EQ(mods.size(), 5u);
    EXPECT_STREQ(mods[0].caption, "MOD name");
    EXPECT_EQ(mods[0].width, 80);
    EXPECT_EQ(mods[1].width, 100);
    EXPECT_EQ(ColumnsOf(7).size(), 4u);
    EXPECT_FALSE(ModeFromNumber(7));
    EXPECT_FALSE(ModeFromNumber(-1));
    EXPECT_EQ(ModeFolder(LevelMode::Multiplayer), "user_maps/multi/");

    EXPECT_EQ(ReadLastMode(), 0);
    ASSERT_TRUE(StoreLastMode(LevelMode::Mods));
    EXPECT_EQ(ReadLastMode(), 2);
}

} // namespace
