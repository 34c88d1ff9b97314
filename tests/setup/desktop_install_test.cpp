#include "common/settings.h"
#include "platform/desktop_association.h"
#include "platform/desktop_entry.h"
#include "platform/process_start.h"
#include "platform/registry_store.h"
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

std::string hklm(const std::string& key)
{
    return qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, key, "", "<missing>");
}

// A folder name with a double quote: the open command must still name the
// program, or the desktop refuses the association.
TEST_F(DesktopInstallTest, AssociationCommandKeepsAQuoteInTheFolderName)
{
    const std::string src = qmsetup::test::writeModule(
        world, "kit/Q",
        "[Module]\nDesc=Quoted Tool\n[Installation]\nEXEfile=tool\n[Extensions]\nNum=1\n1=qtl\n"
        "[Files]\nNum=1\n1=tool\n",
        {{"tool", "#!/bin/sh\nexit 0\n"}});
    ModuleJob job = qmsetup::test::singleModuleJob(src, world.root() + "/The \"Best\" Tools\\");
    InstallRun run;
    qmsetup::test::RecordingProgress progress;
    ASSERT_EQ(InstallModule(job, run, progress), InstallResult::Ok) << run.errorText;
    ASSERT_TRUE(run.importOk) << run.importMessage;
    const std::string exe = world.root() + "/The \"Best\" Tools\\/tool";
    const std::string command = hklm("Software\\Classes\\Quoted.Tool\\shell\\open\\command");
    EXPECT_EQ(qm::SplitWindowsCommandLine(command), (std::vector<std::string>{exe, "%1"}))
        << command;
    // Other paths round-trip the same way: trailing backslashes, quotes, blanks.
    for (const std::string arg : {"plain", "a b", "q\"uote", "end\\", "mid\\\"x", ""})
        EXPECT_EQ(qm::SplitWindowsCommandLine(qm::QuoteWindowsArgument(arg) + " x"),
                  (std::vector<std::string>{arg, "x"}))
            << arg;

    const std::string entryPath = world.dataHome() + "/applications/Quoted.Tool.desktop";
    ASSERT_TRUE(QFile::exists(QString::fromStdString(entryPath)));
    EXPECT_NE(qm::KeyFileValue(qm::test::readFileBytes(entryPath), "Desktop Entry", "Exec")
                  .value_or("")
                  .find("Tools"),
              std::string::npos);
    if (qm::test::toolPresent("desktop-file-validate")) {
        EXPECT_EQ(qm::test::validateDesktopEntry(entryPath), "");
    }
}

// The viewer registers its own class for .tbl; uninstalling the module that
// holds its program withdraws it, and leaves other programs' classes alone.
TEST_F(DesktopInstallTest, UninstallWithdrawsEveryClassOfARemovedProgram)
{
    const std::string src = qmsetup::test::writeModule(
        world, "kit/Viewer",
        "[Module]\nDesc=Quorvel Manager GRIDLENS32L\n[Installation]\nEXEfile=gridlens32l\n"
        "[Files]\nNum=1\n1=gridlens32l\n",
        {{"gridlens32l", "#!/bin/sh\nexit 0\n"}});
    const std::string target = world.root() + "/Tools/Viewer";
    ModuleJob job = qmsetup::test::singleModuleJob(src, target);
    job.associateExtensions = false;
    InstallRun run;
    qmsetup::test::RecordingProgress progress;
    ASSERT_EQ(InstallModule(job, run, progress), InstallResult::Ok) << run.errorText;

    // What the viewer writes at its start, and a stranger's class beside it.
    const std::string quoted = "\"" + target + "/gridlens32l\"";
    const std::string cls = "Software\\Classes\\Quorvel.Manager.GRIDLENS32";
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\.TBL", "",
                       "Quorvel.Manager.GRIDLENS32");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, cls, "", "Table file");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, cls + "\\shell\\open\\command", "",
                       quoted + " \"%1\"");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, cls + "\\shell\\print\\command", "",
                       quoted + " /p \"%1\"");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\.oth", "", "Other.Class");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE,
                       "Software\\Classes\\Other.Class\\shell\\open\\command", "",
                       "\"/usr/bin/other\" \"%1\"");
    qm::ExportFileClassesToDesktop({".TBL", ".oth"});
    const std::string entry = world.dataHome() + "/applications/Quorvel.Manager.GRIDLENS32.desktop";
    ASSERT_TRUE(QFile::exists(QString::fromStdString(entry)));

    EXPECT_EQ(UninstallModule("Quorvel Manager GRIDLENS32L").problem, "");
    qm::RegistryStore store(qm::RegistryStore::Mode::ReadOnly);
    EXPECT_FALSE(store.keyExists(qm::HKEY_LOCAL_MACHINE, cls));
    EXPECT_FALSE(store.keyExists(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\.TBL"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(entry)));
    EXPECT_EQ(hklm("Software\\Classes\\.oth"), "Other.Class");
    EXPECT_TRUE(store.keyExists(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\Other.Class"));
    EXPECT_TRUE(QFile::exists(
        QString::fromStdString(world.dataHome() + "/applications/Other.Class.desktop")));
}

} // namespace
