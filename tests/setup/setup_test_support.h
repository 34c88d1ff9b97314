#pragma once

#include "setup/install.h"
#include "setup/progress.h"
#include "support/temp_world.h"

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace qmsetup::test {

// The progress page as a recorder: every change is kept, message boxes are
// answered from a queue (else with their default button).
class RecordingProgress : public InstallProgress {
public:
    struct Shown {
        std::string caption, text;
        Buttons buttons;
        Answer defaultButton;
        Icon icon;
    };

    Answer message(const std::string& caption, const std::string& text, Buttons buttons,
                   Answer defaultButton, Icon icon) override;
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setProgressRange(int maximum) override { range = maximum; }
    void setProgressPosition(int position) override { positions.push_back(position); }
    void showProgressBar(bool visible) override { barVisible = visible; }
    void setResultText(const std::string& text) override { resultText = text; }
    void enableFinish() override { finishEnabled = true; }

    std::deque<Answer> answers;
    std::vector<Shown> shown;
    std::vector<std::string> statuses;
    std::vector<int> positions;
    int range = -1;
    bool barVisible = false;
    std::string resultText;
    bool finishEnabled = false;
};

// A small HTTP/1.1 server on 127.0.0.1, served by whatever event loop runs
// (the client's own loop included).
class TestHttpServer : public QObject {
public:
    enum class Mode {
        Normal,       // status + body, then close
        Silent,       // accepts and never answers
        NeverEnding,  // headers and a trickle of body that never ends
        Huge,         // a 10 MB body without Content-Length
        HugeDeclared, // a 10 MB body with Content-Length
        RedirectLoop, // 302 to itself
    };
    struct Route {
        Mode mode = Mode::Normal;
        int status = 200;
        QByteArray body;
    };

    TestHttpServer();
    void route(const std::string& path, Route r) { m_routes[path] = std::move(r); }
    std::string baseUrl() const;
    const std::vector<std::string>& requests() const { return m_requests; }
    // A port on which nothing listens.
    static quint16 closedPort();

private:
    void onConnection();
    QTcpServer m_server;
    std::map<std::string, Route> m_routes;
    std::vector<std::string> m_requests;
};

// Writes the kit/module folder of a description under root.
std::string writeModule(const qm::test::TempWorld& world, const std::string& folder,
                        const std::string& description,
                        const std::map<std::string, std::string>& files);

// The job of a single module whose folder holds its description, installed
// to target without the update check.
ModuleJob singleModuleJob(const std::string& source, const std::string& target);

// A test's fixture with every outside effect of setup pointed into its world.
class SetupTest : public qm::test::TempWorldTest {
protected:
    SetupTest();
};

// SetupTest for tests that install modules: one run and its recorded progress.
class InstallRunTest : public SetupTest {
protected:
    static ModuleJob job(const std::string& source, const std::string& target)
    {
        return singleModuleJob(source, target);
    }
    RecordingProgress progress;
    InstallRun run;
};

} // namespace qmsetup::test
