#include "launcher/ui/shortcut_wizard_dlg.h"
#include "launcher_fixture.h"
#include "support/desktop_entry.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace playdeck::test {
namespace {

using Strings = std::vector<std::string>;
using Loc = ShortcutLocation;

class ShortcutWizardTest : public LauncherTest {
protected:
    void SetUp() override
    {
        LauncherTest::SetUp();
        install(game);
        // An unexpected error box answers itself instead of blocking the test.
        qm::ui::MessageBox::setAutoAnswer(true);
    }
    void TearDown() override
    {
        qm::ui::MessageBox::setAutoAnswer(false);
        LauncherTest::TearDown();
    }
    static bool exists(const std::string& path)
    {
        return QFileInfo::exists(QString::fromStdString(path));
    }
    // Checks a written shortcut: clean for desktop-file-validate, and its
    // Exec line gives back the game followed by the launch arguments (a
    // runner may stand in front).
    void expectShortcut(const std::string& path, const Strings& arguments) const
    {
        ASSERT_TRUE(exists(path)) << path;
        EXPECT_EQ(qm::test::ValidateDesktopFile(path), "") << path;
        const auto value = qm::test::DesktopEntryValue(qm::test::readFileBytes(path), "Exec");
        ASSERT_TRUE(value) << path;
        const auto exec = qm::test::SplitDesktopExec(*value);
        ASSERT_TRUE(exec) << *value;
        Strings tail{game + "rf.exe"};
        tail.insert(tail.end(), arguments.begin(), arguments.end());
        ASSERT_GE(exec->size(), tail.size()) << *value;
        EXPECT_EQ(Strings(exec->end() - static_cast<long>(tail.size()), exec->end()), tail);
    }
    // Runs the wizard the list's command opens for the selected row.
    bool runCommand(const std::function<void(CShortcutWizardDlg&)>& drive) const
    {
        return driveCommandDialog(CommandId::LevelCreateShortcut, drive);
    }
    static void choose(CShortcutWizardDlg& d, Loc location) { d.locationButton(location)->click(); }
    static void typeInto(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
};

TEST_F(ShortcutWizardTest, LevelRowProposesItsNameAndFinishWritesTheDesktopShortcut)
{
    ASSERT_NE(start(), nullptr);
    select({rowOf(QStringLiteral("Glass House.vpp\t"))});
    QString proposed;
    bool finishedClosed = false;
    ASSERT_TRUE(runCommand([&](CShortcutWizardDlg& d) {
        proposed = d.nameEdit()->text();
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Quorvel Manager PLAYDECK32"));
        EXPECT_FALSE(d.backButton()->isEnabled());
        EXPECT_FALSE(d.finishButton()->isEnabled()); // no location yet
        EXPECT_FALSE(d.directoryEdit()->isEnabled());
        EXPECT_TRUE(d.profileGroup()->isHidden());
        choose(d, Loc::Desktop);
        EXPECT_EQ(d.directoryEdit()->text().toStdString(), world.desktop());
        EXPECT_TRUE(d.finishButton()->isEnabled());
        d.finishButton()->click();
        finishedClosed = !d.isVisible() && d.result() == QDialog::Accepted;
    }));
    EXPECT_EQ(proposed, QStringLiteral("The Glass House (Red Faction Level)"));
    EXPECT_TRUE(finishedClosed);
    expectShortcut(world.desktop() + "/The Glass House (Red Faction Level).desktop",
                   {"-level", "Glass", "House"});
}

TEST_F(ShortcutWizardTest, ModRowsMakeModShortcutsInTheStartMenuGroup)
{
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "CommandLineSwitches", "-window");
    ASSERT_NE(start(), nullptr);
    frame->action(CommandId::ViewMods)->trigger();
    const std::string group = world.dataHome() + "/applications/Red Faction Levels";
    ASSERT_FALSE(exists(group));

    select({rowOf(QStringLiteral("Rebellion\tReb02 Mines.vpp\t"))});
    ASSERT_TRUE(runCommand([&](CShortcutWizardDlg& d) {
        EXPECT_EQ(
            d.nameEdit()->text(),
            QStringLiteral("Rebellion: The Mines with MOD Rebellion (Red Faction MOD+Level)"));
        choose(d, Loc::StartMenu);
        EXPECT_EQ(d.directoryEdit()->text().toStdString(), group);
        typeInto(d.nameEdit(), QStringLiteral("Mines"));
        d.finishButton()->click();
    }));
    // The group folder is the last level: Finish made it.
    expectShortcut(group + "/Mines.desktop",
                   {"-window", "-mod", "Rebellion", "-level", "Reb02", "Mines"});

    select({rowOf(QStringLiteral("Zombie Mode\t\t"))});
    ASSERT_TRUE(runCommand([&](CShortcutWizardDlg& d) {
        EXPECT_EQ(d.nameEdit()->text(), QStringLiteral("Zombie Mode (Red Faction MOD)"));
        choose(d, Loc::StartMenu);
        d.finishButton()->click();
    }));
    expectShortcut(group + "/Zombie Mode (Red Faction MOD).desktop",
                   {"-window", "-mod", "Zombie", "Mode"});
}

TEST_F(ShortcutWizardTest, NameTypedWithTheExtensionGetsASecondOne)
{
    CShortcutWizardDlg d({"glass house", "Glass House", "", false});
    choose(d, Loc::Desktop);
    typeInto(d.nameEdit(), QStringLiteral("abc.desktop"));
    d.finishButton()->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(exists(world.desktop() + "/abc.desktop"));
    expectShortcut(world.desktop() + "/abc.desktop.desktop", {"-level", "glass", "house"});
}

TEST_F(ShortcutWizardTest, LocationsWithoutAFolderLeaveFinishDisabled)
{
    CShortcutWizardDlg d({"glass house", "Glass House", "", false});
    d.show();
    // The quick launch bar has no folder here: the radio works, Finish waits.
    choose(d, Loc::QuickLaunch);
    EXPECT_TRUE(d.locationButton(Loc::QuickLaunch)->isChecked());
    EXPECT_TRUE(d.profileGroup()->isHidden());
    EXPECT_TRUE(d.directoryEdit()->isEnabled());
    EXPECT_EQ(d.directoryEdit()->text(), QString());
    EXPECT_FALSE(d.finishButton()->isEnabled());
    // A typed folder makes it usable.
    QTest::keyClicks(d.directoryEdit(), QString::fromStdString(world.home()));
    EXPECT_TRUE(d.finishButton()->isEnabled());

    // Going from a location with a folder to one without empties the edit.
    choose(d, Loc::Desktop);
    EXPECT_TRUE(d.finishButton()->isEnabled());
    choose(d, Loc::QuickLaunch);
    EXPECT_FALSE(d.finishButton()->isEnabled());

    // Emptying the directory by hand disables Finish too.
    choose(d, Loc::Desktop);
    typeInto(d.directoryEdit(), QString());
    EXPECT_FALSE(d.finishButton()->isEnabled());
    QTest::keyClick(d.directoryEdit(), Qt::Key_Return); // the default button does nothing
    EXPECT_TRUE(d.isVisible());

    // All-users folders are empty here: the profile choice never shows.
    for (int i = 0; i < kShortcutLocationCount; ++i) {
        choose(d, static_cast<Loc>(i));
        EXPECT_TRUE(d.profileGroup()->isHidden()) << i;
    }
}

TEST_F(ShortcutWizardTest, SomewhereElseProposesTheLastFolderElseHome)
{
    {
        CShortcutWizardDlg d({"x1", "X One", "", false});
        choose(d, Loc::Elsewhere);
        EXPECT_EQ(d.directoryEdit()->text().toStdString(), world.home());
    }
    const std::string last = world.makeDir("my links");
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastCreateShortcutFolder", last);
    CShortcutWizardDlg d({"x1", "X One", "", false});
    choose(d, Loc::Elsewhere);
    EXPECT_EQ(d.directoryEdit()->text().toStdString(), last);
    d.finishButton()->click();
    expectShortcut(last + "/X One (Red Faction Level).desktop", {"-level", "x1"});
}

TEST_F(ShortcutWizardTest, FailedSaveAsksRetryAndKeepsTheInput)
{
    CShortcutWizardDlg d({"glass house", "Glass House", "", false});
    d.show();
    choose(d, Loc::Elsewhere);
    // Two missing levels: only the last is created, so the save fails.
    const QString bad = QString::fromStdString(world.root() + "/missing/links");
    typeInto(d.directoryEdit(), bad);
    typeInto(d.nameEdit(), QStringLiteral("Mine"));
    qm::ui::MessageBox::setNextAnswer(QMessageBox::Retry);
    d.finishButton()->click();
    ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u);
    const auto& box = qm::ui::MessageBox::history()[0];
    EXPECT_EQ(box.caption, QStringLiteral("Error creating shortuct"));
    EXPECT_EQ(box.text,
              QStringLiteral("Failed to create shortcut. Test if\n"
                             "a) The filename is valid and does not contain any : / \\ ... "
                             "characters.\n"
                             "b) The directory you specified is valid and exists.\n"
                             "c) You have write permissions to write to that directory (on "
                             "WinNT/2000/XP)."));
    EXPECT_EQ(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
    // Retry: the wizard stays with what was typed.
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.directoryEdit()->text(), bad);
    EXPECT_EQ(d.nameEdit()->text(), QStringLiteral("Mine"));

    // The parent now exists: Finish again creates the last level and saves.
    world.makeDir("missing");
    d.finishButton()->click();
    EXPECT_EQ(qm::ui::MessageBox::history().size(), 1u);
    EXPECT_FALSE(d.isVisible());
    expectShortcut(bad.toStdString() + "/Mine.desktop", {"-level", "glass", "house"});
}

TEST_F(ShortcutWizardTest, FailedSaveThenCancelClosesWithoutWriting)
{
    CShortcutWizardDlg d({"glass house", "Glass House", "", false});
    d.show();
    choose(d, Loc::Desktop);
    typeInto(d.nameEdit(), QStringLiteral("a/b")); // not a file name
    qm::ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
    d.finishButton()->click();
    EXPECT_EQ(qm::ui::MessageBox::history().size(), 1u);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_TRUE(QDir(QString::fromStdString(world.desktop())).isEmpty());
}

TEST_F(ShortcutWizardTest, RowsThatCannotMakeAShortcutOpenNothing)
{
    ASSERT_NE(start(), nullptr);
    select({0, 1});
    EXPECT_FALSE(frame->action(CommandId::LevelCreateShortcut)->isEnabled());
    EXPECT_FALSE(view->CreateShortcutToSelected());
    select({});
    EXPECT_FALSE(view->CreateShortcutToSelected());
}

} // namespace
} // namespace playdeck::test
