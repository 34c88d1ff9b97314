#include "platform/desktop_entry.h"
#include "setup/install.h"
#include "setup/uninstall.h"
#include "setup_test_support.h"
#include "support/desktop_tools.h"

#include <QFile>
#include <sys/stat.h>

using namespace qmsetup;

namespace {

using DesktopInstallTest = qmsetup::test::SetupTest;

// A module installed with its association block: the desktop opens the
// module's extensions with the installed program, as the shell would.
TEST_F(DesktopInstallTest, ModuleAssociationReachesTheDesktop)
{
    if (!qm::test::desktopToolsPresent())
        GTEST_SKIP() << "xdg-mime, gio or update-mime-database is not installed";
    qm::test::useGnomeDesktop(world);
    const std::string src = qmsetup::test::writeModule(
        world, "kit/LevelTool",
        "[Module]\nDesc=Level Launcher\nVers=1.0 (Build 3)\n[Installation]\nEXEfile=leveltool\n"
        "[Extensions]\nNum=2\n1=rfl\n2=VPK\n[Files]\nNum=1\n1=leveltool\n",
        {{"leveltool", "#!/bin/sh\nexit 0\n"}});
    ::chmod((src + "/leveltool").c_str(), 0755);

    ModuleJob job = MakeModuleJob(
        Distribution{SetupMode::SingleModule, src, src + "/qm_kit.dat", src + "/qm_modul.dat"},
        LoadSingleModule(src + "/qm_modul.dat"), SetupOptions{});
    job.installDir = world.root() + "/Games/Level Tool";
    job.checkForUpdates = false;
    job.associateExtensions = true;
    InstallRun run;
    qmsetup::test::RecordingProgress progress;
    ASSERT_EQ(InstallModule(job, run, progress), InstallResult::Ok) << run.errorText;

    const std::string entryPath = world.dataHome() + "/applications/Level.Launcher.desktop";
    const std::string entry = qm::test::readFileBytes(entryPath);
    EXPECT_EQ(qm::KeyFileValue(entry, "Desktop Entry", "Exec"),
              "\"" + job.installDir + "/leveltool\" %f");
    if (qm::test::toolPresent("desktop-file-validate")) {
        EXPECT_EQ(qm::test::validateDesktopEntry(entryPath), "");
    }

    const std::string level = world.writeFile("maps/dm01.rfl", "level");
    const std::string pack = world.writeFile("maps/pack.vpk", "pack");
    EXPECT_EQ(qm::test::queryFileType(level), "application/x-red-faction-rfl");
    EXPECT_EQ(qm::test::queryFileType(pack), "application/x-red-faction-vpk");
    // xdg-mime cannot read a quoted Exec (the folder has a blank); gio can.
    EXPECT_EQ(qm::test::gioDefaultApp("application/x-red-faction-rfl"), "Level.Launcher.desktop");
    EXPECT_EQ(qm::test::gioDefaultApp("application/x-red-faction-vpk"), "Level.Launcher.desktop");

    // The uninstaller takes it back with the store's keys.
    EXPECT_EQ(UninstallModule("Level Launcher").problem, "");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(entryPath)));
    EXPECT_EQ(qm::test::gioDefaultApp("application/x-red-faction-rfl"), "");
    EXPECT_NE(qm::test::queryFileType(level), "application/x-red-faction-rfl");
}

} // namespace
