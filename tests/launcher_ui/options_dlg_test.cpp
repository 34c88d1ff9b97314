#include "launcher/options.h"
#include "launcher/ui/options_dlg.h"
#include "launcher_fixture.h"
#include "platform/process_start.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace playdeck::test {
namespace {

constexpr const char* kMissing = "<missing>";

// The settings OK stores: five texts, five on/off settings that the tests
// set alike, the inverted XP-style one, and the runner where it is shown.
struct StoredOptions {
    std::string switches, programGroup, nameLevels, nameMods, nameModLevels;
    uint32_t flags;
    std::string gameRunner;
};

class OptionsDlgTest : public LauncherTest {
protected:
    std::string str(const char* name) const
    {
        return qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, kMissing);
    }
    void expectStored(const StoredOptions& o) const
    {
        EXPECT_EQ(str("CommandLineSwitches"), o.switches);
        EXPECT_EQ(str("CreateShortcut_ProgramGroup"), o.programGroup);
        EXPECT_EQ(str("DefaultShortcutName_Levels"), o.nameLevels);
        EXPECT_EQ(str("DefaultShortcutName_MODs"), o.nameMods);
        EXPECT_EQ(str("DefaultShortcutName_MODLevels"), o.nameModLevels);
        for (const char* name :
             {"AutoClose", "CreateShortcut_ProgramGroup_ProgramsMenu", "DoubleClick_LaunchLevel",
              "CommandLineSwitches_AsInLauncher", "AssignVPP"})
            EXPECT_EQ(dword(name), o.flags) << name;
        EXPECT_EQ(dword("DisableXPMenuStyle"), 1u - o.flags);
        if (COptionsDlg::showsGameRunner()) {
            EXPECT_EQ(str("GameRunner"), o.gameRunner);
        }
    }
    void setStr(const char* name, const std::string& value) const
    {
        qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, value);
    }
    static void setGameLauncherSwitches(const std::string& value)
    {
        qm::WriteRegString(qm::HKEY_CURRENT_USER, kGameRegistryKey, "CmdLineOptions", value);
    }
    static QLineEdit* edit(const COptionsDlg& d, const char* name)
    {
        return d.findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    static QCheckBox* check(const COptionsDlg& d, const char* name)
    {
        return d.findChild<QCheckBox*>(QString::fromLatin1(name));
    }
};

TEST_F(OptionsDlgTest, NothingStoredShowsTheDefaultsAndTheGameLaunchersSwitches)
{
    {
        COptionsDlg d;
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Options"));
        EXPECT_EQ(edit(d, "programGroupEdit")->text(), QStringLiteral("Red Faction Levels"));
        EXPECT_EQ(edit(d, "nameLevelsEdit")->text(), QStringLiteral("%n (Red Faction Level)"));
        EXPECT_EQ(edit(d, "nameModsEdit")->text(), QStringLiteral("%m (Red Faction MOD)"));
        EXPECT_EQ(edit(d, "nameModLevelsEdit")->text(),
                  QStringLiteral("%n with MOD %m (Red Faction MOD+Level)"));
        for (const char* name :
             {"switchesAsInLauncherCheck", "programsMenuCheck", "doubleClickCheck",
              "autoCloseCheck", "xpStyleCheck", "assignVppCheck"})
            EXPECT_TRUE(check(d, name)->isChecked()) << name;
        // Checked "Use setting in Red Faction Launcher": disabled, the game's (empty) string.
        EXPECT_FALSE(d.switchesEdit()->isEnabled());
        EXPECT_EQ(d.switchesEdit()->text(), QString());
        if (COptionsDlg::showsGameRunner()) {
            EXPECT_EQ(edit(d, "gameRunnerEdit")->text(), QString());
        }
    }
    setGameLauncherSwitches("-nosound -window");
    setStr("CommandLineSwitches", "-old");
    COptionsDlg d;
    EXPECT_EQ(d.switchesEdit()->text(), QStringLiteral("-nosound -window"));
}

TEST_F(OptionsDlgTest, OkWritesEverySettingEvenUnchanged)
{
    setGameLauncherSwitches("-window");
    {
        COptionsDlg d;
        d.okButton()->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    // The switches are the copied game launcher string.
    expectStored({"-window", "Red Faction Levels", "%n (Red Faction Level)", "%m (Red Faction MOD)",
                  "%n with MOD %m (Red Faction MOD+Level)", 1u, ""});

    // Every control reaches its own setting; the XP-style box is inverted.
    {
        COptionsDlg d;
        check(d, "switchesAsInLauncherCheck")->click();
        d.switchesEdit()->setText(QStringLiteral("-fast"));
        edit(d, "programGroupEdit")->setText(QStringLiteral("Maps"));
        edit(d, "nameLevelsEdit")->setText(QStringLiteral("L %l"));
        edit(d, "nameModsEdit")->setText(QStringLiteral("M %m"));
        edit(d, "nameModLevelsEdit")->setText(QStringLiteral("ML %m %l"));
        for (const char* name : {"programsMenuCheck", "doubleClickCheck", "autoCloseCheck",
                                 "xpStyleCheck", "assignVppCheck"})
            check(d, name)->click();
        if (COptionsDlg::showsGameRunner())
            edit(d, "gameRunnerEdit")->setText(QStringLiteral("/usr/bin/wine"));
        d.okButton()->click();
    }
    expectStored({"-fast", "Maps", "L %l", "M %m", "ML %m %l", 0u, "/usr/bin/wine"});

    // And the dialog shows the stored values again.
    COptionsDlg again;
    EXPECT_EQ(again.values(), ReadLauncherOptions());
    EXPECT_TRUE(again.switchesEdit()->isEnabled());
    EXPECT_FALSE(check(again, "xpStyleCheck")->isChecked());
}

TEST_F(OptionsDlgTest, CancelWritesNothing)
{
    setGameLauncherSwitches("-window");
    {
        COptionsDlg d;
        edit(d, "programGroupEdit")->setText(QStringLiteral("Changed"));
        check(d, "autoCloseCheck")->click();
        d.cancelButton()->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    for (const char* name :
         {"CommandLineSwitches", "CreateShortcut_ProgramGroup", "DefaultShortcutName_Levels",
          "DefaultShortcutName_MODs", "DefaultShortcutName_MODLevels", "GameRunner"})
        EXPECT_EQ(str(name), kMissing) << name;
    for (const char* name :
         {"AutoClose", "CreateShortcut_ProgramGroup_ProgramsMenu", "DoubleClick_LaunchLevel",
          "CommandLineSwitches_AsInLauncher", "AssignVPP", "DisableXPMenuStyle"})
        EXPECT_EQ(dword(name), 12345u) << name;
}

// A flag stored as 2 shows what its reader does with it, so confirming the
// dialog unchanged keeps the launcher's behaviour.
TEST_F(OptionsDlgTest, FlagsStoredAsTwoKeepTheirMeaningThroughOk)
{
    setDword("AutoClose", 2);               // only 1 closes the launcher
    setDword("DoubleClick_LaunchLevel", 2); // only 1 launches
    setDword("AssignVPP", 2);               // anything but 0 rewrites the association
    setDword("DisableXPMenuStyle", 2);
    {
        COptionsDlg d;
        EXPECT_FALSE(check(d, "autoCloseCheck")->isChecked());
        EXPECT_FALSE(check(d, "doubleClickCheck")->isChecked());
        EXPECT_TRUE(check(d, "assignVppCheck")->isChecked());
        EXPECT_FALSE(check(d, "xpStyleCheck")->isChecked());
        d.okButton()->click();
    }
    EXPECT_EQ(dword("AutoClose"), 0u);
    EXPECT_EQ(dword("DoubleClick_LaunchLevel"), 0u);
    EXPECT_EQ(dword("AssignVPP"), 1u);
    EXPECT_EQ(dword("DisableXPMenuStyle"), 1u);
}

TEST_F(OptionsDlgTest, SwitchesRuleFollowsTheBox)
{
    setGameLauncherSwitches("-window");
    setDword("CommandLineSwitches_AsInLauncher", 0);
    setStr("CommandLineSwitches", "-mine");
    COptionsDlg d;
    QCheckBox* box = d.asInLauncherBox();
    EXPECT_TRUE(d.switchesEdit()->isEnabled());
    EXPECT_EQ(d.switchesEdit()->text(), QStringLiteral("-mine"));

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(d.switchesEdit()->isEnabled());
    EXPECT_EQ(d.switchesEdit()->text(), QStringLiteral("-window"));

    // Unchecking does not bring the earlier text back.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_TRUE(d.switchesEdit()->isEnabled());
    EXPECT_EQ(d.switchesEdit()->text(), QStringLiteral("-window"));
}

TEST_F(OptionsDlgTest, EditsKeepWhatTheSettingsCanReadBack)
{
    const QString longest(kOptionsEditMax, QLatin1Char('x'));
    {
        COptionsDlg d;
        QLineEdit* group = edit(d, "programGroupEdit");
        group->clear();
        QApplication::clipboard()->setText(longest + QStringLiteral("yyyy"));
        group->paste();
        EXPECT_EQ(group->text(), longest); // cut at the limit
        // Characters of two bytes each: the limit holds in bytes, so the
        // second of two more is refused.
        QLineEdit* name = edit(d, "nameLevelsEdit");
        name->setText(QString(kOptionsEditMax / 2 - 1, QChar(0x00e9)));
        for (int i = 0; i < 2; ++i) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString(QChar(0x00e9)));
            QApplication::sendEvent(name, &key);
        }
        EXPECT_EQ(name->text(), QString(kOptionsEditMax / 2, QChar(0x00e9)));
        d.okButton()->click();
    }
    EXPECT_EQ(str("CreateShortcut_ProgramGroup"), longest.toStdString());
    EXPECT_EQ(str("DefaultShortcutName_Levels"),
              QString(kOptionsEditMax / 2, QChar(0x00e9)).toLocal8Bit().toStdString());
}

// The command is wired, and what OK stores is what the next launch uses.
TEST_F(OptionsDlgTest, OptionsCommandChangesTheNextLaunch)
{
    ASSERT_NE(start(), nullptr);
    setDword("AutoClose", 0);
    qm::RecordingProcessStarter recorder;
    qm::ScopedProcessStarter guard(&recorder);
    ASSERT_TRUE(driveCommandDialog<COptionsDlg>(CommandId::ViewOptions, [](COptionsDlg& d) {
        d.asInLauncherBox()->click();
        d.switchesEdit()->setText(QStringLiteral("-window"));
        d.okButton()->click();
    }));
    select({rowOf(QStringLiteral("Glass House.vpp\t"))});
    ASSERT_TRUE(view->LaunchSelected());
    ASSERT_EQ(recorder.requests().size(), 1u);
    EXPECT_EQ(recorder.requests()[0].arguments,
              (std::vector<std::string>{"-window", "-level", "Glass", "House"}));
}

} // namespace
} // namespace playdeck::test
