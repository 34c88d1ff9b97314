// The update check's download on Windows: WinINet against a real HTTP server
// on the loopback address.
#include "platform/http_client.h"
#include "win_support.h"

#include <atomic>
#include <map>
#include <thread>
#include <winsock2.h>

namespace qm::wintest {
namespace {

// Answers each request by its path from a fixed table, one connection at a time.
class LoopbackServer {
public:
    struct Answer {
        std::string head; // status line and headers after "HTTP/1.1 "
        std::string body;
    };
    explicit LoopbackServer(std::map<std::string, Answer> answers) : m_answers(std::move(answers))
    {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        m_listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof addr;
        bind(m_listen, reinterpret_cast<sockaddr*>(&addr), len);
        listen(m_listen, 8);
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackServer()
    {
        closesocket(m_listen); // ends accept()
        m_thread.join();
        WSACleanup();
    }
    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

private:
    void serve()
    {
        for (;;) {
            const SOCKET c = accept(m_listen, nullptr, nullptr);
            if (c == INVALID_SOCKET)
                return;
            std::string request;
            char buf[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int n = recv(c, buf, sizeof buf, 0);
                if (n <= 0)
                    break;
                request.append(buf, static_cast<size_t>(n));
            }
            const size_t from = request.find(' ') + 1;
            const std::string path = request.substr(from, request.find(' ', from) - from);
            const auto it = m_answers.find(path);
            const Answer a = it != m_answers.end() ? it->second : Answer{"500 Oops\r\n", ""};
            const std::string reply = "HTTP/1.1 " + a.head + "Connection: close\r\n\r\n" + a.body;
            send(c, reply.data(), static_cast<int>(reply.size()), 0);
            shutdown(c, SD_SEND);
            while (recv(c, buf, sizeof buf, 0) > 0) {
            }
            closesocket(c);
        }
    }
    std::map<std::string, Answer> m_answers;
    SOCKET m_listen = INVALID_SOCKET;
    int m_port = 0;
    std::thread m_thread;
};

std::string Sized(const std::string& status, const std::string& body, const std::string& extra = "")
{
    return status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra;
}

TEST_F(WinTest, WinInetStoresWhatTheServerSaysAndNothingOnFailure)
{
    const std::string page = "[General]\r\nVersion=1.1\r\n";
    LoopbackServer server({
        {"/ok", {Sized("200 OK", page), page}},
        {"/gone", {Sized("404 Not Found", "nope"), "nope"}},
        {"/moved", {Sized("302 Found", "", "Location: /ok\r\n"), ""}},
        {"/loop", {Sized("302 Found", "", "Location: /loop\r\n"), ""}},
        {"/huge", {"200 OK\r\nContent-Length: 5000000\r\n", "x"}},
        {"/long", {"200 OK\r\n", std::string(3000, 'x')}},
    });
    HttpLimits limits;
    limits.maxBodyBytes = 2000;
    WinInetHttpClient client(limits);
    const std::string file = root() + "\\version.ini";

    HttpResult r = client.getToFile(server.url("/ok"), file);
    EXPECT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.httpStatus, 200);
    EXPECT_EQ(r.bytes, static_cast<int64_t>(page.size()));
    EXPECT_EQ(ReadBytes(file), page);

    // An error page is still what the server sent.
    r = client.getToFile(server.url("/gone"), file);
    EXPECT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.httpStatus, 404);
    EXPECT_EQ(ReadBytes(file), "nope");

    ASSERT_TRUE(client.getToFile(server.url("/moved"), file).ok());
    EXPECT_EQ(ReadBytes(file), page);

    // Failures leave the file as it was.
    EXPECT_EQ(client.getToFile(server.url("/loop"), file).status,
              HttpResult::Status::TooManyRedirects);
    EXPECT_EQ(client.getToFile(server.url("/huge"), file).status, HttpResult::Status::TooLarge);
    EXPECT_EQ(client.getToFile(server.url("/long"), file).status, HttpResult::Status::TooLarge);
    EXPECT_EQ(client.getToFile("http://127.0.0.1:1/x", file).status,
              HttpResult::Status::ConnectFailed);
    EXPECT_EQ(client.getToFile("not an address", file).status, HttpResult::Status::ConnectFailed);
    EXPECT_EQ(ReadBytes(file), page);
}

} // namespace
} // namespace qm::wintest
