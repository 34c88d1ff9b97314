#include "demo/demo_game/packfile_builder.h"
#include "platform/file_system.h"
#include "support/temp_world.h"
#include "vpp/packfile.h"

#include <gmock/gmock.h>

#include <cstring>

namespace qm::vpp::test {
namespace {

using qm::demo::BuildVpp;
using qm::demo::VppEntry;
using qm::demo::VppLayout;
using ::testing::HasSubstr;

class VppReaderTest : public qm::test::TempWorldTest {
protected:
    // Reads bytes written as a packfile; the error when it does not open.
    std::string read(const std::string& bytes, Directory* dir)
    {
        const std::string path = world.writeFile("p.vpp", bytes);
        std::string error;
        const bool ok = ReadDirectory(path, dir, &error);
        EXPECT_EQ(ok, error.empty()) << error;
        return error;
    }
};

TEST_F(VppReaderTest, OffsetsFollowTheAlignedSizesOfTheEntriesBefore)
{
    Directory dir;
    ASSERT_EQ(read(BuildVpp({{"a.tbl", std::string(5000, 'a')}, {"b.rfl", "bb"}, {"c", ""}}), &dir),
              "");
    ASSERT_EQ(dir.entries.size(), 3u);
    EXPECT_EQ(dir.entries[0], (Entry{"a.tbl", 5000, 4096}));
    EXPECT_EQ(dir.entries[1], (Entry{"b.rfl", 2, 4096 + 6144}));
    EXPECT_EQ(dir.entries[2], (Entry{"c", 0, 4096 + 6144 + 2048}));
    EXPECT_EQ(dir.dataBytes(), 5002u);
    EXPECT_EQ(FirstDataOffset(32), 4096);
    EXPECT_EQ(FirstDataOffset(33), 6144);
    EXPECT_EQ(FirstDataOffset(0), 2048);
}

TEST_F(VppReaderTest, EveryFaultIsNamedAndNothingOpens)
{
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    std::string truncated = BuildVpp({{"big.tga", std::string(9000, 'x')}});
    truncated.resize(truncated.size() - 4000);
    VppLayout badSignature;
    badSignature.signature = 0x12345678;
    VppLayout version2;
    version2.version = 2;
    VppLayout negative;
    negative.countField = -1;
    VppLayout tooMany;
    tooMany.countField = 200; // records past the end of a one-entry file
    const Case cases[] = {
        {"empty file", "", "too short"},
        {"short header", std::string("\xCE\x0A\x89\x51", 4), "too short"},
        {"signature", BuildVpp({{"a", "x"}}, badSignature), "0x12345678"},
        {"version", BuildVpp({{"a", "x"}}, version2), "version 2"},
        {"negative count", BuildVpp({{"a", "x"}}, negative), "negative"},
        {"count past the end", BuildVpp({{"a", "x"}}, tooMany), "directory of 200 entries"},
        {"data past the end", truncated, "Entry 1 (\"big.tga\") ends at byte 13096"},
        {"size beyond 31 bits", BuildVpp({{"huge", "x", int32_t(-5)}}),
         "Entry 1 (\"huge\") claims"},
        {"header only", BuildVpp({}).substr(0, 100), "directory of 0 entries"},
    };
    for (const Case& c : cases) {
        Directory dir;
        dir.entries.push_back({"kept", 1, 2});
        EXPECT_THAT(read(c.bytes, &dir), HasSubstr(c.message)) << c.what;
        EXPECT_EQ(dir.entries.size(), 1u) << c.what << ": the output is left alone";
    }
}

TEST_F(VppReaderTest, FullNamesAndDuplicatesAreWarningsOnly)
{
    std::string bytes = BuildVpp({{std::string(60, 'n'), "1"},
                                  {"Level.RFL", "2"},
                                  {"level.rfl", "3"},
                                  {"\xC9t\xE9.tbl", "4"}, // Été in Windows-1252
                                  {"\xE9T\xC9.TBL", "5"}});
    Directory dir;
    ASSERT_EQ(read(bytes, &dir), "");
    ASSERT_EQ(dir.entries.size(), 5u);
    EXPECT_EQ(dir.entries[0].name, std::string(60, 'n'));
    ASSERT_EQ(dir.warnings.size(), 3u);
    EXPECT_THAT(dir.warnings[0], HasSubstr("fills all 60 bytes"));
    EXPECT_THAT(dir.warnings[1], HasSubstr("Entry 3 (\"level.rfl\") has the name of entry 2"));
    EXPECT_THAT(dir.warnings[2], HasSubstr("Entry 5 (\"éTÉ.TBL\") has the name of entry 4"));
}

TEST_F(VppReaderTest, LevelInformationStaysInsideItsEntry)
{
    const std::string rfl = qm::demo::BuildRfl("Glass House", "Volition", "12/11/01");
    const std::string path =
        world.writeFile("g.vpp", BuildVpp({{"x.tga", "abc"}, {"glass house.rfl", rfl}}));
    Directory dir;
    ASSERT_TRUE(ReadDirectory(path, &dir, nullptr));
    fs::ReadFile file(path);
    const auto info = ReadLevelInfoAt(file, dir.entries[1].offset, dir.entries[1].size);
    ASSERT_TRUE(info);
    EXPECT_EQ(*info, (LevelInfo{"Glass House", "Volition", "12/11/01"}));
    // An information offset pointing past the entry, or before it, is no level.
    for (int32_t x : {100000, -40}) {
        const std::string bad = qm::demo::BuildRflRaw(x, qm::demo::RflString("n"));
        const std::string p2 = world.writeFile("b.vpp", BuildVpp({{"b.rfl", bad}}));
        fs::ReadFile f2(p2);
        EXPECT_FALSE(ReadLevelInfoAt(f2, 2048 * 2, int64_t(bad.size()))) << x;
    }
    // Strings cut by the end of the entry end there rather than read the next block.
    const std::string cut = qm::demo::BuildRflRaw(32, qm::demo::RflString(10, "abc"));
    const std::string p3 = world.writeFile("c.vpp", BuildVpp({{"c.rfl", cut}, {"z", "ZZZZ"}}));
    fs::ReadFile f3(p3);
    const auto partial = ReadLevelInfoAt(f3, 4096, int64_t(cut.size()));
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->levelName, "abc");
    EXPECT_EQ(partial->author, "");
}

// The launcher's walk and the tools' reader see the same records across the
// cursor's read boundaries (32 records with the header, then 1024 a read); a
// directory cut short ends the walk at its last whole record.
TEST_F(VppReaderTest, TheLenientWalkSeesWhatTheStrictReaderSees)
{
    std::vector<VppEntry> entries;
    for (int i = 0; i < 1100; ++i)
        entries.push_back({"e" + std::to_string(i) + ".tga", std::string(size_t(i % 3), 'x')});
    const std::string bytes = BuildVpp(entries);
    Directory dir;
    ASSERT_EQ(read(bytes, &dir), "");
    fs::ReadFile file(world.root() + "/p.vpp");
    DirectoryCursor cursor(file);
    ASSERT_TRUE(cursor.isPackfile());
    EXPECT_EQ(cursor.count(), 1100);
    Record record;
    size_t seen = 0;
    while (cursor.next(&record)) {
        ASSERT_LT(seen, dir.entries.size());
        EXPECT_EQ(record.name, dir.entries[seen].name) << seen;
        EXPECT_EQ(uint32_t(record.size), dir.entries[seen].size) << seen;
        ++seen;
    }
    EXPECT_EQ(seen, 1100u);

    // Cut inside record 1050: the walk gives the 1049 whole ones and stops.
    const std::string cut = world.writeFile("cut.vpp", bytes.substr(0, 2048 + 64 * 1049 + 30));
    fs::ReadFile cutFile(cut);
    DirectoryCursor cutCursor(cutFile);
    seen = 0;
    while (cutCursor.next(&record))
        ++seen;
    EXPECT_EQ(seen, 1049u);
    EXPECT_FALSE(cutCursor.next(&record));
    EXPECT_THAT(read(bytes.substr(0, 2048 + 64 * 1049 + 30), &dir), HasSubstr("past the end"));

    VppLayout version2;
    version2.version = 2;
    fs::ReadFile foreign(world.writeFile("v2.vpp", BuildVpp({{"a", "x"}}, version2)));
    EXPECT_FALSE(DirectoryCursor(foreign).isPackfile());
}

TEST_F(VppReaderTest, PiecesOfAnySizeReadTheSameAndAChangeBetweenReadsIsCaught)
{
    std::vector<VppEntry> entries;
    for (int i = 0; i < 1100; ++i)
        entries.push_back({"e" + std::to_string(i) + ".tga", std::string(size_t(i % 3), 'x')});
    entries[1090].name = "E5.TGA"; // the first entry with its name lies pieces back
    const std::string bytes = BuildVpp(entries);
    Directory dir;
    ASSERT_EQ(read(bytes, &dir), "");
    ASSERT_EQ(dir.warnings.size(), 1u);
    EXPECT_THAT(dir.warnings[0], HasSubstr("Entry 1091 (\"E5.TGA\") has the name of entry 6"));

    const ByteReader fromBytes = [&bytes](void* to, size_t size, int64_t offset) {
        const size_t n = std::min(size, bytes.size() - size_t(offset));
        std::memcpy(to, bytes.data() + offset, n);
        return n;
    };
    for (const int64_t perRead : {1, 3, 1024, 5000}) {
        std::vector<Entry> seen;
        std::vector<std::string> warnings;
        ASSERT_TRUE(ScanDirectory(
            fromBytes, bytes.size(),
            [&seen](const EntryView& e) {
                seen.push_back({std::string(e.name), e.size, e.offset});
            },
            &warnings, nullptr, perRead));
        EXPECT_EQ(seen, dir.entries) << perRead;
        EXPECT_EQ(warnings, dir.warnings) << perRead;
    }

    // Entry 1000 grows past the end once the checking read is over: it is
    // never handed on, and the scan says why it stopped.
    std::string changed = bytes;
    StoreU32(reinterpret_cast<unsigned char*>(changed.data()) + 2048 + 64 * 999 + 60, 1u << 30);
    int64_t lastOffset = -1;
    bool again = false; // reading from the start again
    const ByteReader changing = [&](void* to, size_t size, int64_t offset) {
        again = again || offset < lastOffset;
        lastOffset = offset;
        const std::string& now = again ? changed : bytes;
        const size_t n = std::min(size, now.size() - size_t(offset));
        std::memcpy(to, now.data() + offset, n);
        return n;
    };
    size_t visited = 0;
    std::string error;
    EXPECT_FALSE(ScanDirectory(
        changing, bytes.size(), [&visited](const EntryView&) { ++visited; }, nullptr, &error, 100));
    EXPECT_EQ(visited, 999u);
    EXPECT_EQ(error, "The packfile changed while it was read.");
}

} // namespace
} // namespace qm::vpp::test
