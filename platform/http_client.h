#pragma once

#include "platform/service_slot.h"

#include <cstdint>
#include <string>

namespace qm {

// Bounds of one download. Tests shorten the time-outs.
struct HttpLimits {
    int connectTimeoutMs = 15000; // until the first answer of the server
    int totalTimeoutMs = 60000;   // the whole request
    int64_t maxBodyBytes = 1 << 20;
    int maxRedirects = 10;
};

struct HttpResult {
    enum class Status { Ok, ConnectFailed, Timeout, TooLarge, TooManyRedirects, FileFailed };
    Status status = Status::ConnectFailed;
    int httpStatus = 0; // the server's status line; not judged here
    int64_t bytes = 0;  // body bytes stored
    std::string error;  // what went wrong, for logs and tests
    bool ok() const { return status == Status::Ok; }
};

// HTTP GET of one address into a local file (the WinINet stand-in). Whatever
// body the server sends is stored, an error page included; the file is
// written only when the whole body arrived within the limits, and is left
// untouched otherwise.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpResult getToFile(const std::string& url, const std::string& localPath) = 0;
};

// Qt Network with the system's proxy settings. Runs a local event loop, so it
// works from a synchronous call on the GUI thread or any thread that has none;
// it needs a QCoreApplication.
class QtHttpClient : public HttpClient {
public:
    explicit QtHttpClient(HttpLimits limits = {}) : m_limits(limits) {}
    HttpResult getToFile(const std::string& url, const std::string& localPath) override;
    const HttpLimits& limits() const { return m_limits; }

private:
    HttpLimits m_limits;
};

HttpClient& CurrentHttpClient();
// Installs client (nullptr restores the default Qt client); returns the one before.
HttpClient* SetHttpClient(HttpClient* client);

using ScopedHttpClient = ScopedService<HttpClient, SetHttpClient>;

} // namespace qm
