#include "common/settings.h"
#include "common/shortcut.h"
#include "launcher/game_locator.h"
#include "launcher/shortcut_wizard.h"
#include "support/desktop_entry.h"
#include "support/temp_world.h"

#include <QDir>
#include <QFileInfo>

namespace playdeck {
namespace {

using Strings = std::vector<std::string>;

class ShortcutWizardCoreTest : public qm::test::TempWorldTest {
protected:
    void setString(const char* name, const std::string& value) const
    {
        qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, value);
    }
    static bool exists(const std::string& path)
    {
        return QFileInfo::exists(QString::fromStdString(path));
    }
};

TEST(ShortcutInputForRowTest, ColumnsMapToTheWizardInputs)
{
    EXPECT_EQ(ShortcutInputForRow(0, "glass house.vpp", "Glass House", "Jane"),
              (ShortcutInput{"glass house", "Glass House", "", false}));
    EXPECT_EQ(ShortcutInputForRow(1, "ctf.vpp", "CTF", ""),
              (ShortcutInput{"ctf", "CTF", "", false}));
    // Four characters or fewer leave no level: nothing happens.
    EXPECT_EQ(ShortcutInputForRow(0, ".vpp", "x", ""), std::nullopt);
    // Mods: a MOD row, a MOD level row.
    EXPECT_EQ(ShortcutInputForRow(2, "mymod", "", ""), (ShortcutInput{"", "", "mymod", true}));
    EXPECT_EQ(ShortcutInputForRow(2, "mymod", "lvl.vpp", "The Level"),
              (ShortcutInput{"lvl", "The Level", "mymod", true}));
    // A MOD level file name that leaves no level makes no shortcut, as it
    // starts no game either.
    EXPECT_EQ(ShortcutInputForRow(2, "mymod", ".vpp", "x"), std::nullopt);
    EXPECT_EQ(ShortcutInputForRow(7, "glass house.vpp", "x", ""), std::nullopt);
}

TEST_F(ShortcutWizardCoreTest, NameTemplateChoiceAndDefaults)
{
    const ShortcutInput level{"glass house", "Glass House", "", false};
    const ShortcutInput mod{"", "", "mymod", true};
    const ShortcutInput modLevel{"lvl", "The Level", "mymod", true};
    EXPECT_EQ(ProposedShortcutName(level), "Glass House (Red Faction Level)");
    EXPECT_EQ(ProposedShortcutName(mod), "mymod (Red Faction MOD)");
    EXPECT_EQ(ProposedShortcutName(modLevel), "The Level with MOD mymod (Red Faction MOD+Level)");

    setString("DefaultShortcutName_Levels", "%l - %n");
    setString("DefaultShortcutName_MODs", "MOD %m");
    setString("DefaultShortcutName_MODLevels", "%m/%l/%n");
    EXPECT_EQ(ProposedShortcutName(level), "glass house - Glass House");
    EXPECT_EQ(ProposedShortcutName(mod), "MOD mymod");
    EXPECT_EQ(ProposedShortcutName(modLevel), "mymod/lvl/The Level");
}

TEST(ReplaceNamePlaceholdersTest, LaterPlaceholdersBroughtInAreReplacedToo)
{
    // %l brings in "%n", %n brings in "%m": each later pass sees them.
    const ShortcutInput in{"a%nb", "c%md", "M", true};
    EXPECT_EQ(ReplaceNamePlaceholders("[%l]", in), "[acMdb]");
    // Earlier placeholders brought in by later ones stay as they are.
    const ShortcutInput back{"L", "N", "%l", true};
    EXPECT_EQ(ReplaceNamePlaceholders("%m %l %l", back), "%l L L");
    EXPECT_EQ(ReplaceNamePlaceholders("100% %x", back), "100% %x");
}

TEST_F(ShortcutWizardCoreTest, FolderTableFromTheDesktopFolders)
{
    const std::string apps = world.dataHome() + "/applications";
    ShortcutFolderTable t = BuildShortcutFolderTable();
    EXPECT_EQ(t[0], (FolderPair{world.desktop(), ""}));
    EXPECT_EQ(t[1], (FolderPair{apps + "/Red Faction Levels", ""}));
    EXPECT_EQ(t[2], (FolderPair{"", ""})); // no quick launch bar
    EXPECT_EQ(t[3], (FolderPair{world.home(), ""}));

    setString("CreateShortcut_ProgramGroup", "My Maps");
    setString("LastCreateShortcutFolder", "/srv/links");
    t = BuildShortcutFolderTable();
    EXPECT_EQ(t[1].currentUser, apps + "/My Maps");
    EXPECT_EQ(t[3].currentUser, "/srv/links");

    // Not below the programs menu: the start menu folder itself.
    qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey,
                      "CreateShortcut_ProgramGroup_ProgramsMenu", 0);
    EXPECT_EQ(BuildShortcutFolderTable()[1].currentUser, apps);
}

TEST(ChooseLocationTest, ProfilesOnlyForTwoDifferentFolders)
{
    const FolderPair two{"/u/Desktop", "/all/Desktop"};
    using P = ShortcutProfile;
    EXPECT_EQ(ChooseLocation(two, P::None), (LocationChoice{true, P::CurrentUser, "/u/Desktop"}));
    EXPECT_EQ(ChooseLocation(two, P::AllUsers),
              (LocationChoice{true, P::AllUsers, "/all/Desktop"}));
    EXPECT_EQ(FolderForProfile(two, P::AllUsers), "/all/Desktop");
    EXPECT_EQ(FolderForProfile(two, P::CurrentUser), "/u/Desktop");
    // Equal folders, one of them empty, or both empty: no profile choice.
    EXPECT_FALSE(ChooseLocation({"/d", "/d"}, P::None).showProfiles);
    EXPECT_EQ(ChooseLocation({"/d", "/d"}, P::None).directory, "/d");
    EXPECT_EQ(ChooseLocation({"", "/all"}, P::None), (LocationChoice{false, P::None, "/all"}));
    EXPECT_EQ(ChooseLocation({"/u", ""}, P::AllUsers), (LocationChoice{false, P::AllUsers, "/u"}));
    EXPECT_EQ(ChooseLocation({"", ""}, P::None).directory, "");
}

TEST(LevelShortcutForTest, TargetArgumentsAndName)
{
    const std::string game = "/games/Red Faction/";
    const LevelShortcut level =
        LevelShortcutFor({"glass house", "Glass House", "", false}, "/d", "Glass", game, "");
    EXPECT_EQ(level, (LevelShortcut{"/d/", "/games/Red Faction/rf.exe", "-level glass house",
                                    "Glass.desktop"}));
    EXPECT_EQ(LevelShortcutFor({"", "", "mymod", true}, "/d/", "m", game, "").arguments,
              "-mod mymod");
    EXPECT_EQ(LevelShortcutFor({"lvl", "L", "mymod", true}, "/d/", "m", game, "-window").arguments,
              "-window -mod mymod -level lvl");
    // The extension is always appended, also behind a typed one.
    EXPECT_EQ(LevelShortcutFor({"x1", "", "", false}, "/d", "abc.desktop", game, "").name,
              "abc.desktop.desktop");
}

TEST_F(ShortcutWizardCoreTest, WriteCreatesOnlyTheLastFolderLevel)
{
    const std::string game = world.makeDir("Red Faction") + "/";
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue, game);
    setString("CommandLineSwitches", "-window");
    const ShortcutInput in{"lvl", "The Level", "my mod", true};

    const std::string group = world.makeDir("menu") + "/Red Faction Levels";
    ASSERT_EQ(WriteLevelShortcut(in, group, "Lvl"), qm::kShortcutOk);
    const std::string path = group + "/Lvl.desktop";
    EXPECT_EQ(qm::test::ValidateDesktopFile(path), "");
    const auto exec = qm::test::SplitDesktopExec(
        *qm::test::DesktopEntryValue(qm::test::readFileBytes(path), "Exec"));
    ASSERT_TRUE(exec);
    // A runner may stand in front; the target and its arguments end the line.
    const Strings tail{game + "rf.exe", "-window", "-mod", "my", "mod", "-level", "lvl"};
    ASSERT_GE(exec->size(), tail.size());
    EXPECT_EQ(Strings(exec->end() - static_cast<long>(tail.size()), exec->end()), tail);

    // Two missing levels: only the last would be made, so the save fails.
    const std::string deep = world.root() + "/no/such";
    EXPECT_NE(WriteLevelShortcut(in, deep, "Lvl"), qm::kShortcutOk);
    EXPECT_FALSE(exists(world.root() + "/no"));
}

TEST_F(ShortcutWizardCoreTest, NameWithSeparatorWritesNothing)
{
    const std::string dir = world.makeDir("links");
    world.makeDir("links/sub");
    EXPECT_EQ(WriteLevelShortcut({"lvl", "", "", false}, dir, "sub/evil"),
              qm::kShortcutWriteFailed);
    EXPECT_TRUE(QDir(QString::fromStdString(dir + "/sub")).isEmpty());
}

} // namespace
} // namespace playdeck
