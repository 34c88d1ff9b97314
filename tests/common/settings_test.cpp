#include "common/settings.h"
#include "support/temp_world.h"

namespace qm {
namespace {

using test::TempWorldTest;

class SettingsTest : public qm::test::TempWorldTest {};

TEST_F(SettingsTest, SettingsRoundTripAndDefaults)
{
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Software\\X", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ReadRegDword(HKEY_CURRENT_USER, "Software\\X", "Missing", 7u), 7u);
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, "Software\\A\\B\\C", "Name", "value"));
    ASSERT_TRUE(WriteRegDword(HKEY_CURRENT_USER, "Software\\A\\B\\C", "Num", 0xdeadbeef));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "software\\a\\b\\c", "NAME", "x"), "value");
    EXPECT_EQ(ReadRegDword(HKEY_CURRENT_USER, "SOFTWARE\\A\\B\\C", "num", 0), 0xdeadbeefu);
    // The roots are separate.
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "Software\\A\\B\\C", "Name", "lm"), "lm");
    // Parents were created with the key.
    RegistryStore store;
    EXPECT_TRUE(store.keyExists(HKEY_CURRENT_USER, "Software\\A"));
    EXPECT_EQ(store.subKeys(HKEY_CURRENT_USER, "Software\\a"), std::vector<std::string>{"B"});
}

TEST_F(SettingsTest, SettingsReadLimitsAndEmptyValue)
{
    RegistryStore store;
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "K", "Empty", regtype::REG_SZ, ""));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "K", "Empty", "dflt"), "");
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, "K", "Fits", std::string(8190, 'a')));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "K", "Fits", "d").size(), 8190u);
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, "K", "TooLong", std::string(8191, 'a')));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "K", "TooLong", "d"), "d");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "K", "TooLong"), "");
}

TEST_F(SettingsTest, CorruptDatabaseIsNeverOverwritten)
{
    const std::string junk =
        "this is not a database, and it must survive\n" + std::string(5000, 'x');
    world.writeFile("registry.sqlite", junk);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "K", "V", "dflt"), "dflt");
    EXPECT_FALSE(WriteRegString(HKEY_CURRENT_USER, "K", "V", "x"));
    EXPECT_FALSE(WriteRegDword(HKEY_CURRENT_USER, "K", "V", 1));
    EXPECT_EQ(test::readFileBytes(world.registryPath()), junk);
}

TEST_F(SettingsTest, UnwritableDatabaseFolderFailsWrites)
{
    // A plain file where the folder should be: no user, root included, can create it.
    const std::string blocker = world.writeFile("blocker", "x");
    world.setEnv("QM_REGISTRY_DB", blocker + "/sub/registry.sqlite");
    EXPECT_FALSE(WriteRegString(HKEY_CURRENT_USER, "K", "V", "x"));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "K", "V", "d"), "d");
    EXPECT_EQ(test::readFileBytes(blocker), "x");
}

TEST(GetTempFolderTest, TrailingSeparatorAndFallbacks)
{
    test::TempWorld world;
    world.setEnv("TEMP", "/var/tmpx");
    EXPECT_EQ(GetTempFolder(), "/var/tmpx/");
    world.setEnv("TEMP", "/var/tmpx/");
    EXPECT_EQ(GetTempFolder(), "/var/tmpx/");
    world.setEnv("TEMP", "");
    world.setEnv("TMPDIR", "/t2");
    EXPECT_EQ(GetTempFolder(), "/t2/");
    world.unsetEnv("TEMP");
    world.unsetEnv("TMPDIR");
    EXPECT_EQ(GetTempFolder(), "/tmp/");
}

} // namespace
} // namespace qm
