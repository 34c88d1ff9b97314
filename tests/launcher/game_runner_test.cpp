#include "launcher/game_runner.h"

#include "support/temp_world.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace playdeck;
using qm::test::TempWorld;
using qm::test::TempWorldTest;

namespace {

std::string MakeScript(const TempWorld& world, const std::string& relative)
{
    return world.writeProgram(relative, "#!/bin/sh\nexit 0\n");
}

// What Proton needs to find the game's compat folder and Steam's client.
std::vector<std::pair<std::string, std::string>> ProtonEnvironment(const std::string& library,
                                                                   const std::string& steamRoot)
{
    return {{"STEAM_COMPAT_DATA_PATH", library + "/steamapps/compatdata/20530"},
            {"STEAM_COMPAT_CLIENT_INSTALL_PATH", steamRoot},
            {"SteamAppId", "20530"},
            {"SteamGameId", "20530"}};
}

class GameRunnerTest : public TempWorldTest {
protected:
    void SetUp() override { world.setEnv("PATH", world.makeDir("bin")); }
    GameInstall windowsGame(GameSource source) const
    {
        GameInstall install;
        install.folder = world.makeDir("game") + "/";
        install.executable = world.writeFile("game/RF.exe", "MZ\x90");
        install.source = source;
        return install;
    }
};

} // namespace

TEST(SplitShellWords, QuotesAndEscapesKeepWordsWhole)
{
    EXPECT_EQ(SplitShellWords(R"(  /opt/my\ proton  'run it' "a \"b\" $x" )"),
              (std::vector<std::string>{"/opt/my proton", "run it", "a \"b\" $x"}));
    EXPECT_EQ(SplitShellWords("a''b \"\""), (std::vector<std::string>{"ab", ""}));
    EXPECT_FALSE(SplitShellWords("wine 'open"));
    EXPECT_FALSE(SplitShellWords("wine \"open"));
}

TEST_F(GameRunnerTest, NewestNumberedProtonWinsOverExperimental)
{
    const std::string lib = world.makeDir("lib");
    MakeScript(world, "lib/steamapps/common/Proton - Experimental/proton");
    EXPECT_EQ(FindNewestProton({lib}), lib + "/steamapps/common/Proton - Experimental/proton");
    MakeScript(world, "lib/steamapps/common/Proton 8.0/proton");
    const std::string other = world.makeDir("other");
    MakeScript(world, "other/steamapps/common/Proton 10.0/proton");
    world.makeDir("lib/steamapps/common/Proton 11.0"); // no script: not a Proton
    EXPECT_EQ(FindNewestProton({lib, other}), other + "/steamapps/common/Proton 10.0/proton");
    EXPECT_FALSE(FindNewestProton({world.makeDir("empty")}));
}

TEST_F(GameRunnerTest, WinePrefixAndStoreGoThroughWineFromPath)
{
    const std::string wine = MakeScript(world, "bin/wine");
    GameInstall install = windowsGame(GameSource::WinePrefix);
    install.winePrefix = world.root() + "/my prefix";
    GameRunner runner = GameRunnerCommand(install, "");
    EXPECT_TRUE(runner.found);
    EXPECT_EQ(runner.command, std::vector<std::string>{wine});
    EXPECT_EQ(runner.environment,
              (decltype(runner.environment){{"WINEPREFIX", install.winePrefix}}));

    runner = GameRunnerCommand(windowsGame(GameSource::Store), "");
    EXPECT_EQ(runner.command, std::vector<std::string>{wine});
    EXPECT_TRUE(runner.environment.empty());
}

TEST_F(GameRunnerTest, SteamGoesThroughProtonWithCompatFolders)
{
    GameInstall install = windowsGame(GameSource::Steam);
    install.steamRoot = world.makeDir("steam");
    install.steamLibrary = world.makeDir("library");
    const std::string proton = MakeScript(world, "steam/steamapps/common/Proton 9.0/proton");
    const GameRunner runner = GameRunnerCommand(install, "");
    EXPECT_EQ(runner.command, (std::vector<std::string>{proton, "run"}));
    EXPECT_EQ(runner.environment, ProtonEnvironment(install.steamLibrary, install.steamRoot));
}

TEST_F(GameRunnerTest, NoRunnerIsReportedAndUserCommandWins)
{
    GameInstall install = windowsGame(GameSource::Steam);
    install.steamRoot = world.makeDir("steam");
    install.steamLibrary = install.steamRoot;
    EXPECT_FALSE(GameRunnerCommand(install, "").found);
    const GameRunner own = GameRunnerCommand(install, "'/opt/my proton' run");
    EXPECT_TRUE(own.found);
    EXPECT_EQ(own.command, (std::vector<std::string>{"/opt/my proton", "run"}));
    // Its own Proton needs the compat folders as much as the automatic one.
    EXPECT_EQ(own.environment, ProtonEnvironment(install.steamRoot, install.steamRoot));

    GameInstall native = install;
    native.executable = MakeScript(world, "game/rf.exe");
    const GameRunner direct = GameRunnerCommand(native, "");
    EXPECT_TRUE(direct.found);
    EXPECT_TRUE(direct.command.empty());
}
