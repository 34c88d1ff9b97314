#include "common/settings.h"
#include "launcher/game_locator.h"
#include "launcher/steam_library.h"
#include "launcher/wine_registry.h"
#include "platform/process_start.h"
#include "support/temp_world.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace playdeck;
using qm::test::readFileBytes;
using qm::test::TempWorldTest;

namespace {

constexpr const char* kRegHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";

class GameLocatorTest : public TempWorldTest {
protected:
    // A prefix with drive_c and the usual relative c: link; returns its folder.
    std::string makePrefix(const std::string& relative, const std::string& systemReg)
    {
        const std::string prefix = world.makeDir(relative);
        world.makeDir(relative + "/drive_c");
        world.makeDir(relative + "/dosdevices");
        std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
        world.writeFile(relative + "/system.reg", kRegHeader + systemReg);
        return prefix;
    }
    std::string steamLibraryWithGame(const std::string& relative, bool manifest,
                                     const std::string& exeName = "RF.exe")
    {
        world.writeFile(relative + "/steamapps/common/Red Faction/" + exeName, "MZ");
        if (manifest)
            world.writeFile(relative + "/steamapps/appmanifest_20530.acf",
                            "\"AppState\"\n{\n\t\"appid\"\t\t\"20530\"\n}\n");
        return world.root() + "/" + relative;
    }
};

const std::string kVolitionGames = "[Software\\\\Volition\\\\Red Faction] 1700000000\n"
                                   "#time=1d9a\n"
                                   "\"InstallPath\"=\"C:\\\\Games\\\\Red Faction\"\n";

} // namespace

TEST(WineRegistryFile, ReadsStringsAndSkipsOtherKinds)
{
    const auto reg = WineRegistryFile::parse("WINE REGISTRY Version 2\r\n"
                                             "[Software\\\\A\\\\B] 1\r\n"
                                             "@=\"default\"\r\n"
                                             "\"Quote\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"
                                             "\"Num\"=dword:00000001\r\n"
                                             "\"Bin\"=hex:01,02,\\\r\n  03\r\n"
                                             "\"Exp\"=str(2):\"%WINDIR%\"\r\n"
                                             "[Software\\\\Other] 2\r\n"
                                             "\"Quote\"=\"elsewhere\"\r\n");
    EXPECT_EQ(reg.value("software\\a\\b", ""), "default");
    EXPECT_EQ(reg.value("Software\\A\\B\\", "QUOTE"), "say \"hi\" C:\\x");
    EXPECT_EQ(reg.value("Software\\A\\B", "Exp"), "%WINDIR%");
    EXPECT_FALSE(reg.value("Software\\A\\B", "Num"));
    EXPECT_FALSE(reg.value("Software\\A\\B", "Bin"));
    EXPECT_EQ(reg.value("Software\\Other", "Quote"), "elsewhere");
    EXPECT_FALSE(reg.value("Software\\A", "Quote"));
}

TEST(WineRegistryFile, DamagedLinesAreSkippedNotFatal)
{
    const auto reg = WineRegistryFile::parse("\"Orphan\"=\"before any key\"\n"
                                             "[Software\\\\Broken\n"
                                             "\"X\"=\"in a broken section\"\n"
                                             "[Software\\\\Good] 1\n"
                                             "\"Open\"=\"never closed\n"
                                             "\"NoValue\"\n"
                                             "\"Ok\"=\"yes\"\n"
                                             "\"Tail\"=\"\\");
    EXPECT_FALSE(reg.value("", "Orphan"));
    EXPECT_FALSE(reg.value("Software\\Broken", "X"));
    EXPECT_FALSE(reg.value("Software\\Good", "Open"));
    EXPECT_FALSE(reg.value("Software\\Good", "NoValue"));
    EXPECT_FALSE(reg.value("Software\\Good", "Tail"));
    EXPECT_EQ(reg.value("Software\\Good", "Ok"), "yes");
}

TEST(SteamVdf, BothLibraryFormatsAndMalformedText)
{
    EXPECT_EQ(VdfLibraryFolders("\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1\"\n"
                                "\t\"ContentStatsID\"\t\"-1\"\n\t\"1\"\t\"/mnt/games\"\n"
                                "\t\"2\"\t\"/mnt/with \\\"quote\\\" \\\\ slash\"\n}\n"),
              (std::vector<std::string>{"/mnt/games", "/mnt/with \"quote\" \\ slash"}));
    EXPECT_EQ(VdfLibraryFolders("// comment\n\"libraryfolders\"\n{\n\"contentstatsid\" \"1\"\n"
                                "\"0\"\n{\n\"path\" \"/home/u/.steam\"\n\"apps\"\n{\n"
                                "\"20530\" \"123\"\n}\n}\n\"1\" { \"label\" \"\" "
                                "\"path\" \"/mnt/b\" }\n}\n"),
              (std::vector<std::string>{"/home/u/.steam", "/mnt/b"}));
    for (const char* bad : {"\"libraryfolders\" { \"1\" \"/x\"", "\"libraryfolders\" { \"1\" }",
                            "}", "\"libraryfolders\" { \"1\" \"/x", "\"key\""})
        EXPECT_TRUE(VdfLibraryFolders(bad).empty()) << bad;
    std::string deep;
    for (int i = 0; i < 10000; ++i)
        deep += "\"a\" {";
    EXPECT_FALSE(ParseVdf(deep));
}

TEST_F(GameLocatorTest, NothingFoundKeepsTheOldAnswers)
{
    EXPECT_FALSE(LocateGame());
    EXPECT_EQ(GetGameFolder(), "");
    EXPECT_FALSE(IsGameInstalled());
    // A prefix naming a folder that is not there, and a Steam library without the game.
    makePrefix(".wine", kVolitionGames);
    world.makeDir("home/.steam/steam/steamapps/common");
    EXPECT_FALSE(LocateGame());
    EXPECT_EQ(GetGameFolder(), "");
    EXPECT_FALSE(ReadGameUserValue("CmdLineOptions"));
}

TEST_F(GameLocatorTest, WinePrefixFromEnvironmentMapsDriveAndCase)
{
    const std::string prefix = makePrefix("prefixes/rf", kVolitionGames);
    world.writeFile("prefixes/rf/drive_c/games/RED FACTION/RF.EXE", "MZ");
    world.setEnv("WINEPREFIX", prefix + "/");
    const auto found = LocateGame();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->source, GameSource::WinePrefix);
    EXPECT_EQ(found->winePrefix, prefix);
    EXPECT_EQ(found->folder, prefix + "/drive_c/games/RED FACTION/");
    EXPECT_EQ(found->executable, found->folder + "RF.EXE");
    EXPECT_EQ(GetGameFolder(), found->folder);
    EXPECT_TRUE(IsGameInstalled());
    // Read only: neither the prefix's registry nor the store's InstallPath change.
    EXPECT_EQ(readFileBytes(prefix + "/system.reg"), kRegHeader + kVolitionGames);
    EXPECT_EQ(qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, "InstallPath", "none"),
              "none");
}

TEST_F(GameLocatorTest, DotWineWithOtherKeysAndDriveLetterCase)
{
    struct Case {
        const char* reg;
    };
    const Case cases[] = {
        {"[Software\\\\Wow6432Node\\\\Volition\\\\Red Faction] 1\n"
         "\"InstallPath\"=\"c:\\\\Games\\\\Red Faction\\\\\"\n"},
        {"[Software\\\\Nordic Games\\\\Red Faction] 1\n\"INSTALL_DIR\"=\"C:/Games/red faction\"\n"},
        {"[Software\\\\Wow6432Node\\\\Nordic Games\\\\Red Faction] 1\n"
         "\"INSTALL_DIR\"=\"C:\\\\GAMES\\\\Red Faction\"\n"},
        {"[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Steam App 20530] 1\n"
         "\"InstallLocation\"=\"C:\\\\Games\\\\Red Faction\"\n"},
        {"[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\"
         "Steam App 20530] 1\n\"InstallLocation\"=\"C:\\\\Games\\\\Red Faction\"\n"},
    };
    const std::string prefix = makePrefix("home/.wine", "");
    world.writeFile("home/.wine/drive_c/Games/Red Faction/rf.exe", "MZ");
    for (const Case& c : cases) {
        world.writeFile("home/.wine/system.reg", kRegHeader + std::string(c.reg));
        const auto found = LocateGame();
        ASSERT_TRUE(found) << c.reg;
        EXPECT_EQ(found->winePrefix, world.home() + "/.wine");
        EXPECT_EQ(found->folder, prefix + "/drive_c/Games/Red Faction/") << c.reg;
    }
    // An upper-case drive link is found from a lower-case path too.
    std::filesystem::remove(prefix + "/dosdevices/c:");
    std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/C:");
    EXPECT_TRUE(LocateGame());
    // A path climbing out of the drive does not count.
    world.writeFile("home/.wine/system.reg",
                    kRegHeader + std::string("[Software\\\\Volition\\\\Red Faction] 1\n"
                                             "\"InstallPath\"=\"C:\\\\..\\\\drive_c\\\\Games\\\\"
                                             "Red Faction\"\n"));
    EXPECT_FALSE(LocateGame());
}

TEST_F(GameLocatorTest, EnvironmentPrefixComesBeforeDotWine)
{
    makePrefix("home/.wine", kVolitionGames);
    world.writeFile("home/.wine/drive_c/Games/Red Faction/rf.exe", "MZ");
    const std::string other = makePrefix("other", kVolitionGames);
    world.setEnv("WINEPREFIX", other);
    // The named prefix lacks the game, so ~/.wine is next.
    EXPECT_EQ(LocateGame()->winePrefix, world.home() + "/.wine");
    world.writeFile("other/drive_c/Games/Red Faction/rf.exe", "MZ");
    EXPECT_EQ(LocateGame()->winePrefix, other);
}

TEST_F(GameLocatorTest, SteamLibrariesOldAndNewFormat)
{
    // The root's own library lacks the manifest: it must not count.
    steamLibraryWithGame("home/.local/share/Steam", false);
    const std::string oldLib = steamLibraryWithGame("mnt/old", true);
    world.writeFile("home/.local/share/Steam/steamapps/libraryfolders.vdf",
                    "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1\"\n\t\"1\"\t\"" +
                        oldLib + "\"\n}\n");
    auto found = LocateGame();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->source, GameSource::Steam);
    EXPECT_EQ(found->steamRoot, world.home() + "/.local/share/Steam");
    EXPECT_EQ(found->steamLibrary, oldLib);
    EXPECT_EQ(found->folder, oldLib + "/steamapps/common/Red Faction/");
    EXPECT_EQ(found->executable, found->folder + "RF.exe");

    const std::string newLib = steamLibraryWithGame("mnt/new lib", true);
    std::filesystem::remove_all(oldLib);
    world.writeFile("home/.local/share/Steam/steamapps/libraryfolders.vdf",
                    "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + world.home() +
                        "/.local/share/Steam\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + newLib +
                        "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"20530\"\t\t\"123\"\n\t\t}\n\t}\n}\n");
    found = LocateGame();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->steamLibrary, newLib);
    // ~/.steam/steam linking to the same root is not read twice, and still works.
    world.makeDir("home/.steam");
    std::filesystem::create_directory_symlink(world.home() + "/.local/share/Steam",
                                              world.home() + "/.steam/steam");
    EXPECT_EQ(SteamRoots(world.home()).size(), 1u);
    EXPECT_EQ(LocateGame()->steamLibrary, newLib);
}

TEST_F(GameLocatorTest, FlatpakSteamRootIsSearched)
{
    const std::string root = steamLibraryWithGame(
        "home/.var/app/com.valvesoftware.Steam/.local/share/Steam", true, "rf.exe");
    const auto found = LocateGame();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->steamRoot, root);
    EXPECT_EQ(found->steamLibrary, root);
}

TEST_F(GameLocatorTest, StoreInstallPathWinsAndWineComesBeforeSteam)
{
    makePrefix("home/.wine", kVolitionGames);
    world.writeFile("home/.wine/drive_c/Games/Red Faction/rf.exe", "MZ");
    steamLibraryWithGame("home/.steam/steam", true);
    EXPECT_EQ(LocateGame()->source, GameSource::WinePrefix);

    const std::string own = world.makeDir("own/RF");
    ASSERT_TRUE(qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, "InstallPath", own));
    // Without rf.exe the store's path is not usable and the fallbacks answer.
    EXPECT_EQ(LocateGame()->source, GameSource::WinePrefix);
    world.writeFile("own/RF/Rf.Exe", "MZ");
    const auto found = LocateGame();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->source, GameSource::Store);
    EXPECT_EQ(found->folder, own + "/");
    EXPECT_EQ(found->executable, own + "/Rf.Exe");
    EXPECT_EQ(GetGameFolder(), own + "/");
}

TEST_F(GameLocatorTest, UserValueFromStoreElseFromPrefixUserReg)
{
    const std::string prefix = makePrefix("home/.wine", kVolitionGames);
    world.writeFile("home/.wine/drive_c/Games/Red Faction/rf.exe", "MZ");
    world.writeFile("home/.wine/user.reg",
                    kRegHeader +
                        std::string("[Software\\\\Volition\\\\Red Faction] 1\n"
                                    "\"CmdLineOptions\"=\"-level \\\"glass house\\\"\"\n"));
    EXPECT_EQ(ReadGameUserValue("CmdLineOptions"), "-level \"glass house\"");
    EXPECT_FALSE(ReadGameUserValue("Other"));
    ASSERT_TRUE(qm::WriteRegString(qm::HKEY_CURRENT_USER, kGameRegistryKey, "CmdLineOptions", ""));
    EXPECT_EQ(ReadGameUserValue("CmdLineOptions"), "");
}

TEST_F(GameLocatorTest, OnlyARegularFileCountsAsTheGame)
{
    // A FIFO named rf.exe once held start-up at its open forever; a folder
    // of that name is no game either.
    const std::string fifoGame = world.makeDir("fifo game");
    ASSERT_EQ(::mkfifo((fifoGame + "/rf.exe").c_str(), 0600), 0);
    const std::string folderGame = world.makeDir("folder game/RF.EXE");
    for (const std::string& folder : {fifoGame, folderGame.substr(0, folderGame.size() - 7)}) {
        qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, "InstallPath", folder);
        auto check = std::async(std::launch::async, [] { return IsGameInstalled(); });
        if (check.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // Let the stuck open go before failing.
            const int fd = ::open((fifoGame + "/rf.exe").c_str(), O_WRONLY | O_NONBLOCK);
            ::close(fd);
            FAIL() << "the look-up waits on " << folder;
        }
        EXPECT_FALSE(check.get()) << folder;
        EXPECT_FALSE(qm::IsNativeExecutable(fifoGame + "/rf.exe"));
    }
}
