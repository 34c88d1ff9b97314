#include "common/settings.h"
#include "platform/registry_store.h"
#include "platform/special_folders.h"
#include "setup/install.h"
#include "setup/ui/progress_page.h"
#include "setup/uninstall.h"
#include "setup_ui_support.h"

#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <set>

namespace qmsetup::test {
namespace {

class ProgressUninstallTest : public SetupUiTest {
protected:
    ModuleJob job(const std::string& folder, const std::string& desc, const std::string& target)
    {
        ModuleJob j;
        j.sourceFolder = world.root() + "/kit/" + folder;
        j.setupFolder = world.root() + "/kit";
        j.moduleFile = j.sourceFolder + "/qm_modul.dat";
        j.registryName = desc;
        j.version = "1.0 (Build 5)";
        j.exeFile = "tool";
        j.installDir = target;
        j.createDesktopShortcut = true;
        j.checkForUpdates = false;
        return j;
    }
};

TEST_F(ProgressUninstallTest, SingleModuleFailureShowsTheMessageAndClosesThePage)
{
    writeModule("kit/m", "Level Tool", "1.0 (Build 5)", "[Files]\nNum=1\n1=missing.bin\n");
    CProgressPage page(job("m", "Level Tool", world.home() + "/Target"));
    EXPECT_FALSE(page.mainButton()->isEnabled());
    page.show();
    page.runInstall();
    EXPECT_EQ(page.result(), QDialog::Rejected);
    ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u);
    EXPECT_EQ(qm::ui::MessageBox::history()[0].caption, "Setup failed");
    EXPECT_EQ(qm::ui::MessageBox::history()[0].text.toStdString(),
              "Setup has failed due to the following error:\n\nCould not open source file\n" +
                  world.root() + "/kit/m/missing.bin");
}

TEST_F(ProgressUninstallTest, SuccessLeavesFinishAndTheEndTexts)
{
    writeModule("kit/m", "Level Tool", "1.0 (Build 5)", "[Files]\nNum=1\n1=tool\n");
    world.writeFile("kit/m/tool", std::string(5000, 'x'));
    CProgressPage page(job("m", "Level Tool", world.home() + "/Target"));
    page.show();
    page.runInstall();
    EXPECT_TRUE(page.mainButton()->isEnabled());
    EXPECT_FALSE(page.cancelButton()->isEnabled());
    EXPECT_FALSE(page.backButton()->isEnabled());
    EXPECT_TRUE(page.progressBar()->isHidden());
    EXPECT_EQ(page.statusLine()->text(), "Installation completed successfully!");
    // No uninstaller in this kit: the result text says so.
    EXPECT_EQ(page.resultText()->text(),
              "However, an error occured while trying to install the uninstaller utility, so "
              "uninstallation will probably not available.");
    page.mainButton()->click();
    EXPECT_EQ(page.result(), QDialog::Accepted);
}

TEST_F(ProgressUninstallTest, UninstallRemovesWhatWasInstalledAndOnlyThat)
{
    // Two modules in one folder, one with a sub-folder, beside a file of the user's.
    writeModule("kit/a", "Alpha Tool", "1.0 (Build 5)",
                "[Files]\nNum=2\n1=tool\n2=data\\levels.txt\n[MkDirs]\nNum=1\n1=data\n"
                "[Extensions]\nNum=2\n1=vpp\n2=rfl\n");
    world.writeFile("kit/a/tool", "alpha");
    world.writeFile("kit/a/data/levels.txt", "levels");
    writeModule("kit/b", "Beta Tool", "1.0 (Build 5)",
                "[Files]\nNum=1\n1=beta\n[Extensions]\nNum=1\n1=tbl\n");
    world.writeFile("kit/b/beta", "beta");
    world.writeFile("kit/" + std::string(kUninstallerName), "uninstaller");
    const std::string target = world.home() + "/Suite";
    world.writeFile("home/Suite/notes.txt", "mine");
    world.writeFile("home/Suite/data/saved.txt", "mine too");
    const std::set<std::string> before = filesOfWorld();

    ModuleJob b = job("b", "Beta Tool", target);
    b.exeFile = "beta";
    for (const ModuleJob& j : {job("a", "Alpha Tool", target), b}) {
        CProgressPage page(j);
        page.runInstall();
        ASSERT_TRUE(page.finished());
        ASSERT_TRUE(page.installRun().uninstallerInstalled);
    }
    const std::string menu = world.dataHome() + "/applications/Quorvel Manager Tools";
    ASSERT_TRUE(QFile::exists(QString::fromStdString(menu + "/Alpha Tool.desktop")));
    ASSERT_TRUE(QFile::exists(QString::fromStdString(world.desktop() + "/Beta Tool.desktop")));
    ASSERT_EQ(qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\.rfl", ""),
              "Alpha.Tool");

    const std::vector<RecordedModule> listed = ListRecordedModules();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].displayName, "Alpha Tool");
    EXPECT_EQ(listed[0].path, target);

    // Alpha goes; Beta, the user's files and the shared entry stay.
    const UninstallOutcome a = UninstallModule("Alpha Tool");
    EXPECT_EQ(a.problem, "");
    EXPECT_FALSE(RemoveUninstallEntryIfUnused());
    for (const char* gone : {"/tool", "/data/levels.txt", "/_setup.Alpha.Tool.dat"})
        EXPECT_FALSE(QFile::exists(QString::fromStdString(target + gone))) << gone;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(target + "/beta")));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(target + "/_setup.reg")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(menu + "/Alpha Tool.desktop")));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(menu + "/Beta Tool.desktop")));
    qm::RegistryStore store(qm::RegistryStore::Mode::ReadOnly);
    EXPECT_FALSE(store.keyExists(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\.rfl"));
    EXPECT_FALSE(store.keyExists(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\Alpha.Tool"));
    EXPECT_TRUE(store.keyExists(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\.tbl"));
    EXPECT_TRUE(store.keyExists(qm::HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(ListRecordedModules().size(), 1u);

    // An extension another program has taken since is left to it.
    ASSERT_TRUE(
        qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\.tbl", "", "Other.Viewer"));
    EXPECT_EQ(UninstallModule("Beta Tool").problem, "");
    EXPECT_TRUE(RemoveUninstallEntryIfUnused());
    EXPECT_EQ(qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\.tbl", ""),
              "Other.Viewer");
    EXPECT_FALSE(store.keyExists(qm::HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(store.keyExists(qm::HKEY_LOCAL_MACHINE, kToolsKey));
    EXPECT_TRUE(store.keyExists(qm::HKEY_LOCAL_MACHINE, kLastSetupKey));
    EXPECT_TRUE(ListRecordedModules().empty());
    // The desktop keeps the .tbl type while the store has a class for it.
    std::set<std::string> after = filesOfWorld();
    std::erase_if(after,
                  [](const std::string& f) { return f.rfind("home/.local/share/mime/", 0) == 0; });
    EXPECT_EQ(after, before);
}

TEST_F(ProgressUninstallTest, ModuleWithoutKeptListKeepsItsFiles)
{
    const std::string target = world.home() + "/Old";
    world.writeFile("home/Old/tool", "old");
    writeRecord("Old Tool", 3, "0.3 (Build 3)", target);
    const UninstallOutcome o = UninstallModule("Old Tool");
    EXPECT_EQ(o.problem,
              "The files in " + target + " were left in place: setup kept no list of them.");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(target + "/tool")));
    EXPECT_TRUE(ListRecordedModules().empty());
}

} // namespace
} // namespace qmsetup::test
