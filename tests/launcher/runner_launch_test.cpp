#include "common/settings.h"
#include "common/shortcut.h"
#include "launcher/game_locator.h"
#include "launcher/game_runner.h"
#include "launcher/launch.h"
#include "launcher/shortcut_wizard.h"
#include "platform/process_start.h"
#include "runner_record.h"
#include "support/desktop_entry.h"
#include "support/temp_world.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace playdeck;
using qm::test::readFileBytes;
using qm::test::TempWorldTest;
using Strings = std::vector<std::string>;

namespace {

// Records what a runner receives: environment, working folder, each argument.
constexpr const char* kRecorder = "#!/bin/sh\n"
                                  "{ printf 'runner %s\\n' \"$0\"\n"
                                  "  printf 'WINEPREFIX=%s\\n' \"${WINEPREFIX-<unset>}\"\n"
                                  "  printf 'DATA=%s\\n' \"${STEAM_COMPAT_DATA_PATH-<unset>}\"\n"
                                  "  printf 'CLIENT=%s\\n' "
                                  "\"${STEAM_COMPAT_CLIENT_INSTALL_PATH-<unset>}\"\n"
                                  "  printf 'cwd %s\\n' \"$PWD\"\n"
                                  "  for a in \"$@\"; do printf 'arg %s\\n' \"$a\"; done\n"
                                  "  echo end; } > \"$QM_RUNNER_LOG.tmp\"\n"
                                  "/bin/mv \"$QM_RUNNER_LOG.tmp\" \"$QM_RUNNER_LOG\"\n";

class RunnerLaunchTest : public test::RunnerRecordTest {
protected:
    RunnerLaunchTest() : RunnerRecordTest(kRecorder, false) {}
    // A Wine prefix holding the game at C:\Games\Red Faction\RF.exe.
    std::string winePrefixWithGame(const std::string& relative)
    {
        const std::string prefix = world.makeDir(relative);
        world.makeDir(relative + "/dosdevices");
        world.writeFile(relative + "/drive_c/Games/Red Faction/RF.exe", "MZ\x90");
        std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
        world.writeFile(relative + "/system.reg",
                        "WINE REGISTRY Version 2\n\n"
                        "[Software\\\\Wow6432Node\\\\Volition\\\\Red Faction] 1700000000\n"
                        "\"InstallPath\"=\"C:\\\\Games\\\\Red Faction\"\n");
        return prefix;
    }
};

TEST_F(RunnerLaunchTest, WinePrefixGameRunsThroughWineWithItsPrefix)
{
    const std::string wine = recorder("bin/wine");
    const std::string prefix = winePrefixWithGame("home/my games/prefix");
    world.setEnv("WINEPREFIX", prefix);
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "CommandLineSwitches", "-window");

    const auto request = LaunchRequestForRow(0, "glass house.vpp", "The Glass House");
    ASSERT_TRUE(request);
    ASSERT_EQ(StartLaunch(*request), LaunchResult::Started);
    const std::string game = prefix + "/drive_c/Games/Red Faction/";
    EXPECT_EQ(awaitRecord(), "runner " + wine + "\nWINEPREFIX=" + prefix +
                                 "\nDATA=<unset>\nCLIENT=<unset>\ncwd " +
                                 game.substr(0, game.size() - 1) + "\narg " + game +
                                 "RF.exe\narg -window\narg -level\narg glass\narg "
                                 "house\nend\n");

    // A shortcut to the same level carries the same runner and prefix.
    const std::string links = world.makeDir("links");
    ASSERT_EQ(WriteLevelShortcut({"glass house", "The Glass House", "", false}, links, "Glass"),
              qm::kShortcutOk);
    const auto exec = qm::test::SplitDesktopExec(
        *qm::test::DesktopEntryValue(readFileBytes(links + "/Glass.desktop"), "Exec"));
    ASSERT_TRUE(exec);
    EXPECT_EQ(*exec, (Strings{"env", "WINEPREFIX=" + prefix, wine, game + "RF.exe", "-window",
                              "-level", "glass", "house"}));
    EXPECT_EQ(qm::test::ValidateDesktopFile(links + "/Glass.desktop"), "");
}

TEST_F(RunnerLaunchTest, SteamGameRunsThroughTheNewestProton)
{
    const std::string root = world.home() + "/.local/share/Steam";
    const std::string library = world.makeDir("mnt/steam library");
    world.writeFile("mnt/steam library/steamapps/common/Red Faction/RF.exe", "MZ\x90");
    world.writeFile("mnt/steam library/steamapps/appmanifest_20530.acf", "\"AppState\" {}\n");
    world.writeFile("home/.local/share/Steam/steamapps/libraryfolders.vdf",
                    "\"libraryfolders\"\n{\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library +
                        "\"\n\t}\n}\n");
    recorder("mnt/steam library/steamapps/common/Proton 8.0/proton");
    const std::string proton =
        recorder("home/.local/share/Steam/steamapps/common/Proton 9.0/proton");
    recorder("bin/wine"); // present, but a Steam find goes through Proton

    const std::string game = library + "/steamapps/common/Red Faction/";
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "My Mod", "lab 2")),
              LaunchResult::Started);
    EXPECT_EQ(awaitRecord(), "runner " + proton + "\nWINEPREFIX=<unset>\nDATA=" + library +
                                 "/steamapps/compatdata/20530\nCLIENT=" + root + "\ncwd " +
                                 game.substr(0, game.size() - 1) + "\narg run\narg " + game +
                                 "RF.exe\narg -MOD\narg My\narg Mod\narg -level\narg lab\narg "
                                 "2\nend\n");
}

TEST_F(RunnerLaunchTest, NoRunnerStartsNothingAndTheUsersRunnerWins)
{
    const std::string game = world.makeDir("Red Faction") + "/";
    world.writeFile("Red Faction/rf.exe", "MZ\x90");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue, game);
    world.setEnv("PATH", bin); // no wine anywhere

    qm::RecordingProcessStarter starter;
    {
        qm::ScopedProcessStarter guard(&starter);
        EXPECT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")),
                  LaunchResult::NoRunner);
    }
    EXPECT_TRUE(starter.requests().empty());
    // The shortcut still names wine, which may be installed later.
    const std::string links = world.makeDir("links");
    ASSERT_EQ(WriteLevelShortcut({"lvl", "", "", false}, links, "L"), qm::kShortcutOk);
    EXPECT_EQ(qm::test::SplitDesktopExec(
                  *qm::test::DesktopEntryValue(readFileBytes(links + "/L.desktop"), "Exec"))
                  ->front(),
              "wine");

    // The user's own command, with a blank in its path, runs the game.
    const std::string own = recorder("my tools/run game");
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, kGameRunnerValue,
                       "'" + own + "' --fast");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    EXPECT_EQ(awaitRecord(), "runner " + own +
                                 "\nWINEPREFIX=<unset>\nDATA=<unset>\nCLIENT=<unset>\ncwd " +
                                 game.substr(0, game.size() - 1) + "\narg --fast\narg " + game +
                                 "rf.exe\narg -level\narg lvl\nend\n");
}

} // namespace
