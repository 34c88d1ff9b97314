#include "common/shortcut.h"
#include "support/temp_world.h"

#include <QDir>
#include <QProcess>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ShortcutTest : public qm::test::TempWorldTest {
protected:
    // desktop-file-validate prints nothing and exits 0 for a clean file.
    static std::string validate(const std::string& path)
    {
        QProcess p;
        p.start("desktop-file-validate", {QString::fromStdString(path)});
        p.waitForFinished(20000);
        const std::string out =
            (p.readAllStandardOutput() + p.readAllStandardError()).toStdString();
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return "exit " + std::to_string(p.exitCode()) + ": " + out;
        return out;
    }
    static std::vector<std::string> files(const std::string& dir)
    {
        std::vector<std::string> out;
        for (const QString& f :
             QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden))
            out.push_back(f.toStdString());
        return out;
    }
};

TEST_F(ShortcutTest, SetupCopyWritesValidDesktopEntry)
{
    const std::string dir = world.makeDir("menu");
    const std::string target = world.root() + "/Program Files/Tools/PLAYDECK32";
    ASSERT_EQ(qm::CreateShortcutSetup(dir, target, "", "Level Launcher"), qm::kShortcutOk);
    const std::string path = dir + "/Level Launcher.desktop";
    EXPECT_EQ(qm::test::readFileBytes(path),
              "[Desktop Entry]\nType=Application\nName=Level Launcher\nExec=\"" + target +
                  "\"\nPath=" + world.root() + "/Program Files/Tools\n");
    EXPECT_EQ(validate(path), "");
}

TEST_F(ShortcutTest, ArgumentsSplitByWindowsRulesAndQuotedForExec)
{
    const std::string dir = world.makeDir("d");
    const std::string target = "/opt/rf/launcher";
    // -level glass house: three arguments; a quoted group with an escaped quote,
    // a dollar and a percent that must not become field codes.
    const std::string args = "-level glass house \"a \\\"b\\\" $x\" 100% back\\slash";
    ASSERT_EQ(qm::CreateShortcutSetup(dir, target, args, "L"), qm::kShortcutOk);
    const std::string text = qm::test::readFileBytes(dir + "/L.desktop");
    EXPECT_NE(text.find("Exec=/opt/rf/launcher -level glass house \"a \\\\\"b\\\\\" \\\\$x\" 100%% "
                        "\"back\\\\\\\\slash\"\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(validate(dir + "/L.desktop"), "");
}

TEST_F(ShortcutTest, JoinAndExtensionRules)
{
    const std::string games = world.makeDir("Games");
    // Launcher copy glues folder and name.
    EXPECT_EQ(qm::CreateShortcutLauncher(games, "/bin/true", "", "Level.desktop"), qm::kShortcutOk);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(world.root() + "/GamesLevel.desktop")));
    EXPECT_EQ(qm::CreateShortcutLauncher(games + "/", "/bin/true", "", "A.DESKTOP"),
              qm::kShortcutOk);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(games + "/A.DESKTOP")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(games + "/A.DESKTOP.desktop")));
    // A folder containing the extension suppresses it.
    const std::string odd = world.makeDir("old.desktop files");
    EXPECT_EQ(qm::CreateShortcutSetup(odd, "/bin/true", "", "Level"), qm::kShortcutOk);
    EXPECT_EQ(files(odd), std::vector<std::string>{"Level"});
}

TEST_F(ShortcutTest, FailuresLeaveNothingBehind)
{
    EXPECT_EQ(qm::CreateShortcutSetup(world.root() + "/missing", "/bin/true", "", "X"),
              qm::kShortcutFolderMissing);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(world.root() + "/missing")));
    if (::geteuid() != 0) {
        const std::string ro = world.makeDir("ro");
        ::chmod(ro.c_str(), 0555);
        EXPECT_EQ(qm::CreateShortcutSetup(ro, "/bin/true", "", "X"), qm::kShortcutWriteFailed);
        EXPECT_TRUE(files(ro).empty());
        ::chmod(ro.c_str(), 0755);
    }
}

TEST_F(ShortcutTest, WindowsProgramRunsThroughWine)
{
    const std::string exe = world.writeFile("Tools/PACKPEEK32.exe", "MZ\x90\0rest");
    const std::string dir = world.makeDir("menu");
    ASSERT_EQ(qm::CreateShortcutSetup(dir, exe, "", "Peek"), qm::kShortcutOk);
    const std::string text = qm::test::readFileBytes(dir + "/Peek.desktop");
    EXPECT_NE(text.find("Exec=wine " + exe + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Path=" + world.root() + "/Tools\n"), std::string::npos) << text;
}

TEST_F(ShortcutTest, PathLineIsTheTargetsFolder)
{
    const std::string dir = world.makeDir("menu");
    ASSERT_EQ(qm::CreateShortcutSetup(dir, "/rf", "", "Root"), qm::kShortcutOk);
    EXPECT_NE(qm::test::readFileBytes(dir + "/Root.desktop").find("\nPath=/\n"), std::string::npos);
    // A bare name has no folder to start in: no Path line, never "Path=" empty.
    ASSERT_EQ(qm::CreateShortcutSetup(dir, "rf", "", "Bare"), qm::kShortcutOk);
    EXPECT_EQ(qm::test::readFileBytes(dir + "/Bare.desktop").find("Path="), std::string::npos);
    const std::string text = qm::DesktopEntryText("N", "/g/sub/rf.exe", "", nullptr);
    EXPECT_NE(text.find("\nPath=/g/sub\n"), std::string::npos) << text;
}

TEST_F(ShortcutTest, OnlyDesktopShortcutsAreMarkedTrusted)
{
    // A stand-in gio records its arguments, one per line.
    const std::string bin = world.makeDir("bin");
    const std::string log = world.root() + "/gio.log";
    const std::string gio = world.writeFile(
        "bin/gio", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" + log + "'\n");
    ::chmod(gio.c_str(), 0755);
    world.setEnv("PATH", bin);

    ASSERT_EQ(qm::CreateShortcutSetup(world.makeDir("menu"), "/bin/true", "", "M"),
              qm::kShortcutOk);
    EXPECT_EQ(qm::test::readFileBytes(log), "");
    const std::string desktop = world.makeDir("home/Desktop");
    ASSERT_EQ(qm::CreateShortcutSetup(desktop, "/bin/true", "", "Play RF"), qm::kShortcutOk);
    EXPECT_EQ(qm::test::readFileBytes(log),
              "set\n-t\nstring\n" + desktop + "/Play RF.desktop\nmetadata::trusted\ntrue\n");
    struct stat st {};
    ASSERT_EQ(::stat((desktop + "/Play RF.desktop").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
}

} // namespace
