// qmreg run as a real process against the temporary world's store.
#include "common/settings.h"
#include "support/temp_world.h"

#include <QProcess>
#include <QStringList>

#include <filesystem>

namespace qm {
namespace {

using test::readFileBytes;
using test::TempWorldTest;

struct ProcResult {
    int code = -1;
    std::string out;
    std::string err;
};

ProcResult qmreg(const std::vector<std::string>& args, const std::string& input = std::string())
{
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromLocal8Bit(a.c_str());
    QProcess p;
    p.start(QString::fromLocal8Bit(QM_BIN_DIR "/qmreg"), list);
    if (!p.waitForStarted())
        return {};
    p.write(input.data(), static_cast<qint64>(input.size()));
    p.closeWriteChannel();
    p.waitForFinished(60000);
    const QByteArray out = p.readAllStandardOutput(), err = p.readAllStandardError();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, out.toStdString(),
            err.toStdString()};
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class QmregTest : public qm::test::TempWorldTest {};

TEST_F(QmregTest, QmregSetsTheGameFolderAsTheReadmeShows)
{
    const std::string key = "HKLM\\Software\\Volition\\Red Faction";
    ProcResult r = qmreg(
        {"add", key, "/v", "InstallPath", "/t", "REG_SZ", "/d", "/home/me/games/Red Faction/"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(
        ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Volition\\Red Faction", "InstallPath", ""),
        "/home/me/games/Red Faction/");

    r = qmreg({"query", "hkey_local_machine\\software\\volition\\red faction", "installpath"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "HKEY_LOCAL_MACHINE\\Software\\Volition\\Red Faction\n"
                     "    InstallPath    REG_SZ    /home/me/games/Red Faction/\n");
    EXPECT_EQ(qmreg({"query", key, "-V", "INSTALLPATH"}).out, r.out);

    ASSERT_EQ(qmreg({"add", key, "/v", "Runs", "/t", "reg_dword", "/d", "0x1F"}).code, 0);
    ASSERT_EQ(qmreg({"add", key, "/v", "Count", "/t", "REG_DWORD", "/d", "4294967295"}).code, 0);
    ASSERT_EQ(qmreg({"add", key, "/ve", "/d", "game"}).code, 0);
    ASSERT_EQ(qmreg({"add", key + "\\Sub"}).code, 0);
    EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, "Software\\Volition\\Red Faction", "Runs", 0),
              0x1fu);
    r = qmreg({"query", key});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "HKEY_LOCAL_MACHINE\\Software\\Volition\\Red Faction\n"
                     "    (Default)    REG_SZ    game\n"
                     "    Count    REG_DWORD    0xffffffff\n"
                     "    InstallPath    REG_SZ    /home/me/games/Red Faction/\n"
                     "    Runs    REG_DWORD    0x1f\n"
                     "\n"
                     "HKEY_LOCAL_MACHINE\\Software\\Volition\\Red Faction\\Sub\n");

    ASSERT_EQ(qmreg({"delete", key, "/v", "runs"}).code, 0);
    EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, "Software\\Volition\\Red Faction", "Runs", 7), 7u);
    ASSERT_EQ(qmreg({"delete", "HKLM\\Software\\Volition"}).code, 0);
    EXPECT_EQ(qmreg({"query", key}).code, 1);
}

TEST_F(QmregTest, QmregExitCodesAndMessages)
{
    world.writeFile("bad.reg", "REGEDIT4\n\n\"x\"=\"y\"\n");
    ASSERT_EQ(qmreg({"add", "HKCU\\Software\\K", "/v", "v", "/d", "x"}).code, 0);
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* err;
    };
    const std::vector<Case> cases = {
        {{}, 2, "no command"},
        {{"frob"}, 2, "unknown command frob"},
        {{"query", "HKEY_USERS\\X"}, 2, "unknown root"},
        {{"query"}, 2, "needs a key"},
        {{"query", "HKCU\\Software\\K", "a", "b"}, 2, "one value name"},
        {{"add", "HKCU\\K", "/v"}, 2, "needs an argument"},
        {{"add", "HKCU\\K", "/v", "a", "/v", "b"}, 2, "twice"},
        {{"add", "HKCU\\K", "/v", "a", "/t", "REG_BINARY"}, 2, "unknown type"},
        {{"add", "HKCU\\K", "/v", "a", "/t", "REG_DWORD", "/d", "4294967296"}, 2, "REG_DWORD"},
        {{"add", "HKCU\\K", "/v", "a", "/t", "REG_DWORD", "/d", "-1"}, 2, "REG_DWORD"},
        {{"add", "HKCU\\K", "/v", "a", "/t", "REG_DWORD", "/d", "12x"}, 2, "REG_DWORD"},
        {{"add", "HKCU\\K", "/d", "data"}, 2, "/d needs"},
        {{"add", "HKCU\\K", "/x"}, 2, "unknown option /x"},
        {{"query", "HKCU\\Software\\Nope"}, 1, "key not found"},
        {{"query", "HKCU\\Software\\K", "/v", "nope"}, 1, "value not found"},
        {{"delete", "HKCU\\Software\\K", "/v", "nope"}, 1, "value not found"},
        {{"delete", "HKCU\\Software\\Nope"}, 1, "key not found"},
        {{"delete", "HKEY_CURRENT_USER"}, 1, "root"},
        {{"export", "HKCU\\Software\\Nope"}, 1, "key not found"},
        {{"import"}, 2, "needs a script"},
        {{"import", world.root() + "/none.reg"}, 1, "none.reg"},
        {{"import", world.root() + "/bad.reg"}, 1, "bad.reg: line 3: a value line must follow"},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const auto& a : c.args)
            line += a + " ";
        SCOPED_TRACE(line);
        const ProcResult r = qmreg(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(has(r.err, c.err)) << r.err;
        EXPECT_TRUE(has(r.err, "qmreg: ")) << r.err;
    }
    // Nothing above changed the store.
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Software\\K", "v", ""), "x");
    EXPECT_FALSE(RegistryStore().keyExists(HKEY_CURRENT_USER, "K"));

    const ProcResult help = qmreg({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(has(help.out, "Usage: qmreg"));
    EXPECT_TRUE(help.err.empty());
}

// A name with a line break would make an export its own import refuses.
TEST_F(QmregTest, QmregRefusesNamesWithLineBreaksSoBackupsRestore)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"add", "HKCU\\Software\\A\nB"},
             {"add", "HKCU\\Software\\K", "/v", "two\nlines", "/d", "x"},
             {"add", "HKCU\\Software\\K", "/v", "cr\r", "/d", "x"},
         }) {
        const ProcResult r = qmreg(args);
        EXPECT_EQ(r.code, 1) << args[1];
        EXPECT_TRUE(has(r.err, "line break")) << r.err;
        EXPECT_TRUE(has(r.err, world.registryPath())) << r.err;
    }
    ASSERT_EQ(qmreg({"add", "HKCU\\Software\\K", "/v", "ok", "/d", "two\nlines"}).code, 0);
    const std::string backup = world.root() + "/backup.reg";
    ASSERT_EQ(qmreg({"export", "-o", backup}).code, 0);
    const std::string other = world.root() + "/restored.sqlite";
    const ProcResult restore = qmreg({"--db", other, "import", backup});
    EXPECT_EQ(restore.code, 0) << restore.err;
    EXPECT_EQ(qmreg({"--db", other, "export"}).out, readFileBytes(backup));

    // The export replaces its file whole; a link there is replaced, not followed.
    const std::string victim = world.writeFile("victim", "precious");
    const std::string link = world.root() + "/link.reg";
    std::filesystem::create_symlink(victim, link);
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    ASSERT_EQ(qmreg({"export", "-o", link}).code, 0);
    EXPECT_EQ(readFileBytes(victim), "precious");
    EXPECT_EQ(readFileBytes(link), readFileBytes(backup));
}

TEST_F(QmregTest, QmregExportImportRoundTrip)
{
    const std::string script = "REGEDIT4\r\n\r\n"
                               "[HKEY_CURRENT_USER\\Software\\A]\r\n"
                               "@=\"d\"\r\n"
                               "\"Bin\"=hex:01,02\r\n"
                               "\r\n"
                               "[HKEY_CURRENT_USER\\Software\\A\\B]\r\n"
                               "\"N\"=dword:00000005\r\n"
                               "\r\n";
    // Standard input as the script.
    ASSERT_EQ(qmreg({"import", "-"}, script).code, 0);
    ProcResult r = qmreg({"export", "hkcu\\software\\a"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, script);

    const std::string file = world.root() + "/all.reg";
    ASSERT_EQ(qmreg({"export", "-o", file}).code, 0);
    const std::string other = world.root() + "/other.sqlite";
    ASSERT_EQ(qmreg({"--db", other, "import", file}).code, 0);
    EXPECT_EQ(qmreg({"--db", other, "export"}).out, readFileBytes(file));
    EXPECT_EQ(qmreg({"export", "-o", world.root() + "/no/such/dir/x.reg"}).code, 1);

    // Files are imported in order; the first refused one stops the rest.
    const std::string good = world.writeFile("good.reg", "REGEDIT4\n[HKCU\\G1]\n");
    const std::string bad = world.writeFile("bad.reg", "REGEDIT4\n[HKCU\\G2]\n\"x\"=dword:\n");
    const std::string later = world.writeFile("later.reg", "REGEDIT4\n[HKCU\\G3]\n");
    EXPECT_EQ(qmreg({"import", good, bad, later}).code, 1);
    RegistryStore store;
    EXPECT_TRUE(store.keyExists(HKEY_CURRENT_USER, "G1"));
    EXPECT_FALSE(store.keyExists(HKEY_CURRENT_USER, "G2"));
    EXPECT_FALSE(store.keyExists(HKEY_CURRENT_USER, "G3"));
}

TEST_F(QmregTest, QmregNeverCreatesOrOverwritesAStoreItCannotUse)
{
    // Reading a store that is not there yet finds nothing, says so and creates nothing.
    const ProcResult none = qmreg({"query", "HKCU\\Software"});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(has(none.err, "there is no registry store at " + world.registryPath())) << none.err;
    const ProcResult all = qmreg({"export"});
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(all.out, "REGEDIT4\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(world.registryPath()));

    const std::string junk(4096, '\x07');
    world.writeFile("registry.sqlite", junk);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"add", "HKCU\\K", "/v", "v", "/d", "x"},
             {"delete", "HKCU\\K"},
             {"query", "HKCU\\K"},
             {"export"},
         }) {
        const ProcResult r = qmreg(args);
        EXPECT_EQ(r.code, 1) << args[0];
        EXPECT_TRUE(has(r.err, "registry store")) << r.err;
    }
    EXPECT_EQ(readFileBytes(world.registryPath()), junk);
}

} // namespace
} // namespace qm
