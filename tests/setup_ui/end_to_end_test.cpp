#include "common/profile.h"
#include "common/settings.h"
#include "platform/registry_store.h"
#include "setup/install.h"
#include "setup/uninstall.h"
#include "setup_ui_support.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <set>

namespace qmsetup::test {
namespace {

const std::string kBin = QM_BIN_DIR;
const std::string kKit = QM_BIN_DIR "/../kit";

class EndToEndTest : public SetupUiTest {
protected:
    // Runs a program to its end; returns its exit code (-1 when it did not end).
    int runProgram(const std::string& program, const QStringList& args, std::string* out = nullptr)
    {
        QProcess p;
        p.setProgram(QString::fromStdString(program));
        p.setArguments(args);
        p.start();
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        if (out)
            *out = p.readAllStandardOutput().toStdString();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
};

TEST_F(EndToEndTest, InstallTheBuiltKitListTheDemoGameAndUninstall)
{
    const qm::ProfileFile kit(kKit + "/qm_kit.dat");
    ASSERT_TRUE(kit.readable()) << "the build makes " << kKit;
    const std::vector<std::string> modules = kit.list("Modules", "$");
    if (modules.empty())
        GTEST_SKIP() << "the kit of this build holds no module";

    const std::set<std::string> before = filesOfWorld();
    world.setEnv("QM_SETUP_UNATTENDED", "1");
    // A closed port: the update check fails at once and setup goes on.
    world.setEnv("QM_UPDATE_SERVER", "http://127.0.0.1:9");
    ASSERT_EQ(runProgram(kKit + "/qmsetup", {}), 0);

    // Every module in its folder below the home folder, file for file.
    std::string playdeck;
    for (const std::string& folder : modules) {
        const std::string def = kKit + "/" + folder + "/qm_modul.dat";
        const std::string desc = qm::ReadProfileText(def, "Module", "Desc");
        const std::string target = world.home() + "/QuorvelManager/" + folder;
        const std::string key = std::string(kToolsKey) + "\\" + desc;
        EXPECT_EQ(qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, key, "Path"), target) << desc;
        for (const std::string& file : qm::ReadProfileList(def, "Files")) {
            const std::string installed = target + "/" + file;
            EXPECT_EQ(qm::test::readFileBytes(installed),
                      qm::test::readFileBytes(kKit + "/" + folder + "/" + file))
                << installed;
            EXPECT_EQ(
                QFileInfo(QString::fromStdString(installed)).isExecutable(),
                QFileInfo(QString::fromStdString(kKit + "/" + folder + "/" + file)).isExecutable());
        }
        const std::string exe = qm::ReadProfileText(def, "Installation", "EXEfile");
        if (exe == "playdeck32")
            playdeck = target + "/" + exe;
    }
    const std::string uninstaller = world.dataHome() + "/quorvel-manager/system/uninstqm";
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(uninstaller)));
    EXPECT_EQ(qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
              uninstaller);

    // The installed launcher lists the demo game as the build's own lister does.
    std::set<std::string> gameFiles;
    if (!playdeck.empty() &&
        QFileInfo::exists(QString::fromStdString(kBin + "/qm_make_demo_game"))) {
        const std::string game = world.root() + "/game";
        ASSERT_EQ(
            runProgram(kBin + "/qm_make_demo_game", {"--register", QString::fromStdString(game)}),
            0);
        std::string listed, expected;
        EXPECT_EQ(runProgram(playdeck, {"--list", "single"}, &listed), 0);
        EXPECT_FALSE(listed.empty());
        ASSERT_EQ(runProgram(kBin + "/qm_list_levels", {"single"}, &expected), 0);
        EXPECT_EQ(listed, expected);
        // The game's files, and the launcher's catalogue cache of them (the
        // user's, like the settings), stay after the uninstall.
        for (const std::string& f : filesOfWorld())
            if (f.rfind("game/", 0) == 0 || f.rfind("home/.cache/quorvel-manager/", 0) == 0)
                gameFiles.insert(f);
    } else if (!playdeck.empty()) {
        // No demo game in this build: without a game the launcher says so.
        EXPECT_EQ(runProgram(playdeck, {"--list", "single"}), 1);
    }

    // The uninstaller takes back what setup installed, and only that.
    ASSERT_EQ(runProgram(uninstaller, {}), 0);
    EXPECT_TRUE(ListRecordedModules().empty());
    qm::RegistryStore store(qm::RegistryStore::Mode::ReadOnly);
    EXPECT_FALSE(store.keyExists(qm::HKEY_LOCAL_MACHINE, kUninstallKey));
    std::set<std::string> after = filesOfWorld();
    for (const std::string& f : gameFiles)
        after.erase(f);
    EXPECT_EQ(after, before);
    for (const std::string& folder : modules)
        EXPECT_FALSE(
            QFileInfo::exists(QString::fromStdString(world.home() + "/QuorvelManager/" + folder)));
}

} // namespace
} // namespace qmsetup::test
