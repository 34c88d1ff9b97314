#include "common/profile.h"
#include "common/settings.h"
#include "demo/demo_game/packfile_builder.h"
#include "launcher/sibling_tools.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "support/temp_world.h"
#include "vpp/ui/peek_frame.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace packtools::test {
namespace {

const std::string kKit = QM_BIN_DIR "/../kit";

// The built kit installed into a fresh home; the launcher's View command then
// starts the installed PACKPEEK32 on a packfile whose path has blanks and a quote.
TEST(KitViewTest, TheLaunchersViewStartsTheInstalledPackPeekOnThePackfile)
{
    qm::test::TempWorld world;
    const std::string peekModule = kKit + "/PACKPEEK32/qm_modul.dat";
    ASSERT_TRUE(qm::fs::IsRegularFile(peekModule)) << "the build makes the kit";
    EXPECT_EQ(qm::ReadProfileText(peekModule, "Module", "Desc"), "Quorvel Manager PACKPEEK32");
    EXPECT_EQ(qm::ReadProfileText(kKit + "/PACKFORGE32/qm_modul.dat", "Module", "Desc"),
              "Quorvel Manager PACKFORGE32");

    world.setEnv("QM_SETUP_UNATTENDED", "1");
    world.setEnv("QM_UPDATE_SERVER", "http://127.0.0.1:9");
    QProcess setup;
    setup.start(QString::fromStdString(kKit + "/qmsetup"), {});
    ASSERT_TRUE(setup.waitForFinished(120000));
    ASSERT_EQ(setup.exitCode(), 0) << setup.readAllStandardError().toStdString();

    using playdeck::SiblingTool;
    const playdeck::SiblingRecord peek = playdeck::ReadSiblingRecord(SiblingTool::PackPeek);
    const playdeck::SiblingRecord forge = playdeck::ReadSiblingRecord(SiblingTool::PackForge);
    EXPECT_EQ(peek.path, world.home() + "/QuorvelManager/PACKPEEK32");
    EXPECT_GE(peek.build, 108u);
    EXPECT_TRUE(playdeck::ChooserCanUseSibling(SiblingTool::PackPeek, peek));
    EXPECT_TRUE(playdeck::ChooserCanUseSibling(SiblingTool::PackForge, forge));
    EXPECT_TRUE(qm::fs::IsRegularFile(forge.exe));

    const std::string folder = world.makeDir("game/user_maps/single") + "/";
    const std::string name = "Tom's \"Glass\" House.vpp";
    qm::test::TempWorld* w = &world;
    w->writeFile("game/user_maps/single/" + name,
                 qm::demo::BuildVpp({{"x.rfl", qm::demo::BuildRfl("L", "A", "D")}}));

    qm::RecordingProcessStarter recorder;
    {
        qm::ScopedProcessStarter guard{&recorder};
        const auto plan =
            playdeck::PlanOpenInSiblingTool(SiblingTool::PackPeek, peek, folder, name);
        ASSERT_TRUE(plan && plan->start) << (plan ? plan->message : "");
        playdeck::StartSiblingTool(*plan->start);
    }
    ASSERT_EQ(recorder.requests().size(), 1u);
    const qm::ProcessStartRequest start = recorder.requests()[0];
    ASSERT_EQ(start.arguments, (std::vector<std::string>{folder + name}));

    // The installed program itself, started as the request says: it shows the
    // packfile, which puts it first in its recent-file list.
    QProcess tool;
    QStringList args;
    for (const std::string& a : start.arguments)
        args << QString::fromStdString(a);
    tool.setWorkingDirectory(QString::fromStdString(start.workingFolder));
    tool.start(QString::fromStdString(start.program), args);
    ASSERT_TRUE(tool.waitForStarted(10000));
    const std::string recentKey = std::string(packpeek::kProfileKey) + "\\Recent File List";
    std::string opened;
    QElapsedTimer clock;
    clock.start();
    while (opened.empty() && clock.elapsed() < 30000 && tool.state() == QProcess::Running) {
        QThread::msleep(100);
        opened = qm::ReadRegString(qm::HKEY_CURRENT_USER, recentKey, "File1", "");
    }
    tool.kill();
    tool.waitForFinished();
    EXPECT_EQ(opened, folder + name);
}

} // namespace
} // namespace packtools::test
