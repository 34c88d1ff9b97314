#include "demo/demo_game/packfile_builder.h"
#include "launcher/sibling_tools.h"
#include "launcher_fixture.h"
#include "platform/process_start.h"

#include "common/ui/dialog_units.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstdlib>

namespace playdeck::test {
namespace {

using Args = std::vector<std::string>;

class ChooserTest : public LauncherTest {
protected:
    void SetUp() override
    {
        LauncherTest::SetUp();
        install(game);
    }
    // A level packfile named file whose level file carries name and author.
    std::string level(const std::string& relative, const std::string& name = "Lvl Name") const
    {
        std::string file = relative.substr(relative.rfind('/') + 1);
        std::string rfl = file.substr(0, file.size() - 4) + ".rfl";
        for (char& c : rfl)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return world.writeFile(relative,
                               qm::demo::BuildVpp({{rfl, qm::demo::BuildRfl(name, "Me", "2002")}}));
    }
    std::string noLevel(const std::string& relative) const
    {
        return world.writeFile(relative, qm::demo::BuildVpp({{"wall.tga", "pixels"}}));
    }
    void tool(SiblingTool t, const std::string& path, std::optional<uint32_t> build = {}) const
    {
        const std::string key = SiblingRecordKey(t);
        qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "EXE", path + "/tool.exe");
        qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "Path", path);
        if (build)
            qm::WriteRegDword(qm::HKEY_LOCAL_MACHINE, key, "Build", *build);
    }
    // Opens the chooser, checks what it shows and presses play.
    void expectPlay(const std::string& path, const char* text, bool enabled, const Args& args,
                    const QString& modLine = {})
    {
        SCOPED_TRACE(path);
        CVppActionDlg dlg(path);
        EXPECT_EQ(dlg.playButton()->text(), QString::fromLatin1(text));
        EXPECT_EQ(dlg.playButton()->isEnabled(), enabled);
        EXPECT_EQ(dlg.modLine()->text(), modLine);
        EXPECT_EQ(dlg.fileLine()->text().toStdString(), path.substr(path.rfind('/') + 1));
        const size_t before = recorder.requests().size();
        dlg.show();
        QTest::mouseClick(dlg.playButton(), Qt::LeftButton);
        if (!enabled) {
            EXPECT_EQ(recorder.requests().size(), before);
            EXPECT_EQ(dlg.choice(), CVppActionDlg::Choice::None);
            return;
        }
        ASSERT_EQ(recorder.requests().size(), before + 1);
        const qm::ProcessStartRequest& r = recorder.requests().back();
        EXPECT_EQ(r.program, dlg.state().gameFolder + "rf.exe");
        EXPECT_EQ(r.workingFolder, dlg.state().gameFolder);
        EXPECT_EQ(r.arguments, args);
        EXPECT_EQ(dlg.choice(), CVppActionDlg::Choice::Play);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }

    qm::RecordingProcessStarter recorder;
    qm::ScopedProcessStarter guard{&recorder};
};

TEST_F(ChooserTest, LevelInUserMapsPlaysInAnyLetterCase)
{
    // The game's own folders spelled differently from the rule's lower case.
    install(world.root() + "/RF Caps");
    world.writeFile("RF Caps/rf.exe", "#!/bin/sh\n"); // runs without Wine
    const std::string vpp = level("RF Caps/USER_MAPS/Single/Glass House.vpp", "The Glass House");
    expectPlay(vpp, kPlayLevelText, true, {"-level", "Glass", "House"});
    expectPlay(level("RF Caps/User_Maps/MULTI/ctf.vpp"), kPlayLevelText, true, {"-level", "ctf"});

    CVppActionDlg dlg(vpp);
    EXPECT_EQ(dlg.levelLine()->text(), QStringLiteral("The Glass House by Me"));
    EXPECT_EQ(dlg.state().gameFolder, world.root() + "/RF Caps/");
}

TEST_F(ChooserTest, LevelBelowUserMapsOrTwoFoldersBelowModsCannotPlay)
{
    expectPlay(level("Red Faction/user_maps/single/sub/lvl.vpp"), kPlayNotInUserMapsText, false,
               {});
    // The rest after mods/ holds a separator: no MOD.
    expectPlay(level("Red Faction/mods/mymod/sub/lvl.vpp"), kPlayNotInUserMapsText, false, {});
    expectPlay(noLevel("Red Faction/mods/mymod/sub/tex.vpp"), kPlayNothingText, false, {});
    // Not even a level, nowhere special.
    expectPlay(noLevel("elsewhere/tex.vpp"), kPlayNothingText, false, {});
}

TEST_F(ChooserTest, ModFolderStartsTheModWithOrWithoutItsLevel)
{
    const std::string reb01 = game + "mods/Rebellion/reb01.vpp";
    expectPlay(reb01, kPlayModLevelText, true, {"-MOD", "rebellion", "-level", "reb01"},
               QStringLiteral("MOD: rebellion"));
    EXPECT_EQ(CVppActionDlg(reb01).levelLine()->text(),
              QStringLiteral("Rebellion: The Docks by Rebellion Team"));

    const std::string tex = noLevel("Red Faction/Mods/MyMod/textures.vpp");
    expectPlay(tex, kPlayModText, true, {"-MOD", "mymod"}, QStringLiteral("MOD: mymod"));
    EXPECT_EQ(CVppActionDlg(tex).levelLine()->text(), QString());
}

TEST_F(ChooserTest, RelativePathIsTakenFromTheCurrentFolder)
{
    // A tool starts in its own folder, so it must get the packfile's full path.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(game + "user_maps")));
    const std::string full = game + "user_maps/single/Glass House.vpp";
    CVppActionDlg dlg("single/Glass House.vpp");
    QDir::setCurrent(before);
    EXPECT_EQ(dlg.state().path, full);
    EXPECT_TRUE(dlg.playButton()->isEnabled());
}

TEST_F(ChooserTest, PackfileDirectlyInModsBelongsToNoMod)
{
    // An empty MOD name would start the game with a bare "-level ".
    expectPlay(level("Red Faction/mods/lvl.vpp"), kPlayNotInUserMapsText, false, {});
    expectPlay(noLevel("Red Faction/mods/tex.vpp"), kPlayNothingText, false, {});
}

TEST_F(ChooserTest, SiblingButtonsFollowTheChooserGate)
{
    const std::string vpp = game + "user_maps/single/Glass House.vpp";
    const auto buttons = [&] {
        CVppActionDlg dlg(vpp);
        return std::pair(dlg.viewButton()->isEnabled(), dlg.editButton()->isEnabled());
    };
    EXPECT_EQ(buttons(), std::pair(false, false));
    const std::string peek = world.makeDir("PACKPEEK32");
    tool(SiblingTool::PackPeek, peek); // no "Build": too old for the chooser
    EXPECT_EQ(buttons(), std::pair(false, false));
    tool(SiblingTool::PackPeek, peek, 104);
    EXPECT_EQ(buttons(), std::pair(false, false));
    tool(SiblingTool::PackPeek, peek, 105);
    const std::string forge = world.makeDir("PACKFORGE32");
    tool(SiblingTool::PackForge, forge);
    EXPECT_EQ(buttons(), std::pair(true, true));

    for (bool view : {true, false}) {
        CVppActionDlg dlg(vpp);
        dlg.show();
        QTest::mouseClick(view ? dlg.viewButton() : dlg.editButton(), Qt::LeftButton);
        EXPECT_EQ(dlg.choice(), view ? CVppActionDlg::Choice::View : CVppActionDlg::Choice::Edit);
        const std::string dir = view ? peek : forge;
        EXPECT_EQ(recorder.requests().back(),
                  (qm::ProcessStartRequest{dir + "/tool.exe", {vpp}, dir, {}}));
    }
    EXPECT_EQ(recorder.requests().size(), 2u);
}

TEST_F(ChooserTest, CancelAndEscapeStartNothing)
{
    for (bool escape : {false, true}) {
        CVppActionDlg dlg(game + "user_maps/single/Glass House.vpp");
        dlg.show();
        if (escape)
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            QTest::mouseClick(dlg.cancelButton(), Qt::LeftButton);
        EXPECT_EQ(dlg.choice(), CVppActionDlg::Choice::Cancel);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(dlg.isVisible());
    }
    EXPECT_TRUE(recorder.requests().empty());
}

TEST_F(ChooserTest, CommandLinePackfilePlaysAndTheLauncherEnds)
{
    CPLAYDECK32App launcher;
    launcher.setExecutablePath(programPath());
    WhenChooserShows([](CVppActionDlg& dlg) { dlg.playButton()->click(); });
    const std::string vpp = game + "mods/Zombie Mode/zm_Lab.vpp";
    EXPECT_FALSE(launcher.InitInstance({'"' + vpp + '"'}));
    EXPECT_EQ(launcher.exitCode(), 0);
    EXPECT_EQ(launcher.mainFrame(), nullptr);
    ASSERT_EQ(recorder.requests().size(), 1u);
    EXPECT_EQ(recorder.requests()[0].arguments,
              (Args{"-MOD", "zombie", "mode", "-level", "zm_Lab"}));
}

// Size and placement in the template's dialog units; with QM_SCREENSHOT_DIR
// set the picture is saved there (docs/playdeck32-chooser.png is made so).
TEST_F(ChooserTest, LayoutFitsTheTemplateAndTheLongestPlayText)
{
    tool(SiblingTool::PackPeek, world.makeDir("PACKPEEK32"), 108);
    CVppActionDlg dlg(game + "mods/Rebellion/reb01.vpp");
    EXPECT_EQ(dlg.size(), qm::ui::DialogUnitsToPixels({217, 139}));
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowTitleHint);
    const QRect inside = dlg.rect();
    std::vector<QWidget*> parts{dlg.playButton(),   dlg.viewButton(), dlg.editButton(),
                                dlg.cancelButton(), dlg.modLine(),    dlg.levelLine(),
                                dlg.fileLine()};
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(inside.contains(parts[i]->geometry())) << i;
        for (size_t j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE(parts[i]->geometry().intersects(parts[j]->geometry())) << i << " " << j;
    }
    // The longest play text, wrapped beside the picture, fits its button.
    const QPushButton* play = dlg.playButton();
    const int textWidth = play->width() - 3 * 8 - play->iconSize().width();
    const QRect needed = QFontMetrics(play->font())
                             .boundingRect(QRect(0, 0, textWidth, 1000), Qt::TextWordWrap,
                                           QString::fromLatin1(kPlayNothingText));
    EXPECT_LE(needed.height(), play->height() - 8);

    if (const char* dir = std::getenv("QM_SCREENSHOT_DIR")) {
        dlg.show();
        EXPECT_TRUE(dlg.grab().save(QString::fromLocal8Bit(dir) + "/playdeck32-chooser.png"));
    }
}

} // namespace
} // namespace playdeck::test
