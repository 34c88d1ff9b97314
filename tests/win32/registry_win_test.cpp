// The settings store, the registry helpers and REGEDIT4 scripts on the real
// Windows registry.
#include "common/registry_script.h"
#include "common/settings.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "platform/registry_store.h"
#include "support/listed_names.h"
#include "win_support.h"

namespace qm::wintest {
namespace {

constexpr RegRoot CU = HKEY_CURRENT_USER;
constexpr RegRoot LM = HKEY_LOCAL_MACHINE;

using qm::test::valueNames;

// What Windows' own reg.exe prints for a key, run as its own process.
std::string regQuery(const std::string& folder, const std::string& parameters)
{
    const std::string out = folder + "\\reg-" + std::to_string(std::rand()) + ".txt";
    ProcessStartRequest request{"reg.exe", {}, "", {}, out};
    request.parameters = parameters;
    EXPECT_TRUE(DetachedProcessStarter().start(request));
    std::string text;
    // Until the output stops growing.
    size_t seen = 0;
    int still = 0;
    WaitFor([&] {
        text = ReadBytes(out);
        still = !text.empty() && text.size() == seen ? still + 1 : 0;
        seen = text.size();
        return still >= 10;
    });
    return text;
}

TEST_F(WinTest, StoreKeepsNamesCaseAndBytesOnTheRealRegistry)
{
    const std::string k = testKey();
    RegistryStore store;
    ASSERT_TRUE(store.ok());
    ASSERT_TRUE(store.createKey(CU, k + "\\MyKey\\Sub"));
    ASSERT_TRUE(store.setValue(CU, k + "\\MYKEY", "InstallPath", regtype::REG_SZ, "a"));
    ASSERT_TRUE(store.setValue(CU, k + "\\mykey", "INSTALLPATH", regtype::REG_DWORD, "bbbb"));
    ASSERT_TRUE(store.setValue(CU, k + "\\MyKey", "b", regtype::REG_SZ, "1"));
    ASSERT_TRUE(store.setValue(CU, k + "\\MyKey", "C", regtype::REG_SZ, "1"));
    ASSERT_TRUE(store.setValue(CU, k + "\\MyKey", "", regtype::REG_SZ, "def"));

    EXPECT_EQ(store.storedPath(CU, k + "\\MYKEY\\sub"), k + "\\MyKey\\Sub");
    EXPECT_EQ(store.storedPath(CU, k + "\\Other"), std::nullopt);
    EXPECT_EQ(store.subKeys(CU, k), std::vector<std::string>{"MyKey"});
    const auto v = store.value(CU, k + "\\MyKey", "installpath");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->name, "InstallPath");
    EXPECT_EQ(v->type, regtype::REG_DWORD);
    EXPECT_EQ(v->data, "bbbb");
    EXPECT_EQ(valueNames(store.values(CU, k + "\\MyKey")),
              (std::vector<std::string>{"", "b", "C", "InstallPath"}));
    EXPECT_TRUE(store.value(CU, "\\" + k + "\\\\MyKey\\", "b"));
    EXPECT_FALSE(store.value(LM, k + "\\MyKey", "b"));

    // Text is UTF-16 in the registry: Windows-1252 bytes go in as the
    // characters they stand for and come back as UTF-8; zeros and empty
    // values stay as written.
    ASSERT_TRUE(store.setValue(CU, k, "ansi", regtype::REG_SZ, std::string("Caf\xe9\0", 5)));
    ASSERT_TRUE(
        store.setValue(CU, k, "utf8", regtype::REG_SZ, std::string("\xc3\xa9t\xc3\xa9\0", 6)));
    ASSERT_TRUE(store.setValue(CU, k, "empty", regtype::REG_SZ, ""));
    EXPECT_EQ(store.value(CU, k, "ansi")->data, std::string("Caf\xc3\xa9\0", 6));
    EXPECT_EQ(store.value(CU, k, "utf8")->data, std::string("\xc3\xa9t\xc3\xa9\0", 6));
    EXPECT_EQ(store.value(CU, k, "empty")->data, "");
    EXPECT_EQ(ReadRegString(CU, k, "empty", "default"), "");

    ASSERT_TRUE(store.deleteValue(CU, k + "\\MyKey", ""));
    EXPECT_FALSE(store.value(CU, k + "\\MyKey", ""));
    EXPECT_TRUE(store.deleteValue(CU, k + "\\MyKey", "never there"));
    ASSERT_TRUE(store.deleteKey(CU, k + "\\mykey"));
    EXPECT_FALSE(store.keyExists(CU, k + "\\MyKey\\Sub"));
    EXPECT_TRUE(store.deleteKey(CU, k + "\\Never\\There"));
    EXPECT_FALSE(store.deleteKey(CU, "\\"));

    // A line break in a name could not travel in a registry script.
    EXPECT_FALSE(store.setValue(CU, k, "two\nlines", regtype::REG_SZ, "x"));
    EXPECT_FALSE(store.createKey(CU, k + "\\two\rlines"));
    EXPECT_NE(store.lastError().find("line break"), std::string::npos) << store.lastError();
    EXPECT_EQ(store.subKeys(CU, k), std::vector<std::string>{});

    RegistryStore reader(RegistryStore::Mode::ReadOnly);
    EXPECT_FALSE(reader.setValue(CU, k, "v", regtype::REG_SZ, "x"));
    EXPECT_FALSE(reader.value(CU, k, "v"));
}

TEST_F(WinTest, MachineValuesLandInThe32BitViewWhereRegExeSeesThem)
{
    const std::string k = testKey();
    ASSERT_TRUE(WriteRegString(LM, k, "InstallPath", "C:\\Games\\Red Faction"));
    ASSERT_TRUE(WriteRegDword(LM, k, "Build", 12));
    // A 64-bit program looking without the 32-bit view finds them below Wow6432Node.
    const std::string wow = "HKLM\\Software\\Wow6432Node\\" + k.substr(k.find('\\') + 1);
    const std::string shown = regQuery(root(), "query \"" + wow + "\"");
    EXPECT_NE(shown.find("InstallPath"), std::string::npos) << shown;
    EXPECT_NE(shown.find("C:\\Games\\Red Faction"), std::string::npos) << shown;
    EXPECT_NE(shown.find("0xc"), std::string::npos) << shown;
}

TEST_F(WinTest, SettingsHelpersFallBackAndCreateWholePaths)
{
    const std::string k = testKey() + "\\Deep\\Er";
    EXPECT_EQ(ReadRegString(CU, k, "Missing", "fallback"), "fallback");
    EXPECT_EQ(ReadRegString(CU, k, "Missing"), "");
    EXPECT_EQ(ReadRegDword(CU, k, "Missing", 7u), 7u);
    ASSERT_TRUE(WriteRegString(CU, k, "Path", "C:\\A\\B.EXE"));
    ASSERT_TRUE(WriteRegDword(CU, k, "AutoClose", 1));
    EXPECT_EQ(ReadRegString(CU, k, "path", "x"), "C:\\A\\B.EXE");
    EXPECT_EQ(ReadRegDword(CU, k, "AUTOCLOSE", 0), 1u);

    // The reader's 8191-byte buffer holds 8190 characters and the zero.
    ASSERT_TRUE(WriteRegString(CU, k, "Fits", std::string(8190, 'x')));
    EXPECT_EQ(ReadRegString(CU, k, "Fits", "d").size(), 8190u);
    RegistryStore store;
    ASSERT_TRUE(store.setValue(CU, k, "TooLong", regtype::REG_SZ, std::string(8191, 'y') + '\0'));
    EXPECT_EQ(ReadRegString(CU, k, "TooLong", "d"), "d");
}

TEST_F(WinTest, TransactPutsBackWhatAFailedBatchChanged)
{
    const std::string k = testKey();
    RegistryStore store;
    ASSERT_TRUE(WriteRegString(CU, k, "before", "1"));
    ASSERT_TRUE(store.setValue(CU, k + "\\Old\\Deep", "v", regtype::REG_DWORD, "abcd"));
    ASSERT_TRUE(WriteRegString(CU, k + "\\Old", "", "default"));

    EXPECT_FALSE(store.transact([&] {
        return store.setValue(CU, k, "a", regtype::REG_SZ, "new") &&
               store.setValue(CU, k, "BEFORE", regtype::REG_SZ, "2") &&
               store.deleteKey(CU, k + "\\old") &&
               store.setValue(CU, k + "\\New\\Sub", "x", regtype::REG_SZ, "y") && false;
    }));
    EXPECT_EQ(ReadRegString(CU, k, "before", "gone"), "1");
    EXPECT_FALSE(store.value(CU, k, "a"));
    EXPECT_FALSE(store.keyExists(CU, k + "\\New"));
    EXPECT_EQ(store.value(CU, k + "\\Old\\Deep", "v")->data, "abcd");
    EXPECT_EQ(ReadRegString(CU, k + "\\Old", "", "gone"), "default");
    EXPECT_EQ(store.storedPath(CU, k + "\\old\\deep"), k + "\\Old\\Deep");

    // A failed inner batch spoils the outer one.
    EXPECT_FALSE(store.transact([&] {
        store.setValue(CU, k, "outer", regtype::REG_SZ, "1");
        store.transact([] { return false; });
        return true;
    }));
    EXPECT_FALSE(store.value(CU, k, "outer"));

    EXPECT_TRUE(store.transact([&] {
        return store.setValue(CU, k, "x", regtype::REG_SZ, "1") &&
               store.setValue(CU, k + "\\Sub", "y", regtype::REG_SZ, "2");
    }));
    RegistryStore other(RegistryStore::Mode::ReadOnly);
    EXPECT_TRUE(other.value(CU, k + "\\sub", "Y"));
}

TEST_F(WinTest, Regedit4ScriptsImportAndExportAgainstTheRealRegistry)
{
    const std::string full = "HKEY_CURRENT_USER\\" + testKey();
    RegistryScript s;
    s.key(full + "\\Classes\\.VPP")
        .defaultValue("Quorvel.Manager.PLAYDECK32")
        .key(full + "\\Module")
        .string("Path", "C:\\Games\\Tools")
        .string("Quote", "say \"hi\"")
        .dword("Build", 12);
    RegistryStore store;
    const ScriptResult r = ImportRegistryScript(s.text(), store);
    ASSERT_TRUE(r.ok) << r.line << ": " << r.message;
    EXPECT_EQ(ReadRegString(CU, testKey() + "\\Classes\\.vpp", "", "x"),
              "Quorvel.Manager.PLAYDECK32");
    EXPECT_EQ(ReadRegString(CU, testKey() + "\\Module", "Path", "x"), "C:\\Games\\Tools");
    EXPECT_EQ(ReadRegString(CU, testKey() + "\\Module", "Quote", "x"), "say \"hi\"");
    EXPECT_EQ(ReadRegDword(CU, testKey() + "\\Module", "Build", 0), 12u);

    // A script broken in its last line changes nothing, not even its first blocks.
    const std::string broken = "REGEDIT4\r\n\r\n[" + full +
                               "\\Module]\r\n\"Path\"=\"D:\\\\X\"\r\n" + "\"Bad\"=dword:nothex\r\n";
    EXPECT_FALSE(ImportRegistryScript(broken, store).ok);
    EXPECT_EQ(ReadRegString(CU, testKey() + "\\Module", "Path", "x"), "C:\\Games\\Tools");

    // Export, then import the text under another key: the same values.
    const std::string text = ExportRegistry(store, full);
    EXPECT_NE(text.find("\"Path\"=\"C:\\\\Games\\\\Tools\"\r\n"), std::string::npos) << text;
    std::string moved = text;
    for (size_t at = moved.find(full); at != std::string::npos; at = moved.find(full, at))
        moved.replace(at, full.size(), full + "\\Copy"), at += full.size() + 5;
    ASSERT_TRUE(ImportRegistryScript(moved, store).ok);
    EXPECT_EQ(ExportRegistry(store, full + "\\Copy"), moved);
    EXPECT_EQ(ReadRegDword(CU, testKey() + "\\Copy\\Module", "Build", 0), 12u);

    // RunRegistryScript leaves the script beside it, byte for byte.
    std::string error;
    ASSERT_TRUE(RunRegistryScript(root(), s.text(), false, &error)) << error;
    EXPECT_EQ(ReadBytes(root() + "\\_setup.reg"), s.text());
}

TEST_F(WinTest, FourQmregProcessesImportingAtOnceLoseNothing)
{
    constexpr int kProcs = 4, kScripts = 40;
    const std::string full = "HKEY_CURRENT_USER\\" + testKey();
    const std::string machine = "HKEY_LOCAL_MACHINE\\" + testKey();
    for (int p = 0; p < kProcs; ++p) {
        std::string parameters = "import";
        for (int i = 0; i < kScripts; ++i) {
            RegistryScript s;
            s.key(full + "\\P" + std::to_string(p))
                .string("S" + std::to_string(i), "value " + std::to_string(p * 1000 + i))
                .key(machine + "\\Shared")
                .dword("D" + std::to_string(p) + "_" + std::to_string(i), p * 1000 + i);
            parameters +=
                " \"" +
                writeFile("scripts\\" + std::to_string(p) + "_" + std::to_string(i) + ".reg",
                          s.text()) +
                "\"";
        }
        ProcessStartRequest request{
            BinFile("qmreg.exe"), {}, root(), {}, root() + "\\qmreg" + std::to_string(p) + ".log"};
        request.parameters = parameters;
        ASSERT_TRUE(DetachedProcessStarter().start(request));
    }
    RegistryStore store;
    const auto all = [&] {
        return store.values(LM, testKey() + "\\Shared").size() == size_t(kProcs * kScripts);
    };
    ASSERT_TRUE(WaitFor(all, std::chrono::seconds(120)))
        << store.values(LM, testKey() + "\\Shared").size();
    ASSERT_TRUE(WaitFor([&] {
        for (int p = 0; p < kProcs; ++p)
            if (store.values(CU, testKey() + "\\P" + std::to_string(p)).size() != size_t(kScripts))
                return false;
        return true;
    }));
    for (int p = 0; p < kProcs; ++p)
        for (int i = 0; i < kScripts; ++i) {
            const std::string key = testKey() + "\\P" + std::to_string(p);
            EXPECT_EQ(ReadRegString(CU, key, "S" + std::to_string(i), "?"),
                      "value " + std::to_string(p * 1000 + i));
            EXPECT_EQ(ReadRegDword(LM, testKey() + "\\Shared",
                                   "D" + std::to_string(p) + "_" + std::to_string(i), 0),
                      uint32_t(p * 1000 + i));
        }
}

} // namespace
} // namespace qm::wintest
