#include "common/settings.h"
#include "setup/definition_files.h"
#include "setup/records.h"
#include "setup_test_support.h"

using namespace qmsetup;
using qmsetup::test::RecordingProgress;
using qmsetup::test::writeModule;

namespace {

class RecordsTest : public qmsetup::test::SetupTest {
protected:
    void writeRecord(const std::string& name, const std::string& path, const std::string& version,
                     int build = -2)
    {
        const std::string key = std::string(kToolsKey) + "\\" + name;
        if (!path.empty())
            qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "Path", path);
        qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "Version", version);
        if (build != -2)
            qm::WriteRegDword(qm::HKEY_LOCAL_MACHINE, key, "Build", static_cast<uint32_t>(build));
    }
    std::string kitModule(const std::string& folder, const std::string& vers,
                          const std::string& dir = "/opt/quorvel/Tool")
    {
        return writeModule(world, folder,
                           "[Module]\nDesc=Tool\nLong=The Tool\nVers=" + vers +
                               "\n[Installation]\nDefaultDirectory=" + dir + "\n",
                           {});
    }
};

TEST(BuildNumber, Rule)
{
    EXPECT_EQ(BuildNumberOf("1.0 (Build 12)"), 12);
    EXPECT_EQ(BuildNumberOf("Build 7)"), 7);
    EXPECT_EQ(BuildNumberOf("build 7)"), 0);
    EXPECT_EQ(BuildNumberOf("1.0"), 0);
    EXPECT_EQ(BuildNumberOf("1.0 (Build 12 ) )  "), 12);
    EXPECT_EQ(BuildNumberOf("Build  -3"), -3);
    EXPECT_EQ(BuildNumberOf("Build x12"), 0);
    EXPECT_EQ(BuildNumberOf("Build 3 Build 9"), 3);
    EXPECT_EQ(BuildNumberOf("Build 99999999999"), INT32_MAX);
}

TEST_F(RecordsTest, KitRuleStates)
{
    // Not installed: DefaultDirectory, selected.
    ModuleEntry e = ClassifyKitModule(kitModule("m1", "1 (Build 4)"));
    EXPECT_EQ(e.state, ModuleState::NotInstalled);
    EXPECT_TRUE(e.selected);
    EXPECT_EQ(e.targetFolder, "/opt/quorvel/Tool");
    EXPECT_EQ(e.installedBuild, -1);

    // A path without "Build": installed build -1, older than build 0.
    writeRecord("Tool", "/inst/Tool", "old");
    e = ClassifyKitModule(kitModule("m2", "no build number"));
    EXPECT_EQ(e.state, ModuleState::UpdateInPlace);
    EXPECT_TRUE(e.selected);
    EXPECT_EQ(e.targetFolder, "/inst/Tool");

    writeRecord("Tool", "/inst/Tool//", "1 (Build 4)", 4);
    e = ClassifyKitModule(kitModule("m3", "1 (Build 4)"));
    EXPECT_EQ(e.state, ModuleState::SameVersion);
    EXPECT_FALSE(e.selected);
    e = ClassifyKitModule(kitModule("m4", "1 (Build 3)"));
    EXPECT_EQ(e.state, ModuleState::NewerInstalled);
    EXPECT_FALSE(e.selected);
    EXPECT_EQ(e.targetFolder, "/inst/Tool.OLD");
    EXPECT_EQ(e.installedVersion, "1 (Build 4)");
}

TEST_F(RecordsTest, KitRuleSetupDriveAndFlags)
{
    LastSetupSettings last;
    ModuleEntry e;
    last.setupDrive = "D:";
    ClassifyKitModule(e, "C:\\Games\\Tool", last);
    EXPECT_EQ(e.targetFolder, "D:\\Games\\Tool");
    last.setupDrive = "D:\\";
    ClassifyKitModule(e, "C:\\Games\\Tool", last);
    EXPECT_EQ(e.targetFolder, "C:\\Games\\Tool");
    // On Linux the drive is "/x" and the swap changes nothing.
    last.setupDrive = "/h";
    ClassifyKitModule(e, "/opt/Tool", last);
    EXPECT_EQ(e.targetFolder, "/opt/Tool");

    const std::string key = kLastSetupKey;
    qm::WriteRegDword(qm::HKEY_LOCAL_MACHINE, key, "CreateShortcut_StartMenu", 0);
    qm::WriteRegDword(qm::HKEY_LOCAL_MACHINE, key, "CreateShortcut_Desktop", 1);
    const ModuleEntry f = ClassifyKitModule(kitModule("m", "1", "~/Tools/T"));
    EXPECT_FALSE(f.createShortcutStartMenu);
    EXPECT_TRUE(f.createShortcutDesktop);
    EXPECT_TRUE(f.associateFileExtensions);
    EXPECT_EQ(f.targetFolder, world.home() + "/Tools/T"); // "~/" expanded when read
}

TEST_F(RecordsTest, Reclassification)
{
    ModuleEntry e;
    e.installedPath = "/Games/Tool\\";
    e.state = ModuleState::UpdateInPlace;
    ReclassifyKitModule(e, "/games/other");
    EXPECT_EQ(e.state, ModuleState::UpdateToNewFolder);
    ReclassifyKitModule(e, "/GAMES/TOOL//");
    EXPECT_EQ(e.state, ModuleState::UpdateInPlace);
    EXPECT_EQ(e.targetFolder, "/GAMES/TOOL//");
    e.state = ModuleState::SameVersion;
    ReclassifyKitModule(e, "/elsewhere");
    EXPECT_EQ(e.state, ModuleState::NewInstance);
    ReclassifyKitModule(e, "/Games/Tool");
    EXPECT_EQ(e.state, ModuleState::SameVersion);
    e.state = ModuleState::NewerInstalled;
    ReclassifyKitModule(e, "/Games/Tool");
    EXPECT_EQ(e.state, ModuleState::OlderToNewFolder);
    ReclassifyKitModule(e, "/x");
    EXPECT_EQ(e.state, ModuleState::OlderToNewFolder);
    e.state = ModuleState::NotInstalled;
    ReclassifyKitModule(e, "/Games/Tool");
    EXPECT_EQ(e.state, ModuleState::NotInstalled);
}

TEST_F(RecordsTest, SetupPageComparison)
{
    RecordingProgress ui;
    // Never installed, no build number: fresh install, not the repair text.
    SetupPageDecision d = CompareForSetupPage("1.0", "Tool", "/t", ui);
    EXPECT_EQ(d.presentation, SetupPagePresentation::FreshInstall);
    EXPECT_EQ(d.targetFolder, "/t");
    // A record with a build but no path is still not installed.
    writeRecord("Tool", "", "1 (Build 9)", 9);
    EXPECT_EQ(CompareForSetupPage("1 (Build 4)", "Tool", "/t", ui).presentation,
              SetupPagePresentation::FreshInstall);
    EXPECT_TRUE(ui.shown.empty());

    writeRecord("Tool", "/inst", "1 (Build 5)", 5);
    d = CompareForSetupPage("1 (Build 5)", "Tool", "/t", ui);
    EXPECT_EQ(d.presentation, SetupPagePresentation::SameVersion);
    EXPECT_EQ(d.targetFolder, "/inst");
    EXPECT_EQ(d.text, "You have already installed the module with the version at /inst. You can "
                      "use this installer anyway in case you want to repair the installation.");
    d = CompareForSetupPage("1 (Build 6)", "Tool", "/t", ui);
    EXPECT_EQ(d.presentation, SetupPagePresentation::Update);
    EXPECT_EQ(d.text, "You have currently installed V1 (Build 5) of this tool in /inst. This will "
                      "update the current installation to V1 (Build 6).");

    // Downgrade: No (the default) cancels, Yes keeps the fresh page and folder.
    d = CompareForSetupPage("1 (Build 4)", "Tool", "/t", ui);
    EXPECT_EQ(d.presentation, SetupPagePresentation::Cancelled);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].caption, "Quorvel Manager Setup");
    EXPECT_EQ(ui.shown[0].buttons, SetupMessages::Buttons::YesNo);
    EXPECT_EQ(ui.shown[0].defaultButton, SetupMessages::Answer::No);
    EXPECT_EQ(ui.shown[0].text,
              "You already have a newer version of this tool installed. You should only "
              "downgrade to this older version if you have problems with the newer version. It "
              "is then however recommended to uninstall the newer version before installing the "
              "old version.\n\nCurrently installed version: 1 (Build 5)\nThis version: V1 (Build "
              "4)\n\nDo you still want to install the older version?");
    ui.answers.push_back(SetupMessages::Answer::Yes);
    d = CompareForSetupPage("1 (Build 4)", "Tool", "/t", ui);
    EXPECT_EQ(d.presentation, SetupPagePresentation::FreshInstall);
    EXPECT_EQ(d.targetFolder, "/t");
}

TEST_F(RecordsTest, DefinitionFilesLocateAndRead)
{
    const std::string dir = world.makeDir("dist");
    LocateResult r = LocateDistribution(dir + "/qmsetup");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.fatalMessage, "Fatal error: Couldn't find setup file " + dir + "/qm_modul.dat or " +
                                  dir + "/qm_kit.dat. Setup will close.");
    world.writeFile("dist/qm_modul.dat",
                    "[Module]\nDesc=$\nName=N\n[Installation]\nDefaultDirectory=~/Q\n");
    r = LocateDistribution(dir + "/qmsetup");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.distribution.mode, SetupMode::SingleModule);
    const ModuleDescription m = LoadSingleModule(r.distribution.moduleFile);
    EXPECT_EQ(m.desc, "");
    EXPECT_EQ(m.name, "N");
    EXPECT_EQ(m.defaultDirectory, world.home() + "/Q");
    world.makeDir("dist/qm_kit.dat"); // a folder is no file
    EXPECT_EQ(LocateDistribution(dir + "/qmsetup").distribution.mode, SetupMode::SingleModule);

    // Both present: the kit wins; missing module keys read "$" on the kit page.
    std::string kit = "[General]\nVersion=K 1\nVersionBuild=7\nWebName=kit\n[Modules]\nNum=130\n";
    for (int i = 1; i <= 130; ++i)
        kit += std::to_string(i) + "=mods\\m" + std::to_string(i) + "\n";
    world.writeFile("dist2/qm_kit.dat", kit);
    world.writeFile("dist2/qm_modul.dat", "[Module]\nDesc=ignored\n");
    r = LocateDistribution(world.root() + "/dist2/setup");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.distribution.mode, SetupMode::Kit);
    const KitHeader h = LoadKitHeader(r.distribution.kitFile);
    EXPECT_EQ(h.versionBuild, 7);
    EXPECT_EQ(h.webName, "kit");
    // More than 128 modules: the first 128 are taken, the rest ignored.
    const auto folders = KitModuleFolders(r.distribution);
    ASSERT_EQ(folders.size(), 128u);
    EXPECT_EQ(folders[0], world.root() + "/dist2/mods/m1");
    EXPECT_EQ(folders[127], world.root() + "/dist2/mods/m128");
    const ModuleDescription missing = LoadKitModuleForPage(folders[0]);
    EXPECT_EQ(missing.desc, "$");
    EXPECT_EQ(missing.defaultDirectory, "$");
    EXPECT_EQ(LoadKitModuleForInstall(folders[0]).desc, "");
}

} // namespace
