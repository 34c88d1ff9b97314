// A level made on Windows: "Café Crème" by "Ñando", Windows-1252 bytes in the
// level file and in the packfile's file name. Shown readably, passed on
// byte-exact. Also run under LANG=C and a UTF-8 locale (see CMakeLists.txt).
#include "demo/demo_game/packfile_builder.h"
#include "launcher/ui/options_dlg.h"
#include "launcher/ui/shortcut_wizard_dlg.h"
#include "launcher_fixture.h"
#include "platform/process_start.h"
#include "support/desktop_entry.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace playdeck::test {
namespace {

using Args = std::vector<std::string>;

const std::string kCafe = "Caf\xE9 Cr\xE8me";
const QString kCafeShown = QStringLiteral("Caf\u00E9 Cr\u00E8me");

class TextBytesUi : public LauncherTest {
protected:
    void SetUp() override
    {
        LauncherTest::SetUp();
        setDword("AutoClose", 0);
        qm::demo::WriteBytes(game + "user_maps/single/" + kCafe + ".vpp",
                             qm::demo::BuildVpp({{kCafe + ".rfl",
                                                  qm::demo::BuildRfl(kCafe,
                                                                     "\xD1"
                                                                     "ando",
                                                                     "2001"),
                                                  {}}}));
    }
    // The stand-in game's record of its one start ("" after 5 s).
    std::string awaitLaunch() const
    {
        const std::string log = game + "rf_launch.log";
        for (int i = 0; i < 500; ++i) {
            const std::string text = qm::test::readFileBytes(log);
            if (text.ends_with("end\n"))
                return text;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "";
    }
    // With QM_SCREENSHOT_DIR set, the widget is saved there as name.
    static void screenshot(QWidget* w, const char* name)
    {
        if (const char* dir = std::getenv("QM_SCREENSHOT_DIR")) {
            EXPECT_TRUE(w->grab().save(QString::fromUtf8(dir) + "/" + QString::fromUtf8(name)));
        }
    }
    std::string launchRecord(const std::string& args) const
    {
        return "launch\ncwd " + game.substr(0, game.size() - 1) + "\n" + args + "end\n";
    }

    // Forwarded to the real starter: the stand-in rf.exe records its argv.
    qm::RecordingProcessStarter recorder{true};
    qm::ScopedProcessStarter guard{&recorder};
};

TEST_F(TextBytesUi, ListShowsTheNamesReadablyAndPlayPassesTheFilesOwnBytes)
{
    ASSERT_NE(start(), nullptr);
    const int row = rowOf(kCafeShown + QStringLiteral(".vpp\t"));
    ASSERT_GE(row, 0) << rows().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows()[row], kCafeShown + QStringLiteral(".vpp\t") + kCafeShown +
                               QStringLiteral("\t\u00D1ando\t2001"));
    select({row});
    screenshot(frame, "text-main-list.png");
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(awaitLaunch(), launchRecord("arg -level\narg Caf\xE9\narg Cr\xE8me\n"));
}

TEST_F(TextBytesUi, CommandLinePathWithE9OpensTheChooserThatPlaysIt)
{
    install(game);
    CPLAYDECK32App launcher;
    launcher.setExecutablePath(programPath());
    QString file, level;
    WhenChooserShows([&](CVppActionDlg& dlg) {
        file = dlg.fileLine()->text();
        level = dlg.levelLine()->text();
        screenshot(&dlg, "text-chooser.png");
        dlg.playButton()->click();
    });
    const std::string vpp = game + "user_maps/single/" + kCafe + ".vpp";
    EXPECT_FALSE(launcher.InitInstance({'"' + vpp + '"'}));
    EXPECT_EQ(launcher.chooserFile(), vpp);
    EXPECT_EQ(file, kCafeShown + QStringLiteral(".vpp"));
    EXPECT_EQ(level, kCafeShown + QStringLiteral(" by \u00D1ando"));
    EXPECT_EQ(awaitLaunch(), launchRecord("arg -level\narg Caf\xE9\narg Cr\xE8me\n"));
}

TEST_F(TextBytesUi, OptionsOkKeepsUneditedBytesAndWritesEditsAsUtf8)
{
    const auto stored = [](const char* name) {
        return qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, "<missing>");
    };
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "DefaultShortcutName_MODs",
                       "%m (Caf\xE9 MOD)");
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "DefaultShortcutName_Levels",
                       "%n (Caf\xC3\xA9)");
    qm::WriteRegString(qm::HKEY_CURRENT_USER, kGameRegistryKey, "CmdLineOptions",
                       "-name \xD1"
                       "ando");
    {
        COptionsDlg d;
        auto* mods = d.findChild<QLineEdit*>(QStringLiteral("nameModsEdit"));
        EXPECT_EQ(mods->text(), QStringLiteral("%m (Caf\u00E9 MOD)"));
        EXPECT_EQ(d.switchesEdit()->text(), QStringLiteral("-name \u00D1ando"));
        d.show();
        screenshot(&d, "text-options.png");
        d.okButton()->click();
    }
    EXPECT_EQ(stored("DefaultShortcutName_MODs"), "%m (Caf\xE9 MOD)");
    EXPECT_EQ(stored("DefaultShortcutName_Levels"), "%n (Caf\xC3\xA9)");
    EXPECT_EQ(stored("CommandLineSwitches"), "-name \xD1"
                                             "ando");
    {
        COptionsDlg d;
        auto* mods = d.findChild<QLineEdit*>(QStringLiteral("nameModsEdit"));
        mods->setFocus();
        QTest::keyClick(mods, Qt::Key_End);
        QTest::keyClicks(mods, QStringLiteral("!"));
        d.okButton()->click();
    }
    EXPECT_EQ(stored("DefaultShortcutName_MODs"), "%m (Caf\xC3\xA9 MOD)!");
}

TEST_F(TextBytesUi, WizardShortcutKeepsTheFileNameAndGivesWineUtf8Arguments)
{
    // The game as a Windows program, with wine to run it.
    std::filesystem::remove(game + "rf.exe");
    qm::demo::WriteBytes(game + "rf.exe", "MZ\x90");
    world.writeProgram("bin/wine", "#!/bin/sh\n");
    world.setEnv("PATH", world.root() + "/bin:/usr/bin:/bin");
    qm::ui::MessageBox::setAutoAnswer(true);
    ASSERT_NE(start(), nullptr);
    select({rowOf(kCafeShown + QStringLiteral(".vpp\t"))});
    const bool seen = driveCommandDialog<CShortcutWizardDlg>(
        CommandId::LevelCreateShortcut, [&](CShortcutWizardDlg& d) {
            EXPECT_EQ(d.nameEdit()->text(), kCafeShown + QStringLiteral(" (Red Faction Level)"));
            d.locationButton(ShortcutLocation::Desktop)->click();
            screenshot(&d, "text-wizard.png");
            d.finishButton()->click();
        });
    qm::ui::MessageBox::setAutoAnswer(false);
    ASSERT_TRUE(seen);
    // The unedited name keeps its bytes in the file name; inside, all is UTF-8.
    const std::string path = world.desktop() + "/" + kCafe + " (Red Faction Level).desktop";
    const std::string text = qm::test::readFileBytes(path);
    ASSERT_FALSE(text.empty()) << path;
    EXPECT_EQ(qm::test::DesktopEntryValue(text, "Name"),
              "Caf\xC3\xA9 Cr\xC3\xA8me (Red Faction Level)");
    const auto exec = qm::test::SplitDesktopExec(*qm::test::DesktopEntryValue(text, "Exec"));
    ASSERT_TRUE(exec);
    EXPECT_EQ(Args(exec->end() - 4, exec->end()),
              (Args{game + "rf.exe", "-level", "Caf\xC3\xA9", "Cr\xC3\xA8me"}));
}

} // namespace
} // namespace playdeck::test
