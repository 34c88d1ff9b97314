#include "common/tools_library.h"
#include "http_stub.h"
#include "support/dialog_fit.h"
#include "support/temp_world.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

namespace {

using qm::test::readFileBytes;

bool toolsLibraryMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains("/libqm_tools.so");
}

// Answers the modal boxes the library shows, remembering what they said.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer) : m_answer(answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            texts << box->text() + QStringLiteral(" | ") + box->informativeText();
            captions << box->windowTitle();
            // Every box of the library fits a small screen, its text whole.
            qm::test::ExpectDialogFits(*box);
            if (QAbstractButton* b = box->button(m_answer))
                b->click();
            else
                box->reject();
        });
        m_timer.start(10);
    }
    QStringList texts, captions;

private:
    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};

class ToolsLibraryTest : public qm::test::TempWorldTest {
protected:
    void SetUp() override
    {
        countFile = world.temp() + "count.txt";
        world.setEnv("QM_TOOLS_COUNT_FILE", countFile);
    }
    void TearDown() override { qm::SetToolsLibraryPath(""); }
    std::string countFile;
};

TEST_F(ToolsLibraryTest, EveryCallLoadsAndUnloadsAfresh)
{
    qm::SetToolsLibraryPath(QM_COUNTING_TOOLS);
    EXPECT_TRUE(qm::CallToolsLibrary("DoAbout"));
    EXPECT_TRUE(qm::CallToolsLibrary("DoAbout"));
    EXPECT_EQ(readFileBytes(countFile), "load\nDoAbout\nunload\nload\nDoAbout\nunload\n");
    EXPECT_TRUE(qm::CallToolsLibrary("DoQMVC"));
    EXPECT_EQ(readFileBytes(countFile).substr(40), "load\nDoQMVC\nunload\n");
}

TEST_F(ToolsLibraryTest, MissingLibraryOrEntryDoesNothing)
{
    qm::SetToolsLibraryPath(world.root() + "/no/such/libqm_tools.so");
    EXPECT_FALSE(qm::CallToolsLibrary("DoAbout"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(countFile)));

    // An entry the library lacks: loaded and unloaded, nothing called.
    qm::SetToolsLibraryPath(QM_COUNTING_TOOLS);
    EXPECT_FALSE(qm::CallToolsLibrary("DoSomethingElse"));
    EXPECT_EQ(readFileBytes(countFile), "load\nunload\n");
}

// The real library, found beside the test program as the suite's programs
// find it, shows its box and is gone from the process afterwards.
TEST_F(ToolsLibraryTest, RealAboutBoxShowsAndUnloads)
{
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel Manager PLAYDECK32"));
    BoxAnswerer answerer(QMessageBox::Ok);
    ASSERT_TRUE(qm::CallToolsLibrary("DoAbout"));
    ASSERT_EQ(answerer.captions.size(), 1);
    EXPECT_EQ(answerer.captions[0], QStringLiteral("About Quorvel Manager PLAYDECK32"));
    EXPECT_TRUE(answerer.texts[0].contains(QStringLiteral("1.0 Beta 01 (Build 01)")));
    EXPECT_FALSE(toolsLibraryMapped());
    // A second call loads it again and works the same.
    ASSERT_TRUE(qm::CallToolsLibrary("DoAbout"));
    EXPECT_EQ(answerer.captions.size(), 2);
    EXPECT_FALSE(toolsLibraryMapped());
}

struct VersionCase {
    const char* name;
    const char* status;
    const char* body;
    const char* expected; // part of the box's text
    QMessageBox::StandardButton answer;
};

void PrintTo(const VersionCase& c, std::ostream* os)
{
    *os << c.name;
}

class VersionCheckTest : public ToolsLibraryTest,
                         public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionCheckTest, TellsWhatTheServerSays)
{
    const VersionCase& c = GetParam();
    HttpStub server(c.status, c.body);
    world.setEnv("QM_UPDATE_SERVER", server.base().toStdString() + "/");
    BoxAnswerer answerer(c.answer);
    ASSERT_TRUE(qm::CallToolsLibrary("DoQMVC"));
    ASSERT_EQ(answerer.texts.size(), 1) << answerer.texts.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(answerer.texts[0].contains(QString::fromUtf8(c.expected)))
        << answerer.texts[0].toStdString();
    EXPECT_EQ(answerer.captions[0], QStringLiteral("Check for new version"));
    EXPECT_EQ(server.paths(), QStringList{QStringLiteral("/qm/quorman/qmtools/kit.data")});
    EXPECT_FALSE(toolsLibraryMapped());
}

INSTANTIATE_TEST_SUITE_P(
    Replies, VersionCheckTest,
    ::testing::Values(
        VersionCase{"Newer", "200 OK",
                    "[Version]\r\nVersionBuild=2\r\nVersionString=1.1 (Build 02)\r\n",
                    "NEWEST Version: 1.1 (Build 02)", QMessageBox::No},
        // Names compared without regard to case, values trimmed, the first section wins.
        VersionCase{"ProfileRules", "200 OK",
                    "[version]\nversionbuild = 7 \n[Version]\nVersionBuild=1\n",
                    "NEWEST Version: <unknown version>", QMessageBox::No},
        VersionCase{"Same", "200 OK", "[Version]\nVersionBuild=1\nVersionString=1.0 (Build 01)\n",
                    "You are using the newest version", QMessageBox::Ok},
        VersionCase{"NoVersion", "200 OK", "<html>not a version file</html>",
                    "did not say which version", QMessageBox::Ok},
        VersionCase{"NotFound", "404 Not Found", "[Version]\nVersionBuild=9\n", "answered 404",
                    QMessageBox::Ok}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ToolsLibraryTest, VersionCheckOfflineOrSilentServerSaysSo)
{
    {
        // A port nobody listens on any more.
        QString base;
        {
            HttpStub gone;
            base = gone.base();
        }
        world.setEnv("QM_UPDATE_SERVER", base.toStdString());
        BoxAnswerer answerer(QMessageBox::Ok);
        ASSERT_TRUE(qm::CallToolsLibrary("DoQMVC"));
        ASSERT_EQ(answerer.texts.size(), 1);
        EXPECT_TRUE(answerer.texts[0].startsWith(
            QStringLiteral("Could not connect to the Quorvel Manager website")));
    }
    HttpStub silent;
    silent.setSilent(true);
    world.setEnv("QM_UPDATE_SERVER", silent.base().toStdString());
    world.setEnv("QM_UPDATE_TIMEOUT_MS", "300");
    BoxAnswerer answerer(QMessageBox::Ok);
    ASSERT_TRUE(qm::CallToolsLibrary("DoQMVC"));
    ASSERT_EQ(answerer.texts.size(), 1);
    EXPECT_TRUE(answerer.texts[0].contains(QStringLiteral("did not answer within 0.3 seconds")))
        << answerer.texts[0].toStdString();
    EXPECT_FALSE(toolsLibraryMapped());
}

} // namespace
