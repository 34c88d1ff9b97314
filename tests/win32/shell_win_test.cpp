// Shell links, special folders, the environment and program starts on Windows.
#include "common/settings.h"
#include "common/shortcut.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "platform/special_folders.h"
#include "platform/win32/shell_link.h"
#include "support/listed_names.h"
#include "win_support.h"

namespace qm::wintest {
namespace {

struct Launch {
    std::string cwd, line;
    std::vector<std::string> args;
};

// The records of rf_launch.log, unescaped.
std::vector<Launch> readLaunches(const std::string& log)
{
    const auto unescape = [](const std::string& s) {
        std::string out;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\\' && i + 1 < s.size()) {
                const char c = s[++i];
                out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
            } else {
                out += s[i];
            }
        }
        return out;
    };
    std::vector<Launch> out;
    const std::string text = ReadBytes(log);
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (line == "launch")
            out.emplace_back();
        else if (!out.empty() && line.rfind("cwd ", 0) == 0)
            out.back().cwd = unescape(line.substr(4));
        else if (!out.empty() && line.rfind("line ", 0) == 0)
            out.back().line = unescape(line.substr(5));
        else if (!out.empty() && line.rfind("arg ", 0) == 0)
            out.back().args.push_back(unescape(line.substr(4)));
    }
    return out;
}

class ShellTest : public WinTest {
protected:
    // A game folder with the recording stand-in as rf.exe.
    std::string makeGame(const std::string& name)
    {
        const std::string folder = makeDir(name);
        std::string error;
        EXPECT_TRUE(
            fs::CopyFileAtomic(BinFile("qm_rf_standin_win.exe"), folder + "\\rf.exe", {}, &error))
            << error;
        return folder;
    }
};

TEST_F(ShellTest, ShortcutsAreRealShellLinksWithTheTargetsFolder)
{
    const std::string game = makeGame("Red Faction");
    const std::string rf = game + "\\rf.exe";
    const std::string links = makeDir("links");
    ASSERT_EQ(CreateShortcutLauncher(links + "\\", rf, "-level \"glass house\"", "Glass.lnk"),
              kShortcutOk);
    const auto link = win32::ReadShellLink(links + "\\Glass.lnk");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, rf);
    EXPECT_EQ(link->arguments, "-level \"glass house\"");
    EXPECT_EQ(link->workingFolder, game);

    // Setup's join; no second extension; an empty argument string.
    ASSERT_EQ(CreateShortcutSetup(links, rf, "", "PLAYDECK32"), kShortcutOk);
    EXPECT_EQ(win32::ReadShellLink(links + "\\PLAYDECK32.lnk")->arguments, "");
    ASSERT_EQ(CreateShortcutSetup(links, rf, "", "Upper.LNK"), kShortcutOk);
    const std::string old = makeDir("old.lnk files");
    ASSERT_EQ(CreateShortcutSetup(old, rf, "-mod X", "Mod"), kShortcutOk);
    EXPECT_EQ(win32::ReadShellLink(old + "\\Mod")->arguments, "-mod X");
    const std::vector<std::string> expected{"Glass.lnk", "PLAYDECK32.lnk", "Upper.LNK"};
    EXPECT_EQ(qm::test::namesIn(links), expected);

    // A Windows-1252 level name arrives as its characters.
    ASSERT_EQ(CreateShortcutLauncher(links + "\\", rf, "-level Caf\xe9", "Caf\xe9.lnk"),
              kShortcutOk);
    EXPECT_EQ(win32::ReadShellLink(links + "\\Caf\xe9.lnk")->arguments, "-level Caf\xc3\xa9");

    // Failures: a missing folder, a path past the shell's 259 characters.
    EXPECT_LT(CreateShortcutSetup(root() + "\\missing", rf, "", "X"), 0);
    EXPECT_FALSE(fs::Exists(root() + "\\missing\\X.lnk"));
    EXPECT_EQ(CreateShortcutSetup(links, rf, "", std::string(260, 'n')), kShortcutPathTooLong);
}

TEST_F(ShellTest, SpecialFoldersComeFromTheShell)
{
    for (SpecialFolder f :
         {SpecialFolder::Desktop, SpecialFolder::Programs, SpecialFolder::StartMenu,
          SpecialFolder::AppData, SpecialFolder::QuickLaunch, SpecialFolder::Home,
          SpecialFolder::System, SpecialFolder::CommonPrograms}) {
        const std::string p = GetSpecialFolder(f);
        SCOPED_TRACE(static_cast<int>(f));
        ASSERT_GE(p.size(), 3u);
        EXPECT_EQ(p.substr(1, 2), ":\\") << p;
        EXPECT_NE(p.back(), '\\') << p;
    }
    const std::string quick = GetSpecialFolder(SpecialFolder::QuickLaunch);
    EXPECT_EQ(quick, GetSpecialFolder(SpecialFolder::AppData) +
                         "\\Microsoft\\Internet Explorer\\Quick Launch");
    EXPECT_EQ(GetSpecialFolder(SpecialFolder::Programs)
                  .rfind(GetSpecialFolder(SpecialFolder::StartMenu), 0),
              0u);
}

TEST_F(ShellTest, TheGameGetsTheParameterStringAsGivenInItsCodePage)
{
    const std::string game = makeGame("Game");
    const std::string rf = game + "\\rf.exe";
    // Two blanks, quotes and a Windows-1252 level name: Windows' split, not ours.
    const std::string parameters = "-level  \"glass house\" -mod Caf\xe9";
    ASSERT_TRUE(StartProgram(rf, parameters, game));
    ASSERT_TRUE(WaitFor([&] { return !readLaunches(game + "\\rf_launch.log").empty(); }));
    const Launch l = readLaunches(game + "\\rf_launch.log").front();
    EXPECT_EQ(l.cwd, game);
    EXPECT_EQ(l.line, "\"" + rf + "\" " + parameters);
    EXPECT_EQ(l.args, (std::vector<std::string>{"-level", "glass house", "-mod", "Caf\xe9"}));

    // A request without a parameter string is quoted from its arguments.
    const std::string other = makeGame("Other Game");
    ProcessStartRequest request{
        other + "\\rf.exe", {"-level", "a \"b\"", "c\\", ""}, other, {{"QM_UNUSED", "1"}}};
    ASSERT_TRUE(DetachedProcessStarter().start(request));
    ASSERT_TRUE(WaitFor([&] { return !readLaunches(other + "\\rf_launch.log").empty(); }));
    EXPECT_EQ(readLaunches(other + "\\rf_launch.log").front().args,
              (std::vector<std::string>{"-level", "a \"b\"", "c\\", ""}));
    EXPECT_EQ(readLaunches(other + "\\rf_launch.log").front().cwd, other);

    EXPECT_FALSE(StartProgram(root() + "\\no such program.exe", "", ""));
}

TEST(EnvironmentWin, VariablesAreBytesByTheDisplayRule)
{
    ASSERT_TRUE(SetEnv("QM_WIN_TEST", "Caf\xe9"));
    EXPECT_EQ(GetEnv("QM_WIN_TEST"), "Caf\xc3\xa9");
    ASSERT_TRUE(UnsetEnv("QM_WIN_TEST"));
    EXPECT_EQ(GetEnv("QM_WIN_TEST"), std::nullopt);
    EXPECT_NE(fs::ProgramPath().find("test_win32.exe"), std::string::npos) << fs::ProgramPath();

    // TEMP with one trailing backslash; without TEMP no folder at all.
    const std::optional<std::string> temp = GetEnv("TEMP");
    ASSERT_TRUE(SetEnv("TEMP", "C:\\Temp"));
    EXPECT_EQ(GetTempFolder(), "C:\\Temp\\");
    ASSERT_TRUE(SetEnv("TEMP", "C:\\Temp\\"));
    EXPECT_EQ(GetTempFolder(), "C:\\Temp\\");
    ASSERT_TRUE(UnsetEnv("TEMP"));
    EXPECT_EQ(GetTempFolder(), "");
    ASSERT_TRUE(SetEnv("TEMP", temp.value_or("")));
}

} // namespace
} // namespace qm::wintest
