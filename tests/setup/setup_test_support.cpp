#include "setup_test_support.h"

#include <QTcpSocket>
#include <QTimer>

namespace qmsetup::test {

SetupMessages::Answer RecordingProgress::message(const std::string& caption,
                                                 const std::string& text, Buttons buttons,
                                                 Answer defaultButton, Icon icon)
{
    shown.push_back({caption, text, buttons, defaultButton, icon});
    if (answers.empty())
        return defaultButton;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

TestHttpServer::TestHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::onConnection);
}

std::string TestHttpServer::baseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(m_server.serverPort());
}

quint16 TestHttpServer::closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

void TestHttpServer::onConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            *request += socket->readAll();
            if (!request->contains("\r\n\r\n"))
                return;
            const QList<QByteArray> first = request->left(request->indexOf("\r\n")).split(' ');
            const std::string path = first.size() > 1 ? first[1].toStdString() : std::string();
            request->clear();
            m_requests.push_back(path);
            const auto it = m_routes.find(path);
            const Route r =
                it == m_routes.end() ? Route{Mode::Normal, 404, "not here"} : it->second;
            QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + " X\r\n";
            switch (r.mode) {
            case Mode::Silent:
                return;
            case Mode::Normal:
                socket->write(head + "Content-Length: " + QByteArray::number(r.body.size()) +
                              "\r\nConnection: close\r\n\r\n" + r.body);
                socket->disconnectFromHost();
                return;
            case Mode::NeverEnding: {
                socket->write(head + "Content-Length: 1000000\r\n\r\n[Version]\r\n");
                auto* t = new QTimer(socket);
                connect(t, &QTimer::timeout, socket, [socket] { socket->write(";\r\n"); });
                t->start(100);
                return;
            }
            case Mode::Huge:
            case Mode::HugeDeclared: {
                const QByteArray big(10 * 1024 * 1024, 'x');
                socket->write(head +
                              (r.mode == Mode::HugeDeclared
                                   ? "Content-Length: " + QByteArray::number(big.size()) + "\r\n"
                                   : QByteArray()) +
                              "Connection: close\r\n\r\n[Version]\r\nVersionBuild=99\r\n" + big);
                socket->disconnectFromHost();
                return;
            }
            case Mode::RedirectLoop:
                socket->write("HTTP/1.1 302 Found\r\nLocation: " + QByteArray(path.c_str()) +
                              "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                socket->disconnectFromHost();
                return;
            }
        });
    }
}

std::string writeModule(const qm::test::TempWorld& world, const std::string& folder,
                        const std::string& description,
                        const std::map<std::string, std::string>& files)
{
    const std::string path = world.writeFile(folder + "/qm_modul.dat", description);
    for (const auto& [name, bytes] : files)
        world.writeFile(folder + "/" + name, bytes);
    return path.substr(0, path.size() - std::string("/qm_modul.dat").size());
}

ModuleJob singleModuleJob(const std::string& source, const std::string& target)
{
    ModuleJob j = MakeModuleJob(Distribution{SetupMode::SingleModule, source,
                                             source + "/qm_kit.dat", source + "/qm_modul.dat"},
                                LoadSingleModule(source + "/qm_modul.dat"), SetupOptions{});
    j.installDir = target;
    j.checkForUpdates = false;
    return j;
}

SetupTest::SetupTest()
{
    // The system's proxy must not stand between the client and the loopback server.
    for (const char* v : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                          "ALL_PROXY", "no_proxy", "NO_PROXY"})
        world.unsetEnv(v);
    world.setEnv("QM_UPDATE_SERVER", "http://updates.example.test/qm");
}

} // namespace qmsetup::test
