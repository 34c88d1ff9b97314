// What an install may write, and what a failed one leaves behind.
#include "common/settings.h"
#include "platform/registry_store.h"
#include "platform/special_folders.h"
#include "setup/file_ops.h"
#include "setup/install.h"
#include "setup/records.h"
#include "setup_test_support.h"

#include <QDir>
#include <QFile>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

using namespace qmsetup;
using qmsetup::test::RecordingProgress;
using qmsetup::test::writeModule;

// Every flush of the process is noted while g_noteSyncs is on: the install's
// own, and SQLite's when it writes the record.
namespace {
std::mutex g_syncMutex;
bool g_noteSyncs = false;
std::vector<std::string> g_synced;

void noteSync(int fd)
{
    std::lock_guard<std::mutex> lock(g_syncMutex);
    if (!g_noteSyncs)
        return;
    char link[64];
    char path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    if (n > 0)
        g_synced.emplace_back(path, static_cast<size_t>(n));
}
} // namespace

extern "C" int fsync(int fd)
{
    noteSync(fd);
    static auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}

extern "C" int fdatasync(int fd)
{
    noteSync(fd);
    static auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fdatasync"));
    return real(fd);
}

namespace {

std::vector<std::string> namesIn(const std::string& dir)
{
    std::vector<std::string> out;
    for (const QString& f : QDir(QString::fromStdString(dir))
                                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        out.push_back(f.toStdString());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> ListRecordedModulesNames()
{
    qm::RegistryStore store(qm::RegistryStore::Mode::ReadOnly);
    return store.subKeys(qm::HKEY_LOCAL_MACHINE, kToolsKey);
}

uint32_t modeOf(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xffffffffu;
}

using InstallSafetyTest = qmsetup::test::InstallRunTest;

TEST_F(InstallSafetyTest, InstalledFilesNeverKeepSetIdOrWriteBitsForOthers)
{
    const std::string src = writeModule(world, "src",
                                        "[Module]\nDesc=Modes\n[Installation]\nEXEfile=prog\n"
                                        "[Files]\nNum=3\n1=prog\n2=data.txt\n3=plain\n",
                                        {{"prog", "p"}, {"data.txt", "d"}, {"plain", "x"}});
    ::chmod((src + "/prog").c_str(), 04777);
    ::chmod((src + "/data.txt").c_str(), 0666);
    ::chmod((src + "/plain").c_str(), 0640);
    const mode_t saved = ::umask(027);
    const InstallResult r = InstallModule(job(src, world.root() + "/t"), run, progress);
    ::umask(saved);
    ASSERT_EQ(r, InstallResult::Ok) << run.errorText;
    EXPECT_EQ(modeOf(world.root() + "/t/prog"), 0750u); // still a program
    EXPECT_EQ(modeOf(world.root() + "/t/data.txt"), 0640u);
    EXPECT_EQ(modeOf(world.root() + "/t/plain"), 0640u);
}

// The store refuses the record: the module's files are as before the run.
TEST_F(InstallSafetyTest, FailedRecordPutsTheFolderBackAndShowsTheStoresError)
{
    const std::string src = writeModule(world, "src",
                                        "[Module]\nDesc=Tool\nVers=2 (Build 2)\n[Installation]\n"
                                        "EXEfile=prog\n[MkDirs]\nNum=1\n1=data\\new\n"
                                        "[Files]\nNum=2\n1=prog\n2=data\\new\\file.txt\n",
                                        {{"prog", "new program"}, {"data/new/file.txt", "added"}});
    const std::string target = world.makeDir("installed");
    world.writeFile("installed/prog", "old program");
    world.writeFile("installed/_setup.reg", "old script");
    world.writeFile("installed/mine.txt", "the user's");
    ::chmod((target + "/prog").c_str(), 0700);
    const std::vector<std::string> before = namesIn(target);
    // Not a store at all: a text file where the store belongs.
    const std::string junk = "these are my notes, not a database\n";
    world.writeFile("registry.sqlite", junk);

    ModuleJob j = job(src, target);
    j.createDesktopShortcut = true;
    EXPECT_FALSE(RunSingleModuleInstall(j, run, progress));
    EXPECT_EQ(run.failedModules, 1);
    EXPECT_EQ(namesIn(target), before);
    EXPECT_EQ(qm::test::readFileBytes(target + "/prog"), "old program");
    EXPECT_EQ(modeOf(target + "/prog"), 0700u);
    EXPECT_EQ(qm::test::readFileBytes(target + "/_setup.reg"), "old script");
    EXPECT_TRUE(namesIn(world.desktop()).empty());
    EXPECT_EQ(qm::test::readFileBytes(world.registryPath()), junk);
    ASSERT_EQ(progress.shown.size(), 1u);
    EXPECT_EQ(progress.shown[0].caption, "Setup failed");
    const std::string& text = progress.shown[0].text;
    EXPECT_NE(text.find(world.registryPath()), std::string::npos) << text;
    EXPECT_NE(text.find("not a database"), std::string::npos) << text;
    EXPECT_EQ(std::find(progress.statuses.begin(), progress.statuses.end(),
                        "Installation completed successfully!"),
              progress.statuses.end());

    // With a working store the same install goes through and keeps no old copies.
    QFile::remove(QString::fromStdString(world.registryPath()));
    RecordingProgress p2;
    InstallRun r2;
    ASSERT_EQ(InstallModule(j, r2, p2), InstallResult::Ok) << r2.errorText;
    EXPECT_EQ(qm::test::readFileBytes(target + "/prog"), "new program");
    EXPECT_EQ(namesIn(target), (std::vector<std::string>{"_setup.Tool.dat", "_setup.reg", "data",
                                                         "mine.txt", "prog"}));
    EXPECT_EQ(ReadInstalledModuleRecord("Tool", 0).path, target);
}

TEST_F(InstallSafetyTest, KitReportsAFailedRecordPerModule)
{
    const std::string src = writeModule(
        world, "kit/A", "[Module]\nLong=Module A\nDesc=A\n[Files]\nNum=1\n1=a\n", {{"a", "a"}});
    world.writeFile("registry.sqlite", std::string(4096, '\x07'));
    KitJob kit;
    kit.setupFolder = world.root() + "/kit";
    kit.checkForUpdates = false;
    ModuleEntry e;
    e.sourceFolder = src;
    e.targetFolder = world.root() + "/out/A";
    kit.modules.push_back(e);
    ASSERT_TRUE(InstallKit(kit, run, progress));
    EXPECT_EQ(run.failedModules, 1);
    EXPECT_EQ(progress.statuses.back(),
              "One or multiple modules could not be installed. See below for details.");
    EXPECT_EQ(progress.resultText.rfind("Module A: Could not write the installation record:\n", 0),
              0u)
        << progress.resultText;
    EXPECT_NE(progress.resultText.find(world.registryPath()), std::string::npos);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(world.root() + "/out/A")));
}

// Anyone who can write the target folder could plant a link named _setup.reg.
TEST_F(InstallSafetyTest, ScriptReplacesALinkInsteadOfWritingThroughIt)
{
    const std::string src = writeModule(world, "src", "[Module]\nDesc=L\n", {});
    const std::string victim = world.writeFile("victim.txt", "precious");
    const std::string target = world.makeDir("t");
    ASSERT_EQ(::symlink(victim.c_str(), (target + "/_setup.reg").c_str()), 0);
    ASSERT_EQ(InstallModule(job(src, target), run, progress), InstallResult::Ok) << run.errorText;
    EXPECT_EQ(qm::test::readFileBytes(victim), "precious");
    struct stat st {};
    ASSERT_EQ(::lstat((target + "/_setup.reg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(qm::test::readFileBytes(target + "/_setup.reg").rfind("REGEDIT4\r\n", 0), 0u);
}

// Refused before the update check or anything else writes a byte.
TEST_F(InstallSafetyTest, RefusesWhatCouldNeverBeRecordedOrCreated)
{
    const std::string longName(300, 'L');
    const struct {
        std::string description;
        std::string target;
        InstallResult result;
        const char* expectInMessage;
    } cases[] = {
        {"[Module]\nDesc=\n", "/never", InstallResult::InvalidDefinition, "names no module"},
        {"[Module]\nDesc=$\n", "/never", InstallResult::InvalidDefinition, "names no module"},
        {"[Module]\nVers=1\n", "/never", InstallResult::InvalidDefinition, "names no module"},
        {"[Module]\nDesc=" + longName + "\n", "/never", InstallResult::InvalidDefinition,
         "longer than 255 bytes"},
        {"[Module]\nDesc=Ok\n[Files]\nNum=1\n1=data\\" + longName + "\n", "/never",
         InstallResult::InvalidDefinition, "longer than 255 bytes"},
        {"[Module]\nDesc=Ok\n", "relative/dir", InstallResult::DirectoryFailed,
         "must be a full path"},
    };
    int i = 0;
    for (const auto& c : cases) {
        const std::string src = writeModule(world, "bad" + std::to_string(i++), c.description,
                                            {{"data/" + longName.substr(0, 200), "x"}});
        InstallRun r;
        ModuleJob j = job(src, c.target == "/never" ? world.root() + "/never" : c.target);
        j.checkForUpdates = true; // refused before the check makes the folder
        j.createDesktopShortcut = true;
        EXPECT_EQ(InstallModule(j, r, progress), c.result) << c.description;
        EXPECT_NE(r.errorText.find(c.expectInMessage), std::string::npos) << r.errorText;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(world.root() + "/never")));
        EXPECT_FALSE(QFile::exists(QStringLiteral("relative")));
    }
    EXPECT_TRUE(progress.shown.empty());
    EXPECT_TRUE(ListRecordedModulesNames().empty());
}

// "SetupDrive" may swap a drive, never make a relative folder absolute.
TEST_F(InstallSafetyTest, KitDriveRuleLeavesARelativeFolderAlone)
{
    LastSetupSettings last;
    last.setupDrive = "/h";
    ModuleEntry e;
    ClassifyKitModule(e, "relative/dir", last);
    EXPECT_EQ(e.targetFolder, "relative/dir");
    ClassifyKitModule(e, "/opt/tools", last);
    EXPECT_EQ(e.targetFolder, "/opt/tools");
    last.setupDrive = "C:";
    ClassifyKitModule(e, "/opt/tools", last);
    EXPECT_EQ(e.targetFolder, "/opt/tools");
    ClassifyKitModule(e, "relative\\dir", last);
    EXPECT_EQ(e.targetFolder, "relative\\dir");
    ClassifyKitModule(e, "D:\\Games", last);
    EXPECT_EQ(e.targetFolder, "C:\\Games");
}

TEST_F(InstallSafetyTest, MissingDesktopFolderIsMadeForTheShortcut)
{
    const std::string src = writeModule(world, "src",
                                        "[Module]\nDesc=Desk\n[Installation]\nEXEfile=prog\n"
                                        "[Files]\nNum=1\n1=prog\n",
                                        {{"prog", "p"}});
    QDir(QString::fromStdString(world.desktop())).removeRecursively();
    ModuleJob j = job(src, world.root() + "/t");
    j.createDesktopShortcut = true;
    ASSERT_EQ(InstallModule(j, run, progress), InstallResult::Ok) << run.errorText;
    EXPECT_EQ(namesIn(world.desktop()), std::vector<std::string>{"Desk.desktop"});
}

// A record must never point at files a power loss could still take: every
// copied file and its folder reach the disk before the store writes the record.
TEST_F(InstallSafetyTest, FilesAndFoldersAreFlushedBeforeTheRecord)
{
    const std::string src = writeModule(world, "src",
                                        "[Module]\nDesc=Durable\n[Installation]\nEXEfile=prog\n"
                                        "[MkDirs]\nNum=1\n1=data\n"
                                        "[Files]\nNum=2\n1=prog\n2=data\\levels.txt\n",
                                        {{"prog", "p"}, {"data/levels.txt", "l"}});
    const std::string target = world.root() + "/durable";
    {
        std::lock_guard<std::mutex> lock(g_syncMutex);
        g_synced.clear();
        g_noteSyncs = true;
    }
    const InstallResult r = InstallModule(job(src, target), run, progress);
    std::vector<std::string> synced;
    {
        std::lock_guard<std::mutex> lock(g_syncMutex);
        g_noteSyncs = false;
        synced = g_synced;
    }
    ASSERT_EQ(r, InstallResult::Ok) << run.errorText;
    const auto firstStoreSync =
        std::find_if(synced.begin(), synced.end(),
                     [&](const std::string& p) { return p.rfind(world.registryPath(), 0) == 0; });
    ASSERT_NE(firstStoreSync, synced.end()) << "the store never flushed the record";
    for (const std::string& path :
         {target + "/prog", target + "/data/levels.txt", target + "/_setup.Durable.dat", target,
          target + "/data", world.root()}) {
        EXPECT_NE(std::find(synced.begin(), firstStoreSync, path), firstStoreSync)
            << path << " was not flushed before the record";
    }
}

} // namespace
