// The demo game on Windows: its packfiles read through the Win32 facade, the
// game started in its folder, entries extracted under names Windows keeps,
// a table converted.
#include "demo/demo_game/demo_game.h"
#include "demo/demo_game/packfile_builder.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "tblview/tbl_converter.h"
#include "vpp/extract.h"
#include "vpp/packfile.h"
#include "win_support.h"

#include <algorithm>
#include <map>

namespace qm::wintest {
namespace {

std::vector<std::string> sortedNames(const std::string& folder)
{
    std::vector<fs::FolderEntry> entries;
    EXPECT_TRUE(fs::ListFolder(folder, &entries)) << folder;
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

// Level name of every packfile in folder that holds a level file.
std::map<std::string, std::string> levelsIn(const std::string& folder)
{
    std::map<std::string, std::string> out;
    for (const std::string& name : sortedNames(folder)) {
        const std::string path = folder + "\\" + name;
        vpp::Directory dir;
        std::string error;
        if (!vpp::ReadDirectory(path, &dir, &error))
            continue;
        fs::ReadFile file(path);
        for (const vpp::Entry& e : dir.entries) {
            const size_t dot = e.name.rfind('.');
            if (dot == std::string::npos ||
                (e.name.substr(dot) != ".rfl" && e.name.substr(dot) != ".RFL"))
                continue;
            if (const auto info = vpp::ReadLevelInfoAt(file, e.offset, e.size))
                out[name] = info->levelName;
        }
    }
    return out;
}

TEST_F(WinTest, DemoGameListsItsLevelsAndStartsInItsFolder)
{
    const std::string game = root() + "\\Red Faction";
    std::string error;
    ASSERT_TRUE(demo::MakeDemoGame(game, BinFile("qm_rf_standin_win.exe"), error)) << error;
    const auto single = levelsIn(game + "\\user_maps\\single");
    EXPECT_EQ(single.at("Glass House.vpp"), "The Glass House");
    EXPECT_EQ(single.at("LEVEL one.vpp"), "Level One");
    EXPECT_EQ(single.count("textures.vpp"), 0u);
    EXPECT_EQ(levelsIn(game + "\\mods\\Rebellion").at("reb01.vpp"), "Rebellion: The Docks");

    // The launcher's start: "-level " and the packfile's name without
    // extension, unquoted, in the game folder; the game splits it itself.
    ASSERT_TRUE(StartProgram(game + "\\rf.exe", "-level Glass House", game));
    std::string log;
    ASSERT_TRUE(WaitFor([&] {
        log = ReadBytes(game + "\\rf_launch.log");
        return log.find("end\n") != std::string::npos;
    }));
    EXPECT_NE(log.find("cwd " + std::string("C:\\\\")), std::string::npos) << log;
    EXPECT_NE(log.find("\" -level Glass House\n"), std::string::npos) << log;
    EXPECT_NE(log.find("arg -level\narg Glass\narg House\nend\n"), std::string::npos) << log;
}

TEST_F(WinTest, ExtractionKeepsEveryEntryInsideTheFolderUnderANameWindowsKeeps)
{
    const std::string vppPath = root() + "\\tricky.vpp";
    const std::vector<demo::VppEntry> entries = {{"ok.tbl", "plain"},      {"CON.tbl", "device"},
                                                 {"ab:c.txt", "stream"},   {"C:evil.txt", "drive"},
                                                 {"..\\up.txt", "parent"}, {"Caf\xe9.tbl", "ansi"},
                                                 {"trail.", "dot"}};
    ASSERT_TRUE(fs::SaveFileAtomic(vppPath, demo::BuildVpp(entries)));
    vpp::Directory dir;
    std::string error;
    ASSERT_TRUE(vpp::ReadDirectory(vppPath, &dir, &error)) << error;
    ASSERT_EQ(dir.entries.size(), entries.size());
    const std::string out = makeDir("out");
    std::vector<size_t> all(entries.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    const vpp::ExtractOutcome r = vpp::ExtractEntries(vppPath, dir, all, out);
    EXPECT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.skipped.size(), 2u); // the drive letter and the parent folder
    EXPECT_EQ(sortedNames(out), (std::vector<std::string>{"Caf\xc3\xa9.tbl", "_CON.tbl", "ab_c.txt",
                                                          "ok.tbl", "trail_"}));
    EXPECT_EQ(ReadBytes(out + "\\_CON.tbl"), "device");
    EXPECT_EQ(ReadBytes(out + "\\ab_c.txt"), "stream");
    EXPECT_EQ(sortedNames(root()), (std::vector<std::string>{"out", "tricky.vpp"}));
}

TEST_F(WinTest, TableConvertsToAByteExactPage)
{
    // LF-only lines, as many tables come.
    const std::string table = writeFile("weapons.tbl", "#Primary Weapons\n$Name: Caf\xe9\n#End\n");
    gridlens::AnchorList anchors;
    std::string error;
    const std::string page = root() + "\\page.html";
    ASSERT_TRUE(gridlens::ConvertTableFile(table, page, anchors, &error)) << error;
    const std::string html = ReadBytes(page);
    EXPECT_NE(html.find("Caf\xe9"), std::string::npos);
    EXPECT_NE(html.find("\r\n"), std::string::npos);
    EXPECT_EQ(sortedNames(root()), (std::vector<std::string>{"page.html", "weapons.tbl"}));
    EXPECT_FALSE(gridlens::ConvertTableFile(root() + "\\none.tbl", page, anchors, &error));
    EXPECT_EQ(ReadBytes(page), html);
}

} // namespace
} // namespace qm::wintest
