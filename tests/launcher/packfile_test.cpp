#include "demo/demo_game/packfile_builder.h"
#include "launcher/packfile.h"
#include "support/temp_world.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace playdeck;
using namespace qm::demo;
using qm::test::TempWorldTest;

namespace {

class PackfileTest : public TempWorldTest {
protected:
    std::string write(const std::string& name, const std::string& bytes)
    {
        return world.writeFile("packs/" + name, bytes);
    }
    static std::string Level(const std::string& name = "Level", const std::string& author = "Me",
                             const std::string& date = "2001")
    {
        return BuildRfl(name, author, date);
    }
};

TEST_F(PackfileTest, DataBlocksFollowTheAlignedDirectory)
{
    // N = 3: data from 4096; a 5000-byte first file moves the second to 10240.
    const std::string three = write("three.vpp", BuildVpp({{"a.bin", std::string(5000, 'a'), {}},
                                                           {"three.rfl", Level(), {}},
                                                           {"c.bin", "c", {}}}));
    EXPECT_EQ(FindRflInVpp(three), 10240);

    // Third entry: the first block plus the aligned sizes of entries one and two.
    const std::string third = write("third.vpp", BuildVpp({{"a.bin", std::string(5000, 'a'), {}},
                                                           {"b.bin", std::string(2049, 'b'), {}},
                                                           {"third.rfl", Level("Third"), {}}}));
    EXPECT_EQ(FindRflInVpp(third), 4096 + 6144 + 4096);
    EXPECT_EQ(ReadLevelInfo(third), (LevelInfo{"Third", "Me", "2001"}));

    // 32 records fill the 2048-byte directory exactly; a 33rd moves the data on.
    for (int n : {32, 33}) {
        std::vector<VppEntry> entries(size_t(n - 1), VppEntry{"x.bin", "", {}});
        entries.push_back({"many.rfl", Level("Many"), {}});
        const std::string path = write("many.vpp", BuildVpp(entries));
        EXPECT_EQ(FindRflInVpp(path), n == 32 ? 4096 : 6144) << n;
        EXPECT_EQ(ReadLevelInfo(path)->levelName, "Many");
    }
}

TEST_F(PackfileTest, LevelFileIsMatchedByNameWithoutRegardToCase)
{
    const std::string path = write("glass house.vpp", BuildVpp({{"GLASS HOUSE.RFL", Level(), {}}}));
    EXPECT_EQ(FindRflInVpp(path), 4096);
    // The packfile's own name may be in any case, too, and only the first match counts.
    const std::string upper =
        write("Glass House.VPP", BuildVpp({{"other.rfl", Level("Other"), {}},
                                           {"glass house.rfl", Level("First"), {}},
                                           {"Glass House.rfl", Level("Second"), {}}}));
    EXPECT_EQ(ReadLevelInfo(upper)->levelName, "First");
    // A level file named after another packfile does not count.
    EXPECT_EQ(FindRflInVpp(write("lonely.vpp", BuildVpp({{"glass house.rfl", Level(), {}}}))), -1);
    // A 60-byte directory name has no terminator; the name ends after 60 bytes.
    const std::string long56(56, 'n');
    EXPECT_EQ(FindRflInVpp(write(long56 + ".vpp", BuildVpp({{long56 + ".rfl", Level(), {}}}))),
              4096);

    EXPECT_EQ(LevelFileNameFor("/games/rf/user_maps/single/Glass House.VPP"), "glass house.rfl");
    EXPECT_EQ(LevelFileNameFor("Glass House.vpp"), "glass house.rfl");
    EXPECT_EQ(LevelFileNameFor("/x/ab"), ".rfl");
}

TEST_F(PackfileTest, EmptyAndNegativeStringLengthsGiveEmptyStrings)
{
    const std::string strings = RflString(0, "") + RflString(-5, "") + RflString("2001-09-09");
    const std::string path =
        write("odd.vpp", BuildVpp({{"odd.rfl", BuildRflRaw(32, strings), {}}}));
    std::string name = "x", author = "y", date = "z";
    ASSERT_TRUE(ReadLevelInfo(path, name, author, date));
    EXPECT_EQ(name, "");
    EXPECT_EQ(author, "");
    EXPECT_EQ(date, "2001-09-09");
}

TEST_F(PackfileTest, ForeignOrBrokenHeadersAreNoLevel)
{
    const std::vector<VppEntry> level{{"bad.rfl", Level(), {}}};
    std::vector<VppLayout> bad;
    for (uint32_t version : {0u, 2u, 3u, 4u, 6u})
        bad.push_back({kVppSignature, version, {}});
    bad.push_back({0xCE0A8951, 1, {}}); // byte-swapped signature
    bad.push_back({0, 1, {}});
    bad.push_back({kVppSignature, 1, 0});
    bad.push_back({kVppSignature, 1, -1});
    bad.push_back({kVppSignature, 1, INT32_MIN});
    for (const VppLayout& layout : bad) {
        const std::string path = write("bad.vpp", BuildVpp(level, layout));
        EXPECT_EQ(FindRflInVpp(path), -1) << layout.signature << " " << layout.version;
        std::string name = "untouched", author, date;
        EXPECT_FALSE(ReadLevelInfo(path, name, author, date));
        EXPECT_EQ(name, "untouched");
    }
    // A huge count runs into the end of the directory and finds nothing.
    EXPECT_EQ(FindRflInVpp(
                  write("huge.vpp", BuildVpp({{"x.bin", "x", {}}}, {kVppSignature, 1, INT32_MAX}))),
              -1);
    // A negative size before the level file leaves its place unknown.
    EXPECT_EQ(
        FindRflInVpp(write("neg.vpp", BuildVpp({{"x.bin", "x", -4096}, {"neg.rfl", Level(), {}}}))),
        -1);
    // Sizes adding up past what a 32-bit offset holds.
    EXPECT_EQ(FindRflInVpp(write("big.vpp", BuildVpp({{"a.bin", "", INT32_MAX},
                                                      {"b.bin", "", INT32_MAX},
                                                      {"big.rfl", Level(), {}}}))),
              -1);
    EXPECT_EQ(FindRflInVpp(write("empty.vpp", "")), -1);
    EXPECT_EQ(FindRflInVpp(world.root() + "/no such.vpp"), -1);
    EXPECT_EQ(FindRflInVpp(world.makeDir("folder.vpp")), -1);
}

TEST_F(PackfileTest, InformationOffsetOutsideTheFileIsNoLevel)
{
    for (int32_t x : {-5000, -4097 - 12, INT32_MAX, INT32_MIN, 1 << 20}) {
        const std::string path =
            write("x.vpp", BuildVpp({{"x.rfl", BuildRflRaw(x, RflString("Name")), {}}}));
        std::string name = "untouched", author, date;
        EXPECT_FALSE(ReadLevelInfo(path, name, author, date)) << x;
        EXPECT_EQ(name, "untouched");
    }
    // An offset landing exactly at the start of the file is a readable position.
    const std::string start =
        write("s.vpp", BuildVpp({{"s.rfl", BuildRflRaw(-4096 - 12, ""), {}}}));
    EXPECT_TRUE(ReadLevelInfo(start).has_value());
}

TEST_F(PackfileTest, TruncatedPackfilesNeverYieldStrayCharacters)
{
    const LevelInfo full{"The Glass House", "Jane Doe", "06/15/2001"};
    const std::string whole =
        BuildVpp({{"readme.txt", std::string(100, 'r'), {}},
                  {"cut.rfl", BuildRfl(full.levelName, full.author, full.date), {}}});
    const auto isPrefix = [](const std::string& part, const std::string& of) {
        return of.compare(0, part.size(), part) == 0;
    };
    int levels = 0;
    for (size_t cut = 0; cut <= whole.size(); cut += (cut > 6140 && cut < 6260) ? 1 : 7) {
        const std::string path = write("cut.vpp", whole.substr(0, cut));
        const std::optional<LevelInfo> info = ReadLevelInfo(path);
        if (!info)
            continue;
        ++levels;
        EXPECT_TRUE(isPrefix(info->levelName, full.levelName)) << cut;
        EXPECT_TRUE(isPrefix(info->author, full.author)) << cut;
        EXPECT_TRUE(isPrefix(info->date, full.date)) << cut;
    }
    EXPECT_GT(levels, 1); // cuts inside the strings still give what is there
    EXPECT_EQ(ReadLevelInfo(write("cut.vpp", whole)), full);
    const std::string cutDir = write("cut.vpp", whole.substr(0, 2048 + 64 + 10));
    EXPECT_EQ(FindRflInVpp(cutDir), -1);
}

TEST_F(PackfileTest, LongDirectoriesAndLongStringsAreReadWhole)
{
    // The directory is read in blocks: the level file first in a later block,
    // last in one, and far on, each found at its place.
    for (int at : {31, 32, 1055, 1056, 2100}) {
        std::vector<VppEntry> entries(size_t(at), VppEntry{"x.bin", "", {}});
        entries[0].data = std::string(3000, 'x'); // moves every later block by 4096
        entries.push_back({"deep.rfl", Level("Deep"), {}});
        entries.push_back({"after.bin", "", {}});
        const std::string path = write("deep.vpp", BuildVpp(entries));
        EXPECT_EQ(FindRflInVpp(path), AlignUp2048(2048 + 64 * (at + 2)) + 4096) << at;
        EXPECT_EQ(ReadLevelInfo(path), (LevelInfo{"Deep", "Me", "2001"})) << at;
        // A directory cut off before the record finds nothing.
        const std::string cut = write("deep.vpp", BuildVpp(entries).substr(0, 2048 + 64 * at + 63));
        EXPECT_EQ(FindRflInVpp(cut), -1) << at;
    }
    // Strings around and far beyond what one read of the strings takes, and a
    // set cut short by the end of the file.
    for (size_t n : {0, 1, 505, 506, 507, 600, 2000, 32767}) {
        const LevelInfo info{std::string(n, 'n'), std::string(n / 2 + 1, 'a'), "06/15/2001"};
        const std::string rfl = BuildRfl(info.levelName, info.author, info.date);
        const std::string path = write("long.vpp", BuildVpp({{"long.rfl", rfl, {}}}));
        EXPECT_EQ(ReadLevelInfo(path), info) << n;
        const std::string image = BuildVpp({{"long.rfl", rfl, {}}});
        // Cut after the first letter of the author.
        const size_t strings =
            image.find(info.date) - 2 - (info.author.size() + 2) - (info.levelName.size() + 2);
        const std::string cut = write("long.vpp", image.substr(0, strings + 2 + n + 2 + 1));
        EXPECT_EQ(ReadLevelInfo(cut), (LevelInfo{info.levelName, "a", ""})) << n;
    }
}

// Read calls the process has made so far (Linux task I/O accounting), or -1.
long ReadCalls()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = -1;
    while (io >> key >> value)
        if (key == "syscr:")
            return value;
    return -1;
}

TEST_F(PackfileTest, ALevelTakesThreeReads)
{
    // The header with the directory, the information offset, the strings:
    // each one read, however the directory and strings are laid out.
    std::vector<std::string> paths;
    for (int i = 0; i < 20; ++i) {
        const std::string name = "level" + std::to_string(i);
        paths.push_back(write(name + ".vpp", BuildVpp({{"readme.txt", "r", {}},
                                                       {"sky.tga", std::string(3000, 's'), {}},
                                                       {name + ".rfl", Level(name), {}}})));
    }
    if (ReadCalls() < 0)
        GTEST_SKIP() << "no /proc/self/io here";
    const long before = ReadCalls();
    for (const std::string& path : paths)
        ASSERT_TRUE(ReadLevelInfo(path).has_value());
    // A few reads of /proc/self/io itself come on top.
    EXPECT_LE(ReadCalls() - before, 3 * long(paths.size()) + 4);
}

} // namespace
