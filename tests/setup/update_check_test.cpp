#include "platform/file_system.h"
#include "platform/http_client.h"
#include "platform/url_opener.h"
#include "setup/install.h"
#include "setup/update_check.h"
#include "setup_test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

using namespace qmsetup;
using qmsetup::test::RecordingProgress;
using qmsetup::test::TestHttpServer;
using Mode = TestHttpServer::Mode;
using Answer = SetupMessages::Answer;

namespace {

const char* kQuestion =
    "There is a newer version of this application available on the internet. It is recommended "
    "that you download the new version.\n\n  THIS Version: 1.2 (Build 27)\n  NEWEST Version: %s"
    "\n\nPress 'Yes' if you want to close this setup and jump to the web page to get the newest "
    "version.\nPress 'No' if you want to continue installing the old version.\nPress 'Cancel' if "
    "you want to close Setup without doing anything.";

class UpdateCheckTest : public qmsetup::test::SetupTest {
protected:
    UpdateCheckTest()
    {
        world.setEnv("QM_UPDATE_SERVER", server.baseUrl());
        src = qmsetup::test::writeModule(world, "src",
                                         "[Module]\nDesc=Tool\nVers=1.2 (Build 27)\n"
                                         "WebName=tool\n[Installation]\nEXEfile=tool\n"
                                         "[Files]\nNum=1\n1=tool\n",
                                         {{"tool", "bin"}});
        target = world.root() + "/target";
    }
    void serveModule(const QByteArray& body)
    {
        server.route("/quorman/tool/module.data", {Mode::Normal, 200, body});
    }
    InstallResult install()
    {
        ModuleJob job;
        job.sourceFolder = job.setupFolder = src;
        job.moduleFile = src + "/qm_modul.dat";
        job.registryName = "Tool";
        job.version = "1.2 (Build 27)";
        job.webName = "tool";
        job.exeFile = "tool";
        job.installDir = target;
        job.checkForUpdates = true;
        return InstallModule(job, run, progress);
    }
    bool installed() const { return QFile::exists(QString::fromStdString(target + "/tool")); }
    static std::string question(const std::string& newest)
    {
        char buf[1024];
        std::snprintf(buf, sizeof buf, kQuestion, newest.c_str());
        return buf;
    }

    TestHttpServer server;
    // Short limits: a server that never finishes costs a second, not a minute.
    qm::QtHttpClient client{qm::HttpLimits{800, 1500, 1 << 20, 5}};
    qm::ScopedHttpClient useClient{&client};
    qm::RecordingUrlOpener browser;
    qm::ScopedUrlOpener useBrowser{&browser};
    RecordingProgress progress;
    InstallRun run;
    std::string src, target;
};

TEST_F(UpdateCheckTest, NewerBuildAsksAndAnswersDecide)
{
    serveModule("[Version]\r\nVersionBuild=28\r\nVersionString=1.3 (Build 28)\r\n");

    progress.answers = {Answer::Yes};
    EXPECT_EQ(install(), InstallResult::ClosedByUser);
    ASSERT_EQ(progress.shown.size(), 1u);
    EXPECT_EQ(progress.shown[0].caption, "Newer version available");
    EXPECT_EQ(progress.shown[0].text, question("1.3 (Build 28)"));
    EXPECT_EQ(progress.shown[0].buttons, SetupMessages::Buttons::YesNoCancel);
    EXPECT_EQ(progress.shown[0].defaultButton, Answer::Yes);
    EXPECT_EQ(progress.shown[0].icon, SetupMessages::Icon::None);
    EXPECT_EQ(browser.urls(),
              std::vector<std::string>{server.baseUrl() + "/cgi-bin/quorman.cgi?module=tool"});
    EXPECT_EQ(progress.statuses.front(), "Checking for updates on the Internet...");
    EXPECT_FALSE(installed());
    // The reply stays in the target folder, which the check created.
    EXPECT_NE(qm::test::readFileBytes(target + "/_setup.ver").find("VersionBuild=28"),
              std::string::npos);

    progress.answers = {Answer::Cancel};
    EXPECT_EQ(install(), InstallResult::ClosedByUser);
    EXPECT_EQ(browser.urls().size(), 1u);
    EXPECT_FALSE(installed());

    progress.answers = {Answer::No};
    EXPECT_EQ(install(), InstallResult::Ok);
    EXPECT_TRUE(installed());
    EXPECT_EQ(browser.urls().size(), 1u);
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(UpdateCheckTest, EqualMissingOrGarbageBuildAsksNothing)
{
    for (const QByteArray& body :
         {QByteArray("[Version]\nVersionBuild=27\nVersionString=same\n"),
          QByteArray("[Version]\nVersionString=no build\n"), QByteArray("\x01\xff<html>garbage"),
          QByteArray("[Version]\nVersionBuild=abc\n")}) {
        serveModule(body);
        EXPECT_EQ(install(), InstallResult::Ok) << body.toStdString();
    }
    // An error page is stored too and reads as build 0.
    server.route("/quorman/tool/module.data", {Mode::Normal, 404, "[Version]\nVersionBuild=0\n"});
    EXPECT_EQ(install(), InstallResult::Ok);
    EXPECT_TRUE(progress.shown.empty());
    EXPECT_TRUE(browser.urls().empty());
}

TEST_F(UpdateCheckTest, UnknownVersionText)
{
    serveModule("[Version]\nVersionBuild=30\n");
    progress.answers = {Answer::No};
    EXPECT_EQ(install(), InstallResult::Ok);
    ASSERT_EQ(progress.shown.size(), 1u);
    EXPECT_EQ(progress.shown[0].text, question("<unknown version>"));
}

// Every way of not getting an answer: one failure message, the reply file is
// gone, and the install goes on.
TEST_F(UpdateCheckTest, ConnectionFailuresContinue)
{
    const struct {
        const char* what;
        TestHttpServer::Route route;
        bool serverDown;
    } cases[] = {
        {"server down", {}, true},
        {"never answers", {Mode::Silent, 200, {}}, false},
        {"never ends", {Mode::NeverEnding, 200, {}}, false},
        {"10 MB", {Mode::Huge, 200, {}}, false},
        {"10 MB declared", {Mode::HugeDeclared, 200, {}}, false},
        {"redirect loop", {Mode::RedirectLoop, 200, {}}, false},
    };
    for (const auto& c : cases) {
        RecordingProgress p;
        InstallRun r;
        world.writeFile("target/_setup.ver", "[Version]\nVersionBuild=99\n"); // a stale reply
        if (c.serverDown)
            world.setEnv("QM_UPDATE_SERVER",
                         "http://127.0.0.1:" + std::to_string(TestHttpServer::closedPort()));
        else {
            world.setEnv("QM_UPDATE_SERVER", server.baseUrl());
            server.route("/quorman/tool/module.data", c.route);
        }
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(CheckModuleUpdate("tool", "1.2 (Build 27)", target, p, "", nullptr),
                  UpdateCheckOutcome::Continue)
            << c.what;
        EXPECT_LT(t.elapsed(), 10000) << c.what; // bounded by the client's limits
        ASSERT_EQ(p.shown.size(), 1u) << c.what;
        EXPECT_EQ(p.shown[0].caption, "Check for Updates failed");
        EXPECT_EQ(p.shown[0].text, kConnectFailedText);
        EXPECT_EQ(p.shown[0].buttons, SetupMessages::Buttons::Ok);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(target + "/_setup.ver"))) << c.what;
    }
    EXPECT_TRUE(browser.urls().empty());
}

TEST_F(UpdateCheckTest, UnwritableReplyLocationCountsAsFailure)
{
    serveModule("[Version]\nVersionBuild=99\n");
    world.makeDir("target/_setup.ver"); // a folder where the reply file belongs
    EXPECT_EQ(install(), InstallResult::Ok);
    ASSERT_EQ(progress.shown.size(), 1u);
    EXPECT_EQ(progress.shown[0].caption, "Check for Updates failed");
    EXPECT_TRUE(installed());
}

TEST_F(UpdateCheckTest, KitChecksOnlyTheKit)
{
    server.route("/quorman/qmtools/kit.data",
                 {Mode::Normal, 200, "[Version]\nVersionBuild=4\nVersionString=Kit 2\n"});
    KitJob kit;
    kit.setupFolder = src;
    kit.header = {"Kit 1 (Build 3)", 3, "qmtools"};
    ModuleEntry e;
    e.sourceFolder = src;
    e.targetFolder = target;
    kit.modules.push_back(e);

    progress.answers = {Answer::Yes};
    EXPECT_FALSE(InstallKit(kit, run, progress));
    ASSERT_EQ(progress.shown.size(), 1u);
    EXPECT_EQ(progress.shown[0].text,
              "There is a newer version of this kit available on the internet. It is recommended "
              "that you download the new version.\n\n  THIS Version: Kit 1 (Build 3)\n  NEWEST "
              "Version: Kit 2\n\nPress 'Yes' if you want to close this setup and jump to the web "
              "page to get the newest version.\nPress 'No' if you want to continue installing the "
              "old version.\nPress 'Cancel' if you want to close Setup without doing anything.");
    EXPECT_EQ(browser.urls(),
              std::vector<std::string>{server.baseUrl() + "/cgi-bin/quormankit.cgi?kit=qmtools"});
    EXPECT_FALSE(installed());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(world.temp() + "kit_setup.ver")));

    RecordingProgress p2;
    InstallRun r2;
    p2.answers = {Answer::No};
    EXPECT_TRUE(InstallKit(kit, r2, p2));
    EXPECT_TRUE(installed());
    // The module's own version file is never asked for.
    for (const std::string& path : server.requests())
        EXPECT_EQ(path, "/quorman/qmtools/kit.data");
}

// Stands in for the network and notes where the reply was asked to go.
class NotingClient : public qm::HttpClient {
public:
    qm::HttpResult getToFile(const std::string&, const std::string& localPath) override
    {
        paths.push_back(localPath);
        struct stat st {};
        folderModes.push_back(
            ::stat(qm::fs::FolderOf(localPath).c_str(), &st) == 0 ? st.st_mode & 07777 : 0);
        qm::HttpResult r;
        if (qm::fs::SaveFileAtomic(localPath, "[Version]\nVersionBuild=3\n"))
            r.status = qm::HttpResult::Status::Ok;
        return r;
    }
    std::vector<std::string> paths;
    std::vector<uint32_t> folderModes;
};

// In the shared temporary folder another user may have planted the reply's
// name: the download never goes to that name, and a link there is replaced,
// never followed.
TEST_F(UpdateCheckTest, KitReplyNeverGoesThroughANameOthersCanPlant)
{
    NotingClient noting;
    qm::ScopedHttpClient useNoting(&noting);
    const std::string victim = world.writeFile("victim.txt", "precious");
    const std::string local = world.temp() + "kit_setup.ver";
    ASSERT_EQ(::symlink(victim.c_str(), local.c_str()), 0);
    RecordingProgress p;
    EXPECT_EQ(CheckKitUpdate("qmtools", "Kit 1 (Build 3)", 3, p), UpdateCheckOutcome::Continue);
    EXPECT_TRUE(p.shown.empty());
    ASSERT_EQ(noting.paths.size(), 1u);
    EXPECT_NE(noting.paths[0], local);
    EXPECT_EQ(noting.folderModes[0], 0700u); // a folder of our own
    EXPECT_FALSE(QFile::exists(QString::fromStdString(qm::fs::FolderOf(noting.paths[0]))));
    EXPECT_EQ(qm::test::readFileBytes(victim), "precious");
    EXPECT_EQ(qm::test::readFileBytes(local), "[Version]\nVersionBuild=3\n");
}

// A failed download is no information, whatever lies at the reply's name.
TEST_F(UpdateCheckTest, FailedDownloadNeverReadsAnOlderReply)
{
    world.setEnv("QM_UPDATE_SERVER",
                 "http://127.0.0.1:" + std::to_string(TestHttpServer::closedPort()));
    ASSERT_TRUE(qm::fs::SaveFileAtomic(world.temp() + "kit_setup.ver",
                                       "[Version]\nVersionBuild=99\nVersionString=planted\n"));
    RecordingProgress p;
    EXPECT_EQ(CheckKitUpdate("qmtools", "Kit 1 (Build 3)", 3, p), UpdateCheckOutcome::Continue);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].caption, "Check for Updates failed");
}

TEST_F(UpdateCheckTest, ServerAddressFromEnvironment)
{
    world.setEnv("QM_UPDATE_SERVER", "http://example.test/base/");
    EXPECT_EQ(UpdateServerBaseUrl(), "http://example.test/base");
    world.unsetEnv("QM_UPDATE_SERVER");
    EXPECT_EQ(UpdateServerBaseUrl().rfind("http://", 0), 0u);
}

} // namespace
