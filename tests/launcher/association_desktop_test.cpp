#include "launcher/association.h"
#include "support/desktop_tools.h"

#include <QFile>
#include <QTest>
#include <sys/stat.h>

namespace {

using LauncherDesktopTest = qm::test::TempWorldTest;
using qm::test::readFileBytes;

// What a user sees in a GNOME session: after PLAYDECK32's association step at
// start-up, a .vpp file (in any letter case) has our type, and PLAYDECK32
// opens it.
TEST_F(LauncherDesktopTest, AssociationReachesTheDesktop)
{
    if (!qm::test::desktopToolsPresent())
        GTEST_SKIP() << "xdg-mime, gio or update-mime-database is not installed";
    qm::test::useGnomeDesktop(world);
    // A stand-in launcher that notes the arguments it was started with.
    const std::string opened = world.root() + "/opened.txt";
    const std::string exe =
        world.writeFile("QuorvelManager/PLAYDECK32/playdeck32",
                        "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + opened + ".part' && mv '" +
                            opened + ".part' '" + opened + "'\n");
    ::chmod(exe.c_str(), 0755);
    ASSERT_EQ(playdeck::WriteAssociationScript(exe).outcome,
              playdeck::AssociationOutcome::WrittenBesideProgram);

    const std::string level = world.writeFile("levels/glass house.vpp", "packfile");
    const std::string upper = world.writeFile("levels/LEVEL.VPP", "packfile");
    EXPECT_EQ(qm::test::queryFileType(level), "application/x-red-faction-vpp");
    EXPECT_EQ(qm::test::queryFileType(upper), "application/x-red-faction-vpp");
    EXPECT_EQ(qm::test::queryDefaultApp("application/x-red-faction-vpp"),
              std::string(playdeck::kVppFileClass) + ".desktop");
    EXPECT_EQ(qm::test::gioDefaultApp("application/x-red-faction-vpp"),
              std::string(playdeck::kVppFileClass) + ".desktop");

    // A double-click: the file manager's open starts the launcher with the file, whole.
    ASSERT_TRUE(qm::test::runDesktopTool("gio", {"open", level}).has_value());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(QString::fromStdString(opened)); }, 20000));
    EXPECT_EQ(readFileBytes(opened), level + "\n");
}

} // namespace
