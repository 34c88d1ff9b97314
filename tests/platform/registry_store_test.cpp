#include "platform/registry_store.h"
#include "support/file_size_limit.h"
#include "support/listed_names.h"
#include "support/temp_world.h"

#include <sqlite3.h>

namespace qm {
namespace {

using test::readFileBytes;
using test::TempWorldTest;
using test::valueNames;

constexpr RegRoot CU = HKEY_CURRENT_USER;
constexpr RegRoot LM = HKEY_LOCAL_MACHINE;

class RegistryStoreTest : public qm::test::TempWorldTest {};

TEST_F(RegistryStoreTest, NamesMatchWithoutCaseAndKeepTheirFirstSpelling)
{
    RegistryStore store;
    ASSERT_TRUE(store.ok()) << store.lastError();
    ASSERT_TRUE(store.createKey(CU, "Software\\MyKey\\Sub"));
    ASSERT_TRUE(store.setValue(CU, "SOFTWARE\\mykey", "InstallPath", regtype::REG_SZ, "a"));
    ASSERT_TRUE(store.setValue(CU, "software\\MYKEY", "INSTALLPATH", regtype::REG_DWORD, "bbbb"));
    ASSERT_TRUE(store.setValue(CU, "Software\\MyKey", "b", regtype::REG_SZ, "1"));
    ASSERT_TRUE(store.setValue(CU, "Software\\MyKey", "C", regtype::REG_SZ, "1"));
    ASSERT_TRUE(store.setValue(CU, "Software\\MyKey", "", regtype::REG_SZ, "def"));

    EXPECT_EQ(store.storedPath(CU, "SOFTWARE\\MYKEY\\sub"), "Software\\MyKey\\Sub");
    EXPECT_EQ(store.storedPath(CU, "Software\\Other"), std::nullopt);
    EXPECT_EQ(store.subKeys(CU, "software"), std::vector<std::string>{"MyKey"});
    const auto v = store.value(CU, "Software\\MyKey", "installpath");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->name, "InstallPath");
    EXPECT_EQ(v->type, regtype::REG_DWORD);
    EXPECT_EQ(v->data, "bbbb");
    // The default value first, then the rest without regard to case.
    EXPECT_EQ(valueNames(store.values(CU, "Software\\MyKey")),
              (std::vector<std::string>{"", "b", "C", "InstallPath"}));
    // Empty parts of a path are ignored; the roots are separate trees.
    EXPECT_TRUE(store.value(CU, "\\Software\\\\MyKey\\", "b"));
    EXPECT_FALSE(store.value(LM, "Software\\MyKey", "b"));

    ASSERT_TRUE(store.deleteValue(CU, "Software\\MyKey", ""));
    EXPECT_FALSE(store.value(CU, "Software\\MyKey", ""));
    EXPECT_TRUE(store.value(CU, "Software\\MyKey", "b"));
}

TEST_F(RegistryStoreTest, DeleteKeyTakesOnlyTheKeyAndWhatIsBelowIt)
{
    RegistryStore store;
    // Siblings whose names sort right next to "A\...".
    for (const char* k : {"A", "A\\B", "A\\B\\C", "AB", "A[", "A]", "A^", "A B", "B\\A"})
        ASSERT_TRUE(store.setValue(CU, k, "v", regtype::REG_SZ, k));
    ASSERT_TRUE(store.setValue(LM, "A\\B", "v", regtype::REG_SZ, "lm"));

    ASSERT_TRUE(store.deleteKey(CU, "a"));
    for (const char* gone : {"A", "A\\B", "A\\B\\C"}) {
        EXPECT_FALSE(store.keyExists(CU, gone)) << gone;
        EXPECT_FALSE(store.value(CU, gone, "v")) << gone;
    }
    for (const char* kept : {"AB", "A[", "A]", "A^", "A B", "B\\A"}) {
        EXPECT_TRUE(store.keyExists(CU, kept)) << kept;
        EXPECT_TRUE(store.value(CU, kept, "v")) << kept;
    }
    EXPECT_TRUE(store.value(LM, "A\\B", "v"));
    EXPECT_TRUE(store.deleteKey(CU, "Never\\There"));
    EXPECT_FALSE(store.deleteKey(CU, "\\"));
}

TEST_F(RegistryStoreTest, TransactAppliesAllOrNothing)
{
    RegistryStore store;
    ASSERT_TRUE(store.setValue(CU, "K", "before", regtype::REG_SZ, "1"));
    EXPECT_FALSE(store.transact([&] {
        return store.setValue(CU, "K", "a", regtype::REG_SZ, "1") && store.deleteKey(CU, "K") &&
               false;
    }));
    EXPECT_TRUE(store.value(CU, "K", "before"));
    EXPECT_FALSE(store.value(CU, "K", "a"));

    // A failed inner batch spoils the outer one even when the outer body says yes.
    EXPECT_FALSE(store.transact([&] {
        store.setValue(CU, "K", "outer", regtype::REG_SZ, "1");
        store.transact([] { return false; });
        return true;
    }));
    EXPECT_FALSE(store.value(CU, "K", "outer"));

    EXPECT_TRUE(store.transact([&] {
        return store.setValue(CU, "K", "x", regtype::REG_SZ, "1") &&
               store.setValue(CU, "K\\Sub", "y", regtype::REG_SZ, "2");
    }));
    // Another connection sees the committed batch.
    RegistryStore other(RegistryStore::Mode::ReadOnly);
    EXPECT_TRUE(other.value(CU, "k\\sub", "Y"));
}

TEST_F(RegistryStoreTest, ForeignOrMissingDatabasesAreNeverWritten)
{
    // A valid SQLite database of someone else's.
    const std::string foreign = world.root() + "/notes.sqlite";
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(t TEXT); INSERT INTO notes VALUES('mine')",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    const std::string bytes = readFileBytes(foreign);
    {
        RegistryStore store(RegistryStore::Mode::ReadWrite, foreign);
        EXPECT_FALSE(store.ok());
        EXPECT_NE(store.lastError().find("not a registry database"), std::string::npos);
        EXPECT_FALSE(store.setValue(CU, "K", "v", regtype::REG_SZ, "x"));
        EXPECT_FALSE(store.createKey(CU, "K"));
        EXPECT_FALSE(store.value(CU, "K", "v"));
    }
    EXPECT_EQ(readFileBytes(foreign), bytes);

    // Reading never creates a store.
    const std::string missing = world.root() + "/missing.sqlite";
    RegistryStore reader(RegistryStore::Mode::ReadOnly, missing);
    EXPECT_FALSE(reader.ok());
    EXPECT_FALSE(reader.keyExists(CU, "K"));
    EXPECT_FALSE(std::filesystem::exists(missing));

    // A read-only store refuses writes.
    {
        RegistryStore(RegistryStore::Mode::ReadWrite).createKey(CU, "K");
    }
    RegistryStore ro(RegistryStore::Mode::ReadOnly);
    ASSERT_TRUE(ro.ok());
    EXPECT_FALSE(ro.setValue(CU, "K", "v", regtype::REG_SZ, "x"));
}

// A name a script cannot carry never gets in: an export must import again.
TEST_F(RegistryStoreTest, NamesWithLineBreaksAreRefusedOnWrite)
{
    RegistryStore store;
    for (const char* key : {"Software\\A\nB", "Software\\A\rB"}) {
        EXPECT_FALSE(store.createKey(CU, key));
        EXPECT_FALSE(store.setValue(CU, key, "v", regtype::REG_SZ, std::string("x\0", 2)));
        EXPECT_NE(store.lastError().find("line break"), std::string::npos) << store.lastError();
        EXPECT_NE(store.lastError().find(store.path()), std::string::npos);
    }
    EXPECT_FALSE(store.setValue(CU, "Software\\A", "two\nlines", regtype::REG_SZ, "x"));
    // Inside a batch the refusal takes the whole batch back.
    EXPECT_FALSE(store.transact([&] {
        store.setValue(CU, "Software\\Good", "v", regtype::REG_SZ, "x");
        store.setValue(CU, "Software\\Good", "bad\r", regtype::REG_SZ, "x");
        return true;
    }));
    EXPECT_TRUE(store.subKeys(CU, "Software").empty());
    // Line breaks in data are fine.
    EXPECT_TRUE(store.setValue(CU, "Software\\A", "v", regtype::REG_SZ, "two\nlines"));
}

// Each message names the store file and SQLite's own cause, not a later one.
TEST_F(RegistryStoreTest, StoreErrorsNameTheFileAndTheRealCause)
{
    const std::string text = world.writeFile("notes.sqlite", std::string(8192, 'n'));
    {
        RegistryStore store(RegistryStore::Mode::ReadWrite, text);
        EXPECT_FALSE(store.ok());
        EXPECT_NE(store.lastError().find(text), std::string::npos) << store.lastError();
        EXPECT_NE(store.lastError().find("file is not a database"), std::string::npos)
            << store.lastError();
    }
    {
        const std::string missing = world.root() + "/none.sqlite";
        RegistryStore store(RegistryStore::Mode::ReadOnly, missing);
        EXPECT_NE(store.lastError().find(missing), std::string::npos);
        EXPECT_NE(store.lastError().find("does not exist"), std::string::npos) << store.lastError();
    }
    {
        RegistryStore(RegistryStore::Mode::ReadWrite).createKey(CU, "K");
        RegistryStore ro(RegistryStore::Mode::ReadOnly);
        EXPECT_FALSE(ro.setValue(CU, "K", "v", regtype::REG_SZ, "x"));
        EXPECT_NE(ro.lastError().find(ro.path()), std::string::npos) << ro.lastError();
    }

    // A full disk (the file-size limit stands in for it) shows up in the commit.
    RegistryStore store;
    ASSERT_TRUE(store.createKey(CU, "Big"));
    bool written = true;
    {
        const test::FileSizeLimit limit(256 << 10);
        ASSERT_TRUE(limit.active());
        written = store.transact([&] {
            for (int i = 0; i < 64; ++i)
                if (!store.setValue(CU, "Big", "v" + std::to_string(i), regtype::REG_BINARY,
                                    std::string(16 << 10, 'x')))
                    return false;
            return true;
        });
    }
    EXPECT_FALSE(written);
    EXPECT_NE(store.lastError().find(store.path()), std::string::npos) << store.lastError();
    // SQLite says "disk is full" for ENOSPC and "disk I/O error" for the size limit.
    EXPECT_TRUE(store.lastError().find("disk is full") != std::string::npos ||
                store.lastError().find("disk I/O error") != std::string::npos)
        << store.lastError();
    EXPECT_EQ(store.lastError().find("no transaction is active"), std::string::npos);
    // Nothing of the batch is there, and the store still works.
    EXPECT_TRUE(store.values(CU, "Big").empty());
    EXPECT_TRUE(store.setValue(CU, "Big", "after", regtype::REG_SZ, "ok"));
}

TEST_F(RegistryStoreTest, InMemoryStoreLeavesNoFile)
{
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(world.root());
    {
        RegistryStore store(RegistryStore::Mode::ReadWrite, ":memory:");
        ASSERT_TRUE(store.ok()) << store.lastError();
        ASSERT_TRUE(store.setValue(LM, "A\\B", "v", regtype::REG_DWORD, "1234"));
        EXPECT_EQ(store.value(LM, "a\\b", "V")->data, "1234");
    }
    EXPECT_FALSE(std::filesystem::exists(world.root() + "/:memory:"));
    std::filesystem::current_path(cwd);
}

} // namespace
} // namespace qm
