#include "platform/desktop_entry.h"
#include "support/desktop_tools.h"
#include "tblview/ui/gridlens_app.h"

#include <sys/stat.h>

namespace {

using ViewerDesktopTest = qm::test::TempWorldTest;

// The viewer's file-type step at start-up also makes it the desktop's
// application for table files.
TEST_F(ViewerDesktopTest, TableFilesOpenInTheViewer)
{
    if (!qm::test::desktopToolsPresent())
        GTEST_SKIP() << "xdg-mime, gio or update-mime-database is not installed";
    qm::test::useGnomeDesktop(world);
    const std::string program = world.writeFile("bin/gridlens32l", "#!/bin/sh\nexit 0\n");
    ::chmod(program.c_str(), 0755);

    gridlens::CGRIDLENS32LApp::RegisterShellFileTypes(program);

    const std::string id = "Quorvel.Manager.GRIDLENS32.desktop";
    const std::string entry = qm::test::readFileBytes(world.dataHome() + "/applications/" + id);
    EXPECT_EQ(qm::KeyFileValue(entry, "Desktop Entry", "Exec"), program + " %f");
    const std::string table = world.writeFile("data/WEAPONS.TBL", "#General\n$Name: x\n");
    EXPECT_EQ(qm::test::queryFileType(table), "text/x-red-faction-tbl");
    EXPECT_EQ(qm::test::queryDefaultApp("text/x-red-faction-tbl"), id);
    EXPECT_EQ(qm::test::gioDefaultApp("text/x-red-faction-tbl"), id);
}

} // namespace
