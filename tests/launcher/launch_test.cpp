#include "common/settings.h"
#include "launcher/game_locator.h"
#include "launcher/launch.h"
#include "platform/process_start.h"
#include "support/temp_world.h"

#include <gtest/gtest.h>

using namespace playdeck;
using qm::test::TempWorldTest;

namespace {

TEST(BuildLaunchParameters, ComposesSwitchesModAndLevelUnquoted)
{
    EXPECT_EQ(BuildLaunchParameters("", "", "glass house", "-mod "), "-level glass house");
    EXPECT_EQ(BuildLaunchParameters("-window -fps", "", "glass house", "-mod "),
              "-window -fps -level glass house");
    EXPECT_EQ(BuildLaunchParameters("", "mymod", "", "-mod "), "-mod mymod");
    EXPECT_EQ(BuildLaunchParameters("", "mymod", "lvl", "-mod "), "-mod mymod -level lvl");
    EXPECT_EQ(BuildLaunchParameters("S", "My Mod", "lvl", "-MOD "), "S -MOD My Mod -level lvl");
    EXPECT_EQ(BuildLaunchParameters("S", "", "", "-mod "), "S");
}

TEST(LaunchRequestForRow, FollowsTheRowKindAndRefusesUnplayableRows)
{
    const std::string game = "/games/rf/";
    const auto req = [&](int mode, const std::string& c0, const std::string& c1,
                         const std::string& switches = "") {
        return LaunchRequestForRow(mode, c0, c1, game, switches);
    };
    EXPECT_EQ(req(0, "glass house.vpp", "The Glass House"),
              (LaunchRequest{"/games/rf/rf.exe", "-level glass house", game}));
    EXPECT_EQ(req(1, "glass house.vpp", "x", "-S")->parameters, "-S -level glass house");
    EXPECT_EQ(req(2, "mymod", "")->parameters, "-mod mymod");
    EXPECT_EQ(req(2, "mymod", "lvl.vpp")->parameters, "-mod mymod -level lvl");
    EXPECT_EQ(req(0, "a.vpp", "")->parameters, "-level a");
    // Four characters or fewer leave no level name.
    EXPECT_FALSE(req(0, ".vpp", "x"));
    EXPECT_FALSE(req(1, "", ""));
    EXPECT_FALSE(req(2, "mymod", ".vpp"));
    // No mode, or no game.
    EXPECT_FALSE(req(7, "glass house.vpp", ""));
    EXPECT_FALSE(LaunchRequestForRow(0, "glass house.vpp", "", "", ""));

    EXPECT_EQ(ChooserLaunchRequest(game, "mymod", "lvl").parameters, "-MOD mymod -level lvl");
    EXPECT_EQ(ChooserLaunchRequest(game, "", "lvl").parameters, "-level lvl");
}

class LaunchSettingsTest : public TempWorldTest {};

TEST_F(LaunchSettingsTest, RequestReadsGameFolderAndSwitchesFromTheStore)
{
    EXPECT_FALSE(LaunchRequestForRow(0, "glass house.vpp", ""));
    const std::string game = world.makeDir("RF");
    ASSERT_TRUE(
        qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue, game));
    ASSERT_TRUE(qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "CommandLineSwitches",
                                   "-window"));
    EXPECT_EQ(LaunchRequestForRow(0, "glass house.vpp", ""),
              (LaunchRequest{game + "/rf.exe", "-window -level glass house", game + "/"}));
}

TEST_F(LaunchSettingsTest, OnlyAutoCloseOneEndsTheLauncher)
{
    EXPECT_TRUE(ShouldAutoClose()); // default
    for (uint32_t v : {0u, 2u, 0xffffffffu}) {
        ASSERT_TRUE(qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "AutoClose", v));
        EXPECT_FALSE(ShouldAutoClose()) << v;
    }
    ASSERT_TRUE(qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "AutoClose", 1));
    EXPECT_TRUE(ShouldAutoClose());
}

TEST_F(LaunchSettingsTest, StartLaunchHandsTheSplitParametersToTheStarter)
{
    // A native rf.exe runs itself, in the game folder.
    const std::string game = world.makeDir("g") + "/";
    const std::string exe = world.writeFile("g/rf.exe", "#!/bin/sh\n");
    qm::RecordingProcessStarter recorder;
    qm::ScopedProcessStarter guard(&recorder);
    EXPECT_EQ(StartLaunch({exe, "-mod My\\ Mod -level \"a b\"", game}), LaunchResult::Started);
    ASSERT_EQ(recorder.requests().size(), 1u);
    const qm::ProcessStartRequest& r = recorder.requests()[0];
    EXPECT_EQ(r.program, exe);
    EXPECT_EQ(r.arguments, (std::vector<std::string>{"-mod", "My\\", "Mod", "-level", "a b"}));
    EXPECT_EQ(r.workingFolder, game);
    EXPECT_TRUE(r.environment.empty());
    recorder.setResult(false);
    EXPECT_EQ(StartLaunch({exe, "", game}), LaunchResult::StartFailed);
}

} // namespace
