#include "common/settings.h"
#include "launcher/game_locator.h"
#include "launcher/launch.h"
#include "platform/process_start.h"
#include "support/temp_world.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

using namespace qm;
using qm::test::readFileBytes;
using qm::test::TempWorldTest;
using Args = std::vector<std::string>;

namespace {

TEST(SplitWindowsCommandLine, FollowsTheWindowsRuntimeRules)
{
    EXPECT_EQ(SplitWindowsCommandLine("-level glass house"), (Args{"-level", "glass", "house"}));
    EXPECT_EQ(SplitWindowsCommandLine("  a\t\tb  "), (Args{"a", "b"}));
    EXPECT_EQ(SplitWindowsCommandLine(""), Args{});
    EXPECT_EQ(SplitWindowsCommandLine("\"glass house\" x"), (Args{"glass house", "x"}));
    EXPECT_EQ(SplitWindowsCommandLine("a\"b c\"d"), (Args{"ab cd"}));
    EXPECT_EQ(SplitWindowsCommandLine("\"\" x"), (Args{"", "x"}));
    EXPECT_EQ(SplitWindowsCommandLine("\"unterminated a"), (Args{"unterminated a"}));
    // Backslashes are literal unless they come before a quote.
    EXPECT_EQ(SplitWindowsCommandLine("C:\\Games\\RF\\"), (Args{"C:\\Games\\RF\\"}));
    EXPECT_EQ(SplitWindowsCommandLine("a\\\\\"b c\""), (Args{"a\\b c"})); // 2n: quote opens
    EXPECT_EQ(SplitWindowsCommandLine("a\\\"b c"), (Args{"a\"b", "c"}));  // 2n+1: literal
    EXPECT_EQ(SplitWindowsCommandLine("a\\\\\\\"b"), (Args{"a\\\"b"}));
    EXPECT_EQ(SplitWindowsCommandLine("\"a\"\"b\" c"), (Args{"a\"b", "c"})); // "" in quotes
}

class ProcessStartTest : public TempWorldTest {
protected:
    // Waits for the stand-in's log and returns the arguments of its one record.
    static bool waitForFile(const std::string& path)
    {
        for (int i = 0; i < 500; ++i) {
            const std::string text = readFileBytes(path);
            if (text.find("end\n") != std::string::npos || (!text.empty() && text.back() == '\n'))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

TEST_F(ProcessStartTest, WindowsProgramsRunThroughWineWhenTheyAreNotNative)
{
    const std::string bin = world.makeDir("bin");
    world.setEnv("PATH", bin);
    const std::string foreign = world.writeFile("game/rf.exe", "MZ\x90");
    EXPECT_FALSE(IsNativeExecutable(foreign));
    EXPECT_FALSE(ResolveProgramRunner({foreign, {"-level", "x"}, "/g", {}})); // no wine

    const std::string wine = world.writeProgram("bin/wine", "#!/bin/sh\n");
    EXPECT_TRUE(IsNativeExecutable(wine));
    const auto viaWine = ResolveProgramRunner({foreign, {"-level", "x"}, "/g", {}});
    ASSERT_TRUE(viaWine);
    EXPECT_EQ(viaWine->program, wine);
    EXPECT_EQ(viaWine->arguments, (Args{foreign, "-level", "x"}));
    EXPECT_EQ(viaWine->workingFolder, "/g");

    // A native program keeps its name, whatever it ends in.
    const std::string nativeExe = world.writeProgram("game/native.EXE", "#!/bin/sh\n");
    EXPECT_EQ(ResolveProgramRunner({nativeExe, {}, "", {}})->program, nativeExe);
    EXPECT_EQ(ResolveProgramRunner({"/x/tool", {}, "", {}})->program, "/x/tool");
    EXPECT_FALSE(DetachedProcessStarter().start({world.root() + "/missing", {}, "", {}}));
}

TEST_F(ProcessStartTest, TheRecordedGameSeesTheExactArgumentsAndFolder)
{
    // The stand-in game, installed as the game's rf.exe.
    const std::string game = world.makeDir("Red Faction");
    std::filesystem::copy_file(QM_BIN_DIR "/qm_rf_standin", game + "/rf.exe");
    ASSERT_TRUE(qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, playdeck::kGameRegistryKey,
                                   playdeck::kGameInstallPathValue, game));
    ASSERT_TRUE(qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "CommandLineSwitches",
                                   "-window \"x y\""));
    const std::string log = game + "/rf_launch.log";

    const auto level = playdeck::LaunchRequestForRow(0, "glass house.vpp", "The Glass House");
    ASSERT_TRUE(level);
    ASSERT_EQ(playdeck::StartLaunch(*level), playdeck::LaunchResult::Started);
    ASSERT_TRUE(waitForFile(log));
    EXPECT_EQ(readFileBytes(log), "launch\ncwd " + game +
                                      "\narg -window\narg x y\narg -level\narg glass\narg "
                                      "house\nend\n");

    std::filesystem::remove(log);
    const auto mod = playdeck::LaunchRequestForRow(2, "My Mod", "Lvl 1.vpp");
    ASSERT_TRUE(mod);
    ASSERT_EQ(playdeck::StartLaunch(*mod), playdeck::LaunchResult::Started);
    ASSERT_TRUE(waitForFile(log));
    EXPECT_EQ(readFileBytes(log),
              "launch\ncwd " + game +
                  "\narg -window\narg x y\narg -mod\narg My\narg Mod\narg -level\narg Lvl\narg "
                  "1\nend\n");
}

TEST_F(ProcessStartTest, ExtraEnvironmentReachesTheChild)
{
    const std::string out = world.root() + "/env.txt";
    const std::string sh = world.writeProgram(
        "env.sh", "#!/bin/sh\nprintf '%s|%s\\n' \"$QM_PROBE\" \"$PWD\" > \"$1\"\n");
    const std::string folder = world.makeDir("work");
    ASSERT_TRUE(CurrentProcessStarter().start({sh, {out}, folder, {{"QM_PROBE", "a b"}}}));
    ASSERT_TRUE(waitForFile(out));
    EXPECT_EQ(readFileBytes(out), "a b|" + folder + "\n");
}

} // namespace
