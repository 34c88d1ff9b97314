#include "demo/demo_game/packfile_builder.h"
#include "launcher/packfile.h"
#include "platform/file_system.h"
#include "support/temp_world.h"
#include "vpp/document.h"
#include "vpp/names.h"
#include "vpp/packfile.h"
#include "vpp/writer.h"

#include <gmock/gmock.h>

namespace qm::vpp::test {
namespace {

using ::testing::HasSubstr;

class VppWriterTest : public qm::test::TempWorldTest {
protected:
    std::vector<std::string> filesIn(const std::string& folder)
    {
        std::vector<fs::FolderEntry> entries;
        fs::ListFolder(folder, &entries);
        std::vector<std::string> names;
        for (const auto& e : entries)
            names.push_back(e.name);
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(VppWriterTest, WritesTheLayoutAnIndependentBuilderWrites)
{
    const std::string path = world.root() + "/out.vpp";
    const std::vector<NewEntry> entries = {{"a.tbl", Source::FromBytes(std::string(5000, 'a'))},
                                           {"b.rfl", Source::FromBytes("bb")},
                                           {"empty", Source::FromBytes("")}};
    const WriteResult result = WritePackfile(path, entries);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.warnings.empty());
    const std::string bytes = qm::test::readFileBytes(path);
    // Same bytes as the demo's builder, apart from the header's total size,
    // which here is the real one.
    std::string expected =
        qm::demo::BuildVpp({{"a.tbl", std::string(5000, 'a')}, {"b.rfl", "bb"}, {"empty", ""}});
    ASSERT_EQ(bytes.size(), size_t(4096 + 6144 + 2048));
    expected.resize(bytes.size(), '\0');
    std::string total;
    qm::demo::PutU32(total, uint32_t(bytes.size()));
    expected.replace(12, 4, total);
    EXPECT_EQ(bytes, expected);
}

TEST_F(VppWriterTest, RefusesWhatTheGameCannotReadAndKeepsTheOldFile)
{
    const std::string path = world.writeFile("w/keep.vpp", "old bytes");
    struct Case {
        std::vector<NewEntry> entries;
        const char* message;
    };
    const Case cases[] = {
        {{{std::string(60, 'x'), Source::FromBytes("1")}}, "60 bytes long"},
        {{{"", Source::FromBytes("1")}}, "empty"},
        {{{"maps/a.rfl", Source::FromBytes("1")}}, "path separator"},
        {{{"A.TBL", Source::FromBytes("1")}, {"a.tbl", Source::FromBytes("2")}},
         "Entry 2 (\"a.tbl\"): the name is already used by entry 1"},
        {{{"\xC9t\xE9", Source::FromBytes("1")}, {"\xE9T\xC9", Source::FromBytes("2")}},
         "already used"},
        {{{"big", Source::FromRange(path, 0, uint64_t(INT32_MAX) + 1)}}, "larger than"},
        {{{"half1", Source::FromRange(path, 0, 1u << 30)},
          {"half2", Source::FromRange(path, 0, 1u << 30)}},
         "grow past 2 GiB"},
    };
    for (const Case& c : cases) {
        const WriteResult r = WritePackfile(path, c.entries);
        EXPECT_FALSE(r.ok);
        EXPECT_THAT(r.error, HasSubstr(c.message));
        EXPECT_EQ(qm::test::readFileBytes(path), "old bytes");
    }
    // 59 bytes fit with the closing zero.
    EXPECT_TRUE(WritePackfile(path, {{std::string(59, 'x'), Source::FromBytes("1")}}).ok);
    EXPECT_EQ(filesIn(world.root() + "/w"), (std::vector<std::string>{"keep.vpp"}));
}

TEST_F(VppWriterTest, AFailedOrCancelledSaveLeavesTheOldPackfileAndNoTemporaryFile)
{
    const std::string path = world.writeFile("w/level.vpp", "the old packfile");
    const std::string data = world.writeFile("w/data.bin", std::string(3 << 20, 'd'));
    Source changing;
    ASSERT_TRUE(Source::FromFile(data, &changing, nullptr));
    world.writeFile("w/data.bin", "shorter now");
    WriteResult r = WritePackfile(path, {{"a", Source::FromBytes("x")}, {"d", changing}});
    EXPECT_FALSE(r.ok);
    EXPECT_THAT(r.error, HasSubstr("changed since it was added"));

    world.writeFile("w/data.bin", std::string(3 << 20, 'd'));
    Source big;
    ASSERT_TRUE(Source::FromFile(data, &big, nullptr));
    int calls = 0;
    r = WritePackfile(path, {{"d", big}}, [&](uint64_t done, uint64_t total) {
        EXPECT_LE(done, total);
        return ++calls < 2; // cancel in the middle of the data
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(qm::test::readFileBytes(path), "the old packfile");
    EXPECT_EQ(filesIn(world.root() + "/w"), (std::vector<std::string>{"data.bin", "level.vpp"}));
}

TEST_F(VppWriterTest, ALongPackfileNameIsWrittenWithAWarning)
{
    const std::string name31 = std::string(27, 'l') + ".vpp";
    const std::string name32 = std::string(28, 'l') + ".vpp";
    EXPECT_TRUE(WritePackfile(world.root() + "/" + name31, {}).warnings.empty());
    const WriteResult r = WritePackfile(world.root() + "/" + name32, {});
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_THAT(r.warnings[0], HasSubstr("32 characters long"));
}

TEST_F(VppWriterTest, EditingSavesOverItselfAndTheLauncherFindsTheLevel)
{
    const std::string rfl = world.writeFile(
        "src/Glass House.rfl", qm::demo::BuildRfl("Glass House", "Volition", "12/11/01"));
    const std::string tga = world.writeFile("src/wall.tga", std::string(3000, 't'));
    const std::string path = world.root() + "/Glass House.vpp";
    PackfileDocument doc;
    doc.clear();
    std::string error;
    ASSERT_TRUE(doc.addFile(tga, &error)) << error;
    ASSERT_TRUE(doc.addFile(rfl, &error)) << error;
    EXPECT_FALSE(doc.addFile(tga, &error));
    EXPECT_THAT(error, HasSubstr("already named \"wall.tga\""));
    ASSERT_TRUE(doc.save(path).ok);
    EXPECT_FALSE(doc.modified());
    EXPECT_EQ(LevelListingWarning(doc.names(), path), "");
    EXPECT_EQ(playdeck::FindRflInVpp(path), 4096 + 4096);
    EXPECT_EQ(playdeck::ReadLevelInfo(path),
              (playdeck::LevelInfo{"Glass House", "Volition", "12/11/01"}));

    // Reorder, rename and drop entries read from the very file being replaced.
    ASSERT_TRUE(doc.addBytes("notes.txt", "hello", &error));
    ASSERT_TRUE(doc.move(1, -1));
    ASSERT_TRUE(doc.rename(1, "WALL.TGA", &error)) << error; // its own name in other case
    EXPECT_FALSE(doc.rename(1, "notes.TXT", &error));
    ASSERT_TRUE(doc.save().ok);
    Directory dir;
    ASSERT_TRUE(ReadDirectory(path, &dir, &error)) << error;
    ASSERT_EQ(dir.entries.size(), 3u);
    EXPECT_EQ(dir.entries[0].name, "Glass House.rfl");
    EXPECT_EQ(dir.entries[1].name, "WALL.TGA");
    EXPECT_EQ(dir.entries[2].name, "notes.txt");
    std::string wall;
    fs::ReadFile file(path);
    wall.resize(dir.entries[1].size);
    ASSERT_TRUE(file.readExact(wall.data(), wall.size(), dir.entries[1].offset));
    EXPECT_EQ(wall, std::string(3000, 't'));
    EXPECT_EQ(playdeck::FindRflInVpp(path), 4096);

    // Saved under another name, the level file no longer matches.
    EXPECT_THAT(LevelListingWarning(doc.names(), world.root() + "/other.vpp"),
                HasSubstr("\"other.rfl\""));
    EXPECT_EQ(LevelPackfileNameFor("/x/Glass House.RFL"), "Glass House.vpp");
}

} // namespace
} // namespace qm::vpp::test
