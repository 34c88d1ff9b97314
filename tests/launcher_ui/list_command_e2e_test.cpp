#include "launcher_fixture.h"

#include <QProcess>

namespace playdeck::test {
namespace {

struct ListRun {
    int code;
    QString out, err;
};

ListRun runList(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QM_BIN_DIR "/playdeck32"), QStringList{QStringLiteral("--list")} + args);
    if (!p.waitForFinished(30000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST_F(LauncherTest, ListOptionPrintsEachModeAsTheWindowShowsIt)
{
    install(game);
    for (const char* mode : {"single", "multi", "mods"}) {
        SCOPED_TRACE(mode);
        const ListRun r = runList({QString::fromLatin1(mode)});
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, ExpectedListing(mode).join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
}

TEST_F(LauncherTest, ListOptionWithoutGameSaysWhyAndFails)
{
    const ListRun r = runList({QStringLiteral("single")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QString::fromLatin1(kGameMissingMessage))) << r.err.toStdString();
}

} // namespace
} // namespace playdeck::test
