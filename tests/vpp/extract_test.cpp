#include "demo/demo_game/packfile_builder.h"
#include "platform/file_system.h"
#include "support/temp_world.h"
#include "vpp/extract.h"
#include "vpp/names.h"

#include <QFile>
#include <gmock/gmock.h>

namespace qm::vpp::test {
namespace {

using ::testing::HasSubstr;

TEST(VppNamesTest, ExtractionRefusesEscapesAndMapsWhatWindowsCannotStore)
{
    const std::pair<std::string, std::string> mapped[] = {
        {"level.rfl", "level.rfl"},
        {"caf\xE9.tbl", "café.tbl"}, // Windows-1252 shown and written
                                     // as UTF-8
        {"café.tbl", "café.tbl"},    // already UTF-8
        {"a?b*c.txt", "a_b_c.txt"},
        {"tab\there", "tab_here"},
        {"ab:c", "ab_c"},
        {"name.", "name_"},
        {"con.txt", "_con.txt"},
        {"LPT1", "_LPT1"},
        {"com10.txt", "com10.txt"},
        {".hidden", ".hidden"},
    };
    for (const auto& [entry, file] : mapped) {
        const ExtractionName n = ExtractionNameFor(entry);
        EXPECT_EQ(n.fileName, file) << entry;
        EXPECT_EQ(n.refusal, "") << entry;
    }
    for (const char* refused : {"", ".", "..", "x:y", "../evil", "..\\evil", "..hidden", "a/b",
                                "a\\b", "C:evil", "c:\\windows\\x", "/etc/passwd"}) {
        const ExtractionName n = ExtractionNameFor(refused);
        EXPECT_EQ(n.fileName, "") << refused;
        EXPECT_NE(n.refusal, "") << refused;
    }
}

TEST(VppNamesTest, AddedNamesBecomeWindows1252WhereTheyFit)
{
    EXPECT_EQ(EntryNameForFile("café.tbl"), "caf\xE9.tbl");
    EXPECT_EQ(EntryNameForFile("日本.tbl"), "日本.tbl");
    EXPECT_EQ(EntryNameForFile("caf\xE9.tbl"), "caf\xE9.tbl"); // not UTF-8: kept
    EXPECT_TRUE(SameName("\x8A\xC0Z", "\x9A\xE0z"));
    EXPECT_FALSE(SameName("\xD7", "\xF7")); // × and ÷ are no case pair
    EXPECT_THAT(EntryNameFault(std::string(59, 'a')), "");
    EXPECT_THAT(EntryNameFault("a\x01"), HasSubstr("control"));
}

class VppExtractTest : public qm::test::TempWorldTest {
protected:
    void SetUp() override
    {
        packfile = world.writeFile("hostile.vpp",
                                   qm::demo::BuildVpp({{"../escape.txt", "no"},
                                                       {"ok.tbl", "table"},
                                                       {"sub/inner.txt", "no"},
                                                       {"caf\xE9.txt", "coffee"},
                                                       {"big.bin", std::string(3 << 20, 'b')}}));
        ASSERT_TRUE(ReadDirectory(packfile, &dir, nullptr));
        out = world.makeDir("out");
    }
    std::vector<std::string> filesOut()
    {
        std::vector<fs::FolderEntry> entries;
        fs::ListFolder(out, &entries);
        std::vector<std::string> names;
        for (const auto& e : entries)
            names.push_back(e.name);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string packfile;
    std::string out;
    Directory dir;
};

TEST_F(VppExtractTest, WritesOnlyInsideTheFolderAndSaysWhatItRefused)
{
    const ExtractOutcome r = ExtractEntries(packfile, dir, {0, 1, 2, 3, 4}, out);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.written.size(), 3u);
    ASSERT_EQ(r.skipped.size(), 2u);
    EXPECT_THAT(r.skipped[0], HasSubstr("\"../escape.txt\" was not extracted"));
    EXPECT_THAT(r.skipped[1], HasSubstr("path separator"));
    EXPECT_EQ(filesOut(), (std::vector<std::string>{"big.bin", "café.txt", "ok.tbl"}));
    EXPECT_FALSE(fs::Exists(world.root() + "/escape.txt"));
    EXPECT_EQ(qm::test::readFileBytes(out + "/café.txt"), "coffee");
}

TEST_F(VppExtractTest, ExistingFilesAreKeptUnlessTheUserSaysOtherwise)
{
    world.writeFile("out/ok.tbl", "mine");
    world.writeFile("elsewhere.txt", "not to be touched");
    ASSERT_TRUE(QFile::link(QString::fromStdString(world.root() + "/elsewhere.txt"),
                            QString::fromStdString(out + "/café.txt")));
    ExtractOutcome r = ExtractEntries(packfile, dir, {1, 3}, out);
    EXPECT_TRUE(r.written.empty());
    EXPECT_EQ(r.skipped.size(), 2u);
    EXPECT_EQ(qm::test::readFileBytes(out + "/ok.tbl"), "mine");

    std::vector<std::string> asked;
    ExtractOptions ask;
    ask.askOverwrite = [&](const std::string& target) {
        asked.push_back(target);
        return asked.size() == 1 ? OverwriteAnswer::No : OverwriteAnswer::Yes;
    };
    r = ExtractEntries(packfile, dir, {1, 3}, out, ask);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(qm::test::readFileBytes(out + "/ok.tbl"), "mine");
    // The link is replaced, never written through.
    EXPECT_EQ(qm::test::readFileBytes(out + "/café.txt"), "coffee");
    EXPECT_EQ(qm::test::readFileBytes(world.root() + "/elsewhere.txt"), "not to be touched");

    ExtractOptions overwrite;
    overwrite.overwrite = true;
    r = ExtractEntries(packfile, dir, {1}, out, overwrite);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(qm::test::readFileBytes(out + "/ok.tbl"), "table");
}

TEST_F(VppExtractTest, ACancelLeavesNoPartOfAFile)
{
    ExtractOptions options;
    options.progress = [](uint64_t done, uint64_t) { return done < (2u << 20); };
    const ExtractOutcome r = ExtractEntries(packfile, dir, {1, 4}, out, options);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(filesOut(), (std::vector<std::string>{"ok.tbl"}));

    // A packfile cut short after it was read: the entry fails, nothing half-written stays.
    std::string bytes = qm::test::readFileBytes(packfile);
    world.writeFile("hostile.vpp", bytes.substr(0, bytes.size() - (2u << 20)));
    const ExtractOutcome cut = ExtractEntries(packfile, dir, {4}, out);
    EXPECT_THAT(cut.error, HasSubstr("ends early"));
    EXPECT_EQ(filesOut(), (std::vector<std::string>{"ok.tbl"}));
}

} // namespace
} // namespace qm::vpp::test
