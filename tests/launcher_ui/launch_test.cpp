#include "common/qt_text.h"
#include "demo/demo_game/packfile_builder.h"
#include "launcher/ui/launch_cmd.h"
#include "launcher_fixture.h"
#include "platform/process_start.h"

#include <QFile>
#include <QTest>
#include <QToolBar>

namespace playdeck::test {
namespace {

// Message boxes answer themselves while it lives.
struct AutoAnswer {
    AutoAnswer() { qm::ui::MessageBox::setAutoAnswer(true); }
    ~AutoAnswer() { qm::ui::MessageBox::setAutoAnswer(false); }
};

class LaunchTest : public LauncherTest {
protected:
    void SetUp() override
    {
        LauncherTest::SetUp();
        setDword("AutoClose", 0);
    }
    std::vector<std::string> args(size_t i = 0) const
    {
        return i < recorder.requests().size() ? recorder.requests()[i].arguments
                                              : std::vector<std::string>{"<no start>"};
    }
    void clickRow(int row, bool twice) const
    {
        const QPoint at = view->visualRect(view->levelModel()->index(row, 1)).center();
        if (twice)
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    // Return on the first level where its start is refused: the user is told
    // once, nothing starts, and the window stays even with AutoClose set.
    void expectRefusedLaunch(const std::string& why)
    {
        setDword("AutoClose", 1);
        ASSERT_NE(start(), nullptr);
        select({0});
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_TRUE(frame->isVisible());
        EXPECT_TRUE(recorder.requests().empty());
        ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u);
        EXPECT_EQ(qm::ui::MessageBox::history()[0].text, qm::DisplayText(why));
    }

    qm::RecordingProcessStarter recorder;
    qm::ScopedProcessStarter guard{&recorder};
};

using Args = std::vector<std::string>;

TEST_F(LaunchTest, ReturnDoubleClickAndToolbarStartTheGameWithTheLevel)
{
    ASSERT_NE(start(), nullptr);
    const int glass = rowOf(QStringLiteral("Glass House.vpp\t"));
    // Return on the selected row: the name goes in unquoted, split at its blank.
    clickRow(glass, false);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(recorder.requests().size(), 1u);
    EXPECT_EQ(recorder.requests()[0].program, game + "rf.exe");
    EXPECT_EQ(recorder.requests()[0].workingFolder, game);
    EXPECT_EQ(args(0), (Args{"-level", "Glass", "House"}));

    // Extra switches go in front, followed by one space.
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "CommandLineSwitches",
                       "-window +set r_fullscreen 0");
    clickRow(rowOf(QStringLiteral("LEVEL one.vpp\t")), true);
    EXPECT_EQ(args(1), (Args{"-window", "+set", "r_fullscreen", "0", "-level", "LEVEL", "one"}));

    QTest::mouseClick(frame->toolBar()->widgetForAction(frame->action(CommandId::LevelPlay)),
                      Qt::LeftButton);
    EXPECT_EQ(args(2), args(1));
    QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(args(3), args(1));
    EXPECT_EQ(recorder.requests().size(), 4u);
    EXPECT_TRUE(frame->isVisible()); // "AutoClose" 0
}

// What a player meets first: a selected row under the focus, so Return plays
// at once and the arrows move from it; the level played last is offered
// again at the next start, in each mode.
TEST_F(LaunchTest, KeyboardAloneStartsAndTheLastPlayedLevelIsOfferedAgain)
{
    ASSERT_NE(start(), nullptr);
    EXPECT_TRUE(view->hasFocus());
    EXPECT_EQ(view->GetSingleSelection(), 0);
    QTest::keyClick(view, Qt::Key_Down);
    ASSERT_EQ(view->GetSingleSelection(), 1);
    const std::string second = view->GetItemText(1, 0);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(recorder.requests().size(), 1u);
    EXPECT_EQ(args(0).back() + ".vpp", second.substr(second.rfind(' ') + 1));
    EXPECT_EQ(
        qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastPlayed_Singleplayer", ""),
        second);

    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(view->GetSingleSelection(), 1);
    EXPECT_TRUE(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(args(1), args(0));

    // MOD mode: the MOD and its level together pick the row.
    frame->action(CommandId::ViewMods)->trigger();
    const int reb = rowOf(QStringLiteral("Rebellion\treb01.vpp"));
    select({reb});
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastPlayed_MOD", ""),
              "Rebellion");
    EXPECT_EQ(qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastPlayed_MODLevel", ""),
              "reb01.vpp");
    frame->action(CommandId::ViewSingleplayer)->trigger();
    EXPECT_EQ(view->GetSingleSelection(), 1);
    frame->action(CommandId::ViewMods)->trigger();
    EXPECT_EQ(view->GetSingleSelection(), reb);

    // A level no longer listed: the first row.
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastPlayed_Singleplayer",
                       "gone.vpp");
    frame->action(CommandId::ViewSingleplayer)->trigger();
    EXPECT_EQ(view->GetSingleSelection(), 0);
}

TEST_F(LaunchTest, ModRowsStartTheModAndItsLevel)
{
    setDword("LastMode", 2);
    ASSERT_NE(start(), nullptr);
    select({rowOf(QStringLiteral("Zombie Mode\t\t"))});
    QTest::keyClick(view, Qt::Key_Return);
    select({rowOf(QStringLiteral("Rebellion\treb01.vpp"))});
    QTest::keyClick(view, Qt::Key_Return);
    select({rowOf(QStringLiteral("Zombie Mode\tzm_Lab.vpp"))});
    frame->action(CommandId::LevelPlay)->trigger();
    EXPECT_EQ(args(0), (Args{"-mod", "Zombie", "Mode"}));
    EXPECT_EQ(args(1), (Args{"-mod", "Rebellion", "-level", "reb01"}));
    EXPECT_EQ(args(2), (Args{"-mod", "Zombie", "Mode", "-level", "zm_Lab"}));
}

TEST_F(LaunchTest, NothingStartsWithoutExactlyOneRowOrWhenDoubleClickIsOff)
{
    ASSERT_NE(start(), nullptr);
    select({0, 1});
    QTest::keyClick(view, Qt::Key_Return);
    view->LaunchSelected();
    EXPECT_TRUE(recorder.requests().empty());

    setDword("DoubleClick_LaunchLevel", 0);
    clickRow(0, false);
    clickRow(0, true);
    EXPECT_TRUE(recorder.requests().empty());
    EXPECT_EQ(view->GetSingleSelection(), 0);
    setDword("DoubleClick_LaunchLevel", 1);
    clickRow(0, true);
    EXPECT_EQ(recorder.requests().size(), 1u);
}

TEST_F(LaunchTest, AutoCloseOnlyWhenExactlyOne)
{
    for (uint32_t value : {0u, 2u, 1u}) {
        SCOPED_TRACE(value);
        setDword("AutoClose", value);
        ASSERT_NE(start(), nullptr);
        select({0});
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_EQ(frame->isVisible(), value != 1);
    }
    // A failed start closes all the same.
    recorder.setResult(false);
    ASSERT_NE(start(), nullptr);
    select({0});
    frame->action(CommandId::LevelPlay)->trigger();
    EXPECT_FALSE(frame->isVisible());
    // Default: on.
    qm::RegistryStore().deleteValue(qm::HKEY_CURRENT_USER, qm::SettingsKey, "AutoClose");
    ASSERT_NE(start(), nullptr);
    select({0});
    frame->action(CommandId::LevelPlay)->trigger();
    EXPECT_FALSE(frame->isVisible());
}

// A Windows rf.exe with no Wine or Proton anywhere: the user is told, nothing
// starts, and neither the main window nor the chooser goes away.
TEST_F(LaunchTest, NoRunnerIsToldAndNothingCloses)
{
    qm::demo::WriteBytes(game + "rf.exe", "MZ\x90");
    world.setEnv("PATH", world.makeDir("empty-bin"));
    const AutoAnswer autoAnswer;
    ASSERT_NO_FATAL_FAILURE(expectRefusedLaunch(LaunchErrorText(LaunchResult::NoRunner, "")));
    EXPECT_EQ(qm::ui::MessageBox::history()[0].caption, QString::fromLatin1(kLauncherTitle));

    const std::string vpp = game + "user_maps/single/Glass House.vpp";
    CVppActionDlg dlg(vpp);
    dlg.show();
    QTest::mouseClick(dlg.playButton(), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.choice(), CVppActionDlg::Choice::None);
    EXPECT_EQ(qm::ui::MessageBox::history().size(), 2u);
    EXPECT_TRUE(recorder.requests().empty());
}

// A 32-bit rf.exe and a Wine without its i386 half (Debian's wine64 alone):
// the message names what to install and the log, nothing starts, nothing closes.
TEST_F(LaunchTest, WineWithout32BitIsToldAndNothingCloses)
{
    std::string pe(0x48, '\0');
    pe.replace(0, 2, "MZ");
    pe[0x3c] = 0x40;
    pe.replace(0x40, 6, std::string("PE\0\0\x4c\x01", 6));
    qm::demo::WriteBytes(game + "rf.exe", pe);
    const std::string bin = world.makeDir("usr/bin");
    const std::string wine = world.writeFile("usr/bin/wine", "#!/bin/sh\n");
    QFile::setPermissions(QString::fromStdString(wine), QFile::ReadOwner | QFile::ExeOwner);
    world.setEnv("PATH", bin);
    const AutoAnswer autoAnswer;
    ASSERT_NO_FATAL_FAILURE(
        expectRefusedLaunch(LaunchErrorText(LaunchResult::WineLacks32Bit, wine)));
    EXPECT_TRUE(qm::ui::MessageBox::history()[0].text.contains(QStringLiteral("wine32:i386")));
}

// File names are bytes: one that is not UTF-8 is shown as Windows-1252, and
// the game still gets the name as it is on disk.
TEST_F(LaunchTest, NamesReachTheGameByteForByte)
{
    const std::string name = "Caf\xE9 Noir";
    qm::demo::WriteBytes(
        game + "user_maps/single/" + name + ".vpp",
        qm::demo::BuildVpp(
            {{"caf\xE9 noir.rfl", qm::demo::BuildRfl("Caf\xE9", "Me", "2001"), {}}}));
    ASSERT_NE(start(), nullptr);
    const int row = rowOf(QStringLiteral("Caf\u00E9 Noir.vpp"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(view->GetItemText(row, 0), name + ".vpp");
    select({row});
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(args(0), (Args{"-level", "Caf\xE9", "Noir"}));
}

// The real process start: the stand-in game records how it was started.
TEST_F(LauncherTest, TheStandInGameSeesTheLevelAndTheGameFolder)
{
    setDword("AutoClose", 0);
    ASSERT_NE(start(), nullptr);
    select({rowOf(QStringLiteral("sp_Tower Climb.vpp\t"))});
    QTest::keyClick(view, Qt::Key_Return);
    const std::string log = game + "rf_launch.log";
    QTRY_VERIFY_WITH_TIMEOUT(qm::test::readFileBytes(log).find("end\n") != std::string::npos,
                             10000);
    const std::string real =
        QFileInfo(QString::fromStdString(game)).canonicalFilePath().toStdString();
    EXPECT_EQ(qm::test::readFileBytes(log),
              "launch\ncwd " + real + "\narg -level\narg sp_Tower\narg Climb\nend\n");
}

} // namespace
} // namespace playdeck::test
