#include "common/registry_script.h"
#include "common/settings.h"
#include "support/temp_world.h"

#include <unistd.h>

#include <sys/stat.h>

namespace qm {
namespace {

using test::readFileBytes;
using test::TempWorldTest;

TEST(RegistryScriptWriter, WritesRegedit4BlocksWithCrLf)
{
    RegistryScript s;
    s.key("HKEY_LOCAL_MACHINE\\Software\\Classes\\.VPP")
        .defaultValue("Quorvel.Manager.PLAYDECK32")
        .key("HKEY_LOCAL_MACHINE\\Software\\Classes\\Quorvel.Manager."
             "PLAYDECK32\\shell\\open\\command")
        .defaultValue("\"C:\\A\\B.EXE\" \"%1\"")
        .key("HKEY_LOCAL_MACHINE\\Software\\Empty")
        .key("HKEY_LOCAL_MACHINE\\Software\\Quorvel Network\\Quorvel Manager Tools\\X")
        .string("Path", "C:\\Games\\")
        .dword("Build", 0x12ab);
    const std::string blocks =
        "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.VPP]\r\n"
        "@=\"Quorvel.Manager.PLAYDECK32\"\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Quorvel.Manager.PLAYDECK32\\shell\\open\\command]"
        "\r\n"
        "@=\"\\\"C:\\\\A\\\\B.EXE\\\" \\\"%1\\\"\"\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Empty]\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Quorvel Network\\Quorvel Manager Tools\\X]\r\n"
        "\"Path\"=\"C:\\\\Games\\\\\"\r\n"
        "\"Build\"=dword:000012ab\r\n"
        "\r\n";
    EXPECT_EQ(s.blocks(), blocks);
    EXPECT_EQ(s.text(), "REGEDIT4\r\n\r\n" + blocks);
    EXPECT_EQ(RegistryScript().text(), "REGEDIT4\r\n\r\n");
    EXPECT_EQ(EscapeRegString("C:\\A\\B.EXE"), "C:\\\\A\\\\B.EXE");
    EXPECT_EQ(EscapeRegString("say \"x\""), "say \\\"x\\\"");
}

class RegistryScriptTest : public qm::test::TempWorldTest {};

TEST_F(RegistryScriptTest, WrittenScriptImportsToTheSameValues)
{
    RegistryScript s;
    s.key("HKEY_CURRENT_USER\\Software\\T")
        .defaultValue("d\\\"q")
        .string("Path", "C:\\A\\B.EXE")
        .string("Empty", "")
        .dword("Max", 0xffffffffu);
    RegistryStore store;
    ASSERT_TRUE(ImportRegistryScript(s.text(), store).ok);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Software\\T", "", "x"), "d\\\"q");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Software\\T", "Path", "x"), "C:\\A\\B.EXE");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Software\\T", "Empty", "x"), "");
    EXPECT_EQ(ReadRegDword(HKEY_CURRENT_USER, "Software\\T", "Max", 0), 0xffffffffu);
    // Strings are stored as the registry keeps them: with their terminating zero.
    EXPECT_EQ(store.value(HKEY_CURRENT_USER, "Software\\T", "Path")->data,
              std::string("C:\\A\\B.EXE\0", 11));
}

TEST_F(RegistryScriptTest, ImporterAcceptsEveryForm)
{
    const std::string script = "\xef\xbb\xbfWindows Registry Editor Version 5.00\r\n"
                               "\n"
                               "; a comment\r\n"
                               "   ; an indented comment\n"
                               "[HKLM\\Software\\A]   \r\n"
                               "@ = \"def\"\n"
                               "\"Bin\"=hex:00,01 , fe,FF,\\\r\n"
                               "   7,\\\n"
                               "  80\n"
                               "\"Exp\"=hex(2):25,54,00\n"
                               "\"Multi\"=hex(7):61,00,62,00,00\n"
                               "\"Q\"=hex(b):01,02,03,04,05,06,07,08\n"
                               "\"None\"=hex:\n"
                               "\"Dw\"=DWORD:1f\n"
                               "\"\"=\"empty name is the default\"\n"
                               "\t\n"
                               "[hkey_current_user\\Software\\B\\\\C\\]\n"
                               "\"x\"=\"y\"\n"
                               "[HKCR\\.tbl]\n"
                               "@=\"Quorvel.Manager.GRIDLENS32\"";
    RegistryStore store;
    const ScriptResult r = ImportRegistryScript(script, store);
    ASSERT_TRUE(r.ok) << r.line << ": " << r.message;
    auto v = [&](RegRoot root, const char* key, const char* name) {
        auto got = store.value(root, key, name);
        return got ? *got : RegValue{"<missing>", 99, ""};
    };
    EXPECT_EQ(v(HKEY_LOCAL_MACHINE, "Software\\A", "").data,
              std::string("empty name is the default\0", 26));
    const RegValue bin = v(HKEY_LOCAL_MACHINE, "Software\\A", "Bin");
    EXPECT_EQ(bin.type, regtype::REG_BINARY);
    EXPECT_EQ(bin.data, std::string("\x00\x01\xfe\xff\x07\x80", 6));
    EXPECT_EQ(v(HKEY_LOCAL_MACHINE, "Software\\A", "Exp").type, regtype::REG_EXPAND_SZ);
    EXPECT_EQ(v(HKEY_LOCAL_MACHINE, "Software\\A", "Exp").data, std::string("%T\0", 3));
    EXPECT_EQ(v(HKEY_LOCAL_MACHINE, "Software\\A", "Multi").type, regtype::REG_MULTI_SZ);
    EXPECT_EQ(v(HKEY_LOCAL_MACHINE, "Software\\A", "Q").type, 11u);
    EXPECT_EQ(v(HKEY_LOCAL_MACHINE, "Software\\A", "Q").data.size(), 8u);
    EXPECT_EQ(v(HKEY_LOCAL_MACHINE, "Software\\A", "None").data, "");
    EXPECT_EQ(v(HKEY_LOCAL_MACHINE, "Software\\A", "None").type, regtype::REG_BINARY);
    EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, "Software\\A", "Dw", 0), 0x1fu);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Software\\B\\C", "x", "-"), "y");
    // The classes root is the machine's Software\Classes.
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.tbl", "", "-"),
              "Quorvel.Manager.GRIDLENS32");
}

TEST_F(RegistryScriptTest, ImporterDeletesValuesAndWholeSubtrees)
{
    RegistryStore store;
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "Software\\Old\\Deep\\Er", "v", 1, "a"));
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "Software\\OldX", "keep", 1, "b"));
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "Software\\K", "drop", 1, "c"));
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "Software\\K", "", 1, "d"));
    const char* script = "REGEDIT4\n\n"
                         "[-HKEY_CURRENT_USER\\Software\\OLD]\n"
                         "[-HKEY_CURRENT_USER\\Software\\Never\\Was]\n"
                         "[HKEY_CURRENT_USER\\Software\\K]\n"
                         "\"DROP\"=-\n"
                         "@=-\n"
                         "\"absent\"=-\n";
    const ScriptResult r = ImportRegistryScript(script, store);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_FALSE(store.keyExists(HKEY_CURRENT_USER, "Software\\Old"));
    EXPECT_FALSE(store.keyExists(HKEY_CURRENT_USER, "Software\\Old\\Deep\\Er"));
    EXPECT_FALSE(store.value(HKEY_CURRENT_USER, "Software\\Old\\Deep\\Er", "v"));
    EXPECT_TRUE(store.value(HKEY_CURRENT_USER, "Software\\OldX", "keep"));
    EXPECT_TRUE(store.values(HKEY_CURRENT_USER, "Software\\K").empty());
    EXPECT_TRUE(store.keyExists(HKEY_CURRENT_USER, "Software\\K"));
}

struct BadScript {
    const char* what;
    std::string text;
    int line;
    const char* message; // a part of the message
};

TEST_F(RegistryScriptTest, MalformedScriptsAreRefusedWholeWithTheirLine)
{
    const std::string head = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n\"ok\"=\"1\"\r\n";
    const std::vector<BadScript> cases = {
        {"empty file", "", 1, "empty"},
        {"no header", "[HKEY_CURRENT_USER\\X]\n", 1, "REGEDIT4"},
        {"header with a typo", "REGEDIT5\n", 1, "first line"},
        {"UTF-16", std::string("\xff\xfeW\0i\0", 6), 1, "UTF-16"},
        {"value before any key", "REGEDIT4\n\n\"x\"=\"y\"\n", 3, "follow a key"},
        {"value after a key deletion", "REGEDIT4\n[-HKCU\\A]\n\"x\"=\"y\"\n", 3, "follow a key"},
        {"unknown root", "REGEDIT4\n[HKEY_USERS\\.DEFAULT]\n", 2, "HKEY_USERS"},
        {"key line without ]", "REGEDIT4\n[HKCU\\A\n", 2, "']'"},
        {"empty key line", "REGEDIT4\n[]\n", 2, "no key"},
        {"root deletion", "REGEDIT4\n[-HKEY_CURRENT_USER\\]\n", 2, "root"},
        {"stray text", head + "hello\r\n", 5, "not a key line"},
        {"unknown escape", head + "\"p\"=\"C:\\Games\"\r\n", 5, "escape"},
        {"string without end", head + "\"p\"=\"abc\r\n", 5, "closing quote"},
        {"name without end", head + "\"p=\"abc\"\r\n", 5, "'='"},
        {"text after string", head + "\"p\"=\"a\" \"b\"\r\n", 5, "after the closing quote"},
        {"no =", head + "\"p\" \"a\"\r\n", 5, "'='"},
        {"unknown data", head + "\"p\"=qword:1\r\n", 5, "unknown value data"},
        {"bare word data", head + "\"p\"=abc\r\n", 5, "unknown value data"},
        {"dword too long", head + "\"p\"=dword:123456789\r\n", 5, "dword"},
        {"dword not hex", head + "\"p\"=dword:12g4\r\n", 5, "dword"},
        {"dword empty", head + "\"p\"=dword:\r\n", 5, "dword"},
        {"hex type not hex", head + "\"p\"=hex(z):00\r\n", 5, "hex(N)"},
        {"hex type empty", head + "\"p\"=hex():00\r\n", 5, "hex(N)"},
        {"hex without colon", head + "\"p\"=hex 00\r\n", 5, "':'"},
        {"three-digit byte", head + "\"p\"=hex:001\r\n", 5, "two-digit"},
        {"missing comma", head + "\"p\"=hex:00 01\r\n", 5, "','"},
        {"double comma", head + "\"p\"=hex:00,,01\r\n", 5, "two-digit"},
        {"trailing comma", head + "\"p\"=hex:00,01,\r\n", 5, "comma"},
        {"bad byte on a continued line", head + "\"p\"=hex:00,\\\r\n  01,xx\r\n", 6, "two-digit"},
        {"continuation at the end", head + "\"p\"=hex:00,\\\r\n", 5, "past the end"},
        {"zero byte in a name", head + std::string("\"a\0b\"=\"x\"\r\n", 11), 5, "zero byte"},
    };
    RegistryStore store;
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "Software\\T", "ok", regtype::REG_SZ, "0"));
    const std::string before = ExportRegistry(store);
    for (const BadScript& c : cases) {
        SCOPED_TRACE(c.what);
        const ScriptResult r = ImportRegistryScript(c.text, store);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.line, c.line);
        EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
        // The good lines before the fault did not land either.
        EXPECT_EQ(ExportRegistry(store), before);
    }
}

TEST_F(RegistryScriptTest, ImportIntoABrokenStoreFailsAndKeepsTheFile)
{
    const std::string script = world.writeFile("s.reg", "REGEDIT4\n\n[HKCU\\A]\n\"x\"=\"y\"\n");
    const std::string junk = "SQLite format 3 -- no, just junk\n" + std::string(3000, '\x01');
    world.writeFile("registry.sqlite", junk);
    ScriptResult r = ImportRegistryScriptFile(script);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(readFileBytes(world.registryPath()), junk);

    const std::string blocker = world.writeFile("blocker", "x");
    world.setEnv("QM_REGISTRY_DB", blocker + "/sub/registry.sqlite");
    r = ImportRegistryScriptFile(script);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(readFileBytes(blocker), "x");

    r = ImportRegistryScriptFile(world.root() + "/no-such.reg");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("no-such.reg"), std::string::npos);
}

// A store that cannot be written is the store's fault, not a line's.
TEST_F(RegistryScriptTest, RefusingStoreIsNotBlamedOnAScriptLine)
{
    RegistryStore(RegistryStore::Mode::ReadWrite).createKey(HKEY_CURRENT_USER, "A");
    RegistryStore readOnly(RegistryStore::Mode::ReadOnly);
    const ScriptResult r = ImportRegistryScript("REGEDIT4\n\n[HKCU\\A]\n\"x\"=\"y\"\n", readOnly);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.line, 0);
    EXPECT_NE(r.message.find(world.registryPath()), std::string::npos) << r.message;
}

// The launcher's association script is saved, never written through a link.
TEST_F(RegistryScriptTest, RunRegistryScriptReplacesALinkAtTheScriptName)
{
    const std::string folder = world.makeDir("prog");
    const std::string victim = world.writeFile("victim", "precious");
    ASSERT_EQ(::symlink(victim.c_str(), (folder + "/_setup.reg").c_str()), 0);
    RegistryScript s;
    s.key("HKEY_CURRENT_USER\\Software\\X").string("v", "1");
    ASSERT_TRUE(RunRegistryScript(folder, s.text(), true));
    EXPECT_EQ(readFileBytes(victim), "precious");
    EXPECT_EQ(readFileBytes(folder + "/_setup.reg"), s.text());
}

TEST_F(RegistryScriptTest, RunRegistryScriptWritesTheFileAndImportsIt)
{
    const std::string folder = world.makeDir("Program Files/Quorvel Manager");
    RegistryScript s;
    s.key("HKEY_LOCAL_MACHINE\\Software\\Classes\\.VPP").defaultValue("Quorvel.Manager.PLAYDECK32");
    world.writeFile("Program Files/Quorvel Manager/_setup.reg", std::string(10000, 'z'));
    std::string error = "untouched";
    ASSERT_TRUE(RunRegistryScript(folder, s.text(), true, &error));
    EXPECT_EQ(error, "untouched");
    EXPECT_EQ(readFileBytes(folder + "/_setup.reg"), s.text()); // truncated, byte for byte
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.VPP", "", ""),
              "Quorvel.Manager.PLAYDECK32");

    // A refused import is not the caller's failure, as with "regedit /s".
    EXPECT_TRUE(RunRegistryScript(folder, "not a script", false, &error));
    EXPECT_EQ(readFileBytes(folder + "/_setup.reg"), "not a script");

    EXPECT_FALSE(RunRegistryScript(world.root() + "/missing", s.text(), false, &error));
    EXPECT_NE(error.find("missing/_setup.reg"), std::string::npos) << error;
    EXPECT_FALSE(RunRegistryScript(world.root() + "/missing", s.text(), false));
}

TEST_F(RegistryScriptTest, ExportKeepsEveryValueExactThroughAReimport)
{
    RegistryStore store;
    const std::string big = [] {
        std::string b;
        for (int i = 0; i < 300; ++i)
            b.push_back(static_cast<char>(i * 7));
        return b;
    }();
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "S", "zero-length sz", regtype::REG_SZ, ""));
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "S", "unterminated", regtype::REG_SZ, "abc"));
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "S", "two lines", regtype::REG_SZ,
                               std::string("a\nb\0", 4)));
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "S", "short dword", regtype::REG_DWORD, "\x01"));
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "S", "big", regtype::REG_BINARY, big));
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "S", "type 0x1234", 0x1234, "\x05"));
    ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "S", "q\"uo\\te", regtype::REG_SZ,
                               std::string("\"\\\0", 3)));
    const std::string text = ExportRegistry(store, "hkcu\\s");
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\S]\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"zero-length sz\"=hex(1):\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"short dword\"=hex(4):01\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"type 0x1234\"=hex(1234):05\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"q\\\"uo\\\\te\"=\"\\\"\\\\\"\r\n"), std::string::npos);
    // Long byte lists are wrapped into continued lines of at most 80 columns.
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end - start, 80u);
        start = end + 2;
    }

    world.setEnv("QM_REGISTRY_DB", world.root() + "/second.sqlite");
    RegistryStore fresh;
    const ScriptResult r = ImportRegistryScript(text, fresh);
    ASSERT_TRUE(r.ok) << r.line << ": " << r.message;
    for (const RegValue& v : store.values(HKEY_CURRENT_USER, "S")) {
        SCOPED_TRACE(v.name);
        const auto got = fresh.value(HKEY_CURRENT_USER, "S", v.name);
        ASSERT_TRUE(got);
        EXPECT_EQ(got->type, v.type);
        EXPECT_EQ(got->data, v.data);
    }
    EXPECT_EQ(ExportRegistry(fresh, "HKEY_CURRENT_USER\\S"), text);
    EXPECT_EQ(ExportRegistry(store, "HKCU\\NoSuchKey"), "REGEDIT4\r\n\r\n");
}

TEST_F(RegistryScriptTest, RoundTripFixture)
{
    const std::string dir = std::string(QM_FIXTURES_DIR) + "/registry/";
    const std::string expected = readFileBytes(dir + "roundtrip_expected.reg");
    ASSERT_FALSE(expected.empty());
    {
        RegistryStore store;
        // Something the script's key deletion must take away.
        ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "Software\\Obsolete\\Child", "x",
                                   regtype::REG_SZ, std::string("y\0", 2)));
    }
    const ScriptResult r = ImportRegistryScriptFile(dir + "roundtrip.reg");
    ASSERT_TRUE(r.ok) << r.line << ": " << r.message;
    RegistryStore store;
    const std::string first = ExportRegistry(store);
    EXPECT_EQ(first, expected);

    world.setEnv("QM_REGISTRY_DB", world.root() + "/fresh.sqlite");
    RegistryStore fresh;
    ASSERT_TRUE(ImportRegistryScript(first, fresh).ok);
    EXPECT_EQ(ExportRegistry(fresh), first);
}

} // namespace
} // namespace qm
