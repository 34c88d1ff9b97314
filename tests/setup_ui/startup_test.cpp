#include "common/settings.h"
#include "setup/records.h"
#include "setup/ui/page_frame.h"
#include "setup/ui/setup_app.h"
#include "setup_ui_support.h"

#include <QFileInfo>

namespace qmsetup::test {
namespace {

// The program's start-up and page order, run unattended.
class StartUpTest : public SetupUiTest {
protected:
    void SetUp() override
    {
        SetupUiTest::SetUp();
        world.setEnv("QM_SETUP_UNATTENDED", "1");
        world.setEnv("QM_UPDATE_SERVER", "http://127.0.0.1:9");
    }
    void TearDown() override
    {
        CPageFrame::setUnattended(false);
        SetupUiTest::TearDown();
    }

    std::string singleModule(const std::string& folder, const std::string& vers)
    {
        writeModule(folder, "Level Tool", vers, "[Files]\nNum=1\n1=tool\n");
        world.writeFile(folder + "/tool", "program");
        return world.root() + "/" + folder + "/qmsetup";
    }
    std::string installedPath() const
    {
        return qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, std::string(kToolsKey) + "\\Level Tool",
                                 "Path");
    }
};

TEST_F(StartUpTest, NoDescriptionFileIsFatal)
{
    const std::string dir = world.makeDir("empty");
    EXPECT_EQ(RunQmSetup(dir + "/qmsetup"), 1);
    ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u);
    EXPECT_EQ(qm::ui::MessageBox::history()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(qm::ui::MessageBox::history()[0].text.toStdString(),
              "Fatal error: Couldn't find setup file " + dir + "/qm_modul.dat or " + dir +
                  "/qm_kit.dat. Setup will close.");
}

TEST_F(StartUpTest, SingleModuleInstallsThroughSetupAndProgressPages)
{
    EXPECT_EQ(RunQmSetup(singleModule("single", "1.0 (Build 3)")), 0);
    const std::string target = world.home() + "/Tools/single";
    EXPECT_EQ(installedPath(), target);
    EXPECT_EQ(qm::test::readFileBytes(target + "/tool"), "program");
    // The update check failed once, then the install went on.
    ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u);
    EXPECT_EQ(qm::ui::MessageBox::history()[0].caption, "Check for Updates failed");
}

TEST_F(StartUpTest, DowngradeRefusedByDefaultChangesNothing)
{
    writeRecord("Level Tool", 7, "2.0 (Build 7)", world.home() + "/Newer");
    EXPECT_EQ(RunQmSetup(singleModule("single", "1.0 (Build 3)")), kExitClosed);
    EXPECT_EQ(installedPath(), world.home() + "/Newer");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(world.home() + "/Tools/single")));
}

// A script running setup can tell a failed install from a good one.
TEST_F(StartUpTest, FailedInstallExitsWithItsOwnCode)
{
    const std::string program = singleModule("single", "1.0 (Build 3)");
    world.writeFile("single/qm_modul.dat",
                    qm::test::readFileBytes(world.root() + "/single/qm_modul.dat") +
                        "[MkDirs]\nNum=1\n1=..\\escape\n");
    EXPECT_EQ(RunQmSetup(program), kExitModuleFailed);

    // The store refuses the record: a failure too, and the files go again.
    const std::string good = singleModule("other", "1.0 (Build 3)");
    world.writeFile("registry.sqlite", "not a store\n");
    EXPECT_EQ(RunQmSetup(good), kExitModuleFailed);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(world.home() + "/Tools/other")));
}

TEST_F(StartUpTest, KitBeatsAModuleFileBesideIt)
{
    const std::string program = singleModule("both", "1.0 (Build 3)");
    world.writeFile("both/qm_kit.dat", "[General]\nVersion=1\n[Modules]\nNum=0\n");
    EXPECT_EQ(RunQmSetup(program), 0);
    EXPECT_EQ(installedPath(), "");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(world.home() + "/Tools/both")));
}

} // namespace
} // namespace qmsetup::test
