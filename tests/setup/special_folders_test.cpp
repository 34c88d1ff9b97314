#include "platform/special_folders.h"
#include "support/temp_world.h"

using qm::GetSpecialFolder;
using qm::SpecialFolder;

namespace {

class SpecialFoldersTest : public qm::test::TempWorldTest {};

TEST_F(SpecialFoldersTest, FoldersOfTheWorld)
{
    world.writeFile("home/.config/user-dirs.dirs",
                    "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n"
                    "  XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n");
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::Desktop), world.home() + "/Schreibtisch");
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::Programs), world.dataHome() + "/applications");
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::System),
              world.dataHome() + "/quorvel-manager/system");
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::AppData), world.dataHome());
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::Home), world.home());
    for (SpecialFolder f : {SpecialFolder::CommonDesktop, SpecialFolder::CommonPrograms,
                            SpecialFolder::CommonStartMenu, SpecialFolder::QuickLaunch})
        EXPECT_EQ(GetSpecialFolder(f), "");

    world.writeFile("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=relative\n");
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::Desktop), world.home() + "/Desktop");
    world.setEnv("XDG_DATA_HOME", "not/absolute");
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::Programs),
              world.home() + "/.local/share/applications");
}

} // namespace
