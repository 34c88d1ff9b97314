#include "demo/demo_game/packfile_builder.h"
#include "launcher/catalogue.h"
#include "launcher/catalogue_cache.h"
#include "platform/file_system.h"
#include "support/temp_world.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

using namespace playdeck;
using qm::test::readFileBytes;
using qm::test::TempWorldTest;

namespace {

namespace sfs = std::filesystem;

class CatalogueCacheTest : public TempWorldTest {
protected:
    void SetUp() override
    {
        folder = world.makeDir("game/user_maps/single") + "/";
        cacheFolder = world.root() + "/cache";
    }
    // A level packfile whose modification time lies minutesAgo in the past.
    std::string level(const std::string& file, const std::string& name, int minutesAgo = 60)
    {
        const std::string rfl = file.substr(0, file.size() - 4) + ".rfl";
        const std::string path = world.writeFile(
            "game/user_maps/single/" + file,
            qm::demo::BuildVpp({{rfl, qm::demo::BuildRfl(name, "Author", "2001"), {}}}));
        age(path, minutesAgo);
        return path;
    }
    static void age(const std::string& path, int minutesAgo)
    {
        sfs::last_write_time(path,
                             sfs::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
    }
    // One scan as a start-up runs it: the cache read, used and written.
    std::vector<CatalogueRow> scan(int* hits = nullptr, int* reads = nullptr)
    {
        CatalogueCache cache(cacheFolder, folder);
        auto rows = ScanLevelFolder(folder, &cache);
        EXPECT_TRUE(cache.save());
        if (hits)
            *hits = cache.hits();
        if (reads)
            *reads = cache.reads();
        return rows;
    }
    std::string cacheFile() const { return CatalogueCache::FileFor(cacheFolder, folder); }

    std::string folder, cacheFolder;
};

TEST_F(CatalogueCacheTest, UnchangedPackfilesAreNotReadAgain)
{
    level("a.vpp", "Alpha");
    level("b.vpp", "Beta");
    world.writeFile("game/user_maps/single/junk.vpp", "no packfile");
    age(folder + "junk.vpp", 60);
    int hits = 0, reads = 0;
    const auto first = scan(&hits, &reads);
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(first, ScanLevelFolder(folder));
    ASSERT_EQ(first.size(), 2u);

    // A second start reads no packfile, not even the one that is no level,
    // and leaves the cache file alone.
    const auto before = qm::fs::Stat(cacheFile());
    EXPECT_EQ(scan(&hits, &reads), first);
    EXPECT_EQ(hits, 3);
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(qm::fs::Stat(cacheFile()).inode, before.inode);

    // A packfile rewritten in place that keeps size and time is the same
    // file as far as the cache can tell: its old row stays. This is the
    // trade the cache makes, and it shows that the rows came from it.
    const std::string b = folder + "b.vpp";
    const auto bInfo = qm::fs::Stat(b);
    const auto bTime = sfs::last_write_time(b);
    world.writeFile(
        "game/user_maps/single/b.vpp",
        qm::demo::BuildVpp({{"b.rfl", qm::demo::BuildRfl("Bxxx", "Author", "2001"), {}}}));
    sfs::last_write_time(b, bTime);
    ASSERT_EQ(qm::fs::Stat(b).size, bInfo.size);
    EXPECT_EQ(scan()[1][1], "Beta");
}

TEST_F(CatalogueCacheTest, ReplacedPackfileGetsItsNewRow)
{
    const std::string a = level("a.vpp", "Alpha", 60);
    level("b.vpp", "Beta", 60);
    scan();
    // Same name and size, new contents and time (the usual download over it).
    const std::string replacement =
        qm::demo::BuildVpp({{"a.rfl", qm::demo::BuildRfl("Aleph", "Author", "2001"), {}}});
    ASSERT_EQ(replacement.size(), qm::fs::Stat(a).size);
    world.writeFile("game/user_maps/single/a.vpp", replacement);
    age(a, 30);
    int hits = 0, reads = 0;
    auto rows = scan(&hits, &reads);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (CatalogueRow{"a.vpp", "Aleph", "Author", "2001"}));
    EXPECT_EQ(rows[1][1], "Beta");
    EXPECT_EQ(reads, 1);

    // Renamed over it with the very same time: another file (inode).
    const auto time = sfs::last_write_time(a);
    const std::string other = world.writeFile(
        "elsewhere/a.vpp",
        qm::demo::BuildVpp({{"a.rfl", qm::demo::BuildRfl("Alef", "Author", "2001"), {}}}));
    sfs::last_write_time(other, time);
    sfs::rename(other, a);
    EXPECT_EQ(scan()[0][1], "Alef");

    // Changed only just now: a later change within the clock's granularity
    // could keep the same time, so the file is read at every scan for now.
    world.writeFile(
        "game/user_maps/single/a.vpp",
        qm::demo::BuildVpp({{"a.rfl", qm::demo::BuildRfl("Now", "Author", "2001"), {}}}));
    scan();
    scan(&hits, &reads);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(hits, 1);

    // Removed files go, new ones come, a level that stops being one goes.
    sfs::remove(folder + "b.vpp");
    level("c.vpp", "Gamma");
    rows = scan();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][0], "c.vpp");
    world.writeFile("game/user_maps/single/c.vpp", "no longer a packfile");
    EXPECT_EQ(scan().size(), 1u);
}

TEST_F(CatalogueCacheTest, BrokenForeignOrOutdatedCacheFilesAreIgnored)
{
    level("a.vpp", "Alpha");
    level("b.vpp", "Beta");
    const auto truth = ScanLevelFolder(folder);
    scan();
    const std::string good = readFileBytes(cacheFile());
    ASSERT_FALSE(good.empty());

    const auto hitsWith = [&](const std::string& bytes, const char* what) {
        qm::fs::SaveFileAtomic(cacheFile(), bytes);
        CatalogueCache cache(cacheFolder, folder);
        EXPECT_EQ(ScanLevelFolder(folder, &cache), truth) << what;
        return cache.hits();
    };
    const auto expectIgnored = [&](const std::string& bytes, const char* what) {
        EXPECT_EQ(hitsWith(bytes, what), 0) << what;
    };
    ASSERT_EQ(hitsWith(good, "good"), 2);
    // Every cut of the file, and a byte too many.
    for (size_t cut = 0; cut < good.size(); ++cut)
        expectIgnored(good.substr(0, cut), "cut");
    expectIgnored(good + "x", "trailing byte");
    // Another format or another version of the reading rules.
    std::string other = good;
    other[4] = 2;
    expectIgnored(other, "format");
    other = good;
    other[8] = static_cast<char>(kLevelRulesVersion + 1);
    expectIgnored(other, "rules");
    // A cache written for another folder (as if two folders' names hashed alike).
    expectIgnored(good.substr(0, 12) + std::string("\x04\0\0\0/xyz", 8) +
                      good.substr(12 + 4 + folder.size()),
                  "folder");
    // A folder in place of the cache file, or no cache folder at all.
    sfs::remove(cacheFile());
    sfs::create_directory(cacheFile());
    CatalogueCache blocked(cacheFolder, folder);
    EXPECT_EQ(ScanLevelFolder(folder, &blocked), truth);
    EXPECT_FALSE(blocked.save());
    CatalogueCache none("", folder);
    EXPECT_EQ(ScanLevelFolder(folder, &none), truth);
    EXPECT_TRUE(none.save());
}

TEST_F(CatalogueCacheTest, ModeScansKeepTheirCacheUnderXdgCacheHome)
{
    const std::string game = world.root() + "/game/";
    level("a.vpp", "Alpha");
    world.writeFile("game/mods/m/lvl.vpp",
                    qm::demo::BuildVpp({{"lvl.rfl", qm::demo::BuildRfl("L", "A", "D"), {}}}));
    age(game + "mods/m/lvl.vpp", 60);
    const auto single = ScanMode(LevelMode::Singleplayer, game);
    const auto mods = ScanMode(LevelMode::Mods, game);
    const std::string cacheHome = world.home() + "/.cache/quorvel-manager";
    EXPECT_EQ(CatalogueCache::DefaultFolder(), cacheHome);
    EXPECT_TRUE(qm::fs::IsRegularFile(CatalogueCache::FileFor(cacheHome, folder)));
    CatalogueCache modsCache(cacheHome, game + "mods/");
    EXPECT_EQ(ScanModsFolder(game + "mods/", &modsCache), mods);
    EXPECT_EQ(modsCache.hits(), 1);
    EXPECT_EQ(ScanMode(LevelMode::Singleplayer, game), single);
}

} // namespace
