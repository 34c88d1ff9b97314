#include "support/temp_world.h"

#include <QProcess>
#include <QSet>
#include <QStandardPaths>

namespace {

class ToolsExportsTest : public qm::test::TempWorldTest {};

TEST_F(ToolsExportsTest, LibraryUnloadsAfterAboutInAProcessLinkedAsTheLauncher)
{
    QProcess probe;
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(QStringLiteral(QM_UNLOAD_PROBE), {QStringLiteral(QM_TOOLS_LIBRARY)});
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0) << "1: still mapped after About, 2: About not called\n"
                                   << probe.readAll().toStdString();
}

TEST_F(ToolsExportsTest, OnlyTheTwoEntriesAreExported)
{
    const QString nm = QStandardPaths::findExecutable(QStringLiteral("nm"));
    if (nm.isEmpty())
        GTEST_SKIP() << "nm is not installed";
    QProcess p;
    p.start(nm, {QStringLiteral("-D"), QStringLiteral("--defined-only"),
                 QStringLiteral(QM_TOOLS_LIBRARY)});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QSet<QString> names;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
        const QStringList parts = line.split(' ', Qt::SkipEmptyParts);
        // Version nodes of the script show up as absolute symbols; they bind nothing.
        if (parts.size() == 3 && parts[1] != QStringLiteral("A"))
            names.insert(parts[2]);
    }
    EXPECT_EQ(names, (QSet<QString>{QStringLiteral("DoAbout"), QStringLiteral("DoQMVC")}))
        << QStringList(names.values()).join(' ').toStdString();
}

} // namespace
