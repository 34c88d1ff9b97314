#include "platform/http_client.h"

#include "platform/file_system.h"
#include "platform/win32/wide.h"

#include <chrono>
#include <windows.h>

#include <wininet.h>

// WinINet: the system's proxy settings, no cache, no cookies, no dialogs.
// Redirects are followed here so that their number is bounded and https never
// falls back to http.

namespace qm {

namespace {

using win32::Wide;

struct Handle {
    HINTERNET h = nullptr;
    explicit Handle(HINTERNET handle) : h(handle) {}
    ~Handle()
    {
        if (h)
            InternetCloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::wstring Header(HINTERNET request, DWORD which)
{
    wchar_t buf[2048];
    DWORD size = sizeof buf;
    if (!HttpQueryInfoW(request, which, buf, &size, nullptr))
        return {};
    return std::wstring(buf, size / sizeof(wchar_t));
}

HttpResult::Status StatusOfError(DWORD code)
{
    return code == ERROR_INTERNET_TIMEOUT ? HttpResult::Status::Timeout
                                          : HttpResult::Status::ConnectFailed;
}

} // namespace

HttpResult WinInetHttpClient::getToFile(const std::string& url, const std::string& localPath)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_limits.totalTimeoutMs);
    HttpResult result;
    const auto failed = [&result](HttpResult::Status status, const std::string& what) {
        result.status = status;
        result.error = win32::LastErrorText(what);
        return result;
    };
    Handle net(InternetOpenW(L"QMSetup", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!net.h)
        return failed(HttpResult::Status::ConnectFailed, "InternetOpen");
    // Until the first answer, and between two reads: never longer than the whole request.
    DWORD wait = static_cast<DWORD>(std::min(m_limits.connectTimeoutMs, m_limits.totalTimeoutMs));
    InternetSetOptionW(net.h, INTERNET_OPTION_CONNECT_TIMEOUT, &wait, sizeof wait);
    InternetSetOptionW(net.h, INTERNET_OPTION_SEND_TIMEOUT, &wait, sizeof wait);
    InternetSetOptionW(net.h, INTERNET_OPTION_RECEIVE_TIMEOUT, &wait, sizeof wait);

    std::wstring address = Wide(url);
    for (int redirects = 0;; ++redirects) {
        URL_COMPONENTSW parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwHostNameLength = 1;
        if (!InternetCrackUrlW(address.c_str(), 0, 0, &parts) || parts.dwHostNameLength == 0 ||
            (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
            result.error = "invalid address";
            return result;
        }
        const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        Handle request(InternetOpenUrlW(net.h, address.c_str(), nullptr, 0,
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                            INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                                            INTERNET_FLAG_NO_AUTO_REDIRECT |
                                            INTERNET_FLAG_KEEP_CONNECTION,
                                        0));
        if (!request.h)
            return failed(StatusOfError(GetLastError()), url);
        DWORD code = 0;
        DWORD size = sizeof code;
        if (HttpQueryInfoW(request.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                           nullptr))
            result.httpStatus = static_cast<int>(code);
        if (IsRedirect(result.httpStatus)) {
            const std::wstring location = Header(request.h, HTTP_QUERY_LOCATION);
            wchar_t next[INTERNET_MAX_URL_LENGTH];
            DWORD length = INTERNET_MAX_URL_LENGTH;
            if (!location.empty() &&
                InternetCombineUrlW(address.c_str(), location.c_str(), next, &length, 0)) {
                URL_COMPONENTSW target{};
                target.dwStructSize = sizeof target;
                const bool ok = InternetCrackUrlW(next, 0, 0, &target);
                if (redirects >= m_limits.maxRedirects ||
                    (secure && (!ok || target.nScheme != INTERNET_SCHEME_HTTPS))) {
                    result.status = HttpResult::Status::TooManyRedirects;
                    result.error = "redirect refused";
                    return result;
                }
                address.assign(next, length);
                continue;
            }
            // A redirect without a usable address is stored as any answer is.
        }
        const std::wstring length = Header(request.h, HTTP_QUERY_CONTENT_LENGTH);
        if (!length.empty() && _wtoi64(length.c_str()) > m_limits.maxBodyBytes) {
            result.status = HttpResult::Status::TooLarge;
            result.error = "body too large";
            return result;
        }
        std::string body;
        char chunk[16384];
        for (;;) {
            if (Clock::now() > deadline) {
                result.status = HttpResult::Status::Timeout;
                result.error = "request took too long";
                return result;
            }
            DWORD got = 0;
            if (!InternetReadFile(request.h, chunk, sizeof chunk, &got))
                return failed(StatusOfError(GetLastError()), url);
            if (got == 0)
                break;
            if (static_cast<int64_t>(body.size() + got) > m_limits.maxBodyBytes) {
                result.status = HttpResult::Status::TooLarge;
                result.error = "body too large";
                return result;
            }
            body.append(chunk, got);
        }
        std::string why;
        if (!fs::SaveFileAtomic(localPath, body, fs::SaveOptions{0666, true, false}, &why)) {
            result.status = HttpResult::Status::FileFailed;
            result.error = why;
            return result;
        }
        result.status = HttpResult::Status::Ok;
        result.bytes = static_cast<int64_t>(body.size());
        return result;
    }
}

namespace {
ServiceSlot<HttpClient, WinInetHttpClient> g_client;
}

HttpClient& CurrentHttpClient()
{
    return g_client.current();
}

HttpClient* SetHttpClient(HttpClient* client)
{
    return g_client.install(client);
}

} // namespace qm
