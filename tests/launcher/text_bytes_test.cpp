// Windows-1252 names travel as bytes from the store and the file system to the
// started game. Also run under LANG=C and a UTF-8 locale (see CMakeLists.txt).
#include "common/settings.h"
#include "demo/demo_game/packfile_builder.h"
#include "launcher/game_locator.h"
#include "launcher/launch.h"
#include "launcher/packfile.h"
#include "launcher/wine_registry.h"
#include "platform/process_start.h"
#include "support/temp_world.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace qm;
using qm::test::readFileBytes;
using qm::test::TempWorldTest;

namespace {

class TextBytesStart : public TempWorldTest {
protected:
    // The stand-in's record once its "end" line is there ("" after 5 s).
    static std::string awaitRecord(const std::string& path)
    {
        for (int i = 0; i < 500; ++i) {
            const std::string text = readFileBytes(path);
            if (text.ends_with("end\n"))
                return text;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "";
    }
    void installGame(const std::string& folder)
    {
        ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, playdeck::kGameRegistryKey,
                                   playdeck::kGameInstallPathValue, folder));
    }
};

TEST_F(TextBytesStart, NativeGameGetsTheFileNamesOwnBytes)
{
    const std::string game = world.makeDir("Red Faction");
    std::filesystem::copy_file(QM_BIN_DIR "/qm_rf_standin", game + "/rf.exe");
    installGame(game);
    const auto request = playdeck::LaunchRequestForRow(2, "\xD1o\xF1o", "Caf\xE9 Cr\xE8me.vpp");
    ASSERT_TRUE(request);
    ASSERT_EQ(playdeck::StartLaunch(*request), playdeck::LaunchResult::Started);
    EXPECT_EQ(awaitRecord(game + "/rf_launch.log"),
              "launch\ncwd " + game +
                  "\narg -mod\narg \xD1o\xF1o\narg -level\narg Caf\xE9\narg Cr\xE8me\nend\n");
}

TEST_F(TextBytesStart, WindowsGameThroughWineGetsUtf8OfTheDisplayText)
{
    // rf.exe is a Windows program; "wine" on PATH is the recording stand-in.
    const std::string bin = world.makeDir("bin");
    std::filesystem::copy_file(QM_BIN_DIR "/qm_rf_standin", bin + "/wine");
    world.setEnv("PATH", bin);
    const std::string game = world.makeDir("Spiele/Red Faction \xC3\x9C"
                                           "ber");
    world.writeFile("Spiele/Red Faction \xC3\x9C"
                    "ber/rf.exe",
                    "MZ\x90");
    installGame(game);
    const auto request = playdeck::LaunchRequestForRow(0, "CH\xC2TEAU.vpp", "");
    ASSERT_TRUE(request);
    ASSERT_EQ(playdeck::StartLaunch(*request), playdeck::LaunchResult::Started);
    // The program path stays as the file system spells it; the game's own
    // arguments become UTF-8 (already-UTF-8 text stays as it is).
    EXPECT_EQ(awaitRecord(bin + "/rf_launch.log"),
              "launch\ncwd " + game + "\narg " + game +
                  "/rf.exe\narg -level\narg CH\xC3\x82TEAU\nend\n");

    // A sibling tool that is a Windows program takes the same road.
    std::filesystem::remove(bin + "/rf_launch.log");
    const std::string tool = world.writeFile("tools/PACKPEEK32.exe", "MZ\x90");
    ASSERT_TRUE(StartProgram(tool, "\"/maps/Caf\xE9.vpp\"", world.root()));
    EXPECT_EQ(awaitRecord(bin + "/rf_launch.log"), "launch\ncwd " + world.root() + "\narg " + tool +
                                                       "\narg /maps/Caf\xC3\xA9.vpp\nend\n");
}

TEST_F(TextBytesStart, StarterReportsWhatFailedToStart)
{
    const std::string folder = world.makeDir("work");
    const std::string plain = world.writeFile("work/plain", "#!/bin/sh\n"); // not executable
    const std::string ok = world.writeProgram("work/ok.sh", "#!/bin/sh\n");
    std::string error;
    EXPECT_FALSE(SpawnDetached({world.root() + "/missing", {}, "", {}}, &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_FALSE(SpawnDetached({plain, {}, "", {}}, &error));
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    EXPECT_FALSE(SpawnDetached({ok, {}, folder + "/gone", {}}, &error));
    EXPECT_FALSE(SpawnDetached({"qm-no-such-program-anywhere", {}, "", {}}, &error));
    EXPECT_TRUE(SpawnDetached({ok, {}, folder, {}}, &error)) << error;
}

TEST_F(TextBytesStart, StartedProgramIsDetachedWithQuietInputAndItsOutputAppended)
{
    const std::string folder = world.makeDir("w\xE9rk");
    const std::string out = world.root() + "/game\xE9.log";
    const std::string probe =
        world.writeProgram("probe.sh", "#!/bin/sh\n"
                                       "echo \"out $QM_PROBE $(pwd)\"\n"
                                       "echo \"err $1\" >&2\n"
                                       "echo \"parent $PPID sid $(cut -d' ' -f6 /proc/$$/stat)\"\n"
                                       "cat\n"
                                       "echo end\n");
    world.writeFile("game\xE9.log", "before\n");
    ASSERT_TRUE(
        CurrentProcessStarter().start({probe, {"x\xE9"}, folder, {{"QM_PROBE", "a\xE9"}}, out}));
    const std::string text = awaitRecord(out);
    EXPECT_TRUE(text.starts_with("before\nout a\xE9 " + folder + "\nerr x\xE9\nparent ")) << text;
    // Not our child (no zombie to reap) and in a session of its own.
    const std::string ours = std::to_string(::getpid());
    EXPECT_EQ(text.find("parent " + ours + " "), std::string::npos) << text;
    EXPECT_EQ(text.find("sid " + std::to_string(::getsid(0)) + "\n"), std::string::npos) << text;
    // stdin was /dev/null: "cat" ended at once with nothing.
    EXPECT_TRUE(text.ends_with("\nend\n")) << text;
}

TEST(TextBytesWineRegistry, EscapesDecodeToUtf8AsTheWineserverWritesThem)
{
    const auto reg = playdeck::WineRegistryFile::parse(
        "WINE REGISTRY Version 2\n"
        "[Software\\\\Caf\\xe9 \\x00dcber\\]x] 1\n"
        // \x with four digits before a hex digit, fewer before anything else.
        "\"A\"=\"\\x00dcber \\xe9t\\xe9 \\x20ac\"\n"
        "\"B\"=\"a\\tb\\nc\\rd\\ae\\ef\\\\g\\\"h\\1i\\0011\"\n"
        // A surrogate pair is one character; a lone surrogate is replaced.
        "\"C\"=\"\\xd83d\\xde00 \\xd800x\"\n"
        "\"\\xc9t\\xe9\"=\"named\"\n");
    const std::string key = "Software\\Caf\xC3\xA9 \xC3\x9C"
                            "ber]x";
    EXPECT_EQ(reg.value(key, "A"), "\xC3\x9C"
                                   "ber \xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(reg.value(key, "B"), std::string("a\tb\nc\rd\ae\x1b"
                                               "f\\g\"h\x01i\x01"
                                               "1"));
    EXPECT_EQ(reg.value(key, "C"), "\xF0\x9F\x98\x80 \xEF\xBF\xBDx");
    EXPECT_EQ(reg.value(key, "\xC3\x89t\xC3\xA9"), "named");
}

TEST_F(TextBytesStart, WineGameInAFolderWithUmlautIsFoundAndItsSwitchesRead)
{
    // What Wine writes for C:\Spiele\Red Faction \u00dcber; its files are UTF-8 names.
    const std::string prefix = world.makeDir("pfx");
    world.makeDir("pfx/dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    world.writeFile("pfx/drive_c/Spiele/Red Faction \xC3\x9C"
                    "ber/rf.exe",
                    "MZ\x90");
    world.writeFile("pfx/system.reg",
                    "WINE REGISTRY Version 2\n\n[Software\\\\Volition\\\\Red Faction] 1\n"
                    "\"InstallPath\"=\"C:\\\\Spiele\\\\Red Faction \\x00dcber\"\n");
    world.writeFile("pfx/user.reg",
                    "WINE REGISTRY Version 2\n\n[Software\\\\Volition\\\\Red Faction] 1\n"
                    "\"CmdLineOptions\"=\"-name \\xd1o\\xf1o\"\n");
    world.setEnv("WINEPREFIX", prefix);
    const auto found = playdeck::LocateGame();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->folder, prefix + "/drive_c/Spiele/Red Faction \xC3\x9C"
                                      "ber/");
    EXPECT_TRUE(playdeck::IsGameInstalled());
    EXPECT_EQ(playdeck::ReadGameUserValue("CmdLineOptions"), "-name \xC3\x91o\xC3\xB1o");
}

TEST_F(TextBytesStart, LevelFileMatchesAsWindows1252FoldsCaseAndFromUtf8FileNames)
{
    using qm::demo::BuildRfl;
    using qm::demo::BuildVpp;
    const std::string level = BuildRfl("Caf\xE9 Cr\xE8me",
                                       "\xD1"
                                       "ando",
                                       "2001");
    const std::string entry = BuildVpp({{"CH\xC2TEAU.RFL", level, {}}});
    // The packfile named in Windows-1252 and in UTF-8 (as unpacked on Linux).
    for (const std::string name : {"ch\xE2teau.vpp", "ch\xC3\xA2teau.vpp", "CH\xC2TEAU.vpp"}) {
        const std::string path = world.writeFile("maps/" + name, entry);
        EXPECT_EQ(playdeck::FindRflInVpp(path), 4096) << name;
        EXPECT_EQ(playdeck::ReadLevelInfo(path), (playdeck::LevelInfo{"Caf\xE9 Cr\xE8me",
                                                                      "\xD1"
                                                                      "ando",
                                                                      "2001"}));
    }
    // \xD7 and \xF7 are no letter pair; a UTF-8 name with no Windows-1252
    // spelling matches nothing more.
    EXPECT_EQ(playdeck::FindRflInVpp(
                  world.writeFile("maps/\xF7.vpp", BuildVpp({{"\xD7.rfl", level, {}}}))),
              -1);
    EXPECT_EQ(playdeck::LevelFileNamesFor("/m/\xE2\x82\xAC \xE2\x98\x83.vpp").size(), 1u);
    EXPECT_EQ(playdeck::LevelFileNamesFor("/m/\xE2\x82\xAC.vpp").back(), "\x80.rfl");
}

} // namespace
