#include "common/settings.h"
#include "platform/http_client.h"
#include "platform/special_folders.h"
#include "setup/file_ops.h"
#include "setup/install.h"
#include "setup_test_support.h"
#include "support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace qmsetup;
using qmsetup::test::RecordingProgress;
using qmsetup::test::writeModule;

namespace {

const std::string kKitDir = QM_FIXTURES_DIR "/setup/kit_two";

std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

std::string validateDesktopFile(const std::string& path)
{
    QProcess p;
    p.start("desktop-file-validate", {QString::fromStdString(path)});
    p.waitForFinished(20000);
    return p.exitCode() == 0 ? (p.readAllStandardOutput() + p.readAllStandardError()).toStdString()
                             : "failed: " + p.readAllStandardOutput().toStdString();
}

std::vector<std::string> filesBelow(const std::string& dir)
{
    std::vector<std::string> out;
    QDir d(QString::fromStdString(dir));
    for (const QString& f : d.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
        out.push_back(f.toStdString());
    return out;
}

std::string hklm(const std::string& key, const std::string& value)
{
    return qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, key, value, "<missing>");
}

using InstallTest = qmsetup::test::InstallRunTest;

TEST_F(InstallTest, TwoModuleKitEndToEnd)
{
    const std::string launcherTarget = world.root() + "/Games/Quorvel/PLAYDECK32";
    const std::string viewerTarget = world.root() + "/Games/Quorvel/GRIDLENS32L/";
    KitJob kit;
    kit.setupFolder = kKitDir;
    kit.header = LoadKitHeader(kKitDir + "/qm_kit.dat");
    kit.checkForUpdates = false;
    for (const std::string& folder :
         KitModuleFolders(Distribution{SetupMode::Kit, kKitDir, kKitDir + "/qm_kit.dat", ""}))
        kit.modules.push_back(ClassifyKitModule(folder));
    ASSERT_EQ(kit.modules.size(), 2u);
    kit.modules[0].targetFolder = launcherTarget;
    kit.modules[0].createShortcutDesktop = true;
    kit.modules[1].targetFolder = viewerTarget;

    ASSERT_TRUE(InstallKit(kit, run, progress));

    // Files and sub-folders, byte for byte.
    for (const char* f : {"PLAYDECK32.exe", "data/levels.txt", "data/maps/readme.txt"})
        EXPECT_EQ(qm::test::readFileBytes(launcherTarget + "/" + f),
                  qm::test::readFileBytes(kKitDir + "/launcher/" + f))
            << f;
    EXPECT_EQ(qm::test::readFileBytes(viewerTarget + "help.txt"), "Open a .tbl file.\n");

    // The scripts, byte for byte against the hand-written expectation.
    const std::string system = qm::GetSpecialFolder(qm::SpecialFolder::System);
    for (const auto& [target, expected] :
         {std::pair{launcherTarget, "expected_launcher_setup.reg"},
          std::pair{world.root() + "/Games/Quorvel/GRIDLENS32L", "expected_viewer_setup.reg"}}) {
        std::string want =
            qm::test::readFileBytes(QM_FIXTURES_DIR "/setup/" + std::string(expected));
        want = replaceAll(replaceAll(replaceAll(want, "@TARGET@", target), "@SYSTEM@", system),
                          "@DRIVE@", target.substr(0, 2));
        EXPECT_EQ(qm::test::readFileBytes(target + "/_setup.reg"), want) << expected;
    }

    // The records as the launcher reads them.
    const std::string rec = "Software\\Quorvel Network\\Quorvel Manager Tools\\";
    EXPECT_EQ(hklm(rec + "Quorvel Manager PLAYDECK32", "EXE"), launcherTarget + "/PLAYDECK32.exe");
    EXPECT_EQ(hklm(rec + "Quorvel Manager PLAYDECK32", "Path"), launcherTarget);
    EXPECT_EQ(
        qm::ReadRegDword(qm::HKEY_LOCAL_MACHINE, rec + "Quorvel Manager PLAYDECK32", "Build", 0),
        27u);
    EXPECT_EQ(
        qm::ReadRegDword(qm::HKEY_LOCAL_MACHINE, rec + "Quorvel Manager GRIDLENS32L", "Build", 0),
        5u);
    EXPECT_EQ(hklm(rec + "Quorvel Manager GRIDLENS32L", "Path"),
              world.root() + "/Games/Quorvel/GRIDLENS32L");

    // Last setup settings come from the last module installed.
    const LastSetupSettings last = ReadLastSetupSettings();
    EXPECT_EQ(last.setupDrive, world.root().substr(0, 2));
    EXPECT_TRUE(last.createShortcutStartMenu);
    EXPECT_FALSE(last.createShortcutDesktop);
    EXPECT_FALSE(last.checkForUpdates);

    // Associations and the uninstall entry.
    EXPECT_EQ(hklm("Software\\Classes\\.rfl", ""), "Quorvel.Manager.PLAYDECK32");
    EXPECT_EQ(hklm("Software\\Classes\\.TBL", ""), "Quorvel.Manager.GRIDLENS32L");
    EXPECT_EQ(hklm("Software\\Classes\\Quorvel.Manager.PLAYDECK32\\shell\\open\\command", ""),
              "\"" + launcherTarget + "/PLAYDECK32.exe\" \"%1\"");
    const std::string uninstall =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel Manager Tools";
    EXPECT_EQ(hklm(uninstall, "UninstallString"), system + "/uninstqm");
    EXPECT_EQ(qm::test::readFileBytes(system + "/uninstqm"),
              qm::test::readFileBytes(kKitDir + "/uninstqm"));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(system + "/uninstqm.manifest")));

    // Shortcuts: both in the menu folder, only the launcher's on the desktop.
    const std::string menu = world.dataHome() + "/applications/Quorvel Manager Tools";
    EXPECT_EQ(filesBelow(menu), (std::vector<std::string>{"Quorvel Manager GRIDLENS32L.desktop",
                                                          "Quorvel Manager PLAYDECK32.desktop"}));
    EXPECT_EQ(filesBelow(world.desktop()),
              std::vector<std::string>{"Quorvel Manager PLAYDECK32.desktop"});
    EXPECT_EQ(validateDesktopFile(menu + "/Quorvel Manager PLAYDECK32.desktop"), "");
    EXPECT_EQ(validateDesktopFile(world.desktop() + "/Quorvel Manager PLAYDECK32.desktop"), "");

    // The page: prefixes, the 2 × 1000 range filled, the summary.
    EXPECT_NE(std::find(progress.statuses.begin(), progress.statuses.end(),
                        "Level Launcher: Copying files..."),
              progress.statuses.end());
    EXPECT_NE(std::find(progress.statuses.begin(), progress.statuses.end(),
                        "Table Viewer: Installation completed successfully!"),
              progress.statuses.end());
    EXPECT_EQ(progress.statuses.back(), "Installation of all modules completed successfully.");
    EXPECT_EQ(progress.range, 2000);
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_EQ(progress.positions.back(), 2000);
    EXPECT_NE(std::find(progress.positions.begin(), progress.positions.end(), 1000),
              progress.positions.end());
    EXPECT_TRUE(progress.finishEnabled);
    EXPECT_FALSE(progress.barVisible);
    EXPECT_TRUE(progress.shown.empty());
}

TEST_F(InstallTest, KitOfThreeWhereTheSecondFails)
{
    const std::string body = "[Installation]\nEXEfile=tool\n[Files]\nNum=1\n1=tool\n";
    KitJob kit;
    kit.setupFolder = world.root() + "/kit";
    kit.checkForUpdates = false;
    for (const char* n : {"First", "Second", "Third"}) {
        const std::string folder = writeModule(
            world, std::string("kit/") + n,
            "[Module]\nLong=" + std::string(n) + " Module\nDesc=" + n + "\nVers=1 (Build 1)\n" +
                body,
            std::string(n) == "Second" ? std::map<std::string, std::string>{}
                                       : std::map<std::string, std::string>{{"tool", n}});
        ModuleEntry e = ClassifyKitModule(folder);
        e.targetFolder = world.root() + "/out/" + n;
        kit.modules.push_back(e);
    }
    ASSERT_TRUE(InstallKit(kit, run, progress));
    EXPECT_EQ(qm::test::readFileBytes(world.root() + "/out/Third/tool"), "Third");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(world.root() + "/out/Second")));
    EXPECT_EQ(progress.statuses.back(),
              "One or multiple modules could not be installed. See below for details.");
    EXPECT_EQ(progress.resultText,
              "Second Module: Could not open source file\n" + world.root() + "/kit/Second/tool\n");
    EXPECT_EQ(run.moduleIndex, 3);
    EXPECT_TRUE(progress.finishEnabled);
}

TEST_F(InstallTest, NothingSelectedInKit)
{
    KitJob kit;
    kit.checkForUpdates = false;
    ModuleEntry e;
    e.selected = false;
    kit.modules.push_back(e);
    ASSERT_TRUE(InstallKit(kit, run, progress));
    EXPECT_EQ(progress.statuses.back(),
              "There was nothing selected, so no changes have been made on your system.");
    EXPECT_EQ(progress.resultText,
              "Re-run setup to want to install, update or repair any modules.");
}

TEST_F(InstallTest, SingleModuleResultsAndMessages)
{
    const std::string src = writeModule(world, "src",
                                        "[Module]\nDesc=Tool\nVers=1.0\n[Installation]\n"
                                        "EXEfile=tool\n[Files]\nNum=2\n1=tool\n2=missing.txt\n",
                                        {{"tool", "x"}});
    const std::string target = world.root() + "/t";
    EXPECT_FALSE(RunSingleModuleInstall(job(src, target), run, progress));
    // A missing source is found before anything is created.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));
    ASSERT_EQ(progress.shown.size(), 1u);
    EXPECT_EQ(progress.shown[0].caption, "Setup failed");
    EXPECT_EQ(progress.shown[0].text, "Setup has failed due to the following error:\n\n"
                                      "Could not open source file\n" +
                                          src + "/missing.txt");

    // A folder that cannot be made: a file lies where a parent folder should be.
    world.writeFile("blocker", "file");
    RecordingProgress p2;
    InstallRun r2;
    ModuleJob j = job(src, world.root() + "/blocker/sub");
    j.installDir = world.root() + "/blocker/sub//";
    world.writeFile("src/missing.txt", "now here");
    EXPECT_EQ(InstallModule(j, r2, p2), InstallResult::DirectoryFailed);
    EXPECT_EQ(r2.errorText, "Could not create directory\n" + world.root() + "/blocker/sub");
    // The root itself is no target.
    j.installDir = "/";
    EXPECT_EQ(InstallModule(j, r2, p2), InstallResult::DirectoryFailed);
    EXPECT_EQ(r2.errorText, "Could not create directory\n/");

    // A sub-folder that is not listed under MkDirs makes the copy fail.
    const std::string src2 = writeModule(world, "src2",
                                         "[Module]\nDesc=T2\n[Installation]\nEXEfile=t\n"
                                         "[Files]\nNum=1\n1=data\\levels.txt\n",
                                         {{"data/levels.txt", "l"}});
    InstallRun r3;
    EXPECT_EQ(InstallModule(job(src2, world.root() + "/t2"), r3, progress),
              InstallResult::CopyFailed);
    EXPECT_EQ(r3.errorText, "Could not copy source file\n" + src2 +
                                "/data/levels.txt\nto destination\n" + world.root() +
                                "/t2/data/levels.txt");
}

TEST_F(InstallTest, ScriptFileThatCannotBeCreatedStopsBeforeShortcuts)
{
    const std::string src =
        writeModule(world, "s", "[Module]\nDesc=S\n[Installation]\nEXEfile=x\n", {});
    world.makeDir("st/_setup.reg"); // a folder where the script belongs
    ModuleJob j = job(src, world.root() + "/st");
    j.createDesktopShortcut = true;
    EXPECT_EQ(InstallModule(j, run, progress), InstallResult::ScriptFailed);
    EXPECT_EQ(run.errorText,
              "Could not create temporary setup file\n" + world.root() + "/st/_setup.reg");
    EXPECT_EQ(progress.statuses.back(), "Updating registry...");
    EXPECT_TRUE(filesBelow(world.desktop()).empty());
    EXPECT_EQ(ReadInstalledModuleRecord("S", 0).path, "");
}

TEST_F(InstallTest, ProgressWithoutFilesAndWithEmptyFiles)
{
    const std::string none = writeModule(world, "none", "[Module]\nDesc=N\n[Files]\nNum=0\n", {});
    EXPECT_EQ(InstallModule(job(none, world.root() + "/n"), run, progress), InstallResult::Ok);
    EXPECT_EQ(progress.range, 1000);
    EXPECT_TRUE(progress.positions.empty()); // stays at the start
    EXPECT_TRUE(QFile::exists(QString::fromStdString(world.root() + "/n/_setup.reg")));
    // No uninstaller beside this setup: the end text says so and no uninstall block.
    EXPECT_EQ(progress.resultText, "However, an error occured while trying to install the "
                                   "uninstaller utility, so uninstallation will probably not "
                                   "available.");
    EXPECT_EQ(qm::test::readFileBytes(world.root() + "/n/_setup.reg").find("Uninstall"),
              std::string::npos);

    const std::string empty = writeModule(world, "empty",
                                          "[Module]\nDesc=E\n[Files]\nNum=2\n"
                                          "1=a\n2=b\n",
                                          {{"a", ""}, {"b", ""}});
    RecordingProgress p2;
    InstallRun r2;
    r2.moduleIndex = 1;
    r2.moduleCount = 3;
    EXPECT_EQ(InstallModule(job(empty, world.root() + "/e"), r2, p2), InstallResult::Ok);
    EXPECT_EQ(p2.range, 3000);
    EXPECT_EQ(p2.positions, (std::vector<int>{2000, 2000}));
}

TEST_F(InstallTest, RefusesBrokenDefinitionsBeforeCreatingAnything)
{
    const std::string target = world.root() + "/never";
    const struct {
        const char* description;
        const char* expectInMessage;
    } cases[] = {
        {"[Module]\nDesc=Evil]\n[HKEY_LOCAL_MACHINE\\x\n", "cannot be registered"},
        {"[Module]\nDesc=Quote\"d\n", "cannot be registered"},
        {"[Module]\nDesc=Fine\n[Extensions]\nNum=1\n1=v\\pp\n", "cannot be registered"},
        {"[Module]\nDesc=Fine\n[Files]\nNum=1\n1=..\\..\\etc\\passwd\n",
         "leaves the target folder"},
        {"[Module]\nDesc=Fine\n[MkDirs]\nNum=1\n1=/abs\n", "leaves the target folder"},
        {"[Module]\nDesc=Fine\n[MkDirs]\nNum=99999999\n", "lists more than"},
    };
    int i = 0;
    for (const auto& c : cases) {
        const std::string src = writeModule(world, "bad" + std::to_string(i++), c.description, {});
        InstallRun r;
        ModuleJob j = job(src, target);
        j.checkForUpdates = true; // refused before the check makes the folder
        EXPECT_EQ(InstallModule(j, r, progress), InstallResult::InvalidDefinition) << c.description;
        EXPECT_NE(r.errorText.find(c.expectInMessage), std::string::npos) << r.errorText;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(target))) << c.description;
    }
    EXPECT_TRUE(progress.shown.empty());
}

TEST_F(InstallTest, EscapesQuotesAndBackslashesInValues)
{
    const std::string src = writeModule(world, "esc",
                                        "[Module]\nDesc=Tool\nCoder=Jo \"JB\" B\\ker\n"
                                        "Vers=2 \"beta\" (Build 3)\n[Installation]\nEXEfile=t\n",
                                        {});
    ModuleJob j = job(src, world.root() + "/esc out");
    ASSERT_EQ(InstallModule(j, run, progress), InstallResult::Ok);
    const std::string reg = qm::test::readFileBytes(world.root() + "/esc out/_setup.reg");
    EXPECT_NE(reg.find("\"Coder\"=\"Jo \\\"JB\\\" B\\\\ker\"\r\n"), std::string::npos) << reg;
    const std::string key = "Software\\Quorvel Network\\Quorvel Manager Tools\\Tool";
    EXPECT_EQ(hklm(key, "Coder"), "Jo \"JB\" B\\ker");
    EXPECT_EQ(hklm(key, "Version"), "2 \"beta\" (Build 3)");
    EXPECT_TRUE(run.importOk) << run.importMessage;
}

// A copy that dies half-way (the file-size limit stops the write) must leave
// the installed file as it was and no temporary file.
TEST_F(InstallTest, FailedCopyKeepsPreviousFile)
{
    const std::string big(4 << 20, 'n');
    const std::string src = writeModule(world, "upd",
                                        "[Module]\nDesc=U\n[Installation]\nEXEfile=prog\n"
                                        "[Files]\nNum=1\n1=prog\n",
                                        {{"prog", big}});
    const std::string old = "old program, version 1\n";
    const std::string target = world.makeDir("installed");
    world.writeFile("installed/prog", old);

    InstallResult r = InstallResult::Ok;
    {
        const qm::test::FileSizeLimit limit(1 << 20);
        ASSERT_TRUE(limit.active());
        r = InstallModule(job(src, target), run, progress);
    }

    EXPECT_EQ(r, InstallResult::CopyFailed);
    EXPECT_EQ(qm::test::readFileBytes(target + "/prog"), old);
    EXPECT_EQ(filesBelow(target), std::vector<std::string>{"prog"});

    // The same copy without the limit replaces the file and keeps the mode.
    ::chmod((src + "/prog").c_str(), 0751);
    InstallRun again;
    EXPECT_EQ(InstallModule(job(src, target), again, progress), InstallResult::Ok);
    EXPECT_EQ(qm::test::readFileBytes(target + "/prog"), big);
    struct stat st {};
    ASSERT_EQ(::stat((target + "/prog").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
}

TEST(FileOps, MakeDirectoryPathAndContainment)
{
    qm::test::TempWorld world;
    EXPECT_TRUE(MakeDirectoryPath(world.root() + "/a/b/c"));
    EXPECT_TRUE(MakeDirectoryPath(world.root() + "/a/b/c/")); // already there
    world.writeFile("f", "x");
    EXPECT_FALSE(MakeDirectoryPath(world.root() + "/f/g"));
    EXPECT_FALSE(MakeDirectoryPath(world.root() + "/f"));
    EXPECT_TRUE(IsContainedRelativePath("data/maps/x.txt"));
    EXPECT_TRUE(IsContainedRelativePath("a..b/..c"));
    EXPECT_FALSE(IsContainedRelativePath("data/../../x"));
    EXPECT_FALSE(IsContainedRelativePath(".."));
    EXPECT_FALSE(IsContainedRelativePath("/etc"));
    EXPECT_TRUE(IsValidTargetFolder("/opt/Tools"));
    for (const char* bad : {"", "/", "///", "//server/share", "relative/dir", "~/x"})
        EXPECT_FALSE(IsValidTargetFolder(bad)) << bad;
}

} // namespace
