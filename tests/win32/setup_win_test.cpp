// Setup on Windows: a kit installed into a temporary folder with its records
// in the real registry and real .lnk shortcuts, then uninstalled.
#include "common/registry_script.h"
#include "common/settings.h"
#include "common/update_server.h"
#include "platform/file_system.h"
#include "platform/special_folders.h"
#include "platform/win32/shell_link.h"
#include "setup/install.h"
#include "setup/uninstall.h"
#include "win_support.h"

namespace qm::wintest {
namespace {

using namespace qmsetup;

const std::string kFixtures = QM_FIXTURES_DIR "/setup";

// Answers every question with its default and keeps what was said.
class QuietProgress : public InstallProgress {
public:
    Answer message(const std::string&, const std::string& text, Buttons, Answer defaultButton,
                   Icon) override
    {
        messages.push_back(text);
        return defaultButton;
    }
    void setStatus(const std::string& text) override { last = text; }
    void setProgressRange(int) override {}
    void setProgressPosition(int) override {}
    void showProgressBar(bool) override {}
    void setResultText(const std::string& text) override { result = text; }
    void enableFinish() override {}
    std::vector<std::string> messages;
    std::string last;
    std::string result;
};

std::string Replaced(std::string s, const std::string& from, const std::string& to)
{
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// A value as a registry script spells it: backslashes doubled.
std::string RegText(const std::string& s)
{
    return Replaced(s, "\\", "\\\\");
}

TEST_F(WinTest, KitInstallsWithRecordsAndLinksAndUninstallsCompletely)
{
    // The Linux fixture kit, its uninstaller under the Windows name.
    const std::string kit = root() + "\\kit";
    for (const char* f :
         {"qm_kit.dat", "launcher/qm_modul.dat", "launcher/PLAYDECK32.exe",
          "launcher/data/levels.txt", "launcher/data/maps/readme.txt", "viewer/qm_modul.dat",
          "viewer/GRIDLENS32L.exe", "viewer/help.txt", "uninstqm", "uninstqm.manifest"}) {
        std::string to = kit + "\\" + Replaced(Replaced(f, "/", "\\"), "uninstqm", "uninstqm.exe");
        ASSERT_TRUE(fs::MakeFolders(fs::FolderOf(to)));
        ASSERT_TRUE(fs::SaveFileAtomic(to, ReadBytes(kFixtures + "/kit_two/" + f))) << f;
    }
    const std::string games = root() + "\\Games";
    const std::string launcher = games + "\\PLAYDECK32";
    const std::string viewer = games + "\\GRIDLENS32L";
    KitJob job;
    job.setupFolder = kit;
    job.header = LoadKitHeader(kit + "\\qm_kit.dat");
    job.checkForUpdates = false;
    for (const std::string& folder :
         KitModuleFolders(Distribution{SetupMode::Kit, kit, kit + "\\qm_kit.dat", ""}))
        job.modules.push_back(ClassifyKitModule(folder));
    ASSERT_EQ(job.modules.size(), 2u);
    job.modules[0].targetFolder = launcher;
    job.modules[0].createShortcutDesktop = true;
    job.modules[1].targetFolder = viewer;
    QuietProgress progress;
    InstallRun run;
    ASSERT_TRUE(InstallKit(job, run, progress));
    EXPECT_EQ(progress.last, "Installation of all modules completed successfully.")
        << progress.result << run.errorText;
    EXPECT_TRUE(progress.messages.empty());

    for (const char* f : {"PLAYDECK32.exe", "data\\levels.txt", "data\\maps\\readme.txt"})
        EXPECT_EQ(ReadBytes(launcher + "\\" + f), ReadBytes(kit + "\\launcher\\" + std::string(f)))
            << f;
    EXPECT_EQ(ReadBytes(viewer + "\\help.txt"), "Open a .tbl file.\n");

    // The script: what Linux writes for this kit, with Windows' paths.
    const std::string system = GetSpecialFolder(SpecialFolder::System);
    std::string want = ReadBytes(kFixtures + "/expected_launcher_setup.reg");
    want = Replaced(want, "@TARGET@", RegText(launcher));
    want = Replaced(want, "@SYSTEM@/uninstqm", RegText(system) + "/uninstqm.exe");
    want = Replaced(want, "@DRIVE@", launcher.substr(0, 2));
    want = Replaced(want, "http://updates.example.test/qm", UpdateServerBaseUrl());
    EXPECT_EQ(ReadBytes(launcher + "\\_setup.reg"), want);

    // The records, as Windows' own (64-bit) reg.exe shows the 32-bit view.
    const std::string record = "HKLM\\Software\\Wow6432Node\\Quorvel Network\\Quorvel Manager "
                               "Tools\\Quorvel Manager PLAYDECK32";
    const std::string shown = RegQuery(root(), "query \"" + record + "\"");
    EXPECT_NE(shown.find("Path    REG_SZ    " + launcher), std::string::npos) << shown;
    EXPECT_NE(shown.find("Build    REG_DWORD    0x1b"), std::string::npos) << shown;
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.TBL", ""),
              "Quorvel.Manager.GRIDLENS32L");

    // Shell links to the program, starting in its folder.
    const std::string menu = SetupProgramsFolder() + "/" + kToolsFolderName;
    const std::string desktopLink =
        SetupDesktopFolder() + "\\" + ShortcutName("Quorvel Manager PLAYDECK32") + ".lnk";
    for (const std::string& lnk :
         {menu + "\\" + ShortcutName("Quorvel Manager PLAYDECK32") + ".lnk", desktopLink}) {
        const auto link = win32::ReadShellLink(lnk);
        ASSERT_TRUE(link) << lnk;
        EXPECT_EQ(link->target, launcher + "\\PLAYDECK32.exe");
        EXPECT_EQ(link->workingFolder, launcher);
    }
    EXPECT_FALSE(fs::Exists(SetupDesktopFolder() + "\\" +
                            ShortcutName("Quorvel Manager GRIDLENS32L") + ".lnk"));

    for (const RecordedModule& m : ListRecordedModules()) {
        const UninstallOutcome out = UninstallModule(m.displayName);
        EXPECT_EQ(out.problem, "") << m.displayName;
    }
    EXPECT_TRUE(RemoveUninstallEntryIfUnused());
    // The module folders go; the folder above them was there before, as far as setup knows.
    std::vector<fs::FolderEntry> left;
    EXPECT_TRUE(fs::ListFolder(games, &left));
    EXPECT_TRUE(left.empty());
    EXPECT_FALSE(fs::Exists(menu));
    EXPECT_FALSE(fs::Exists(desktopLink));
    EXPECT_FALSE(fs::Exists(system + "\\uninstqm.exe"));
    RegistryStore store;
    EXPECT_FALSE(
        store.keyExists(HKEY_LOCAL_MACHINE, "Software\\Quorvel Network\\Quorvel Manager Tools"));
    EXPECT_FALSE(store.keyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\.TBL"));
    EXPECT_FALSE(store.keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(RegQuery(root(), "query \"" + record + "\"").find("REG_SZ"), std::string::npos);
    // The last choices stay for the next setup, as on Linux.
    store.deleteKey(HKEY_LOCAL_MACHINE, "Software\\Quorvel Network");
}

} // namespace
} // namespace qm::wintest
