#include "launcher_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace playdeck::test {
namespace {

bool anyWindowVisible()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            return true;
    return false;
}

TEST_F(LauncherTest, GameMissingShowsTheExactMessageAndNoWindow)
{
    // No "InstallPath", an empty one, and one whose folder has no rf.exe.
    for (const char* path : {"<none>", "", "<game without rf.exe>"}) {
        SCOPED_TRACE(path);
        if (std::string(path) == "<game without rf.exe>") {
            world.makeDir("Empty Game");
            install(world.root() + "/Empty Game");
        } else if (*path == '\0') {
            install("");
        }
        qm::ui::MessageBox::clearHistory();
        qm::ui::MessageBox::setNextAnswer(QMessageBox::Ok);
        CPLAYDECK32App launcher;
        // Start-up writes the association beside the program: inside the world.
        launcher.setExecutablePath(programPath());
        EXPECT_FALSE(launcher.InitInstance({}));
        EXPECT_EQ(launcher.exitCode(), 1);
        EXPECT_EQ(launcher.mainFrame(), nullptr);
        EXPECT_FALSE(anyWindowVisible());
        const auto& shown = qm::ui::MessageBox::history();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].icon, QMessageBox::Warning);
        EXPECT_EQ(shown[0].caption, QStringLiteral("Quorvel Manager PLAYDECK32"));
        EXPECT_EQ(shown[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_EQ(shown[0].text.toStdString(),
                  "Error: Could not start Quorvel Manager PLAYDECK32 because Red Faction 1 is "
                  "not installed on this system or could not be located via the registry. See "
                  "README.TXT in case you think this is an error and Red Faction is installed.");
    }
}

TEST_F(LauncherTest, ReadableFileOnTheCommandLineEndsStartUpWithoutWindow)
{
    const std::string vpp = game + "user_maps/single/Glass House.vpp";
    // Quoted as a shell hands it over, and split at its blank as argv is;
    // the game need not be installed for the chooser.
    const size_t blank = vpp.rfind(' ');
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{'"' + vpp + '"'},
          std::vector<std::string>{vpp.substr(0, blank), vpp.substr(blank + 1)}}) {
        CPLAYDECK32App launcher;
        launcher.setExecutablePath(programPath());
        QString shownFor;
        WhenChooserShows([&](CVppActionDlg& dlg) {
            shownFor = dlg.fileLine()->text();
            dlg.cancelButton()->click();
        });
        EXPECT_FALSE(launcher.InitInstance(args));
        EXPECT_EQ(shownFor, QStringLiteral("Glass House.vpp"));
        EXPECT_EQ(launcher.exitCode(), 0);
        EXPECT_EQ(launcher.chooserFile(), vpp);
        // The chooser's start-up leaves the association alone.
        EXPECT_FALSE(QFile::exists(QString::fromStdString(world.root() + "/bin/_setup.reg")));
        EXPECT_FALSE(anyWindowVisible());
        EXPECT_TRUE(qm::ui::MessageBox::history().empty());
    }
}

TEST_F(LauncherTest, ArgumentThatIsNoReadableFileIsIgnored)
{
    EXPECT_EQ(CommandLineFile({"/no/such/file.vpp"}), "");
    EXPECT_EQ(CommandLineFile({game}), ""); // a folder
    EXPECT_EQ(CommandLineFile({"\"\""}), "");
    const std::string locked = world.writeFile("locked.vpp", "x");
    QFile::setPermissions(QString::fromStdString(locked), QFileDevice::Permissions{});
    if (!QFile(QString::fromStdString(locked)).open(QIODevice::ReadOnly)) { // root reads anything
        EXPECT_EQ(CommandLineFile({locked}), "");
    }

    ASSERT_NE(start({"/no/such/file.vpp"}), nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(app->chooserFile(), "");
}

TEST_F(LauncherTest, SplashPauseComesFromTheEnvironment)
{
    world.unsetEnv("QM_SPLASH_MS");
    EXPECT_EQ(SplashPauseMs(), 2000);
    world.setEnv("QM_SPLASH_MS", "150");
    EXPECT_EQ(SplashPauseMs(), 150);
    world.setEnv("QM_SPLASH_MS", "-5");
    EXPECT_EQ(SplashPauseMs(), 0);
    world.setEnv("QM_SPLASH_MS", "soon");
    EXPECT_EQ(SplashPauseMs(), 2000);

    // The picture is up during the pause and gone once the window shows.
    world.setEnv("QM_SPLASH_MS", "200");
    bool splashSeen = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("splash") && w->isVisible())
                splashSeen = true;
    });
    probe.start(20);
    QElapsedTimer clock;
    clock.start();
    ASSERT_NE(start(), nullptr);
    EXPECT_GE(clock.elapsed(), 200);
    EXPECT_TRUE(splashSeen);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->objectName() == QLatin1String("splash") && w->isVisible());
}

} // namespace
} // namespace playdeck::test
