// Starts through the real process starter with stand-in runners that record
// what they get: Wine that cannot run 32-bit programs, prefixes taken from the
// game's path, Steam's client and Steam's Proton choice, Lutris and Heroic.
#include "common/settings.h"
#include "common/shortcut.h"
#include "launcher/game_locator.h"
#include "launcher/game_log.h"
#include "launcher/game_runner.h"
#include "launcher/game_stores.h"
#include "launcher/json_reader.h"
#include "launcher/launch.h"
#include "launcher/shortcut_wizard.h"
#include "launcher/where_command.h"
#include "launcher/wine_check.h"
#include "platform/file_system.h"
#include "runner_record.h"
#include "support/desktop_entry.h"
#include "support/temp_world.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sstream>
#include <thread>

using namespace playdeck;
using qm::test::readFileBytes;
using qm::test::TempWorldTest;
using Strings = std::vector<std::string>;

namespace {

// Records argv, the variables a runner depends on and the working folder;
// says one line on stdout for the game log.
constexpr const char* kRecorder =
    "#!/bin/sh\n"
    "echo \"output of $0\"\n"
    "{ printf 'runner %s\\n' \"$0\"\n"
    "  for v in WINEPREFIX STEAM_COMPAT_DATA_PATH SteamAppId SteamGameId; do\n"
    "    eval \"printf '%s=%s\\n' $v \\\"\\${$v-<unset>}\\\"\"; done\n"
    "  printf 'cwd %s\\n' \"$PWD\"\n"
    "  for a in \"$@\"; do printf 'arg %s\\n' \"$a\"; done; } > \"$QM_RUNNER_LOG.tmp\"\n"
    "/bin/mv \"$QM_RUNNER_LOG.tmp\" \"$QM_RUNNER_LOG\"\n";

// The smallest PE header: MZ, e_lfanew at 0x3c, "PE\0\0" and the machine.
std::string PeImage(uint16_t machine)
{
    std::string image(0x48, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    image[0x3c] = 0x40;
    image.replace(0x40, 4, std::string("PE\0\0", 4));
    image[0x44] = char(machine & 0xff);
    image[0x45] = char(machine >> 8);
    return image;
}

class LinuxRunnerTest : public test::RunnerRecordTest {
protected:
    LinuxRunnerTest() : RunnerRecordTest(kRecorder, true) {}
    // A prefix with the game at C:\Games\RF and no registry entry for it.
    std::string prefixWithGame(const std::string& relative, const std::string& exe)
    {
        world.writeFile(relative + "/system.reg", "WINE REGISTRY Version 2\n");
        world.writeFile(relative + "/drive_c/Games/RF/RF.exe", exe);
        return world.root() + "/" + relative;
    }
    void setInstallPath(const std::string& folder)
    {
        ASSERT_TRUE(qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey,
                                       kGameInstallPathValue, folder));
    }
    // A Steam root with the game in its own library.
    std::string steamWithGame()
    {
        const std::string root = world.makeDir("home/.local/share/Steam");
        world.writeFile("home/.local/share/Steam/steamapps/common/Red Faction/RF.exe",
                        PeImage(0x14c));
        world.writeFile("home/.local/share/Steam/steamapps/appmanifest_20530.acf",
                        "\"AppState\" {}\n");
        return root;
    }
    std::string where(int* code)
    {
        std::ostringstream out, err;
        *code = RunWhereCommand(out, err);
        return out.str();
    }
};

} // namespace

TEST(WineCheck, PeMachineAndWineTrees)
{
    qm::test::TempWorld world;
    EXPECT_EQ(ReadPeMachine(world.writeFile("32.exe", PeImage(0x14c))), PeMachine::I386);
    EXPECT_EQ(ReadPeMachine(world.writeFile("64.exe", PeImage(0x8664))), PeMachine::Amd64);
    EXPECT_EQ(ReadPeMachine(world.writeFile("arm.exe", PeImage(0xaa64))), PeMachine::Other);
    EXPECT_EQ(ReadPeMachine(world.writeFile("stub.exe", "MZ\x90")), PeMachine::Unknown);
    std::string farOff = PeImage(0x14c);
    farOff[0x3d] = '\x7f'; // e_lfanew beyond the end
    EXPECT_EQ(ReadPeMachine(world.writeFile("far.exe", farOff)), PeMachine::Unknown);

    // Debian 12 with wine64 alone, then with wine32:i386.
    const std::string debian = world.writeFile("deb/usr/bin/wine", "#!/bin/sh\n");
    world.makeDir("deb/usr/lib/x86_64-linux-gnu/wine/x86_64-unix");
    world.writeFile("deb/usr/lib/wine/wine64", "\x7f"
                                               "ELF");
    EXPECT_FALSE(WineRuns32Bit(debian));
    EXPECT_FALSE(WineRuns32Bit(world.root() + "/deb/usr/lib/wine/wine64"));
    world.makeDir("deb/usr/lib/i386-linux-gnu/wine/i386-unix");
    EXPECT_TRUE(WineRuns32Bit(debian));
    // A link on PATH is followed to its installation.
    std::filesystem::create_symlink(world.root() + "/deb/usr/lib/wine/wine64",
                                    world.root() + "/wine-link");
    EXPECT_TRUE(WineRuns32Bit(world.root() + "/wine-link"));

    // New-style WoW64: 64-bit Unix side, 32-bit PE side.
    const std::string wow = world.writeFile("opt/wine-devel/bin/wine", "");
    world.makeDir("opt/wine-devel/lib/wine/x86_64-unix");
    EXPECT_FALSE(WineRuns32Bit(wow));
    world.makeDir("opt/wine-devel/lib/wine/i386-windows");
    EXPECT_TRUE(WineRuns32Bit(wow));
    // A Proton tree's own Wine.
    const std::string proton = world.writeFile("Proton 9.0/files/bin/wine", "");
    world.makeDir("Proton 9.0/files/lib/wine/i386-unix");
    EXPECT_TRUE(WineRuns32Bit(proton));
}

TEST_F(LinuxRunnerTest, ThirtyTwoBitGameIsRefusedByAWineWithoutI386AndTheLogKeepsOutput)
{
    // Debian 12's wine64 alone on PATH.
    const std::string wine = recorder("usr/bin/wine");
    world.setEnv("PATH", world.root() + "/usr/bin:/bin");
    world.makeDir("usr/lib/x86_64-linux-gnu/wine/x86_64-unix");
    const std::string game = world.makeDir("RF") + "/";
    world.writeFile("RF/rf.exe", PeImage(0x14c));
    setInstallPath(game);

    std::string lacking;
    EXPECT_EQ(StartLaunch(ChooserLaunchRequest(game, "", "lvl"), &lacking),
              LaunchResult::WineLacks32Bit);
    EXPECT_EQ(lacking, wine);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(std::filesystem::exists(log));
    const std::string text = LaunchErrorText(LaunchResult::WineLacks32Bit, lacking);
    for (const std::string& part : {wine, std::string("dpkg --add-architecture i386"),
                                    std::string("wine32:i386"), GameLogPath()})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_NE(LaunchErrorText(LaunchResult::NoRunner, "").find(GameLogPath()), std::string::npos);
    EXPECT_NE(readFileBytes(GameLogPath()).find("not started"), std::string::npos);
    int code = 0;
    EXPECT_NE(where(&code).find("cannot run the 32-bit rf.exe"), std::string::npos);
    EXPECT_EQ(code, 1);

    // wine32:i386 installed: the same launch goes through, its output in the log.
    world.makeDir("usr/lib/i386-linux-gnu/wine/i386-unix");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(game, "", "lvl")), LaunchResult::Started);
    EXPECT_NE(awaitRecord().find("arg " + game + "rf.exe\narg -level\narg lvl\n"),
              std::string::npos);
    const std::string output = readFileBytes(GameLogPath());
    EXPECT_NE(output.find("output of " + wine), std::string::npos);
    EXPECT_EQ(where(&code), "*\tstore\t" + game + "\t" + wine + " " + game + "rf.exe\n");
    EXPECT_EQ(code, 0);

    // A 64-bit game needs no 32-bit Wine.
    std::filesystem::remove_all(world.root() + "/usr/lib/i386-linux-gnu");
    world.writeFile("RF/rf.exe", PeImage(0x8664));
    EXPECT_EQ(StartLaunch(ChooserLaunchRequest(game, "", "lvl")), LaunchResult::Started);
    EXPECT_NE(awaitRecord(), "");
}

TEST_F(LinuxRunnerTest, GameLogKeepsTheLastRunsOnly)
{
    qm::ProcessStartRequest start{"/usr/bin/wine", {"rf.exe"}, "/games/rf", {}};
    for (int run = 0; run < 8; ++run)
        ASSERT_EQ(PrepareGameLog(start), GameLogPath());
    std::string text = readFileBytes(GameLogPath());
    size_t runs = 0;
    for (size_t at = text.find("=== "); at != std::string::npos; at = text.find("=== ", at + 1))
        ++runs;
    EXPECT_EQ(runs, 5u);
    // One run that printed far too much keeps its end.
    qm::fs::SaveFileAtomic(GameLogPath(),
                           "=== old\n" + std::string(1 << 20, 'x') + "\nlast line\n");
    PrepareGameLog(start);
    text = readFileBytes(GameLogPath());
    EXPECT_LT(text.size(), 300u * 1024u);
    EXPECT_NE(text.find("last line\n=== "), std::string::npos);
}

TEST_F(LinuxRunnerTest, InstallPathInsideAPrefixRunsInThatPrefix)
{
    const std::string wine = recorder("bin/wine");
    world.makeDir("usr/lib/wine/i386-windows"); // irrelevant: the stub is no PE image
    const std::string prefix = prefixWithGame("games/my prefix", "MZ\x90");
    setInstallPath(prefix + "/drive_c/Games/RF");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    const std::string record = awaitRecord();
    EXPECT_NE(record.find("WINEPREFIX=" + prefix + "\n"), std::string::npos) << record;
    EXPECT_NE(record.find("cwd " + prefix + "/drive_c/Games/RF\n"), std::string::npos);

    // Without system.reg the folder above drive_c is no prefix.
    std::filesystem::remove(prefix + "/system.reg");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    EXPECT_NE(awaitRecord().find("WINEPREFIX=<unset>\n"), std::string::npos);
}

TEST_F(LinuxRunnerTest, SteamFindStartsThroughTheClientWithItsParameters)
{
    steamWithGame();
    const std::string steam = recorder("bin/steam");
    recorder("bin/wine");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "My Mod", "glass house")),
              LaunchResult::Started);
    const std::string game = world.home() + "/.local/share/Steam/steamapps/common/Red Faction";
    EXPECT_EQ(awaitRecord(), "runner " + steam +
                                 "\nWINEPREFIX=<unset>\nSTEAM_COMPAT_DATA_PATH=<unset>\n"
                                 "SteamAppId=<unset>\nSteamGameId=<unset>\ncwd " +
                                 game +
                                 "\narg -applaunch\narg 20530\narg -MOD\narg My\narg Mod\narg "
                                 "-level\narg glass\narg house\n");

    // The start is logged, but the client's own output does not go there.
    EXPECT_NE(readFileBytes(GameLogPath()).find(steam + " -applaunch 20530"), std::string::npos);
    EXPECT_EQ(readFileBytes(GameLogPath()).find("output of"), std::string::npos);

    // A level shortcut goes through the client too, and names no rf.exe.
    const std::string links = world.makeDir("links");
    ASSERT_EQ(WriteLevelShortcut({"glass house", "", "", false}, links, "G"), qm::kShortcutOk);
    const auto exec = qm::test::SplitDesktopExec(
        *qm::test::DesktopEntryValue(readFileBytes(links + "/G.desktop"), "Exec"));
    ASSERT_TRUE(exec);
    EXPECT_EQ(*exec, (Strings{steam, "-applaunch", "20530", "-level", "glass", "house"}));

    // The Flatpak client, when that is the only one.
    std::filesystem::remove(steam);
    const std::string flatpak = recorder("bin/flatpak");
    world.makeDir("home/.local/share/flatpak/app/com.valvesoftware.Steam");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    EXPECT_NE(awaitRecord().find("runner " + flatpak +
                                 "\n"
                                 "WINEPREFIX=<unset>\nSTEAM_COMPAT_DATA_PATH=<unset>\n"
                                 "SteamAppId=<unset>\nSteamGameId=<unset>\ncwd " +
                                 game +
                                 "\narg run\narg com.valvesoftware.Steam\narg -applaunch\narg "
                                 "20530\narg -level\narg lvl\n"),
              std::string::npos);
}

TEST_F(LinuxRunnerTest, WithoutTheClientSteamsOwnProtonChoiceRuns)
{
    const std::string root = steamWithGame();
    recorder("bin/steam"); // present, but the setting asks for Proton directly
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, kGameRunnerValue, "Proton");
    const std::string other = world.makeDir("mnt/lib2");
    world.writeFile("home/.local/share/Steam/steamapps/libraryfolders.vdf",
                    "\"libraryfolders\" { \"1\" { \"path\" \"" + other + "\" } }");
    recorder("home/.local/share/Steam/steamapps/common/Proton 9.0/proton");
    const std::string experimental =
        recorder("mnt/lib2/steamapps/common/Proton - Experimental/proton");
    const std::string ge = recorder("home/.local/share/Steam/compatibilitytools.d/GE/files/proton");
    world.writeFile("home/.local/share/Steam/compatibilitytools.d/GE/compatibilitytool.vdf",
                    "\"compatibilitytools\"\n{\n  \"compat_tools\"\n  {\n"
                    "    \"GE-Proton9-20\" // Internal name of this tool\n    {\n"
                    "      \"install_path\" \"files\"\n      \"display_name\" \"GE-Proton9-20\"\n"
                    "    }\n  }\n}\n");
    const auto mapping = [&](const std::string& entries) {
        world.writeFile("home/.local/share/Steam/config/config.vdf",
                        "\"InstallConfigStore\" { \"Software\" { \"valve\" { \"Steam\" {\n"
                        "\"CompatToolMapping\" {\n" +
                            entries + "} } } } }\n");
    };
    const std::string data = root + "/steamapps/compatdata/20530";
    const auto expected = [&](const std::string& proton) {
        return "runner " + proton + "\nWINEPREFIX=<unset>\nSTEAM_COMPAT_DATA_PATH=" + data +
               "\nSteamAppId=20530\nSteamGameId=20530\n";
    };

    // The default mapping for every game: Proton - Experimental, in another library.
    mapping("\"0\" { \"name\" \"proton_experimental\" \"config\" \"\" \"priority\" \"75\" }\n");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    EXPECT_EQ(awaitRecord().substr(0, expected(experimental).size()), expected(experimental));
    // The game's own mapping wins: a tool of compatibilitytools.d.
    mapping("\"0\" { \"name\" \"proton_experimental\" }\n"
            "\"20530\" { \"name\" \"GE-Proton9-20\" }\n");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    const std::string record = awaitRecord();
    EXPECT_EQ(record.substr(0, expected(ge).size()), expected(ge));
    EXPECT_NE(record.find("arg run\narg " + root + "/steamapps/common/Red Faction/RF.exe\n"),
              std::string::npos);
    // Valve's numbered names map to their folders.
    mapping("\"20530\" { \"name\" \"proton_9\" }\n");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    EXPECT_NE(awaitRecord().find("Proton 9.0/proton"), std::string::npos);
}

TEST(GameStores, YamlScalarsAsLutrisWritesThem)
{
    const auto yaml = ReadYamlScalars("game:\n"
                                      "  args: -window\n"
                                      "  exe: /home/me/Games/red faction/drive_c/GOG Games/Red\n"
                                      "    Faction/RF.exe\n"
                                      "  prefix: '/home/me/it''s'\n"
                                      "  working_dir: \"/caf\\xE9 \\\"x\\\"\"\n"
                                      "system:\n"
                                      "  env:\n"
                                      "    A: b # note\n"
                                      "  disabled:\n"
                                      "  - one\n"
                                      "  - two: 2\n"
                                      "wine:\n"
                                      "  version: lutris-GE-Proton8-26-x86_64\n");
    EXPECT_EQ(yaml.at("game.exe"),
              "/home/me/Games/red faction/drive_c/GOG Games/Red Faction/RF.exe");
    EXPECT_EQ(yaml.at("game.prefix"), "/home/me/it's");
    EXPECT_EQ(yaml.at("game.working_dir"), "/caf\xc3\xa9 \"x\"");
    EXPECT_EQ(yaml.at("system.env.A"), "b");
    EXPECT_EQ(yaml.at("wine.version"), "lutris-GE-Proton8-26-x86_64");
    EXPECT_EQ(yaml.count("two"), 0u);
    EXPECT_EQ(yaml.count("system.disabled.two"), 0u);
}

TEST(GameStores, JsonReaderTakesWhatHeroicWritesAndRefusesTheRest)
{
    const auto doc =
        ParseJson(" {\"installed\": [ {\"a\": \"Caf\\u00e9 \\ud83c\\udfae\\ud800x\\n\", "
                  "\"n\": -1.5e3, \"b\": true, \"z\": null, \"a\": \"last\"} ] }\r\n");
    ASSERT_TRUE(doc);
    const JsonValue& game = doc->member("installed")->items.at(0);
    EXPECT_EQ(game.items.at(0).string(), "Caf\xc3\xa9 \xf0\x9f\x8e\xae\xef\xbf\xbdx\n");
    EXPECT_EQ(game.member("a")->string(), "last");
    EXPECT_EQ(game.member("n")->text, "-1.5e3");
    EXPECT_EQ(game.member("b")->kind, JsonValue::Kind::Bool);
    EXPECT_EQ(game.member("missing"), nullptr);
    // Bytes that are not UTF-8 stay the bytes they were.
    EXPECT_EQ(ParseJson("\"\xe9\"")->string(), "\xe9");

    for (const char* bad : {"", "{", "{\"a\" 1}", "[1,]", "{\"a\":1,}", "01x", "\"\\x\"",
                            "\"a\nb\"", "[1] 2", "tru", "-", "1.", "\"\\u12\""})
        EXPECT_FALSE(ParseJson(bad)) << bad;
    // Nesting is bounded: a hostile file cannot exhaust the stack.
    EXPECT_TRUE(ParseJson(std::string(64, '[') + std::string(64, ']')));
    EXPECT_FALSE(ParseJson(std::string(100000, '[') + std::string(100000, ']')));
}

TEST_F(LinuxRunnerTest, LutrisGameRunsWithItsPrefixAndWineBuild)
{
    const std::string prefix = prefixWithGame("home/Games/red-faction", PeImage(0x14c));
    const std::string lutris = world.makeDir("home/.local/share/lutris");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((lutris + "/pga.db").c_str(), &db), SQLITE_OK);
    const std::string sql =
        "CREATE TABLE games (id INTEGER PRIMARY KEY, name TEXT, slug TEXT, runner TEXT, "
        "directory TEXT, installed INTEGER, configpath TEXT);"
        "INSERT INTO games VALUES (1, 'Other', 'other', 'wine', '/nowhere', 1, 'other-1');"
        "INSERT INTO games VALUES (2, 'Red Faction', 'red-faction', 'wine', '" +
        prefix + "', 1, 'red-faction-1700000000');";
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    world.writeFile("home/.config/lutris/games/red-faction-1700000000.yml",
                    "game:\n  exe: drive_c/Games/RF/RF.exe\n  prefix: " + prefix +
                        "\nwine:\n  version: lutris-8.0\n");
    const std::string lutrisWine =
        recorder("home/.local/share/lutris/runners/wine/lutris-8.0/bin/wine");
    world.makeDir("home/.local/share/lutris/runners/wine/lutris-8.0/lib/wine/i386-windows");
    recorder("bin/wine"); // the system's Wine is not the one Lutris runs the game with

    const auto found = LocateGame();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->source, GameSource::Lutris);
    EXPECT_EQ(found->folder, prefix + "/drive_c/Games/RF/");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    const std::string record = awaitRecord();
    EXPECT_EQ(record.substr(0, record.find("cwd")),
              "runner " + lutrisWine + "\nWINEPREFIX=" + prefix +
                  "\nSTEAM_COMPAT_DATA_PATH=<unset>\nSteamAppId=<unset>\nSteamGameId=<unset>\n");
    // Lutris's database is only read.
    EXPECT_FALSE(std::filesystem::exists(lutris + "/pga.db-journal"));
}

TEST_F(LinuxRunnerTest, HeroicGogGameRunsWithItsWineOrProton)
{
    const std::string game = world.makeDir("home/Games/Heroic/Red Faction");
    world.writeFile("home/Games/Heroic/Red Faction/RF.exe", PeImage(0x14c));
    world.writeFile("home/.config/heroic/gog_store/installed.json",
                    "{\"installed\":[{\"platform\":\"linux\",\"install_path\":\"/x\","
                    "\"appName\":\"1\"},{\"platform\":\"windows\",\"executable\":\"\","
                    "\"install_path\":\"" +
                        game + "\",\"appName\":\"1436324556\"}]}");
    const std::string prefix = world.makeDir("home/Games/Heroic/Prefixes/Red Faction");
    const std::string wine = recorder("opt/wine-9/bin/wine");
    world.makeDir("opt/wine-9/lib/wine/i386-windows");
    const auto config = [&](const std::string& bin, const std::string& type) {
        world.writeFile("home/.config/heroic/GamesConfig/1436324556.json",
                        "{\"1436324556\":{\"winePrefix\":\"" + prefix +
                            "\",\"wineVersion\":{\"bin\":\"" + bin +
                            "\",\"name\":\"x\","
                            "\"type\":\"" +
                            type + "\"}},\"version\":\"v0\"}");
    };
    config(wine, "wine");
    ASSERT_EQ(LocateGame()->source, GameSource::Heroic);
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    EXPECT_EQ(awaitRecord().find("runner " + wine + "\nWINEPREFIX=" + prefix + "\n"), 0u);

    const std::string proton = recorder("home/.config/heroic/tools/proton/GE-Proton9-20/proton");
    config(proton, "proton");
    ASSERT_EQ(StartLaunch(ChooserLaunchRequest(GetGameFolder(), "", "lvl")), LaunchResult::Started);
    const std::string record = awaitRecord();
    EXPECT_NE(record.find("runner " + proton +
                          "\nWINEPREFIX=<unset>\nSTEAM_COMPAT_DATA_PATH=" + prefix + "\n"),
              std::string::npos);
    EXPECT_NE(record.find("arg run\narg " + game + "/RF.exe\n"), std::string::npos);
}

TEST_F(LinuxRunnerTest, WhereListsEveryFindInOrder)
{
    int code = 0;
    EXPECT_EQ(where(&code), "");
    EXPECT_EQ(code, 1);

    steamWithGame();
    const std::string prefix = prefixWithGame("home/.wine", PeImage(0x14c));
    world.writeFile("home/.wine/system.reg",
                    "WINE REGISTRY Version 2\n[Software\\\\Volition\\\\Red Faction] 1\n"
                    "\"InstallPath\"=\"C:\\\\Games\\\\RF\"\n");
    world.makeDir("home/.wine/dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    world.setEnv("PATH", bin); // no wine, no steam, no Proton
    EXPECT_EQ(where(&code),
              "*\twine prefix\t" + prefix +
                  "/drive_c/Games/RF/\tcannot start: no "
                  "wine on PATH and no Proton\n-\tsteam\t" +
                  world.home() +
                  "/.local/share/Steam/steamapps/common/Red Faction/\tcannot start: no "
                  "wine on PATH and no Proton\n");
    EXPECT_EQ(code, 1);
    const std::string steam = recorder("bin/steam");
    const std::string lines = where(&code);
    EXPECT_NE(lines.find("Red Faction/\t" + steam + " -applaunch 20530\n"), std::string::npos);
    EXPECT_EQ(code, 0);
}
