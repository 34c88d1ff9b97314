#include "demo/demo_game/packfile_builder.h"
#include "launcher/packfile.h"
#include "support/temp_world.h"
#include "vpp/commands.h"

#include <QProcess>
#include <gmock/gmock.h>

namespace qm::vpp::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class VppCommandLineTest : public qm::test::TempWorldTest {
protected:
    // Runs a program of the build; its exit code, output and errors.
    int run(const char* program, const QStringList& args, std::string* out = nullptr,
            std::string* err = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(QM_BIN_DIR "/") + QLatin1String(program), args);
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        if (out)
            *out = p.readAllStandardOutput().toStdString();
        if (err)
            *err = p.readAllStandardError().toStdString();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QString q(const std::string& s) { return QString::fromStdString(s); }
};

TEST_F(VppCommandLineTest, ListPrintsNameSizeOffsetAndFailsOnABadPackfile)
{
    const std::string good = world.writeFile(
        "g.vpp", qm::demo::BuildVpp({{"a.tbl", std::string(5000, 'a')}, {"caf\xE9", "x"}}));
    std::string out, err;
    EXPECT_EQ(run("packpeek32", {"--list", q(good)}, &out), kExitOk);
    EXPECT_EQ(out, "a.tbl\t5000\t4096\ncafé\t1\t10240\n");
    const std::string bad = world.writeFile("b.vpp", std::string(3000, '\0'));
    EXPECT_EQ(run("packpeek32", {"--list", q(bad)}, &out, &err), kExitBadPackfile);
    EXPECT_EQ(out, "");
    EXPECT_THAT(err, HasSubstr("Not a Red Faction packfile"));
    EXPECT_EQ(run("packpeek32", {"--list"}, &out, &err), kExitUsage);

    // A listing does not wait for Qt to load: the command program needs none
    // of it (the window is in libpackpeek32_window).
    QProcess trace;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_TRACE_LOADED_OBJECTS"), QStringLiteral("1"));
    trace.setProcessEnvironment(env);
    trace.start(QStringLiteral(QM_BIN_DIR "/packpeek32"), {});
    ASSERT_TRUE(trace.waitForFinished(60000));
    const std::string libraries = trace.readAllStandardOutput().toStdString();
    EXPECT_THAT(libraries, HasSubstr("libc.so"));
    EXPECT_THAT(libraries, Not(HasSubstr("libQt6")));
}

TEST_F(VppCommandLineTest, ExtractNamedEntriesAndOverwriteOnlyWhenAsked)
{
    const std::string pack =
        world.writeFile("g.vpp", qm::demo::BuildVpp({{"a.tbl", "A"}, {"b.txt", "B"}}));
    const std::string dir = world.makeDir("out");
    EXPECT_EQ(run("packpeek32", {"--extract", q(pack), q(dir), "B.TXT"}), kExitOk);
    EXPECT_EQ(qm::test::readFileBytes(dir + "/b.txt"), "B");
    EXPECT_FALSE(QFile::exists(q(dir + "/a.tbl")));
    world.writeFile("out/b.txt", "mine");
    std::string err;
    EXPECT_EQ(run("packpeek32", {"--extract", q(pack), q(dir)}, nullptr, &err), kExitRefused);
    EXPECT_THAT(err, HasSubstr("exists and was kept"));
    EXPECT_EQ(qm::test::readFileBytes(dir + "/b.txt"), "mine");
    EXPECT_EQ(qm::test::readFileBytes(dir + "/a.tbl"), "A");
    EXPECT_EQ(run("packpeek32", {"--extract", "--overwrite", q(pack), q(dir)}), kExitOk);
    EXPECT_EQ(qm::test::readFileBytes(dir + "/b.txt"), "B");
    EXPECT_EQ(run("packpeek32", {"--extract", q(pack), q(dir), "nothere"}, nullptr, &err),
              kExitRefused);
}

TEST_F(VppCommandLineTest, ForgeBuildsAPackfileTheLauncherReads)
{
    const std::string rfl = world.writeFile(
        "src/Glass House.rfl", qm::demo::BuildRfl("Glass House", "Volition", "12/11/01"));
    const std::string tga = world.writeFile("src/wall.tga", "tga");
    const std::string txt = world.writeFile("src/café.txt", "txt");
    const std::string pack = world.root() + "/glass house.vpp";
    EXPECT_EQ(run("packforge32", {"--create", q(pack), q(tga), q(txt)}), kExitOk);
    EXPECT_EQ(playdeck::FindRflInVpp(pack), -1);
    EXPECT_EQ(run("packforge32", {"--add", q(pack), q(rfl)}), kExitOk);
    EXPECT_EQ(playdeck::ReadLevelInfo(pack)->levelName, "Glass House");

    std::string out, err;
    EXPECT_EQ(run("packforge32", {"--add", q(pack), q(tga)}, nullptr, &err), kExitRefused);
    EXPECT_THAT(err, HasSubstr("already named"));
    EXPECT_EQ(run("packforge32", {"--rename", q(pack), "WALL.tga", "café.txt"}, nullptr, &err),
              kExitRefused);
    EXPECT_EQ(run("packforge32", {"--rename", q(pack), "wall.tga", "floor.tga"}), kExitOk);
    EXPECT_EQ(run("packforge32", {"--remove", q(pack), "café.txt"}), kExitOk);
    EXPECT_EQ(run("packpeek32", {"--list", q(pack)}, &out), kExitOk);
    EXPECT_EQ(out, "floor.tga\t3\t4096\nGlass House.rfl\t" +
                       std::to_string(qm::test::readFileBytes(rfl).size()) + "\t6144\n");
    EXPECT_EQ(run("packforge32", {"--remove", q(pack), "gone"}), kExitRefused);
    EXPECT_EQ(run("packforge32", {"--add", q(pack), q(world.root() + "/missing")}),
              kExitBadPackfile);
    EXPECT_EQ(run("packforge32", {"--create"}), kExitUsage);
    // The name stored for café.txt was Windows-1252.
    EXPECT_EQ(run("packforge32", {"--create", q(pack), q(txt)}), kExitOk);
    EXPECT_EQ(qm::test::readFileBytes(pack).substr(2048, 9),
              std::string("caf\xE9.txt", 8) + std::string(1, '\0'));
}

} // namespace
} // namespace qm::vpp::test
